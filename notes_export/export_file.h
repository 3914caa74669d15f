#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "notes_export/notes_conversion.h"
#include "platform/system/clock.h"
#include "platform/system/files.h"

namespace brackwater {

// The export text, handed out in pieces as often as the writer needs it: as UTF-16, or straight
// as its UTF-8 bytes, which spares the detour where the file is written in UTF-8 anyway.
class ExportSource {
 public:
  virtual ~ExportSource() = default;
  virtual void Produce(const ExportSink& sink) const = 0;
  virtual void ProduceUtf8(const Utf8Sink& sink) const = 0;
};

// The export of a notes file, made while it is written, so that it is never held whole.
class NotesExport final : public ExportSource {
 public:
  // The views must outlive the source.
  NotesExport(std::string_view notesBytes, std::u16string_view inputPath,
              std::u16string_view dateText, std::u16string_view timeText);
  void Produce(const ExportSink& sink) const override;
  void ProduceUtf8(const Utf8Sink& sink) const override;

 private:
  std::string_view notesBytes_;
  std::u16string_view inputPath_, dateText_, timeText_;
};

// Writes the export file at `path`: the export text and one CR LF, in `codePage`, or in UTF-8
// after a byte-order mark when that code page cannot hold every character. The file appears
// complete or not at all, and never replaces `notesFile` itself. Throws FileError.
void WriteExportFile(const std::filesystem::path& path, const ExportSource& source,
                     const std::filesystem::path& notesFile, const std::string& codePage);

// What the caller decides, asked in this order and only once the notes file is read and holds
// notes, so that nobody is asked where to put an export that cannot be made.
struct ExportChoices {
  // The moment the header names.
  std::function<DateTimeText()> moment;
  // Where the export goes, given the default path beside the notes file: a name that gets ".txt"
  // unless it ends in it, or empty for the default.
  std::function<std::u16string(const std::u16string& defaultPath)> output;
};

enum class ExportFailure { kNone, kCannotRead, kNoNotes, kCannotWrite };

// Where the export was written, or the step it stopped at.
struct ExportResult {
  ExportFailure failure = ExportFailure::kNone;
  std::u16string exportPath;   // where the export was written
  std::filesystem::path file;  // the file that failed, as the system was given it
  std::string reason;          // the system's reason, in UTF-8; empty for a file without notes
  bool notesFound = false;     // whether the export written holds a note, not only its header
};

// Reads the notes file (of the kinds given: the window takes only a file on disk, the converter
// a pipe as well), refuses an empty one, and writes its export as WriteExportFile does, from
// what was read, whatever happens to the file meanwhile. What the choices throw passes through,
// and so does any failure other than reading the notes file or writing the export
// (std::bad_alloc for a notes file larger than memory).
ExportResult ExportNotesFile(std::u16string_view notesPath, FileKinds notesKinds,
                             const std::string& codePage, const ExportChoices& choices);

}  // namespace brackwater
