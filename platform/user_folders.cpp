#include "platform/user_folders.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/files.h"

namespace brackwater {
namespace {

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

std::filesystem::path HomeFolder() {
  const char* home = std::getenv("HOME");
  return home != nullptr ? std::filesystem::path(home) : std::filesystem::path();
}

}  // namespace

std::u16string ApplicationDataFolder() { return PathToText(HomeFolder()); }

std::u16string BrowserDataFolder(std::u16string_view applicationData) {
  return std::u16string(applicationData) + u"/.opera";
}

bool FolderExists(std::u16string_view folder) {
  std::error_code error;
  return !folder.empty() && std::filesystem::is_directory(TextToPath(folder), error);
}

bool IsDriveRoot(std::u16string_view text) {
  if (text.size() < 2 || text.size() > 3 || !IsAsciiLetter(text[0]) || text[1] != u':') {
    return false;
  }
  return text.size() == 2 || text[2] == u'\\' || text[2] == u'/';
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
