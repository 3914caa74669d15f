#pragma once

#include <exception>
#include <functional>
#include <stdexcept>
#include <utility>

namespace brackwater {

// What tells the user of a failure that reached one of a host's handlers, given the host's
// window that the handler belongs to (an HWND, a QWidget*). The program sets it once. Without
// one, the failure is dropped: nothing may be thrown through the toolkit's or the system's own
// frames.
template <typename Window>
using FailureReport = std::function<void(Window owner, const std::exception& error)>;

template <typename Window>
FailureReport<Window>& CurrentFailureReport() {
  static FailureReport<Window> report;
  return report;
}

template <typename Window>
void SetFailureReport(FailureReport<Window> report) {
  CurrentFailureReport<Window>() = std::move(report);
}

template <typename Window>
void ReportFailure(Window owner, const std::exception& error) {
  const FailureReport<Window>& report = CurrentFailureReport<Window>();
  if (!report) return;
  // The report is a modal message box; a failure inside it has nowhere left to go.
  try {
    report(owner, error);
  } catch (...) {
  }
}

// Runs one of the host's handlers and reports whatever it throws. False when it threw.
template <typename Window, typename Step>
bool GuardedCall(Window owner, Step&& step) {
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
