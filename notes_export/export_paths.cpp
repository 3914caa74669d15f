#include "notes_export/export_paths.h"

#include <algorithm>

namespace brackwater {

std::u16string DefaultExportPath(std::u16string_view inputPath) {
  constexpr std::u16string_view kFrom = u".adr";
  std::u16string path;
  std::size_t start = 0;
  for (std::size_t hit; (hit = inputPath.find(kFrom, start)) != inputPath.npos;
       start = hit + kFrom.size()) {
    path.append(inputPath.substr(start, hit - start));
    path.append(u".txt");
  }
  path.append(inputPath.substr(start));
  return path;
}

std::u16string FinalExportPath(std::u16string_view dialogResult, std::u16string_view defaultPath) {
  std::u16string path(dialogResult.empty() ? defaultPath : dialogResult);
  std::erase(path, u'\0');
  if (!path.ends_with(u".txt")) path += u".txt";
  return path;
}

}  // namespace brackwater
