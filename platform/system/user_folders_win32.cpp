#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <system_error>

#include "platform/system/files.h"
#include "platform/system/user_folders.h"

namespace brackwater {

std::u16string ApplicationDataFolder() {
  // By its own name, not through the ANSI code page, which cannot hold every user's name.
  const wchar_t* folder = _wgetenv(L"APPDATA");
  return folder != nullptr ? std::u16string(folder, folder + std::wcslen(folder))
                           : std::u16string();
}

std::u16string BrowserDataFolder(std::u16string_view applicationData) {
  return std::u16string(applicationData) + u"\\Opera";
}

StartFolder ResolveStartFolder(std::u16string_view text) {
  StartFolder folder;
  folder.path = TextToPath(text);
  if (!folder.path.empty()) {
    std::error_code ignored;  // a folder that cannot be looked at is as good as missing
    folder.exists = std::filesystem::is_directory(folder.path, ignored);
  }
  return folder;
}

}  // namespace brackwater
