// The records reader and the structured formats on any bytes: nothing may crash, and what the
// formats forbid (raw controls in JSON, characters XML has no place for) never reaches them.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "notes_export/notes_records.h"
#include "notes_export/structured_export.h"

namespace {

bool HoldsControl(std::string_view text, std::string_view allowed) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 && allowed.find(c) == std::string_view::npos) {
      return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace brackwater;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const NotesRecords records = ReadNotesRecords(bytes);
  for (const NoteRecord& note : records.notes) {
    if (note.folder != kTopLevel && note.folder >= records.folders.size()) std::abort();
  }
  if (HoldsControl(NotesJson(records, "notes.adr", 0, false), "\n")) std::abort();
  const std::string enex = NotesEnex(records, 0, size % 2 == 0);
  if (HoldsControl(enex, "\t\n") || enex.find("\xEF\xBF\xBE") != std::string::npos) std::abort();
  for (const MarkdownFile& file : NotesMarkdown(records, false)) {
    if (HoldsControl(file.path, "")) std::abort();
  }
  WithoutTrash(bytes, records);
  return 0;
}
