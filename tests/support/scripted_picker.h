#pragma once

#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/gui/file_picker.h"

namespace brackwater::testing {

// Answers each file dialog with the next scripted answer, a path or nothing for a cancel, and
// keeps what each was asked. A dialog with no answer left fails the test's step.
class ScriptedPicker final : public FilePicker {
 public:
  std::optional<std::u16string> OpenFile(const PickerRequest& request) override {
    return Answer("open", request);
  }
  std::optional<std::u16string> SaveFile(const PickerRequest& request) override {
    return Answer("save", request);
  }
  std::optional<std::u16string> OpenFolder(const std::u16string&, std::int32_t) override {
    throw std::logic_error("the window never asks for a folder");
  }

  std::deque<std::optional<std::u16string>> answers;
  std::vector<std::pair<std::string, PickerRequest>> requests;
  // Every dialog fails to show, as a system without one would have it.
  bool fails = false;

 private:
  std::optional<std::u16string> Answer(const char* kind, const PickerRequest& request) {
    requests.emplace_back(kind, request);
    if (fails) throw std::runtime_error("the dialog could not be shown");
    if (answers.empty()) throw std::logic_error("an unexpected dialog");
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace brackwater::testing
