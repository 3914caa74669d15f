#include "platform/user_folders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/files.h"
#include "tests/support/temp_dir.h"

namespace brackwater {
namespace {

using testing::TempDir;
using testing::WriteBytes;

// Sets HOME (or removes it) while it lives, and puts back what was there.
class ScopedHome {
 public:
  explicit ScopedHome(const char* home) {
    if (const char* old = std::getenv("HOME")) saved_ = old;
    if (home != nullptr) {
      ::setenv("HOME", home, 1);
    } else {
      ::unsetenv("HOME");
    }
  }
  ~ScopedHome() {
    if (saved_) {
      ::setenv("HOME", saved_->c_str(), 1);
    } else {
      ::unsetenv("HOME");
    }
  }
  ScopedHome(const ScopedHome&) = delete;
  ScopedHome& operator=(const ScopedHome&) = delete;

 private:
  std::optional<std::string> saved_;
};

TEST(IsDriveRoot, TakesALetterAndAColonWithAtMostOneSeparator) {
  for (const std::u16string_view root : {u"c:\\", u"C:\\", u"c:", u"C:/", u"z:", u"A:\\"}) {
    EXPECT_TRUE(IsDriveRoot(root)) << TextToPath(root);
  }
  for (const std::u16string_view other :
       {u"", u"c", u":\\", u"cc:\\", u"1:\\", u"c:\\\\", u"c:\\Opera", u"c:x", u"/", u"~",
        u"\x0436:\\", u" c:\\", u"c:\\ "}) {
    EXPECT_FALSE(IsDriveRoot(other)) << TextToPath(other);
  }
}

TEST(ResolveStartFolder, MapsDriveRootsToHomeAndKeepsOtherPaths) {
  TempDir home;
  const ScopedHome scopedHome(home.Path().c_str());
  for (const std::u16string_view root : {u"c:\\", u"C:\\", u"c:", u"C:/"}) {
    const StartFolder folder = ResolveStartFolder(root);
    EXPECT_EQ(folder.path, home.Path()) << TextToPath(root);
    EXPECT_TRUE(folder.exists) << TextToPath(root);
  }

  // A Windows path that is not a bare root stays as it is, and is not there.
  const StartFolder windowsPath = ResolveStartFolder(u"c:\\Opera");
  EXPECT_EQ(windowsPath.path, std::filesystem::path("c:\\Opera"));
  EXPECT_FALSE(windowsPath.exists);

  const std::filesystem::path opera = home / "\xD0\x9E\xD0\xBF\xD0\xB5\xD1\x80\xD0\xB0";  // Опера
  std::filesystem::create_directory(opera);
  const StartFolder named = ResolveStartFolder(PathToText(opera));
  EXPECT_EQ(named.path, opera);
  EXPECT_TRUE(named.exists);

  // Only a folder counts: a file, or nothing at all, leaves the choice to the dialog.
  WriteBytes(home / "notes.adr", "#NOTE");
  EXPECT_FALSE(ResolveStartFolder(PathToText(home / "notes.adr")).exists);
  EXPECT_FALSE(ResolveStartFolder(PathToText(home / "missing")).exists);
  const StartFolder empty = ResolveStartFolder(u"");
  EXPECT_TRUE(empty.path.empty());
  EXPECT_FALSE(empty.exists);
}

TEST(ResolveStartFolder, ReportsAHomeThatIsMissingOrUnset) {
  TempDir dir;
  {
    const ScopedHome scopedHome((dir / "gone").c_str());
    const StartFolder folder = ResolveStartFolder(u"c:\\");
    EXPECT_EQ(folder.path, dir / "gone");
    EXPECT_FALSE(folder.exists);
  }
  {
    const ScopedHome scopedHome(nullptr);
    const StartFolder folder = ResolveStartFolder(u"C:/");
    EXPECT_TRUE(folder.path.empty());
    EXPECT_FALSE(folder.exists);
  }
}

}  // namespace
}  // namespace brackwater
