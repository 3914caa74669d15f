#include "notes_export/notes_conversion.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// 32-byte blocks where the processor has them, chosen when the program runs.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define BRACKWATER_AVX2 1
#include <immintrin.h>
#endif

#include "platform/system/memory.h"
#include "platform/system/text_codec.h"

namespace brackwater {
namespace {

constexpr std::size_t npos = std::u16string_view::npos;

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
};
template <>
struct Markers<char16_t> {
  static constexpr std::u16string_view kName = u"NAME=";
  static constexpr std::u16string_view kUrl = u"URL=";
};

// What the copy of a note's text or address treats apart: the line ends, and U+0002, whose pairs
// are line breaks.
constexpr std::string_view kSpecial = "\r\n\x02";

#if defined(BRACKWATER_AVX2)
// Whether the processor has 32-byte blocks; asked once.
const bool hasAvx2 = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0;
}();

// Find's search, 32 places at a time, from `i` on while a whole block fits before `last`: where
// the marker is, or npos with `i` where the search stopped.
[[gnu::target("avx2")]] std::size_t FindBlocks(const char* base, std::size_t& i, std::size_t last,
                                               std::string_view what) {
  const std::size_t n = what.size();
  const __m256i first = _mm256_set1_epi8(what.front());
  const __m256i final = _mm256_set1_epi8(what.back());
  for (; i + 32 <= last + 1; i += 32) {
    const __m256i starts = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(base + i));
    const __m256i ends = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(base + i + n - 1));
    auto mask = static_cast<unsigned>(_mm256_movemask_epi8(
        _mm256_and_si256(_mm256_cmpeq_epi8(starts, first), _mm256_cmpeq_epi8(ends, final))));
    for (; mask != 0; mask &= mask - 1) {
      const std::size_t at = i + static_cast<unsigned>(__builtin_ctz(mask));
      if (std::memcmp(base + at + 1, what.data() + 1, n - 2) == 0) return at;
    }
  }
  return npos;
}
#endif

// The markers are short and the text is long: candidates are the places where both the first
// and the last byte of the marker match, a block of places at a time, and only those are
// compared.
std::size_t Find(std::string_view text, std::string_view what, std::size_t from) {
  const std::size_t n = what.size();
  if (text.size() < n || from > text.size() - n) return npos;
  const char* const base = text.data();
  const std::size_t last = text.size() - n;  // the last place a marker can start
  std::size_t i = from;
#if defined(BRACKWATER_AVX2)
  if (hasAvx2) {
    if (const std::size_t at = FindBlocks(base, i, last, what); at != npos) return at;
  }
#endif
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

bool IsLineEnd(char16_t unit) { return unit == u'\r' || unit == u'\n'; }

// The first CR or LF from `from` on.
std::size_t FindLineEnd(std::string_view text, std::size_t from) {
  std::size_t i = from;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  for (; i + 16 <= text.size(); i += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    const auto hits = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, cr), _mm_cmpeq_epi8(block, lf))));
    if (hits != 0) return i + static_cast<unsigned>(__builtin_ctz(hits));
  }
#endif
  for (; i < text.size(); ++i) {
    if (IsLineEnd(static_cast<unsigned char>(text[i]))) return i;
  }
  return npos;
}

std::size_t FindLineEnd(std::u16string_view text, std::size_t from) {
  for (std::size_t i = from; i < text.size(); ++i) {
    if (IsLineEnd(text[i])) return i;
  }
  return npos;
}

// Where the next record begins after the one at `from`: at a "#" that begins a line. A "#" is
// rare in notes, so the search for it alone is the fast one.
std::size_t FindRecordStart(std::string_view text, std::size_t from) {
  for (std::size_t i = from + 1; i < text.size(); ++i) {
    const void* hit = std::memchr(text.data() + i, '#', text.size() - i);
    if (hit == nullptr) break;
    i = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
    if (IsLineEnd(static_cast<unsigned char>(text[i - 1]))) return i;
  }
  return npos;
}

std::size_t FindRecordStart(std::u16string_view text, std::size_t from) {
  for (std::size_t i = from; i + 1 < text.size(); ++i) {
    if (text[i + 1] == u'#' && IsLineEnd(text[i])) return i + 1;
  }
  return npos;
}

// Where the character before `end` begins: the one character before "URL=" is not part of the
// note, so both halves of a surrogate pair, or all bytes of a UTF-8 sequence, go together.
std::size_t LastCharacter(std::u16string_view text, std::size_t start, std::size_t end) {
  const bool pair =
      end - start >= 2 && IsLowSurrogate(text[end - 1]) && IsHighSurrogate(text[end - 2]);
  return end - (pair ? 2 : 1);
}

std::size_t LastCharacter(std::string_view text, std::size_t start, std::size_t end) {
  // Only a byte from 80 to BF continues a sequence, and none continues one more than three
  // bytes on: the last other byte within reach begins the last character, unless what it
  // begins ends before the end, which leaves the last byte on its own.
  auto continues = [&text](std::size_t i) { return (text[i] & 0xC0) == 0x80; };
  std::size_t lead = end - 1;
  while (lead > start && lead + 3 >= end && continues(lead)) --lead;
  if (continues(lead)) return end - 1;
  return lead + Utf8CharacterLength(text.substr(lead, end - lead)) == end ? lead : end - 1;
}

// The first place at or after `at` where a piece of text may end: never inside a character.
const char* CharacterBoundary(const char* at, const char* end) {
  // No sequence has more than three continuation bytes: a fourth continues nothing, and a
  // character may end before it.
  for (int i = 0; i < 3 && at < end && (*at & 0xC0) == 0x80; ++i) ++at;
  return at;
}

const char16_t* CharacterBoundary(const char16_t* at, const char16_t* end) {
  return at < end && IsLowSurrogate(*at) && IsHighSurrogate(at[-1]) ? at + 1 : at;
}

// Copies text up to the first of `stops`, decoding what needs it, as CopyUtf8Until does; the
// text goes on to `textEnd`.
ConvertedRun CopyUntil(const char* from, const char* to, const char* textEnd,
                       std::string_view stops, char* out) {
  return CopyUtf8Until({from, static_cast<std::size_t>(to - from)}, stops, out,
                       static_cast<std::size_t>(textEnd - to));
}

ConvertedRun CopyUntil(const char* from, const char* to, const char*, std::string_view stops,
                       char16_t* out) {
  return DecodeUtf8Until({from, static_cast<std::size_t>(to - from)}, stops, out);
}

ConvertedRun CopyUntil(const char16_t* from, const char16_t* to, const char16_t*,
                       std::string_view stops, char16_t* out) {
  const char16_t* p = from;
  while (p < to && (*p >= 0x80 || stops.find(static_cast<char>(*p)) == npos)) ++p;
  std::copy(from, p, out);
  return {static_cast<std::size_t>(p - from), static_cast<std::size_t>(p - from)};
}

// The export's own texts, in the form the export is made in.
template <typename Char>
struct Literals;
template <>
struct Literals<char16_t> {
  static constexpr std::u16string_view kLineEnd = u"\r\n";
  static constexpr std::u16string_view kLinkLabel = u"Линк: ";
  static constexpr std::u16string_view kBlockEnd =
      u"----------------------------------------------------\r\n";
};
template <>
struct Literals<char> {
  static constexpr std::string_view kLineEnd = "\r\n";
  static constexpr std::string_view kLinkLabel = "\xD0\x9B\xD0\xB8\xD0\xBD\xD0\xBA: ";
  static constexpr std::string_view kBlockEnd =
      "----------------------------------------------------\r\n";
};
static_assert(Literals<char>::kBlockEnd.size() == 52 + 2);
static_assert(Literals<char16_t>::kBlockEnd.size() == 52 + 2);

// Makes the export text from notes text in `Unit`s (UTF-8 bytes or UTF-16) in `Char`s (the same,
// or UTF-16), and hands it on a piece at a time. Text is copied in steps whose output is
// bounded, so that a piece stays near its size however long one note is.
template <typename Unit, typename Char>
class ExportWriter {
 public:
  using View = std::basic_string_view<Char>;
  using Sink = std::function<void(View)>;

  // The text copied from ends at `textEnd`.
  ExportWriter(const Unit* textEnd, std::size_t pieceSize, const Sink& sink)
      : textEnd_(textEnd),
        pieceSize_(std::max<std::size_t>(pieceSize, 1)),
        buffer_(new Char[pieceSize_ + kSlack]),
        sink_(sink) {}

  // One of the export's own short texts.
  void Put(View text) {
    if (size_ >= pieceSize_) Flush();
    std::copy(text.begin(), text.end(), buffer_.get() + size_);
    size_ += text.size();
  }

  // Text of any length, such as the header with its path, cut between characters.
  void PutLong(View text) {
    while (!text.empty()) {
      const Char* const end = text.data() + text.size();
      const std::size_t size =
          CharacterBoundary(text.data() + std::min(text.size(), kLongestPut), end) - text.data();
      Put(text.substr(0, size));
      text.remove_prefix(size);
    }
  }

  // Copies [p, end) of the notes text: decoded, with every line end as CR LF, and every pair
  // U+0002 U+0002 as CR LF, pairs counted from the start. What comes before `p` and after `end`
  // plays no part: a CR at the end stands alone.
  void Copy(const Unit* p, const Unit* const end) {
    while (p < end) {
      if (size_ >= pieceSize_ || (pieceSize_ - size_ < kShortestStep && size_ > 0)) Flush();
      const std::size_t budget = std::max<std::size_t>((pieceSize_ - size_) / kGrowth, 1);
      const Unit* const limit =
          CharacterBoundary(p + std::min(budget, static_cast<std::size_t>(end - p)), end);
      Char* o = buffer_.get() + size_;
      Char* const o0 = o;
      while (p < limit) {
        const ConvertedRun run = CopyUntil(p, limit, textEnd_, kSpecial, o);
        p += run.read;
        o += run.written;
        if (p == limit) break;
        if (*p != Unit('\x02')) {
          // A CR LF is taken whole, so that an LF met here stands alone.
          *o++ = Char('\r');
          *o++ = Char('\n');
          p += *p == Unit('\r') && p + 1 < end && p[1] == Unit('\n') ? 2 : 1;
        } else if (p + 1 < end && p[1] == Unit('\x02')) {
          *o++ = Char('\r');
          *o++ = Char('\n');
          p += 2;
        } else {
          *o++ = Char('\x02');
          ++p;
        }
      }
      size_ += static_cast<std::size_t>(o - o0);
    }
  }

  void Flush() {
    if (size_ != 0) sink_(View(buffer_.get(), size_));
    size_ = 0;
  }

 private:
  // Output per unit of input at most: U+FFFD for a lone byte is three bytes, CR LF for a lone
  // line end two units.
  static constexpr std::size_t kGrowth = sizeof(Unit) == sizeof(Char) ? 3 : 2;
  // Below this much room a piece is handed on first, so that steps do not dwindle to nothing.
  static constexpr std::size_t kShortestStep = 64 * kGrowth;
  static constexpr std::size_t kLongestPut = 64;
  // Room past the piece size for the step that crosses it: a budget rounded up to a whole
  // character and a pair, a short text, or the block that a copy stores past what it keeps.
  static constexpr std::size_t kSlack = 256;

  const Unit* const textEnd_;
  const std::size_t pieceSize_;
  std::unique_ptr<Char[]> buffer_;
  std::size_t size_ = 0;
  const Sink& sink_;
};

// Takes the notes of one record (a piece of the text that begins at a line starting with "#",
// or at the start) and writes their blocks.
template <typename Unit, typename Char>
class RecordExtractor {
 public:
  using View = std::basic_string_view<Unit>;
  using Text = Literals<Char>;

  explicit RecordExtractor(ExportWriter<Unit, Char>& out) : out_(out) {}

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
        TextBefore(text, url);
        next = url + Markers<Unit>::kUrl.size();
        Address(next);
      } else {
        // A name without an address is the rest of its line, with its line end.
        const std::size_t lineEnd = FindLineEnd(record_, text);
        next = lineEnd == npos                                                      ? record_.size()
               : record_[lineEnd] == Unit('\n')                                     ? lineEnd + 1
               : lineEnd + 1 < record_.size() && record_[lineEnd + 1] == Unit('\n') ? lineEnd + 2
                                                                                    : lineEnd + 1;
        Copy(text, next);
        out_.Put(Text::kLineEnd);
        out_.Put(Text::kLinkLabel);
        out_.Put(Text::kBlockEnd);
      }
      // The search for the next name starts at the address: a name inside it begins a note.
      name = Find(record_, Markers<Unit>::kName, next);
    }
  }

 private:
  void Copy(std::size_t start, std::size_t end) {
    out_.Copy(record_.data() + start, record_.data() + end);
  }

  // The note's text from `start` to the "URL=" at `url`, without the character just before it.
  // When that is a line end, read as CR LF, only its LF goes.
  void TextBefore(std::size_t start, std::size_t url) {
    if (url == start) return;
    const Unit last = record_[url - 1];
    if (!IsLineEnd(static_cast<std::make_unsigned_t<Unit>>(last))) {
      Copy(start, LastCharacter(record_, start, url));
      return;
    }
    std::size_t end = url - 1;
    if (last == Unit('\n') && end > start && record_[end - 1] == Unit('\r')) --end;
    Copy(start, end);
    out_.Put(Text::kLineEnd.substr(0, 1));
  }

  // The address runs to the end of its line and keeps the CR of that line end, which an address
  // that ends the text, or a line, without one gets as well.
  void Address(std::size_t start) {
    out_.Put(Text::kLineEnd);
    out_.Put(Text::kLinkLabel);
    const std::size_t lineEnd = FindLineEnd(record_, start);
    Copy(start, lineEnd == npos ? record_.size() : lineEnd);
    out_.Put(Text::kLineEnd.substr(0, 1));
    out_.Put(Text::kBlockEnd);
  }

  ExportWriter<Unit, Char>& out_;
  View record_;
};

// Extracts record by record; a record begins at every line that begins with "#".
template <typename Unit, typename Char>
void ExtractRecords(std::basic_string_view<Unit> text, ExportWriter<Unit, Char>& out) {
  RecordExtractor<Unit, Char> extractor(out);
  for (std::size_t start = 0, end; start < text.size(); start = end) {
    const std::size_t hit = FindRecordStart(text, start);
    end = hit == npos ? text.size() : hit;
    extractor.Extract(text.substr(start, end - start));
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

template <typename Char>
void Stream(std::string_view notesBytes, std::basic_string_view<Char> header, std::size_t pieceSize,
            const std::function<void(std::basic_string_view<Char>)>& sink) {
  const std::string_view text = WithoutByteOrderMark(notesBytes);
  ExportWriter<char, Char> writer(text.data() + text.size(), pieceSize, sink);
  writer.PutLong(header);
  ExtractRecords(text, writer);
  writer.Flush();
}

}  // namespace

std::optional<std::u16string> ExportNotesText(std::string_view notesBytes,
                                              std::u16string_view inputPath,
                                              std::u16string_view dateText,
                                              std::u16string_view timeText) {
  if (notesBytes.empty()) return std::nullopt;
  const std::u16string header = HeaderLines(inputPath, dateText, timeText);
  std::u16string text;
  // Most of the file goes into the export, one unit for each byte or fewer.
  text.reserve(header.size() + notesBytes.size() + notesBytes.size() / 8);
  AdviseLargePages(text.data(), text.capacity() * sizeof(char16_t));
  Stream<char16_t>(notesBytes, header, kExportPieceSize,
                   [&text](std::u16string_view piece) { text += piece; });
  return text;
}

bool StreamNotesExport(std::string_view notesBytes, std::u16string_view inputPath,
                       std::u16string_view dateText, std::u16string_view timeText,
                       const ExportSink& sink, std::size_t pieceSize) {
  if (notesBytes.empty()) return false;
  Stream<char16_t>(notesBytes, HeaderLines(inputPath, dateText, timeText), pieceSize, sink);
  return true;
}

bool StreamNotesExportUtf8(std::string_view notesBytes, std::u16string_view inputPath,
                           std::u16string_view dateText, std::u16string_view timeText,
                           const Utf8Sink& sink, std::size_t pieceSize) {
  if (notesBytes.empty()) return false;
  Stream<char>(notesBytes, Utf16ToUtf8(HeaderLines(inputPath, dateText, timeText)), pieceSize,
               sink);
  return true;
}

bool HoldsNotes(std::string_view notesBytes) {
  return Find(notesBytes, Markers<char>::kName, 0) != npos ||
         Find(notesBytes, Markers<char>::kUrl, 0) != npos;
}

std::u16string ExtractNotes(std::u16string_view workText) {
  std::u16string notes;
  const std::function<void(std::u16string_view)> append = [&notes](std::u16string_view piece) {
    notes += piece;
  };
  ExportWriter<char16_t, char16_t> writer(workText.data() + workText.size(), kExportPieceSize,
                                          append);
  ExtractRecords(workText, writer);
  writer.Flush();
  return notes;
}

}  // namespace brackwater
