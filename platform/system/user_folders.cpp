#include "platform/system/user_folders.h"

#include <filesystem>
#include <system_error>

#include "platform/system/files.h"

namespace brackwater {
namespace {

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

}  // namespace

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

}  // namespace brackwater
