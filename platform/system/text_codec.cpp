#include "platform/system/text_codec.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// Blocks of 32 bytes where the processor has them, chosen when the program runs, so that one
// build serves every x86 processor.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define BRACKWATER_AVX2 1
#include <immintrin.h>
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

constexpr std::uint64_t kHighBits8 = 0x8080808080808080;
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

bool TwoByteSequence(const unsigned char* p, const unsigned char* end) {
  return p[0] >= 0xC2 && p[0] <= 0xDF && end - p > 1 && (p[1] & 0xC0) == 0x80;
}

// The common three-byte sequences (most of the rest of the BMP), leaving the narrower ranges
// after E0 and ED to ReadSequence.
bool ThreeByteSequence(const unsigned char* p, const unsigned char* end) {
  return p[0] >= 0xE1 && p[0] <= 0xEF && p[0] != 0xED && end - p > 2 && (p[1] & 0xC0) == 0x80 &&
         (p[2] & 0xC0) == 0x80;
}

// The bytes at which a run ends: up to three, repeated to fill the three places; none when the
// run goes to the end.
struct Stops {
  explicit Stops(std::string_view bytes)
      : any(!bytes.empty()),
        a(any ? static_cast<unsigned char>(bytes[0]) : 0),
        b(bytes.size() > 1 ? static_cast<unsigned char>(bytes[1]) : a),
        c(bytes.size() > 2 ? static_cast<unsigned char>(bytes[2]) : a) {}

  bool Is(unsigned char byte) const { return any && (byte == a || byte == b || byte == c); }

  // Whether any of the eight bytes of `block` is a stop.
  bool In(std::uint64_t block) const {
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    auto holdsZero = [](std::uint64_t x) { return ((x - kOnes) & ~x & (kOnes << 7)) != 0; };
    return any && (holdsZero(block ^ (a * kOnes)) || holdsZero(block ^ (b * kOnes)) ||
                   holdsZero(block ^ (c * kOnes)));
  }

  bool any;
  unsigned char a, b, c;
};

const unsigned char* FindStop(const unsigned char* p, const unsigned char* end,
                              const Stops& stops) {
  if (!stops.any) return end;
#if defined(__SSE2__)
  const __m128i a = _mm_set1_epi8(static_cast<char>(stops.a));
  const __m128i b = _mm_set1_epi8(static_cast<char>(stops.b));
  const __m128i c = _mm_set1_epi8(static_cast<char>(stops.c));
  for (; end - p >= 16; p += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const auto hits = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, a), _mm_cmpeq_epi8(block, b)),
                     _mm_cmpeq_epi8(block, c))));
    if (hits != 0) return p + __builtin_ctz(hits);
  }
#endif
  while (p < end && !stops.Is(*p)) ++p;
  return p;
}

// Copies the character that starts at `p` (a byte from 80 on) to `o`, or U+FFFD for its maximal
// ill-formed subsequence, and moves both on.
inline void CopyCharacter(const unsigned char*& p, const unsigned char* end, char*& o) {
  int length;
  if (TwoByteSequence(p, end)) {
    length = 2;
  } else if (ThreeByteSequence(p, end)) {
    length = 3;
  } else {
    const Sequence sequence = ReadSequence(p, end);
    if (!sequence.valid) {
      std::memcpy(o, "\xEF\xBF\xBD", 3);
      o += 3;
      p += sequence.length;
      return;
    }
    length = sequence.length;
  }
  std::memcpy(o, p, static_cast<std::size_t>(length));
  o += length;
  p += length;
}

// Character by character from `p` until `until` is passed or a stop is met; false at a stop.
bool CopyCharacters(const unsigned char*& p, const unsigned char* until, const unsigned char* end,
                    const Stops& stops, char*& o) {
  while (p < until) {
    if (*p >= 0x80) {
      CopyCharacter(p, end, o);
    } else if (stops.Is(*p)) {
      return false;
    } else {
      *o++ = static_cast<char>(*p++);
    }
  }
  return true;
}

// Copies [begin, end); [begin, readable) may be read.
using CopyFunction = ConvertedRun (*)(const unsigned char* begin, const unsigned char* end,
                                      const unsigned char* readable, const Stops& stops, char* out);

ConvertedRun CopyPortable(const unsigned char* const begin, const unsigned char* const end,
                          const unsigned char*, const Stops& stops, char* const out) {
  const unsigned char* p = begin;
  char* o = out;
  while (p < end) {
    // ASCII without a stop, eight bytes at a time.
    for (std::uint64_t block; end - p >= 8; p += 8, o += 8) {
      std::memcpy(&block, p, 8);
      if ((block & kHighBits8) != 0 || stops.In(block)) break;
      std::memcpy(o, p, 8);
    }
    if (!CopyCharacters(p, std::min(p + 8, end), end, stops, o)) break;
  }
  return {static_cast<std::size_t>(p - begin), static_cast<std::size_t>(o - out)};
}

#if defined(BRACKWATER_AVX2)
// The ill-formed places of a block of UTF-8, given the block before it, without a branch: the
// lookup method of Keiser and Lemire ("Validating UTF-8 in less than one instruction per byte",
// 2021). Each byte is classed by its high nibble, the high and the low nibble of the byte before
// it; every class is a bit, and a pair of bytes is wrong where the three agree on one. A byte
// that must continue a sequence of three or four bytes is checked apart. A byte is non-zero in
// the result where the sequence that it ends, or belongs to, is ill-formed.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256i IllFormed(__m256i input,
                                                                     __m256i previous) {
  constexpr char kTooShort = 1 << 0;                     // a lead, then no continuation
  constexpr char kTooLong = 1 << 1;                      // ASCII, then a continuation
  constexpr char kOverlong3 = 1 << 2;                    // E0 80..9F
  constexpr char kTooLarge = 1 << 3;                     // F4 90.. and up
  constexpr char kSurrogate = 1 << 4;                    // ED A0..BF
  constexpr char kOverlong2 = 1 << 5;                    // C0 or C1, then a continuation
  constexpr char kTooLarge1000 = 1 << 6;                 // F5.. 80..8F
  constexpr char kOverlong4 = 1 << 6;                    // F0 80..8F
  constexpr char kTwoConts = static_cast<char>(1 << 7);  // a continuation, then another
  constexpr char kCarry = kTooShort | kTooLong | kTwoConts;
  const __m256i byte1High = _mm256_setr_epi8(
      kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTwoConts,
      kTwoConts, kTwoConts, kTwoConts, kTooShort | kOverlong2, kTooShort,
      kTooShort | kOverlong3 | kSurrogate, kTooShort | kTooLarge | kTooLarge1000 | kOverlong4,
      kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTwoConts,
      kTwoConts, kTwoConts, kTwoConts, kTooShort | kOverlong2, kTooShort,
      kTooShort | kOverlong3 | kSurrogate, kTooShort | kTooLarge | kTooLarge1000 | kOverlong4);
  constexpr char kLarge = kCarry | kTooLarge | kTooLarge1000;
  const __m256i byte1Low = _mm256_setr_epi8(
      kCarry | kOverlong3 | kOverlong2 | kOverlong4, kCarry | kOverlong2, kCarry, kCarry,
      kCarry | kTooLarge, kLarge, kLarge, kLarge, kLarge, kLarge, kLarge, kLarge, kLarge,
      kLarge | kSurrogate, kLarge, kLarge, kCarry | kOverlong3 | kOverlong2 | kOverlong4,
      kCarry | kOverlong2, kCarry, kCarry, kCarry | kTooLarge, kLarge, kLarge, kLarge, kLarge,
      kLarge, kLarge, kLarge, kLarge, kLarge | kSurrogate, kLarge, kLarge);
  constexpr char kCont8 =
      kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge1000 | kOverlong4;
  constexpr char kCont9 = kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge;
  constexpr char kContAB = kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge;
  const __m256i byte2High = _mm256_setr_epi8(
      kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort,
      kCont8, kCont9, kContAB, kContAB, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort,
      kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kCont8, kCont9,
      kContAB, kContAB, kTooShort, kTooShort, kTooShort, kTooShort);

  // The bytes one, two and three places back, across the two halves and the block before.
  const __m256i across = _mm256_permute2x128_si256(previous, input, 0x21);
  const __m256i prev1 = _mm256_alignr_epi8(input, across, 15);
  const __m256i prev2 = _mm256_alignr_epi8(input, across, 14);
  const __m256i prev3 = _mm256_alignr_epi8(input, across, 13);
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i special = _mm256_and_si256(
      _mm256_and_si256(
          _mm256_shuffle_epi8(byte1High, _mm256_and_si256(_mm256_srli_epi16(prev1, 4), nibble)),
          _mm256_shuffle_epi8(byte1Low, _mm256_and_si256(prev1, nibble))),
      _mm256_shuffle_epi8(byte2High, _mm256_and_si256(_mm256_srli_epi16(input, 4), nibble)));
  // Two places after E0..FF and three after F0..FF, a continuation must stand: there the pair
  // check's "two continuations" is expected, and anything else is wrong.
  const __m256i third = _mm256_subs_epu8(prev2, _mm256_set1_epi8(static_cast<char>(0xE0 - 0x80)));
  const __m256i fourth = _mm256_subs_epu8(prev3, _mm256_set1_epi8(static_cast<char>(0xF0 - 0x80)));
  const __m256i must =
      _mm256_and_si256(_mm256_or_si256(third, fourth), _mm256_set1_epi8(static_cast<char>(0x80)));
  return _mm256_xor_si256(must, special);
}

// Read from 32 - n on, the first n bytes kept and the rest cleared.
constexpr unsigned char kFirstBytes[64] = {
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

[[gnu::target("avx2")]] ConvertedRun CopyAvx2(const unsigned char* const begin,
                                              const unsigned char* const end,
                                              const unsigned char* const readable,
                                              const Stops& stops, char* const out) {
  const __m256i stopA = _mm256_set1_epi8(static_cast<char>(stops.a));
  const __m256i stopB = _mm256_set1_epi8(static_cast<char>(stops.b));
  const __m256i stopC = _mm256_set1_epi8(static_cast<char>(stops.c));
  const unsigned stopsWanted = stops.any ? ~0u : 0u;
  const unsigned char* p = begin;
  char* o = out;
  // From here on the output is the input byte for byte, so both can step back together.
  const unsigned char* verbatim = begin;
  __m256i previous = _mm256_setzero_si256();
  alignas(32) unsigned char last[32];
  for (;;) {
    // The last block is padded with ASCII: a sequence cut short by the end shows as one cut
    // short by the padding.
    const auto left = static_cast<std::size_t>(end - p);
    const bool whole = left >= 32;
    __m256i block;
    if (whole) {
      block = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    } else if (readable - p >= 32) {
      block = _mm256_and_si256(
          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)),
          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kFirstBytes + 32 - left)));
    } else {
      std::memset(last, 0, sizeof last);
      std::memcpy(last, p, left);
      block = _mm256_load_si256(reinterpret_cast<const __m256i*>(last));
    }
    const unsigned inside = whole ? ~0u : (1u << left) - 1;
    const unsigned stopped =
        static_cast<unsigned>(_mm256_movemask_epi8(_mm256_or_si256(
            _mm256_or_si256(_mm256_cmpeq_epi8(block, stopA), _mm256_cmpeq_epi8(block, stopB)),
            _mm256_cmpeq_epi8(block, stopC)))) &
        inside & stopsWanted;
    const unsigned wrong = ~static_cast<unsigned>(_mm256_movemask_epi8(
        _mm256_cmpeq_epi8(IllFormed(block, previous), _mm256_setzero_si256())));
    // The bytes that count: up to the stop or the end, and the place of either, where a
    // sequence that they cut short shows.
    const unsigned length = stopped != 0 ? static_cast<unsigned>(__builtin_ctz(stopped))
                            : whole      ? 32u
                                         : static_cast<unsigned>(left);
    const unsigned counted = length >= 31 ? ~0u : (2u << length) - 1;
    if ((wrong & counted) == 0) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(o), block);
      p += length;
      o += length;
      if (length < 32) break;
      previous = block;
      continue;
    }
    // Something here is ill-formed: from the start of the character that the block begins in,
    // character by character to past the block, then blocks again.
    const unsigned char* const blockEnd = whole ? p + 32 : end;
    const unsigned char* from = p;
    for (const unsigned char* q = p; q > verbatim && q > p - 3;) {
      if ((*--q & 0xC0) != 0x80) {
        from = q;
        break;
      }
    }
    o -= p - from;
    p = from;
    if (!CopyCharacters(p, blockEnd, end, stops, o) || p == end) break;
    verbatim = p;
    previous = _mm256_setzero_si256();
  }
  return {static_cast<std::size_t>(p - begin), static_cast<std::size_t>(o - out)};
}
#endif

CopyFunction ChooseCopy() {
#if defined(BRACKWATER_AVX2)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return CopyAvx2;
#endif
  return CopyPortable;
}

// Decodes [p, end) at `o`, which has room for one unit for each byte; returns the end of what it
// wrote.
char16_t* DecodeRun(const unsigned char* p, const unsigned char* const end, char16_t* o,
                    Utf8Errors errors) {
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
  return o;
}

}  // namespace

void AppendUtf8AsUtf16(std::string_view bytes, std::u16string& out, Utf8Errors errors) {
  const std::size_t base = out.size();
  // Every unit written consumes at least one byte, so this is enough in every case.
  out.resize(base + bytes.size());
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const char16_t* const o = DecodeRun(p, p + bytes.size(), out.data() + base, errors);
  out.resize(static_cast<std::size_t>(o - out.data()));
}

void AppendValidUtf8(std::string_view bytes, std::string& out) {
  const std::size_t base = out.size();
  out.resize(base + CopyUtf8Room(bytes.size()));
  const ConvertedRun run = CopyUtf8Until(bytes, {}, out.data() + base);
  out.resize(base + run.written);
}

std::size_t Utf8CharacterLength(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  return *p < 0x80 ? 1 : static_cast<std::size_t>(ReadSequence(p, p + bytes.size()).length);
}

ConvertedRun CopyUtf8Until(std::string_view bytes, std::string_view stops, char* out,
                           std::size_t spare) {
  // Chosen once: the processor does not change while the program runs.
  static const CopyFunction copy = ChooseCopy();
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  return copy(p, p + bytes.size(), p + bytes.size() + spare, Stops(stops), out);
}

ConvertedRun DecodeUtf8Until(std::string_view bytes, std::string_view stops, char16_t* out) {
  const auto* const begin = reinterpret_cast<const unsigned char*>(bytes.data());
  const unsigned char* const end = FindStop(begin, begin + bytes.size(), Stops(stops));
  const char16_t* const o = DecodeRun(begin, end, out, Utf8Errors::kReplace);
  return {static_cast<std::size_t>(end - begin), static_cast<std::size_t>(o - out)};
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
