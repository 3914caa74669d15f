#pragma once

#include <exception>
#include <functional>
#include <stdexcept>

#include "platform/win32/win32_api.h"

namespace brackwater {

// What tells the user of a failure that reached a window procedure; the program sets it once.
// Without one, the failure is dropped, as nothing may be thrown through the system's frames.
void SetFailureReport(std::function<void(HWND owner, const std::exception& error)> report);
void ReportFailure(HWND owner, const std::exception& error);

// Runs `step` and reports whatever it throws. False when it threw.
template <typename Step>
bool GuardedCall(HWND owner, Step&& step) {
  try {
    step();
    return true;
  } catch (const std::exception& error) {
    ReportFailure(owner, error);
  } catch (...) {
    ReportFailure(owner, std::runtime_error("an unknown failure"));
  }
  return false;
}

}  // namespace brackwater
