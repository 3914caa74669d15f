#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "notes_export/notes_records.h"

namespace brackwater {

// The moment as ISO 8601 in UTC (2014-01-27T16:13:53Z); nothing outside the years 0 to 9999.
std::optional<std::string> IsoUtc(std::int64_t seconds);

// A JSON document of the notes: the source as given, the export moment, and one object per note.
std::string NotesJson(const NotesRecords& records, std::string_view source, std::int64_t exported,
                      bool skipTrash);

// An ENEX export file of the notes, as note programs import them.
std::string NotesEnex(const NotesRecords& records, std::int64_t exported, bool skipTrash);

struct MarkdownFile {
  std::string path;  // relative, UTF-8, folders joined by "/"
  std::string bytes;
  std::optional<std::int64_t> created;  // to become the file's modification time
};

// One Markdown file per note, in folders named after the note's folders.
std::vector<MarkdownFile> NotesMarkdown(const NotesRecords& records, bool skipTrash);

// A name that Windows and Linux both take for a file or folder, of at most `limit` characters,
// "Untitled" when nothing is left of `text`.
std::string SafeFileName(std::string_view text, std::size_t limit = 80);

// Writes the files into a new folder at `target`: built beside it and put in place once complete,
// or removed. An existing folder must be empty. Throws FileError.
void WriteMarkdownFolder(const std::filesystem::path& target,
                         const std::vector<MarkdownFile>& files);

// Writes one export file, complete or not at all, never over the notes file. Throws FileError.
void WriteStructuredFile(const std::filesystem::path& path, std::string_view bytes,
                         const std::filesystem::path& notesFile);

}  // namespace brackwater
