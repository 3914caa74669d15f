#include "notes_export/notes_conversion.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/system/memory.h"
#include "platform/system/text_codec.h"

namespace brackwater {
namespace {

constexpr std::size_t npos = std::u16string_view::npos;
// Pieces handed to a sink are about this long: large enough to keep the calls rare, small
// enough to stay in the cache.
constexpr std::size_t kPieceSize = 1 << 16;

// The notes text comes either as the bytes of the file (UTF-8, decoded only where it is copied
// into the export) or as decoded text. The markers and line ends are ASCII, and UTF-8 decoding
// starts afresh at every ASCII byte, so searching and cutting the bytes gives exactly what doing
// the same on the decoded text would.
template <typename Unit>
struct Markers;
template <>
struct Markers<char> {
  static constexpr std::string_view kName = "NAME=";
  static constexpr std::string_view kUrl = "URL=";
  static constexpr std::string_view kRecordStart = "\n#";
};
template <>
struct Markers<char16_t> {
  static constexpr std::u16string_view kName = u"NAME=";
  static constexpr std::u16string_view kUrl = u"URL=";
  static constexpr std::u16string_view kRecordStart = u"\n#";
};

// The markers are short and the text is long: candidates are the places where both the first
// and the last byte of the marker match, sixteen places at a time, and only those are compared.
std::size_t Find(std::string_view text, std::string_view what, std::size_t from) {
  const std::size_t n = what.size();
  if (text.size() < n || from > text.size() - n) return npos;
  const char* const base = text.data();
  const std::size_t last = text.size() - n;  // the last place a marker can start
  std::size_t i = from;
#if defined(__SSE2__)
  const __m128i first = _mm_set1_epi8(what.front());
  const __m128i final = _mm_set1_epi8(what.back());
  for (; i + 16 <= last + 1; i += 16) {
    const __m128i starts = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + i));
    const __m128i ends = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + i + n - 1));
    auto mask = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_and_si128(_mm_cmpeq_epi8(starts, first), _mm_cmpeq_epi8(ends, final))));
    for (; mask != 0; mask &= mask - 1) {
      const std::size_t at = i + static_cast<unsigned>(__builtin_ctz(mask));
      if (std::memcmp(base + at + 1, what.data() + 1, n - 2) == 0) return at;
    }
  }
#endif
  for (; i <= last; ++i) {
    if (base[i] == what.front() && std::memcmp(base + i, what.data(), n) == 0) return i;
  }
  return npos;
}

std::size_t Find(std::u16string_view text, std::u16string_view what, std::size_t from) {
  return text.find(what, from);
}

std::size_t FindUnit(std::string_view text, char what, std::size_t from) {
  const void* hit = std::memchr(text.data() + from, what, text.size() - from);
  return hit == nullptr ? npos
                        : static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
}

std::size_t FindUnit(std::u16string_view text, char16_t what, std::size_t from) {
  return text.find(what, from);
}

// The export is made either as UTF-16 text or, for a file written in UTF-8 anyway, straight as
// the UTF-8 bytes of that same text.
template <typename Out>
struct Literals;
template <>
struct Literals<std::u16string> {
  static constexpr std::u16string_view kLineEnd = u"\r\n";
  static constexpr std::u16string_view kLinkLabel = u"Линк: ";
  static constexpr std::u16string_view kBlockEnd =
      u"----------------------------------------------------\r\n";
};
template <>
struct Literals<std::string> {
  static constexpr std::string_view kLineEnd = "\r\n";
  static constexpr std::string_view kLinkLabel = "\xD0\x9B\xD0\xB8\xD0\xBD\xD0\xBA: ";
  static constexpr std::string_view kBlockEnd =
      "----------------------------------------------------\r\n";
};
static_assert(Literals<std::string>::kBlockEnd.size() == 52 + 2);
static_assert(Literals<std::u16string>::kBlockEnd.size() == 52 + 2);

void AppendDecoded(std::string_view bytes, std::u16string& out) { AppendUtf8AsUtf16(bytes, out); }
void AppendDecoded(std::u16string_view text, std::u16string& out) { out.append(text); }
void AppendDecoded(std::string_view bytes, std::string& out) { AppendValidUtf8(bytes, out); }

// The one character before "URL=" is not part of the note: a whole character, so both halves
// of a surrogate pair, or all bytes of a UTF-8 sequence, go together.
void DropLastCharacter(std::u16string& text, std::size_t from) {
  if (text.size() == from) return;
  const bool pair = text.size() - from >= 2 && IsLowSurrogate(text.back()) &&
                    IsHighSurrogate(text[text.size() - 2]);
  text.resize(text.size() - (pair ? 2 : 1));
}

void DropLastCharacter(std::string& utf8, std::size_t from) {
  std::size_t size = utf8.size();
  if (size == from) return;
  do {
    --size;
  } while (size > from && (utf8[size] & 0xC0) == 0x80);
  utf8.resize(size);
}

const char* FindLineBreakMark(const char* text, std::size_t size) {
  return static_cast<const char*>(std::memchr(text, '\x02', size));
}

const char16_t* FindLineBreakMark(const char16_t* text, std::size_t size) {
  std::size_t i = 0;
#if defined(__SSE2__)
  for (const __m128i mark = _mm_set1_epi16(2); i + 8 <= size; i += 8) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
    const auto hits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(units, mark)));
    if (hits != 0) return text + i + static_cast<unsigned>(__builtin_ctz(hits)) / 2;
  }
#endif
  for (; i < size; ++i) {
    if (text[i] == u'\x02') return text + i;
  }
  return nullptr;
}

// Turns each pair U+0002 U+0002 from `from` on into CR LF, scanning from the left.
template <typename Out>
void ReplaceLineBreakPairs(Out& text, std::size_t from) {
  auto* const data = text.data();
  const std::size_t size = text.size();
  for (std::size_t i = from; i + 1 < size;) {
    const auto* hit = FindLineBreakMark(data + i, size - i);
    if (hit == nullptr) break;
    i = static_cast<std::size_t>(hit - data);
    if (i + 1 < size && data[i + 1] == '\x02') {
      data[i] = '\r';
      data[i + 1] = '\n';
      i += 2;
    } else {
      ++i;
    }
  }
}

// Takes the notes of one record (a piece of the text that begins at a line starting with "#",
// or at the start) and appends their blocks.
template <typename Unit, typename Out>
class RecordExtractor {
 public:
  using View = std::basic_string_view<Unit>;
  using Text = Literals<Out>;

  explicit RecordExtractor(Out& out) : out_(out) {}

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
      const std::size_t blockStart = out_.size();
      std::size_t next;
      if (url != npos) {
        AppendSlice(text, url);
        DropLastCharacter(out_, blockStart);
        BreakLines(text, url, blockStart);
        next = url + Markers<Unit>::kUrl.size();
        Address(next);
      } else {
        // A name without an address is the rest of its line.
        const std::size_t lf = FindUnit(record_, Unit('\n'), text);
        next = lf == npos ? record_.size() : lf + 1;
        AppendSlice(text, next);
        BreakLines(text, next, blockStart);
        out_ += Text::kLineEnd;
        out_ += Text::kLinkLabel;
        out_ += Text::kBlockEnd;
      }
      // The search for the next name starts at the address: a name inside it begins a note.
      name = Find(record_, Markers<Unit>::kName, next);
    }
  }

 private:
  // Appends the record from `start` to `end` with every LF that does not follow a CR read as
  // CR LF. A slice always starts just after a marker's "=", so what precedes it is never a CR.
  void AppendSlice(std::size_t start, std::size_t end) {
    for (std::size_t lf; (lf = FindUnit(record_.substr(0, end), Unit('\n'), start)) != npos;
         start = lf + 1) {
      AppendDecoded(record_.substr(start, lf - start), out_);
      out_ += record_[lf - 1] == Unit('\r') ? Text::kLineEnd.substr(1) : Text::kLineEnd;
    }
    AppendDecoded(record_.substr(start, end - start), out_);
  }

  // The address runs to the CR of its line's end, which it keeps. One that ends the text
  // without a line end is kept as if the line ended there.
  void Address(std::size_t start) {
    out_ += Text::kLineEnd;
    out_ += Text::kLinkLabel;
    const std::size_t lf = FindUnit(record_, Unit('\n'), start);
    const std::size_t end = lf == npos ? record_.size() : lf;
    const std::size_t addressStart = out_.size();
    AppendDecoded(record_.substr(start, end - start), out_);
    if (lf == npos || record_[lf - 1] != Unit('\r')) out_ += Text::kLineEnd.substr(0, 1);
    BreakLines(start, end, addressStart);
    out_ += Text::kBlockEnd;
  }

  void BreakLines(std::size_t sourceStart, std::size_t sourceEnd, std::size_t from) {
    if (FindUnit(record_.substr(0, sourceEnd), Unit('\x02'), sourceStart) != npos) {
      ReplaceLineBreakPairs(out_, from);
    }
  }

  Out& out_;
  View record_;
};

// Extracts record by record; a record begins at every line that begins with "#". With a sink,
// the text made so far is handed on between records whenever it has grown large.
template <typename Unit, typename Out, typename Sink = void (*)(const Out&)>
void ExtractRecords(std::basic_string_view<Unit> text, Out& out, const Sink* sink = nullptr) {
  RecordExtractor<Unit, Out> extractor(out);
  for (std::size_t start = 0, end; start < text.size(); start = end) {
    const std::size_t hit = Find(text, Markers<Unit>::kRecordStart, start);
    end = hit == npos ? text.size() : hit + 1;
    extractor.Extract(text.substr(start, end - start));
    if (sink != nullptr && out.size() >= kPieceSize) {
      (*sink)(out);
      out.clear();
    }
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

template <typename Out, typename Sink>
void Stream(std::string_view notesBytes, Out piece, const Sink& sink) {
  piece.reserve(2 * kPieceSize);
  ExtractRecords(WithoutByteOrderMark(notesBytes), piece, &sink);
  if (!piece.empty()) sink(piece);
}

}  // namespace

std::optional<std::u16string> ExportNotesText(std::string_view notesBytes,
                                              std::u16string_view inputPath,
                                              std::u16string_view dateText,
                                              std::u16string_view timeText) {
  if (notesBytes.empty()) return std::nullopt;
  std::u16string text = HeaderLines(inputPath, dateText, timeText);
  // Most of the file goes into the export, one unit for each byte or fewer.
  text.reserve(text.size() + notesBytes.size() + notesBytes.size() / 8);
  AdviseLargePages(text.data(), text.capacity() * sizeof(char16_t));
  ExtractRecords(WithoutByteOrderMark(notesBytes), text);
  return text;
}

bool StreamNotesExport(std::string_view notesBytes, std::u16string_view inputPath,
                       std::u16string_view dateText, std::u16string_view timeText,
                       const ExportSink& sink) {
  if (notesBytes.empty()) return false;
  Stream(notesBytes, HeaderLines(inputPath, dateText, timeText), sink);
  return true;
}

bool StreamNotesExportUtf8(std::string_view notesBytes, std::u16string_view inputPath,
                           std::u16string_view dateText, std::u16string_view timeText,
                           const Utf8Sink& sink) {
  if (notesBytes.empty()) return false;
  Stream(notesBytes, Utf16ToUtf8(HeaderLines(inputPath, dateText, timeText)), sink);
  return true;
}

bool HoldsNotes(std::string_view notesBytes) {
  return Find(notesBytes, Markers<char>::kName, 0) != npos ||
         Find(notesBytes, Markers<char>::kUrl, 0) != npos;
}

std::u16string ExtractNotes(std::u16string_view workText) {
  std::u16string notes;
  ExtractRecords(workText, notes);
  return notes;
}

}  // namespace brackwater
