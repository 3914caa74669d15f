#include "notes_export/export_file.h"

#include <algorithm>

#include "notes_export/export_paths.h"
#include "platform/system/code_page.h"
#include "platform/system/files.h"
#include "platform/system/replacing_file.h"
#include "platform/system/text_codec.h"

namespace brackwater {
namespace {

constexpr std::u16string_view kLastLineEnd = u"\r\n";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Tried piece by piece, so that the encoded text is never held whole; the first piece that does
// not fit ends the trial.
bool FitsCodePage(const ExportSource& source, const std::string& codePage) {
  struct DoesNotFit {};
  CodePageEncoder encoder(codePage);
  std::string scratch;
  if (!encoder.Append(kLastLineEnd, scratch)) return false;
  try {
    source.Produce([&](std::u16string_view piece) {
      scratch.clear();
      if (!encoder.Append(piece, scratch)) throw DoesNotFit{};
    });
  } catch (const DoesNotFit&) {
    return false;
  }
  return true;
}

ExportResult Failed(ExportFailure failure, const FileError& error) {
  return {failure, {}, error.Path(), error.Reason()};
}

}  // namespace

NotesExport::NotesExport(std::string_view notesBytes, std::u16string_view inputPath,
                         std::u16string_view dateText, std::u16string_view timeText)
    : notesBytes_(notesBytes), inputPath_(inputPath), dateText_(dateText), timeText_(timeText) {}

void NotesExport::Produce(const ExportSink& sink) const {
  StreamNotesExport(notesBytes_, inputPath_, dateText_, timeText_, sink);
}

void NotesExport::ProduceUtf8(const Utf8Sink& sink) const {
  StreamNotesExportUtf8(notesBytes_, inputPath_, dateText_, timeText_, sink);
}

void WriteExportFile(const std::filesystem::path& path, const ExportSource& source,
                     const std::filesystem::path& notesFile, const std::string& codePage) {
  if (SameFile(path, notesFile)) {
    throw FileError(path, "it is the notes file being exported, which must stay as it is");
  }
  const bool utf8 = IsUtf8CodePage(codePage);
  const bool fits = utf8 || FitsCodePage(source, codePage);
  ReplacingFile file(path);
  if (fits && !utf8) {
    CodePageEncoder encoder(codePage);
    std::string bytes;
    auto write = [&](std::u16string_view piece) {
      bytes.clear();
      encoder.Append(piece, bytes);
      file.Write(bytes);
    };
    source.Produce(write);
    write(kLastLineEnd);
  } else {
    if (!fits) file.Write(kByteOrderMark);
    source.ProduceUtf8([&file](std::string_view piece) { file.Write(piece); });
    file.Write("\r\n");
  }
  file.Commit();
}

ExportResult ExportNotesFile(std::u16string_view notesPath, FileKinds notesKinds,
                             const std::string& codePage, const ExportChoices& choices) {
  const std::filesystem::path notesFile = TextToPath(notesPath);
  FileBytes notes;
  try {
    notes = ReadWholeFile(notesFile, notesKinds);
  } catch (const FileError& error) {
    return Failed(ExportFailure::kCannotRead, error);
  }
  if (notes.View().empty()) return {ExportFailure::kNoNotes, {}, notesFile, {}};
  // The moment is taken before the output is chosen, as the export text is made then; the text
  // itself is made while it is written, so that it is never held whole.
  const DateTimeText moment = choices.moment();
  const std::u16string defaultPath = DefaultExportPath(notesPath);
  const std::u16string exportPath = FinalExportPath(choices.output(defaultPath), defaultPath);
  try {
    WriteExportFile(TextToPath(exportPath),
                    NotesExport(notes.View(), notesPath, moment.date, moment.time), notesFile,
                    codePage);
  } catch (const FileError& error) {
    return Failed(ExportFailure::kCannotWrite, error);
  }
  return {ExportFailure::kNone, exportPath, {}, {}, HoldsNotes(notes.View())};
}

}  // namespace brackwater
