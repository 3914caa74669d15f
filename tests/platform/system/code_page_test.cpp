#include "platform/system/code_page.h"

#include <gtest/gtest.h>

#include <clocale>
#include <optional>
#include <string>

#include "platform/system/text_codec.h"

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
  for (const char* name : {"UTF-8", "utf8", "utf_8"}) EXPECT_TRUE(IsUtf8CodePage(name)) << name;
  for (const char* name : {"CP1251", "UTF-16"}) EXPECT_FALSE(IsUtf8CodePage(name)) << name;
}

// Each text whole in the code page, or refused: never a look-alike, never a lone surrogate.
TEST(CodePageEncoder, WritesWhatFitsAndRefusesTheRest) {
  const struct {
    const char* codePage;
    std::u16string text;
    std::optional<std::string> bytes;
  } cases[] = {
      {"CP1251", u"Привет, мир\r\n", "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0\r\n"},
      {"CP1251", std::u16string(200000, u'Ж'), std::string(200000, '\xC6')},
      {"CP1251", u"中", std::nullopt},
      {"CP1251", u"😀", std::nullopt},
      {"ISO-8859-1", u"Линк", std::nullopt},
      {"CP1252", u"café €", "caf\xE9 \x80"},
      {"CP1252", u"ā", std::nullopt},  // best fit would write "a"
      {"windows-1251", u"a\xD83D", std::nullopt},
      {"windows-1251",
       u"\xDE00"
       u"b",
       std::nullopt},
      {"windows-1251", u"\xDE00\xD83D", std::nullopt},
      {"UTF-8", u"Ж中😀", "\xD0\x96\xE4\xB8\xAD\xF0\x9F\x98\x80"},
      {"NO-SUCH-CODE-PAGE", u"a", std::nullopt},
  };
  for (const auto& c : cases) {
    std::string bytes;
    EXPECT_EQ(CodePageEncoder(c.codePage).Append(c.text, bytes), c.bytes.has_value())
        << c.codePage << " " << Utf16ToUtf8(c.text.substr(0, 10));
    if (c.bytes) {
      EXPECT_TRUE(bytes == *c.bytes) << c.codePage;
    }
  }
}

}  // namespace
}  // namespace brackwater
