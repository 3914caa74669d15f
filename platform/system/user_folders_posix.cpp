#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/system/files.h"
#include "platform/system/user_folders.h"

namespace brackwater {
namespace {

std::filesystem::path HomeFolder() {
  const char* home = std::getenv("HOME");
  return home != nullptr ? std::filesystem::path(home) : std::filesystem::path();
}

}  // namespace

std::u16string ApplicationDataFolder() { return PathToText(HomeFolder()); }

std::u16string BrowserDataFolder(std::u16string_view applicationData) {
  return std::u16string(applicationData) + u"/.opera";
}

StartFolder ResolveStartFolder(std::u16string_view text) {
  StartFolder folder;
  folder.path = IsDriveRoot(text) ? HomeFolder() : TextToPath(text);
  if (!folder.path.empty()) {
    std::error_code ignored;  // a folder that cannot be looked at is as good as missing
    folder.exists = std::filesystem::is_directory(folder.path, ignored);
  }
  return folder;
}

}  // namespace brackwater
