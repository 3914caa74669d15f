#include "platform/system/code_page.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace brackwater {
namespace {

#ifdef _WIN32
TEST(CodePage, IsTheActiveCodePage) {
  const UINT active = GetACP();
  EXPECT_EQ(SystemCodePage(), active == CP_UTF8 ? "UTF-8" : "CP" + std::to_string(active));
  std::string bytes;
  EXPECT_TRUE(CodePageEncoder(SystemCodePage()).Append(u"notes", bytes));
  EXPECT_EQ(bytes, "notes");
}
#else
TEST(CodePage, PlainCLocaleCountsAsUtf8) {
  const std::string saved = std::setlocale(LC_CTYPE, nullptr);
  std::setlocale(LC_CTYPE, "C");
  EXPECT_EQ(SystemCodePage(), "UTF-8");
  ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
  EXPECT_TRUE(IsUtf8CodePage(SystemCodePage()));
  std::setlocale(LC_CTYPE, saved.c_str());
}
#endif

TEST(CodePage, RecognisesTheSpellingsOfUtf8) {
  EXPECT_TRUE(IsUtf8CodePage("UTF-8"));
  EXPECT_TRUE(IsUtf8CodePage("utf8"));
  EXPECT_TRUE(IsUtf8CodePage("utf_8"));
  EXPECT_FALSE(IsUtf8CodePage("CP1251"));
  EXPECT_FALSE(IsUtf8CodePage("UTF-16"));
}

TEST(CodePageEncoder, WritesSingleByteCodePagesAndReportsWhatDoesNotFit) {
  CodePageEncoder cyrillic("CP1251");
  std::string bytes;
  ASSERT_TRUE(cyrillic.Append(u"Привет, ", bytes));
  ASSERT_TRUE(cyrillic.Append(u"мир\r\n", bytes));
  EXPECT_EQ(bytes, "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0\r\n");
  bytes.clear();
  EXPECT_FALSE(cyrillic.Append(u"中", bytes));
  EXPECT_FALSE(cyrillic.Append(u"😀", bytes));

  CodePageEncoder western("ISO-8859-1");
  bytes.clear();
  EXPECT_FALSE(western.Append(u"Линк", bytes));
}

TEST(CodePageEncoder, RefusesLookAlikesAndLoneSurrogates) {
  CodePageEncoder western("CP1252");
  std::string bytes;
  ASSERT_TRUE(western.Append(u"café €", bytes));
  EXPECT_EQ(bytes, "caf\xE9 \x80");
  // Best fit would write "a".
  EXPECT_FALSE(western.Append(u"ā", bytes));
  for (const std::u16string_view lone : {u"a\xD83D",
                                         u"\xDE00"
                                         u"b",
                                         u"\xDE00\xD83D"}) {
    EXPECT_FALSE(CodePageEncoder("windows-1251").Append(lone, bytes));
  }
}

TEST(CodePageEncoder, Utf8HoldsEverythingAndUnknownCodePagesNothing) {
  CodePageEncoder utf8("UTF-8");
  std::string bytes;
  ASSERT_TRUE(utf8.Append(u"Ж中😀", bytes));
  EXPECT_EQ(bytes, "\xD0\x96\xE4\xB8\xAD\xF0\x9F\x98\x80");

  CodePageEncoder unknown("NO-SUCH-CODE-PAGE");
  EXPECT_FALSE(unknown.Append(u"a", bytes));
}

TEST(CodePageEncoder, LongTextsGoThroughWhole) {
  CodePageEncoder cyrillic("CP1251");
  const std::u16string text(200000, u'Ж');
  std::string bytes;
  ASSERT_TRUE(cyrillic.Append(text, bytes));
  EXPECT_EQ(bytes, std::string(200000, '\xC6'));
}

}  // namespace
}  // namespace brackwater
