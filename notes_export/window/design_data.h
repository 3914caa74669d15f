#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "xp_button/property_store.h"

namespace brackwater {

// Where the container puts a control: in twips, and its place in the tab order.
struct ControlPlace {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t tabIndex = 0;
};

struct DesignControl {
  std::u16string kind;  // "Label", "Brackwater.XpB", "CommonDialog"
  std::u16string name;
  ControlPlace place;
  PropertyStore settings;  // the control's own settings, keyed without regard to case
};

// A window's stored design data: its own settings and its controls in the order they stand.
struct DesignData {
  std::u16string name;
  PropertyStore settings;
  std::vector<DesignControl> controls;

  const DesignControl& Control(std::u16string_view controlName) const;
};

class DesignDataError : public std::runtime_error {
 public:
  DesignDataError(int line, const std::string& what);
  int Line() const { return line_; }

 private:
  int line_;
};

// Reads the text form: nested "Begin KIND NAME" ... "End" blocks of "key = value" lines, values
// being "text" (with "" for a quote), True or False, a whole number, or &HBBGGRR& in hex;
// "#" starts a comment. Throws DesignDataError with the line of the fault.
DesignData ParseDesignData(std::string_view text);

}  // namespace brackwater
