#pragma once

#include <cstdint>

namespace brackwater {

// The events an XpB raises to its container, in the order the control declares them. Every
// argument is passed by reference; a handler may change it, and the control never reads it
// back. A container overrides the ones it listens to. MouseMove and ToolTip are declared but
// never raised.
class XpBEvents {
 public:
  virtual ~XpBEvents() = default;

  virtual void Click() {}
  virtual void KeyDown(std::int16_t& /*KeyCode*/, std::int16_t& /*Shift*/) {}
  virtual void KeyUp(std::int16_t& /*KeyCode*/, std::int16_t& /*Shift*/) {}
  // Button: 1 left, 2 right, 4 middle. Shift: 1 Shift, 2 Ctrl, 4 Alt. X, Y: pixels in the
  // control.
  virtual void MouseDown(std::int16_t& /*Button*/, std::int16_t& /*Shift*/, float& /*X*/,
                         float& /*Y*/) {}
  virtual void MouseMove(std::int16_t& /*Button*/, std::int16_t& /*Shift*/, float& /*X*/,
                         float& /*Y*/) {}
  virtual void MouseUp(std::int16_t& /*Button*/, std::int16_t& /*Shift*/, float& /*X*/,
                       float& /*Y*/) {}
  virtual void MouseIn(std::int16_t& /*Shift*/) {}
  virtual void MouseOut(std::int16_t& /*Shift*/) {}
  virtual void ToolTip(bool& /*Enable*/) {}
};

}  // namespace brackwater
