#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "notes_export/notes_conversion.h"

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

// An export text made beforehand.
class ExportText final : public ExportSource {
 public:
  // The view must outlive the source.
  explicit ExportText(std::u16string_view text);
  void Produce(const ExportSink& sink) const override;
  void ProduceUtf8(const Utf8Sink& sink) const override;

 private:
  std::u16string_view text_;
};

// Writes the export file at `path`: the export text and one CR LF, in `codePage`, or in UTF-8
// after a byte-order mark when that code page cannot hold every character. The file appears
// complete or not at all, and never replaces `notesFile` itself. Throws FileError.
void WriteExportFile(const std::filesystem::path& path, const ExportSource& source,
                     const std::filesystem::path& notesFile, const std::string& codePage);
void WriteExportFile(const std::filesystem::path& path, std::u16string_view exportText,
                     const std::filesystem::path& notesFile, const std::string& codePage);

}  // namespace brackwater
