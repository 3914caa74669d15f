// The records reader and the structured formats on any bytes: nothing may crash, and what the
// formats forbid (raw controls in JSON, characters XML has no place for) never reaches them. A
// folder index out of its range would be read out of bounds, which the sanitizers report.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "notes_export/notes_records.h"
#include "notes_export/structured_export.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace brackwater;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto holdsControl = [](std::string_view text, std::string_view allowed) {
    return std::any_of(text.begin(), text.end(), [allowed](char c) {
      return static_cast<unsigned char>(c) < 0x20 && allowed.find(c) == std::string_view::npos;
    });
  };
  const NotesRecords records = ReadNotesRecords(bytes);
  if (holdsControl(NotesJson(records, "notes.adr", 0, false), "\n")) std::abort();
  const std::string enex = NotesEnex(records, 0, size % 2 == 0);
  if (holdsControl(enex, "\t\n") || enex.find("\xEF\xBF\xBE") != std::string::npos) std::abort();
  for (const MarkdownFile& file : NotesMarkdown(records, false)) {
    if (holdsControl(file.path, "")) std::abort();
  }
  WithoutTrash(bytes, records);
  return 0;
}
