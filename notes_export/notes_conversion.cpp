#include "notes_export/notes_conversion.h"

#include <cstring>

#include "platform/text_codec.h"

namespace brackwater {
namespace {

constexpr std::size_t npos = std::u16string_view::npos;
constexpr std::u16string_view kLinkLabel = u"Линк: ";
constexpr std::u16string_view kBlockEnd =
    u"----------------------------------------------------\r\n";
static_assert(kBlockEnd.size() == 52 + 2);
// Pieces handed to a sink are about this many units long: large enough to keep the calls rare,
// small enough to stay in the cache.
constexpr std::size_t kPieceSize = 1 << 16;

// The notes text comes either as the bytes of the file (UTF-8, decoded only where it is copied
// into the export) or as decoded text. The markers and line ends are ASCII, and UTF-8 decoding
// starts afresh at every ASCII byte, so searching and cutting the bytes gives exactly what doing
// the same on the decoded text would.
std::size_t Find(std::string_view text, std::string_view what, std::size_t from) {
  const void* hit = ::memmem(text.data() + from, text.size() - from, what.data(), what.size());
  return hit == nullptr ? npos : static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
}

std::size_t Find(std::u16string_view text, std::u16string_view what, std::size_t from) {
  return text.find(what, from);
}

std::size_t FindUnit(std::string_view text, char what, std::size_t from) {
  const void* hit = std::memchr(text.data() + from, what, text.size() - from);
  return hit == nullptr ? npos : static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
}

std::size_t FindUnit(std::u16string_view text, char16_t what, std::size_t from) {
  return text.find(what, from);
}

void AppendDecoded(std::string_view bytes, std::u16string& out) { AppendUtf8AsUtf16(bytes, out); }
void AppendDecoded(std::u16string_view text, std::u16string& out) { out.append(text); }

template <typename Unit>
struct Markers;
template <>
struct Markers<char> {
  static constexpr std::string_view kName = "NAME=";
  static constexpr std::string_view kUrl = "URL=";
};
template <>
struct Markers<char16_t> {
  static constexpr std::u16string_view kName = u"NAME=";
  static constexpr std::u16string_view kUrl = u"URL=";
};

// Appends a slice of the notes text, with every LF that does not follow a CR read as CR LF. A
// slice always starts just after a marker's "=", so what precedes it is never a CR.
template <typename Unit>
void AppendSlice(std::basic_string_view<Unit> slice, std::u16string& out) {
  std::size_t start = 0;
  for (std::size_t lf; (lf = FindUnit(slice, Unit('\n'), start)) != npos; start = lf + 1) {
    AppendDecoded(slice.substr(start, lf - start), out);
    if (lf == 0 || slice[lf - 1] != Unit('\r')) out += u'\r';
    out += u'\n';
  }
  AppendDecoded(slice.substr(start), out);
}

// Turns each pair U+0002 U+0002 from `from` on into CR LF, scanning from the left.
void ReplaceLineBreakPairs(std::u16string& text, std::size_t from) {
  for (std::size_t i = from; i + 1 < text.size();) {
    if (text[i] == u'\x02' && text[i + 1] == u'\x02') {
      text[i] = u'\r';
      text[i + 1] = u'\n';
      i += 2;
    } else {
      ++i;
    }
  }
}

// Takes the notes of one record (a piece of the text that begins at a line starting with "#",
// or at the start) and appends their blocks.
template <typename Unit>
class RecordExtractor {
 public:
  using View = std::basic_string_view<Unit>;

  explicit RecordExtractor(std::u16string& out) : out_(out) {}

  void Extract(View record) {
    record_ = record;
    std::size_t name = Find(record_, Markers<Unit>::kName, 0);
    if (name == npos) {
      // An address without a name still makes a note.
      const std::size_t url = Find(record_, Markers<Unit>::kUrl, 0);
      if (url != npos) Address(url + Markers<Unit>::kUrl.size());
      return;
    }
    // Once no "URL=" follows a position, none follows any later one: the search is kept so that
    // many names without an address cost one scan, not one each.
    std::size_t url = Find(record_, Markers<Unit>::kUrl, name);
    while (name != npos) {
      const std::size_t text = name + Markers<Unit>::kName.size();
      if (url != npos && url < text) url = Find(record_, Markers<Unit>::kUrl, text);
      std::size_t next;
      if (url != npos) {
        const std::size_t blockStart = out_.size();
        AppendSlice(record_.substr(text, url - text), out_);
        DropLastCharacter(blockStart);
        BreakLines(text, url, blockStart);
        next = url + Markers<Unit>::kUrl.size();
        Address(next);
      } else {
        // A name without an address is the rest of its line.
        const std::size_t lf = FindUnit(record_, Unit('\n'), text);
        next = lf == npos ? record_.size() : lf + 1;
        const std::size_t blockStart = out_.size();
        AppendSlice(record_.substr(text, next - text), out_);
        BreakLines(text, next, blockStart);
        out_ += u"\r\n";
        out_ += kLinkLabel;
        out_ += kBlockEnd;
      }
      // The search for the next name starts at the address: a name inside it begins a note.
      name = Find(record_, Markers<Unit>::kName, next);
    }
  }

 private:
  // The address runs to the CR of its line's end, which it keeps. One that ends the text
  // without a line end is kept as if the line ended there.
  void Address(std::size_t start) {
    out_ += u"\r\n";
    out_ += kLinkLabel;
    const std::size_t lf = FindUnit(record_, Unit('\n'), start);
    const std::size_t end = lf == npos ? record_.size() : lf;
    const std::size_t addressStart = out_.size();
    AppendDecoded(record_.substr(start, end - start), out_);
    if (lf == npos || record_[lf - 1] != Unit('\r')) out_ += u'\r';
    BreakLines(start, end, addressStart);
    out_ += kBlockEnd;
  }

  // The one character before "URL=" is not part of the note: a whole character, so both
  // halves of a surrogate pair go together.
  void DropLastCharacter(std::size_t from) {
    if (out_.size() == from) return;
    const bool pair = out_.size() - from >= 2 && IsLowSurrogate(out_.back()) &&
                      IsHighSurrogate(out_[out_.size() - 2]);
    out_.resize(out_.size() - (pair ? 2 : 1));
  }

  void BreakLines(std::size_t sourceStart, std::size_t sourceEnd, std::size_t from) {
    if (FindUnit(record_.substr(0, sourceEnd), Unit('\x02'), sourceStart) != npos) {
      ReplaceLineBreakPairs(out_, from);
    }
  }

  std::u16string& out_;
  View record_;
};

// Extracts record by record; a record begins at every line that begins with "#". With a sink,
// the text made so far is handed on between records whenever it has grown large.
template <typename Unit>
void ExtractRecords(std::basic_string_view<Unit> text, std::u16string& out,
                    const ExportSink* sink) {
  RecordExtractor<Unit> extractor(out);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = start;
    for (;;) {
      const std::size_t lf = FindUnit(text, Unit('\n'), end);
      end = lf == npos ? text.size() : lf + 1;
      if (end == text.size() || text[end] == Unit('#')) break;
    }
    extractor.Extract(text.substr(start, end - start));
    if (sink != nullptr && out.size() >= kPieceSize) {
      (*sink)(out);
      out.clear();
    }
    start = end;
  }
}

std::u16string HeaderLines(std::u16string_view inputPath, std::u16string_view dateText,
                           std::u16string_view timeText) {
  std::u16string header = u"Экспорт заметок из Опера (";
  header += inputPath;
  header += u"). Файл создан: ";
  header += dateText;
  header += u" в ";
  header += timeText;
  header += u"\r\n=====\r\n";
  return header;
}

std::string_view WithoutByteOrderMark(std::string_view bytes) {
  return bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes;
}

}  // namespace

std::optional<std::u16string> ExportNotesText(std::string_view notesBytes,
                                              std::u16string_view inputPath,
                                              std::u16string_view dateText,
                                              std::u16string_view timeText) {
  if (notesBytes.empty()) return std::nullopt;
  std::u16string text = HeaderLines(inputPath, dateText, timeText);
  text.reserve(text.size() + notesBytes.size());
  ExtractRecords(WithoutByteOrderMark(notesBytes), text, nullptr);
  return text;
}

bool StreamNotesExport(std::string_view notesBytes, std::u16string_view inputPath,
                       std::u16string_view dateText, std::u16string_view timeText,
                       const ExportSink& sink) {
  if (notesBytes.empty()) return false;
  std::u16string piece = HeaderLines(inputPath, dateText, timeText);
  piece.reserve(2 * kPieceSize);
  ExtractRecords(WithoutByteOrderMark(notesBytes), piece, &sink);
  if (!piece.empty()) sink(piece);
  return true;
}

std::u16string ExtractNotes(std::u16string_view workText) {
  std::u16string notes;
  ExtractRecords(workText, notes, nullptr);
  return notes;
}

}  // namespace brackwater
