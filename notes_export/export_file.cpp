#include "notes_export/export_file.h"

#include <algorithm>

#include "platform/code_page.h"
#include "platform/files.h"
#include "platform/text_codec.h"

namespace brackwater {
namespace {

constexpr std::u16string_view kLastLineEnd = u"\r\n";

bool FitsCodePage(const ExportProducer& produce, const std::string& codePage) {
  if (IsUtf8CodePage(codePage)) return true;
  CodePageEncoder encoder(codePage);
  std::string scratch;
  bool fits = encoder.Append(kLastLineEnd, scratch);
  produce([&](std::u16string_view piece) {
    scratch.clear();
    fits = fits && encoder.Append(piece, scratch);
  });
  return fits;
}

}  // namespace

void WriteExportFile(const std::filesystem::path& path, const ExportProducer& produce,
                     const std::filesystem::path& notesFile, const std::string& codePage) {
  if (SameFile(path, notesFile)) {
    throw FileError(path, "it is the notes file being exported, which must stay as it is");
  }
  const bool fits = FitsCodePage(produce, codePage);
  CodePageEncoder encoder(fits ? codePage : "UTF-8");
  ReplacingFile file(path);
  std::string bytes = fits ? "" : "\xEF\xBB\xBF";
  auto write = [&](std::u16string_view piece) {
    encoder.Append(piece, bytes);
    file.Write(bytes);
    bytes.clear();
  };
  produce(write);
  write(kLastLineEnd);
  file.Commit();
}

void WriteExportFile(const std::filesystem::path& path, std::u16string_view exportText,
                     const std::filesystem::path& notesFile, const std::string& codePage) {
  // In pieces, so that the encoded copy of a large text is never made whole.
  auto produce = [exportText](const ExportSink& sink) {
    constexpr std::size_t kPieceSize = 1 << 16;
    for (std::u16string_view rest = exportText; !rest.empty();) {
      std::size_t size = std::min(rest.size(), kPieceSize);
      if (size < rest.size() && IsHighSurrogate(rest[size - 1])) --size;
      sink(rest.substr(0, size));
      rest.remove_prefix(size);
    }
  };
  WriteExportFile(path, produce, notesFile, codePage);
}

}  // namespace brackwater
