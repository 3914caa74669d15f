#pragma once

#include <gtest/gtest.h>

#include "platform/win32/win32_api.h"

namespace brackwater::testing {

// The picture loader and the shell's calls are COM's, which each thread starts for itself, as
// the program does before its window.
class ComEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr))); }
  void TearDown() override { ::OleUninitialize(); }
};

// Runs the messages that are waiting, as the message loop would, the window's keyboard
// handling first.
template <typename Window>
void RunWaitingMessages(Window& window) {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (window.PreTranslate(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

}  // namespace brackwater::testing
