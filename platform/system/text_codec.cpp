#include "platform/system/text_codec.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace brackwater {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// The well-formed sequences of UTF-8: their length by lead byte, and the range of the second
// byte, which is narrower than 80..BF where overlongs, surrogates or values past U+10FFFF would
// start.
struct Lead {
  int length;  // 0: no sequence starts with this byte
  unsigned char low;
  unsigned char high;
};

constexpr Lead LeadOf(unsigned char b) {
  if (b >= 0xC2 && b <= 0xDF) return {2, 0x80, 0xBF};
  if (b == 0xE0) return {3, 0xA0, 0xBF};
  if (b == 0xED) return {3, 0x80, 0x9F};
  if (b >= 0xE1 && b <= 0xEF) return {3, 0x80, 0xBF};
  if (b == 0xF0) return {4, 0x90, 0xBF};
  if (b >= 0xF1 && b <= 0xF3) return {4, 0x80, 0xBF};
  if (b == 0xF4) return {4, 0x80, 0x8F};
  return {0, 0, 0};
}

#if !defined(__SSE2__)
constexpr std::uint64_t kHighBits8 = 0x8080808080808080;
#endif
constexpr std::uint64_t kHighBits16 = 0xFF80FF80FF80FF80;

// The sequence that starts at `p` (p < end, *p >= 0x80): its code point and the bytes it takes,
// or, when it is ill-formed, the bytes of its maximal ill-formed subsequence.
struct Sequence {
  char32_t cp;
  int length;
  bool valid;
};

inline Sequence ReadSequence(const unsigned char* p, const unsigned char* end) {
  const Lead lead = LeadOf(*p);
  int seen = 1;
  char32_t cp = *p & (0x7F >> lead.length);
  if (lead.length != 0 && end - p > 1 && p[1] >= lead.low && p[1] <= lead.high) {
    cp = (cp << 6) | (p[1] & 0x3F);
    seen = 2;
    while (seen < lead.length && end - p > seen && (p[seen] & 0xC0) == 0x80) {
      cp = (cp << 6) | (p[seen] & 0x3F);
      ++seen;
    }
  }
  return {cp, seen, seen == lead.length};
}

#if defined(__SSE2__)
// How many of sixteen bytes from `q` on are ASCII and whole two-byte sequences (Latin,
// Cyrillic, Greek, ...), and whether all sixteen are ASCII. A lead whose continuation is not
// among them is left out.
struct SimpleBlock {
  int length;
  bool ascii;
};

[[gnu::always_inline]] inline SimpleBlock ClassifyBlock(const unsigned char* q) {
  const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
  const auto high = static_cast<unsigned>(_mm_movemask_epi8(block));
  if (high == 0) return {16, true};
  // As signed bytes: continuation bytes 80..BF are -128..-65, leads C2..DF are -62..-33.
  const auto continuation =
      static_cast<unsigned>(_mm_movemask_epi8(_mm_cmplt_epi8(block, _mm_set1_epi8(-64))));
  const auto lead = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(
      _mm_cmpgt_epi8(block, _mm_set1_epi8(-63)), _mm_cmplt_epi8(block, _mm_set1_epi8(-32)))));
  // Up to the first byte of a longer sequence (or an invalid one), and up to the first
  // continuation that does not follow a lead or lead that no continuation follows.
  const unsigned other = high & ~(continuation | lead);
  int length = other == 0 ? 16 : __builtin_ctz(other);
  const unsigned prefix = length == 16 ? 0xFFFF : (1u << length) - 1;
  const unsigned mismatch = (continuation ^ ((lead << 1) & 0xFFFF)) & prefix;
  if (mismatch != 0) length = __builtin_ctz(mismatch);
  if (length > 0 && ((lead >> (length - 1)) & 1) != 0) --length;
  return {length, false};
}

// Decodes the bytes of a block that ClassifyBlock found simple. The unit every byte would start
// is made for all sixteen at once; then those of the bytes that start a character are kept.
// Branching per character instead would mispredict at every change of script.
[[gnu::always_inline]] inline std::size_t DecodeSimpleBlock(const unsigned char* p, int length,
                                                            char16_t* o) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i following = _mm_srli_si128(bytes, 1);
  alignas(16) char16_t units[16];
  for (int half = 0; half < 2; ++half) {
    const __m128i b = half == 0 ? _mm_unpacklo_epi8(bytes, zero) : _mm_unpackhi_epi8(bytes, zero);
    const __m128i n =
        half == 0 ? _mm_unpacklo_epi8(following, zero) : _mm_unpackhi_epi8(following, zero);
    const __m128i combined = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(b, _mm_set1_epi16(0x1F)), 6),
                                          _mm_and_si128(n, _mm_set1_epi16(0x3F)));
    // Bytes from C0 on are leads here; a continuation's unit is never kept.
    const __m128i isLead = _mm_cmpgt_epi16(b, _mm_set1_epi16(0xBF));
    const __m128i unit = _mm_or_si128(_mm_and_si128(isLead, combined), _mm_andnot_si128(isLead, b));
    _mm_store_si128(reinterpret_cast<__m128i*>(units + 8 * half), unit);
  }
  const auto continuation =
      static_cast<unsigned>(_mm_movemask_epi8(_mm_cmplt_epi8(bytes, _mm_set1_epi8(-64))));
  std::size_t k = 0;
  for (unsigned starts = ~continuation & ((1u << length) - 1); starts != 0; starts &= starts - 1) {
    o[k++] = units[__builtin_ctz(starts)];
  }
  return k;
}
#else
// How many bytes from `p` on are ASCII, counted in steps of 8, so possibly fewer.
std::size_t AsciiRun(const unsigned char* p, const unsigned char* end) {
  const unsigned char* q = p;
  for (std::uint64_t block; end - q >= 8; q += 8) {
    std::memcpy(&block, q, 8);
    if ((block & kHighBits8) != 0) break;
  }
  return static_cast<std::size_t>(q - p);
}
#endif

// How many bytes from `p` on are well-formed ASCII and two-byte sequences, checked a block at a
// time, so possibly fewer.
std::size_t SimpleRun(const unsigned char* p, const unsigned char* end) {
#if defined(__SSE2__)
  const unsigned char* q = p;
  for (SimpleBlock block; end - q >= 16 && (block = ClassifyBlock(q)).length != 0;) {
    q += block.length;
  }
  return static_cast<std::size_t>(q - p);
#else
  return AsciiRun(p, end);
#endif
}

bool TwoByteSequence(const unsigned char* p, const unsigned char* end) {
  return p[0] >= 0xC2 && p[0] <= 0xDF && end - p > 1 && (p[1] & 0xC0) == 0x80;
}

// The common three-byte sequences (most of the rest of the BMP), leaving the narrower ranges
// after E0 and ED to ReadSequence.
bool ThreeByteSequence(const unsigned char* p, const unsigned char* end) {
  return p[0] >= 0xE1 && p[0] <= 0xEF && p[0] != 0xED && end - p > 2 && (p[1] & 0xC0) == 0x80 &&
         (p[2] & 0xC0) == 0x80;
}

}  // namespace

void AppendUtf8AsUtf16(std::string_view bytes, std::u16string& out, Utf8Errors errors) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* const end = p + bytes.size();
  const std::size_t base = out.size();
  // Every unit written consumes at least one byte, so this is enough in every case.
  out.resize(base + bytes.size());
  char16_t* o = out.data() + base;

  while (p < end) {
#if defined(__SSE2__)
    if (end - p >= 16) {
      const SimpleBlock block = ClassifyBlock(p);
      if (block.ascii) {
        const __m128i bytes16 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i zero = _mm_setzero_si128();
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_unpacklo_epi8(bytes16, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 8), _mm_unpackhi_epi8(bytes16, zero));
        p += 16;
        o += 16;
        continue;
      }
      if (block.length != 0) {
        o += DecodeSimpleBlock(p, block.length, o);
        p += block.length;
        continue;
      }
    }
#else
    const std::size_t ascii = AsciiRun(p, end);
    for (std::size_t i = 0; i < ascii; ++i) o[i] = p[i];
    p += ascii;
    o += ascii;
    if (p == end) break;
#endif
    const unsigned char b = *p;
    if (b < 0x80) {
      *o++ = b;
      ++p;
      continue;
    }
    // Two-byte sequences (Cyrillic, most of Europe) are by far the most common beyond ASCII.
    if (TwoByteSequence(p, end)) {
      *o++ = static_cast<char16_t>((b & 0x1F) << 6 | (p[1] & 0x3F));
      p += 2;
      continue;
    }
    if (ThreeByteSequence(p, end)) {
      *o++ = static_cast<char16_t>((b & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F));
      p += 3;
      continue;
    }
    const Sequence sequence = ReadSequence(p, end);
    if (sequence.valid) {
      char32_t cp = sequence.cp;
      if (cp < 0x10000) {
        *o++ = static_cast<char16_t>(cp);
      } else {
        cp -= 0x10000;
        *o++ = static_cast<char16_t>(0xD800 + (cp >> 10));
        *o++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
      }
    } else if (errors == Utf8Errors::kReplace) {
      *o++ = kReplacement;
    } else {
      for (int i = 0; i < sequence.length; ++i) *o++ = static_cast<char16_t>(0xDC00 + p[i]);
    }
    p += sequence.length;
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
}

void AppendValidUtf8(std::string_view bytes, std::string& out) {
  const auto* const begin = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* const end = begin + bytes.size();
  const auto* p = begin;
  const auto* run = begin;  // start of the well-formed bytes not yet copied
  while (p < end) {
    p += SimpleRun(p, end);
    if (p == end) break;
    if (*p < 0x80) {
      ++p;
    } else if (TwoByteSequence(p, end)) {
      p += 2;
    } else if (ThreeByteSequence(p, end)) {
      p += 3;
    } else {
      const Sequence sequence = ReadSequence(p, end);
      if (!sequence.valid) {
        out.append(reinterpret_cast<const char*>(run), static_cast<std::size_t>(p - run));
        out.append("\xEF\xBF\xBD");
        run = p + sequence.length;
      }
      p += sequence.length;
    }
  }
  out.append(reinterpret_cast<const char*>(run), static_cast<std::size_t>(end - run));
}

std::u16string Utf8ToUtf16(std::string_view bytes, Utf8Errors errors) {
  std::u16string text;
  AppendUtf8AsUtf16(bytes, text, errors);
  return text;
}

void AppendUtf16AsUtf8(std::u16string_view text, std::string& out, Utf8Errors errors) {
  const char16_t* p = text.data();
  const char16_t* const end = p + text.size();
  const std::size_t base = out.size();
  // Three bytes per unit at most: a pair of units makes four.
  out.resize(base + 3 * text.size());
  char* o = out.data() + base;
  auto put = [&o](unsigned value) { *o++ = static_cast<char>(value); };

  while (p < end) {
    if (end - p >= 4) {
      std::uint64_t block;
      std::memcpy(&block, p, 8);
      if ((block & kHighBits16) == 0) {
        for (int i = 0; i < 4; ++i) o[i] = static_cast<char>(p[i]);
        p += 4;
        o += 4;
        continue;
      }
    }
    char32_t c = *p++;
    if (c < 0x80) {
      put(c);
      continue;
    }
    if (c < 0x800) {
      put(0xC0 | (c >> 6));
      put(0x80 | (c & 0x3F));
      continue;
    }
    if (IsHighSurrogate(static_cast<char16_t>(c)) && p < end && IsLowSurrogate(*p)) {
      c = 0x10000 + ((c - 0xD800) << 10) + (*p++ - 0xDC00);
      put(0xF0 | (c >> 18));
      put(0x80 | ((c >> 12) & 0x3F));
      put(0x80 | ((c >> 6) & 0x3F));
      put(0x80 | (c & 0x3F));
      continue;
    }
    if (IsHighSurrogate(static_cast<char16_t>(c)) || IsLowSurrogate(static_cast<char16_t>(c))) {
      if (errors == Utf8Errors::kEscape && c >= 0xDC80 && c <= 0xDCFF) {
        put(c - 0xDC00);
        continue;
      }
      c = kReplacement;
    }
    put(0xE0 | (c >> 12));
    put(0x80 | ((c >> 6) & 0x3F));
    put(0x80 | (c & 0x3F));
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
}

std::string Utf16ToUtf8(std::u16string_view text, Utf8Errors errors) {
  std::string bytes;
  AppendUtf16AsUtf8(text, bytes, errors);
  return bytes;
}

}  // namespace brackwater
