#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brackwater {

// What a folder index holds for a record outside every folder.
inline constexpr std::size_t kTopLevel = std::numeric_limits<std::size_t>::max();

struct NotesFolder {
  std::string name;                // UTF-8, empty when the record has no NAME
  std::size_t parent = kTopLevel;  // an earlier index in NotesRecords::folders
  bool trash = false;              // the trash folder itself, or a folder inside it
  bool isTrashFolder = false;      // the trash folder itself
};

struct NoteRecord {
  std::string text;  // UTF-8, its line breaks as "\n"
  std::optional<std::string> url, id, uniqueId;
  std::optional<std::int64_t> created;  // seconds since 1970 UTC
  std::size_t folder = kTopLevel;
  bool trash = false;
};

// A notes file read as records. Folders are kept once each and notes name theirs by index, so
// that deep folders around many notes still take memory in proportion to the file.
struct NotesRecords {
  std::vector<std::string> header;  // the lines before the first record
  std::vector<NotesFolder> folders;
  std::vector<NoteRecord> notes;
  // The bytes of every record in the trash, from its "#" line to the next one, as the text
  // conversion cuts them, so that the trash can be left out of it.
  std::vector<std::pair<std::size_t, std::size_t>> trashSpans;
};

// Reads the notes file as records, with the text conversion's tolerance: a byte-order mark,
// any line ends, malformed UTF-8 as U+FFFD, records without NAME or URL, unknown kinds skipped,
// a "-" without an open folder ignored.
NotesRecords ReadNotesRecords(std::string_view notesBytes);

// The names of `folder` and of the folders around it, the outermost first.
std::vector<std::string_view> FolderPath(const NotesRecords& records, std::size_t folder);

// The notes bytes without the records that trashSpans names.
std::string WithoutTrash(std::string_view notesBytes, const NotesRecords& records);

}  // namespace brackwater
