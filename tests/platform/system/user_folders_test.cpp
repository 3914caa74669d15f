#include "platform/system/user_folders.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "platform/system/files.h"
#include "tests/support/temp_dir.h"

namespace brackwater {
namespace {

using testing::TempDir;

TEST(IsDriveRoot, TakesALetterAndAColonWithAtMostOneSeparator) {
  for (const std::u16string_view root : {u"c:\\", u"C:\\", u"c:", u"C:/", u"z:"}) {
    EXPECT_TRUE(IsDriveRoot(root)) << TextToPath(root);
  }
  for (const std::u16string_view other :
       {u"", u"c", u"cc:\\", u"1:\\", u"c:\\\\", u"c:\\Opera", u"c:x", u"/", u"\x0436:\\"}) {
    EXPECT_FALSE(IsDriveRoot(other)) << TextToPath(other);
  }
}

#ifdef _WIN32
TEST(UserFolders, AppDataByNameAndDriveRootsAsTheyStand) {
  TempDir appData;
  const wchar_t* saved = _wgetenv(L"APPDATA");
  const std::wstring savedValue = saved != nullptr ? saved : L"";
  // A name that no ANSI code page holds whole: only the variable's own name reads it right.
  const std::filesystem::path folder = appData.Path() / u8"Привет中";
  std::filesystem::create_directory(folder);
  _wputenv((L"APPDATA=" + folder.native()).c_str());

  EXPECT_EQ(ApplicationDataFolder(), PathToText(folder));
  EXPECT_EQ(BrowserDataFolder(u"C:\\Users\\me\\AppData\\Roaming"),
            u"C:\\Users\\me\\AppData\\Roaming\\Opera");
  const StartFolder root = ResolveStartFolder(u"c:\\");
  EXPECT_EQ(root.path, std::filesystem::path(L"c:\\"));
  EXPECT_TRUE(root.exists);
  testing::WriteBytes(folder / "notes.adr", "#NOTE");
  EXPECT_TRUE(ResolveStartFolder(PathToText(folder)).exists);
  EXPECT_FALSE(ResolveStartFolder(PathToText(folder / "notes.adr")).exists);
  EXPECT_TRUE(ResolveStartFolder(u"").path.empty());

  _wputenv(L"APPDATA=");
  EXPECT_EQ(ApplicationDataFolder(), u"");
  if (!savedValue.empty()) _wputenv((L"APPDATA=" + savedValue).c_str());
}
#else
TEST(UserFolders, DriveRootsMeanHomeAndOnlyFoldersExist) {
  TempDir home;
  const std::string saved = ::getenv("HOME") != nullptr ? ::getenv("HOME") : "";
  ::setenv("HOME", home.Path().c_str(), 1);

  EXPECT_EQ(ApplicationDataFolder(), PathToText(home.Path()));
  EXPECT_EQ(BrowserDataFolder(u"/home/me"), u"/home/me/.opera");
  for (const std::u16string_view root : {u"c:\\", u"C:/"}) {
    const StartFolder folder = ResolveStartFolder(root);
    EXPECT_EQ(folder.path, home.Path());
    EXPECT_TRUE(folder.exists);
  }
  // Other text is a path as it stands; a file, or nothing there, leaves the choice to the
  // dialog.
  std::filesystem::create_directory(home / "Опера");
  testing::WriteBytes(home / "notes.adr", "#NOTE");
  EXPECT_TRUE(ResolveStartFolder(PathToText(home / "Опера")).exists);
  EXPECT_TRUE(FolderExists(PathToText(home / "Опера")));
  EXPECT_FALSE(ResolveStartFolder(PathToText(home / "notes.adr")).exists);
  EXPECT_FALSE(FolderExists(PathToText(home / "notes.adr")));
  EXPECT_FALSE(ResolveStartFolder(u"c:\\Opera").exists);
  EXPECT_TRUE(ResolveStartFolder(u"").path.empty());

  ::unsetenv("HOME");
  EXPECT_TRUE(ResolveStartFolder(u"c:").path.empty());
  EXPECT_EQ(ApplicationDataFolder(), u"");
  if (!saved.empty()) ::setenv("HOME", saved.c_str(), 1);
}
#endif

}  // namespace
}  // namespace brackwater
