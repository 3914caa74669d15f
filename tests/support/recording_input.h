#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gui/control_host.h"

namespace brackwater::testing {

// Every notification a host hands to its control, in order, one line each: "MouseDown 1 0 5 7",
// "KeyUp 32 0", "Ambient Font". Positions are logged in whole pixels.
class RecordingInput final : public ControlInput {
 public:
  void OnMouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y) override {
    Mouse("MouseDown", Button, Shift, X, Y);
  }
  void OnMouseUp(std::int16_t Button, std::int16_t Shift, float X, float Y) override {
    Mouse("MouseUp", Button, Shift, X, Y);
  }
  void OnResize() override {
    if (recordResizes) log.push_back("Resize");
  }
  void OnMouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y) override {
    Mouse("MouseMove", Button, Shift, X, Y);
  }
  void OnKeyDown(std::int16_t KeyCode, std::int16_t Shift) override {
    Key("KeyDown", KeyCode, Shift);
  }
  void OnKeyUp(std::int16_t KeyCode, std::int16_t Shift) override { Key("KeyUp", KeyCode, Shift); }
  void OnFocusIn() override { log.push_back("FocusIn"); }
  void OnFocusOut() override { log.push_back("FocusOut"); }
  void OnAccessKey() override { log.push_back("AccessKey"); }
  void OnTimer() override { log.push_back("Timer"); }
  void OnAmbientChanged(std::u16string_view name) override {
    // The ambient properties' names are ASCII.
    log.push_back("Ambient " + std::string(name.begin(), name.end()));
  }
  void OnTerminate() override { log.push_back("Terminate"); }

  std::vector<std::string> log;
  // Where sizes are the layout's business rather than the input's, they stay out of the log.
  bool recordResizes = true;

 private:
  static std::string Whole(float value) { return std::to_string(static_cast<int>(value)); }

  void Mouse(const char* what, std::int16_t Button, std::int16_t Shift, float X, float Y) {
    log.push_back(std::string(what) + " " + std::to_string(Button) + " " + std::to_string(Shift) +
                  " " + Whole(X) + " " + Whole(Y));
  }
  void Key(const char* what, std::int16_t KeyCode, std::int16_t Shift) {
    log.push_back(std::string(what) + " " + std::to_string(KeyCode) + " " + std::to_string(Shift));
  }
};

}  // namespace brackwater::testing
