#include "platform/system/text_codec.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace brackwater {
namespace {

constexpr char16_t kBad = 0xFFFD;

// Each maximal ill-formed subsequence becomes one U+FFFD.
TEST(Utf8ToUtf16, DecodesEveryLengthOfSequenceAndReplacesWhatIsIllFormed) {
  const struct {
    const char* what;
    std::string bytes;
    std::u16string text;
  } cases[] = {
      {"one to four bytes", "a\xD0\x96\xE4\xB8\xAD\xF0\x9F\x98\x80z", u"aЖ中😀z"},
      {"nothing", "", u""},
      {"a zero byte", std::string("\0x", 2), std::u16string(u"\0x", 2)},
      // The example that the Unicode standard gives for this practice.
      {"standard example",
       "\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64",
       {u'a', kBad, kBad, kBad, u'b', kBad, u'c', kBad, kBad, u'd'}},
      {"overlong two bytes", "\xC0\xAF", {kBad, kBad}},
      {"overlong three bytes", "\xE0\x80\xAF", {kBad, kBad, kBad}},
      {"surrogate", "\xED\xA0\x80", {kBad, kBad, kBad}},
      {"past U+10FFFF", "\xF4\x90\x80\x80", {kBad, kBad, kBad, kBad}},
      {"truncated at the end", "a\xE2\x82", {u'a', kBad}},
      {"truncated by ASCII", "\xF0\x9F\x98z", {kBad, u'z'}},
      {"lone continuation in ASCII run", "abcdefgh\x80ijklmnop", u"abcdefgh\xFFFDijklmnop"},
      {"bytes never used", "\xF5\xFF\xFE", {kBad, kBad, kBad}},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8ToUtf16(c.bytes), c.text) << c.what;
}

TEST(Utf8ToUtf16, DamageStaysWithinTheDamagedCharacter) {
  const std::u16string characters[] = {u"a", u"Ж", u"中", u"😀", u"b"};
  std::string bytes;
  std::vector<std::size_t> starts;
  for (const auto& c : characters) {
    starts.push_back(bytes.size());
    bytes += Utf16ToUtf8(c);
  }
  starts.push_back(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::string damaged = bytes;
    damaged[i] = '\xFF';
    std::size_t hit = 0;
    while (starts[hit + 1] <= i) ++hit;
    std::u16string before, after;
    for (std::size_t k = 0; k < hit; ++k) before += characters[k];
    for (std::size_t k = hit + 1; k < std::size(characters); ++k) after += characters[k];
    const std::u16string text = Utf8ToUtf16(damaged);
    EXPECT_TRUE(text.starts_with(before + kBad)) << "byte " << i;
    EXPECT_TRUE(text.ends_with(after)) << "byte " << i;
  }
}

TEST(Utf8ToUtf16, AsciiBlocksNextToOtherCharactersAtEveryOffset) {
  for (std::size_t offset = 0; offset < 20; ++offset) {
    const std::string ascii(offset, 'x');
    EXPECT_EQ(Utf8ToUtf16(ascii + "\xD0\x96" + ascii + "\xFF" + ascii),
              std::u16string(offset, u'x') + u"Ж" + std::u16string(offset, u'x') + kBad +
                  std::u16string(offset, u'x'));
  }
}

TEST(AppendValidUtf8, KeepsWellFormedBytesAndReplacesTheRestAsDecodingWould) {
  const std::string inputs[] = {
      "plain ascii text, longer than one block",
      "a\xD0\x96\xE4\xB8\xAD\xF0\x9F\x98\x80z",
      "\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64",
      "abcdefgh\xED\xA0\x80ijklmnop\xF0\x9F\x98",
  };
  for (const std::string& bytes : inputs) {
    std::string out = "kept:";
    AppendValidUtf8(bytes, out);
    EXPECT_EQ(out, "kept:" + Utf16ToUtf8(Utf8ToUtf16(bytes)));
  }
}

TEST(Utf16ToUtf8, EncodesPairsAndReplacesLoneSurrogates) {
  EXPECT_EQ(Utf16ToUtf8(u"aЖ中😀"), "a\xD0\x96\xE4\xB8\xAD\xF0\x9F\x98\x80");
  const char16_t lone[] = {u'a', 0xD83D, u'b', 0xDE00, 0xD83D};
  EXPECT_EQ(Utf16ToUtf8({lone, 5}),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD\xEF\xBF\xBD");
  for (std::size_t offset = 0; offset < 10; ++offset) {
    const std::u16string text = std::u16string(offset, u'x') + u"Ж" + std::u16string(offset, u'y');
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
  }
}

TEST(Utf8Escape, AnyBytesComeBackUnchanged) {
  for (unsigned a = 0; a < 256; ++a) {
    for (unsigned b = 0; b < 256; ++b) {
      const std::string bytes{static_cast<char>(a), static_cast<char>(b)};
      ASSERT_EQ(Utf16ToUtf8(Utf8ToUtf16(bytes, Utf8Errors::kEscape), Utf8Errors::kEscape), bytes);
    }
  }
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes(random() % 12, '\0');
    for (char& c : bytes) c = static_cast<char>(0x80 + random() % 0x80);
    ASSERT_EQ(Utf16ToUtf8(Utf8ToUtf16(bytes, Utf8Errors::kEscape), Utf8Errors::kEscape), bytes);
  }
  // Well-formed names read as plain text.
  EXPECT_EQ(Utf8ToUtf16("/tmp/Заметки/notes.adr", Utf8Errors::kEscape), u"/tmp/Заметки/notes.adr");
}

}  // namespace
}  // namespace brackwater
