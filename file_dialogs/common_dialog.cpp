#include "file_dialogs/common_dialog.h"

#include <optional>

namespace brackwater {
namespace {

PickerRequest MakeRequest(const std::u16string& Title, const std::u16string& Mask,
                          std::int32_t WindowHwnd, const std::u16string& MyDir) {
  return {
      .title = Title, .filters = FiltersFromMask(Mask), .owner = WindowHwnd, .startFolder = MyDir};
}

// Callers find the end of the path by its NUL, as they did with the old fixed buffer. An empty
// choice is no choice: with a NUL it would read as a path that is not there.
std::u16string FileResult(const std::optional<std::u16string>& chosen) {
  if (!chosen || chosen->empty()) return {};
  std::u16string result;
  result.reserve(chosen->size() + 1);
  result.append(*chosen);
  result.push_back(u'\0');
  return result;
}

}  // namespace

std::vector<FileFilter> FiltersFromMask(std::u16string_view Mask) {
  std::vector<FileFilter> filters;
  auto next = [&Mask]() {
    const std::size_t end = Mask.find(u'\0');
    const std::u16string_view text = Mask.substr(0, end);
    Mask = end == std::u16string_view::npos ? std::u16string_view() : Mask.substr(end + 1);
    return text;
  };
  while (!Mask.empty()) {
    const std::u16string_view description = next();
    const std::u16string_view pattern = next();
    if (description.empty() || pattern.empty()) break;
    filters.push_back({std::u16string(description), std::u16string(pattern)});
  }
  return filters;
}

std::u16string CommonDialog::OpenFile(const std::u16string& Title, const std::u16string& Mask,
                                      const std::int32_t& WindowHwnd, const std::u16string& MyDir) {
  return FileResult(picker_.OpenFile(MakeRequest(Title, Mask, WindowHwnd, MyDir)));
}

std::u16string CommonDialog::SaveFile(const std::u16string& Title, const std::u16string& Mask,
                                      const std::int32_t& WindowHwnd, const std::u16string& MyDir) {
  return FileResult(picker_.SaveFile(MakeRequest(Title, Mask, WindowHwnd, MyDir)));
}

std::u16string CommonDialog::OpenFolder(const std::u16string& Title,
                                        const std::int32_t& WindowHwnd) {
  return picker_.OpenFolder(Title, WindowHwnd).value_or(std::u16string());
}

}  // namespace brackwater
