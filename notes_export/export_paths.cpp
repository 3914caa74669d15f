#include "notes_export/export_paths.h"

#include <algorithm>

namespace brackwater {

std::u16string DefaultExportPath(std::u16string_view inputPath, std::u16string_view extension) {
  constexpr std::u16string_view kFrom = u".adr";
  std::u16string path;
  std::size_t start = 0;
  for (std::size_t hit; (hit = inputPath.find(kFrom, start)) != inputPath.npos;
       start = hit + kFrom.size()) {
    path.append(inputPath.substr(start, hit - start));
    path.append(extension);
  }
  path.append(inputPath.substr(start));
  return path;
}

std::u16string FinalExportPath(std::u16string_view dialogResult, std::u16string_view defaultPath,
                               std::u16string_view extension) {
  std::u16string path(dialogResult.empty() ? defaultPath : dialogResult);
  std::erase(path, u'\0');
  if (!extension.empty() && !path.ends_with(extension)) path += extension;
  return path;
}

}  // namespace brackwater
