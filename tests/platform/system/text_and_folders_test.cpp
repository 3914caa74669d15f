// The small services: text in UTF-8, UTF-16 and the code page, the moment as text, and the
// user's folders.

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/system/clock.h"
#include "platform/system/code_page.h"
#include "platform/system/files.h"
#include "platform/system/text_codec.h"
#include "platform/system/user_folders.h"
#include "tests/support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace brackwater {
namespace {

constexpr char16_t kBad = 0xFFFD;

// Each maximal ill-formed subsequence becomes one U+FFFD, decoded to UTF-16 and copied as UTF-8
// alike; names that are not UTF-8 keep their bytes through their escapes.
TEST(Utf8ToUtf16, DecodesEveryLengthOfSequenceAndReplacesWhatIsIllFormed) {
  const std::pair<std::string, std::u16string> cases[] = {
      {"a\xD0\x96\xE4\xB8\xAD\xF0\x9F\x98\x80z", u"aЖ中😀z"},
      // The example that the Unicode standard gives for this practice.
      {"\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64",
       {u'a', kBad, kBad, kBad, u'b', kBad, u'c', kBad, kBad, u'd'}},
      // Overlong, a surrogate, past U+10FFFF, bytes never used, cut short.
      {"\xC0\xAF\xE0\x80\xAF\xED\xA0\x80\xF4\x90\x80\x80\xF5\xFF\xF0\x9F\x98",
       std::u16string(15, kBad)},
      // Damage in a block that begins inside a character, with whole blocks after it.
      {std::string(29, 'a') + "\xF0\x9F\x98\x80\xFF" + std::string(40, 'b'),
       std::u16string(29, u'a') + u"😀" + kBad + std::u16string(40, u'b')},
  };
  for (const auto& [bytes, text] : cases) {
    EXPECT_EQ(Utf8ToUtf16(bytes), text);
    std::string copied = "kept:";
    AppendValidUtf8(bytes, copied);
    EXPECT_EQ(copied, "kept:" + Utf16ToUtf8(text));
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(bytes, Utf8Errors::kEscape), Utf8Errors::kEscape), bytes);
  }
}

// Each text whole in the code page, or refused: never a look-alike (the best fit of "ā" is "a"),
// never a lone surrogate, which UTF-8 writes as U+FFFD.
TEST(CodePageEncoder, WritesWhatFitsAndRefusesTheRest) {
  std::string bytes;
  EXPECT_TRUE(CodePageEncoder("CP1251").Append(u"Привет", bytes));
  EXPECT_TRUE(CodePageEncoder("utf8").Append(u"Ж\xD83D", bytes));
  EXPECT_EQ(bytes, "\xCF\xF0\xE8\xE2\xE5\xF2\xD0\x96\xEF\xBF\xBD");
  for (const char16_t* text : {u"中😀", u"a\xD83D", u"\xDE00\xD83D"}) {
    EXPECT_FALSE(CodePageEncoder("CP1251").Append(text, bytes));
  }
  EXPECT_FALSE(CodePageEncoder("CP1252").Append(u"ā", bytes));
  EXPECT_FALSE(CodePageEncoder("NO-SUCH-CODE-PAGE").Append(u"a", bytes));
#ifdef _WIN32
  const UINT active = GetACP();
  EXPECT_EQ(SystemCodePage(), active == CP_UTF8 ? "UTF-8" : "CP" + std::to_string(active));
#endif
}

#ifndef _WIN32
// In a locale of the tests' own, made at configure time (tests/CMakeLists.txt), whose date holds
// a character beyond the BMP, and a zone 5:30 behind UTC: 97445 is 1970-01-02 03:04:05 UTC.
TEST(FormatDateTime, IsTheLocalesShortDateAndLongTimeInTheZoneAsked) {
  ::setenv("LOCPATH", BRACKWATER_TEST_LOCALES, 1);
  ::setenv("TZ", "XYZ+5:30", 1);
  ::tzset();
  // Without the package locales, the build could not make it.
  if (std::setlocale(LC_TIME, "bw.UTF-8") == nullptr) GTEST_SKIP() << "no locale bw.UTF-8";
  const DateTimeText local = FormatDateTime(97445, TimeZone::kLocal).value();
  const DateTimeText utc = FormatDateTime(97445, TimeZone::kUtc).value();
  EXPECT_EQ(local.date + u"|" + local.time, u"01.01🌙1970|21ч34м05");
  EXPECT_EQ(utc.date + u"|" + utc.time, u"02.01🌙1970|03ч04м05");
  // No date is made up for a year beyond the calendar's.
  EXPECT_FALSE(FormatDateTime(99999999999999999, TimeZone::kLocal));
  std::setlocale(LC_TIME, "C");
}
#endif

// The variable is looked up by its name; a drive root ("c:\", "C:", "d:/") stands as it is,
// except on POSIX, which has no drive letters and takes the home folder for it.
TEST(UserFolders, AppDataByNameAndDriveRootsAsTheyStand) {
  testing::TempDir dir;
  // A name that no ANSI code page holds whole: only the variable's own name reads it right.
  const std::filesystem::path folder = dir.Path() / u8"Привет中";
  std::filesystem::create_directory(folder);
  testing::WriteBytes(folder / "notes.adr", "#NOTE");
#ifdef _WIN32
  _wputenv((L"APPDATA=" + folder.native()).c_str());
  EXPECT_EQ(BrowserDataFolder(u"home"), u"home\\Opera");
  EXPECT_EQ(ResolveStartFolder(u"c:\\").path, std::filesystem::path(L"c:\\"));
#else
  ::setenv("HOME", folder.c_str(), 1);
  EXPECT_EQ(BrowserDataFolder(u"home"), u"home/.opera");
  EXPECT_EQ(ResolveStartFolder(u"C:/").path, folder);
#endif
  EXPECT_EQ(ApplicationDataFolder(), PathToText(folder));
  EXPECT_TRUE(ResolveStartFolder(u"c:\\").exists && ResolveStartFolder(PathToText(folder)).exists);
  EXPECT_TRUE(FolderExists(PathToText(folder)));
  EXPECT_TRUE(ResolveStartFolder(u"").path.empty());
  // Any other text is a path as it stands; where there is no folder the dialog chooses.
  for (const std::u16string& other :
       {PathToText(folder / "notes.adr"), std::u16string(u""), std::u16string(u"c:x"),
        std::u16string(u"cc:\\"), std::u16string(u"1:")}) {
    EXPECT_FALSE(IsDriveRoot(other) || ResolveStartFolder(other).exists || FolderExists(other));
  }
}

}  // namespace
}  // namespace brackwater
