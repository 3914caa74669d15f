#pragma once

#include <fstream>
#include <iterator>
#include <string>

#include "notes_export/window/design_data.h"

namespace brackwater::testing {

// The main window's design data as the program ships it.
inline DesignData MainWindowDesign() {
  std::ifstream in(std::string(BRACKWATER_RESOURCES) + "/main_window.design", std::ios::binary);
  return ParseDesignData(
      std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

}  // namespace brackwater::testing
