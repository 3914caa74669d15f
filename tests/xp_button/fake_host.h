#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "xp_button/property_store.h"
#include "xp_button/xpb.h"

namespace brackwater {

inline void PrintTo(const StoreValue& value, std::ostream* out) {
  *out << DescribeStoreValue(value);
}

namespace testing {

// What the control did to its host and its container, in order: "Show down=1", "Click",
// "MouseDown 1 0 2.5 3", "Key s" ...
using EventLog = std::vector<std::string>;

class FakeHost : public ControlHost {
 public:
  FakeHost(EventLog& log, const XpB*& button) : log_(log), button_(button) {}

  bool Enabled() const override { return enabled; }
  void SetEnabled(bool value) override { enabled = value; }
  std::int32_t WindowHandle() const override { return 7; }
  std::int32_t WindowUnderPointer() const override { return pointerOver ? 7 : 99; }
  std::u16string InstanceName() const override {
    if (instanceNameFails) throw std::runtime_error("no instance name");
    return u"Command1";
  }
  int PixelsPerInchX() const override { return ppiX; }
  int PixelsPerInchY() const override { return ppiY; }
  int ClientWidth() const override { return width; }
  int ClientHeight() const override { return height; }
  void SetAccessKey(std::optional<char16_t> key) override {
    accessKey = key;
    log_.push_back(key ? "Key " + std::string(1, static_cast<char>(*key)) : "Key none");
  }
  void ShowSurface(const ImageView&) override {
    // With the press as the repaint saw it: a handler sets its flags before it repaints.
    log_.push_back("Show down=" + std::to_string(button_->IsDown()));
  }

  bool enabled = true;
  bool pointerOver = true;
  bool instanceNameFails = false;
  int ppiX = 96;
  int ppiY = 96;
  int width = 75;
  int height = 25;
  std::optional<char16_t> accessKey = u'?';

 private:
  EventLog& log_;
  const XpB*& button_;
};

class RecordingEvents : public XpBEvents {
 public:
  explicit RecordingEvents(EventLog& log) : log_(log) {}

  void Click() override {
    log_.push_back("Click");
    if (onClick) onClick();
  }
  void MouseDown(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y) override {
    Mouse("MouseDown", Button, Shift, X, Y);
  }
  void MouseUp(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y) override {
    Mouse("MouseUp", Button, Shift, X, Y);
  }

  std::function<void()> onClick;

 private:
  void Mouse(const char* name, std::int16_t button, std::int16_t shift, float x, float y) {
    std::ostringstream text;
    text << name << ' ' << button << ' ' << shift << ' ' << x << ' ' << y;
    log_.push_back(text.str());
  }

  EventLog& log_;
};

class FakePicture : public Picture {
 public:
  FakePicture(std::int32_t width, std::int32_t height) : width_(width), height_(height) {}

  std::int32_t WidthHimetric() const override { return width_; }
  std::int32_t HeightHimetric() const override {
    if (heightFails) throw std::runtime_error("picture lost");
    return height_;
  }
  PictureKind Kind() const override { return PictureKind::kIcon; }

  bool heightFails = false;

 private:
  std::int32_t width_;
  std::int32_t height_;
};

// A button on a fake host, with one log for both.
struct TestButton {
  EventLog log;
  const XpB* watched = &button;
  FakeHost host{log, watched};
  RecordingEvents events{log};
  XpB button{host, events};
};

}  // namespace testing
}  // namespace brackwater
