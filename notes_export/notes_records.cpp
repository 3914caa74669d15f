#include "notes_export/notes_records.h"

#include <algorithm>
#include <charconv>

#include "platform/system/text_codec.h"

namespace brackwater {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

enum class RecordKind { kNone, kNote, kFolder, kOther };

std::string Decoded(std::string_view bytes) {
  std::string text;
  AppendValidUtf8(bytes, text);
  return text;
}

// The name's U+0002 pairs are its line breaks. U+0002 is ASCII, so the bytes can be cut before
// decoding without changing what the rest decodes to.
std::string NoteText(std::string_view bytes) {
  std::string raw;
  raw.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\x02' && i + 1 < bytes.size() && bytes[i + 1] == '\x02') {
      raw += '\n';
      ++i;
    } else {
      raw += bytes[i];
    }
  }
  return Decoded(raw);
}

std::optional<std::int64_t> Seconds(std::string_view text) {
  std::int64_t seconds{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return {};
  return seconds;
}

// The record being read: its kind and the raw values of the fields that matter.
struct OpenRecord {
  RecordKind kind = RecordKind::kNone;
  std::optional<std::string_view> name, url, id, uniqueId, created;
  bool trashFolder = false;

  void Field(std::string_view key, std::string_view value) {
    if (key == "NAME") name = value;
    if (key == "URL") url = value;
    if (key == "ID") id = value;
    if (key == "UNIQUEID") uniqueId = value;
    if (key == "CREATED") created = value;
    if (key == "TRASH FOLDER") trashFolder = value == "YES";
  }
};

class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}

  NotesRecords Read() {
    std::size_t start = bytes_.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    while (start < bytes_.size()) {
      std::size_t end = bytes_.find_first_of("\r\n", start);
      if (end == bytes_.npos) end = bytes_.size();
      Line(start, bytes_.substr(start, end - start));
      const bool crlf = bytes_.substr(end).starts_with("\r\n");
      start = end + (crlf ? 2 : 1);
    }
    Close();
    EndSpan(bytes_.size());
    return std::move(out_);
  }

 private:
  void Line(std::size_t at, std::string_view line) {
    if (line.starts_with('#')) {
      Close();
      EndSpan(at);
      started_ = true;
      const std::string_view kind = line.substr(1);
      record_.kind = kind == "NOTE"     ? RecordKind::kNote
                     : kind == "FOLDER" ? RecordKind::kFolder
                                        : RecordKind::kOther;
      spanStart_ = at;
      spanTrash_ = InTrash();
      return;
    }
    const std::size_t first = line.find_first_not_of(" \t");
    if (first != line.npos && line.substr(first) == "-") {
      Close();
      if (!open_.empty()) open_.pop_back();
      return;
    }
    if (!started_) {
      if (!line.empty()) out_.header.push_back(Decoded(line));
      return;
    }
    if (first == line.npos) return;
    const std::size_t equals = line.find('=');
    if (record_.kind != RecordKind::kNone && equals != line.npos && equals > first) {
      record_.Field(line.substr(first, equals - first), line.substr(equals + 1));
    }
  }

  bool InTrash() const { return !open_.empty() && out_.folders[open_.back()].trash; }

  // The record read so far takes its place; a folder opens.
  void Close() {
    const std::size_t folder = open_.empty() ? kTopLevel : open_.back();
    if (record_.kind == RecordKind::kNote) {
      NoteRecord note;
      if (record_.name) note.text = NoteText(*record_.name);
      if (record_.url) note.url = Decoded(*record_.url);
      if (record_.id) note.id = Decoded(*record_.id);
      if (record_.uniqueId) note.uniqueId = Decoded(*record_.uniqueId);
      if (record_.created) note.created = Seconds(*record_.created);
      note.folder = folder;
      note.trash = InTrash();
      out_.notes.push_back(std::move(note));
    } else if (record_.kind == RecordKind::kFolder) {
      NotesFolder added;
      if (record_.name) added.name = Decoded(*record_.name);
      added.parent = folder;
      added.isTrashFolder = record_.trashFolder;
      added.trash = record_.trashFolder || InTrash();
      spanTrash_ = spanTrash_ || added.trash;
      open_.push_back(out_.folders.size());
      out_.folders.push_back(std::move(added));
    }
    record_ = {};
  }

  void EndSpan(std::size_t at) {
    if (spanTrash_ && at > spanStart_) out_.trashSpans.emplace_back(spanStart_, at);
    spanTrash_ = false;
  }

  std::string_view bytes_;
  NotesRecords out_;
  OpenRecord record_;
  std::vector<std::size_t> open_;  // the open folders, innermost last
  bool started_ = false;           // past the header
  std::size_t spanStart_ = 0;
  bool spanTrash_ = false;
};

}  // namespace

NotesRecords ReadNotesRecords(std::string_view notesBytes) { return Reader(notesBytes).Read(); }

std::vector<std::string_view> FolderPath(const NotesRecords& records, std::size_t folder) {
  std::vector<std::string_view> path;
  for (; folder != kTopLevel; folder = records.folders[folder].parent) {
    path.push_back(records.folders[folder].name);
  }
  std::reverse(path.begin(), path.end());
  return path;
}

std::string WithoutTrash(std::string_view notesBytes, const NotesRecords& records) {
  std::string kept;
  std::size_t from = 0;
  for (const auto& [start, end] : records.trashSpans) {
    kept.append(notesBytes.substr(from, start - from));
    from = end;
  }
  kept.append(notesBytes.substr(from));
  return kept;
}

}  // namespace brackwater
