#include "platform/win32/win32_failure.h"

#include <utility>

namespace brackwater {
namespace {

std::function<void(HWND, const std::exception&)>& Report() {
  static std::function<void(HWND, const std::exception&)> report;
  return report;
}

}  // namespace

void SetFailureReport(std::function<void(HWND owner, const std::exception& error)> report) {
  Report() = std::move(report);
}

void ReportFailure(HWND owner, const std::exception& error) {
  if (!Report()) return;
  // The report is a modal message box; a failure inside it has nowhere left to go.
  try {
    Report()(owner, error);
  } catch (...) {
  }
}

}  // namespace brackwater
