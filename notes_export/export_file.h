#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "notes_export/notes_conversion.h"

namespace brackwater {

// Hands the whole export text, piece by piece, to the sink it is given. It may be called more
// than once and must hand on the same text each time.
using ExportProducer = std::function<void(const ExportSink& sink)>;

// Writes the export file at `path`: the export text and one CR LF, in `codePage`, or in UTF-8
// after a byte-order mark when that code page cannot hold every character. The file appears
// complete or not at all, and never replaces `notesFile` itself. Throws FileError.
void WriteExportFile(const std::filesystem::path& path, const ExportProducer& produce,
                     const std::filesystem::path& notesFile, const std::string& codePage);
void WriteExportFile(const std::filesystem::path& path, std::u16string_view exportText,
                     const std::filesystem::path& notesFile, const std::string& codePage);

}  // namespace brackwater
