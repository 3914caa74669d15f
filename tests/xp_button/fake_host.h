#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/gui/device_context.h"
#include "tests/support/fixed_text_engine.h"
#include "xp_button/property_store.h"
#include "xp_button/xpb.h"

namespace brackwater {

inline void PrintTo(const StoreValue& value, std::ostream* out) {
  *out << DescribeStoreValue(value);
}

namespace testing {

// What the control did to its host and its container, in order: "Show down=1", "Click",
// "MouseDown 1 0 2.5 3", "Key s", "Size 10x40", "Yield" ...
using EventLog = std::vector<std::string>;

// The classic colours, with the button face replaceable.
class TestColors final : public SystemColors {
 public:
  Rgb Color(int index) const override {
    return index == SystemColorIndex::kButtonFace && face ? *face : classic_.Color(index);
  }
  std::optional<Rgb> face;

 private:
  ClassicColors classic_;
};

// Measures every caption as one block of the given size and draws nothing: for the layouts
// that the text works with round numbers.
class BlockTextEngine final : public TextEngine {
 public:
  int DrawText(DeviceContext&, std::u16string_view, Rect& rect, unsigned format,
               CaptionParams&) override {
    if ((format & TextFormat::kCalcRect) != 0) {
      rect.right = rect.left + width;
      rect.bottom = rect.top + height;
    }
    return height;
  }
  int width = 0;
  int height = 0;
};

// The fixed-width font unless a test picks another; the control keeps the engine its host gave
// it, so the choice is made behind it.
class TestText final : public TextEngine {
 public:
  int DrawText(DeviceContext& dc, std::u16string_view text, Rect& rect, unsigned format,
               CaptionParams& params) override {
    return engine->DrawText(dc, text, rect, format, params);
  }
  FixedTextEngine fixed;
  TextEngine* engine = &fixed;
};

class FakeHost : public ControlHost {
 public:
  FakeHost(EventLog& log, XpB*& button) : log_(log), button_(button) {}

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
  // As a window does: the new size reaches the control through its resize handler at once.
  void SetClientSize(int newWidth, int newHeight) override {
    log_.push_back("Size " + std::to_string(newWidth) + "x" + std::to_string(newHeight));
    width = newWidth;
    height = newHeight;
    button_->OnResize();
  }
  const SystemColors& Colors() const override { return colors; }
  TextEngine& Text() override { return text; }
  void SetAccessKey(std::optional<char16_t> key) override {
    accessKey = key;
    log_.push_back(key ? "Key " + std::string(1, static_cast<char>(*key)) : "Key none");
  }
  void ShowSurface(const ImageView&) override {
    // With the press as the repaint saw it: a handler sets its flags before it repaints.
    log_.push_back("Show down=" + std::to_string(button_->IsDown()));
  }
  void SetTimerEnabled(bool on) override {
    timerEnabled = on;
    log_.push_back(on ? "Timer on" : "Timer off");
  }
  void SetCapture() override { log_.push_back("Capture"); }
  void ReleaseCapture() override { log_.push_back("Release"); }
  void Yield() override {
    log_.push_back("Yield");
    if (onYield) onYield();
  }

  bool enabled = true;
  bool timerEnabled = false;
  bool pointerOver = true;
  bool instanceNameFails = false;
  int ppiX = 96;
  int ppiY = 96;
  int width = 75;
  int height = 25;
  std::optional<char16_t> accessKey = u'?';
  // What runs while the control lets waiting events run.
  std::function<void()> onYield;
  TestColors colors;
  TestText text;
  BlockTextEngine blockText;

 private:
  EventLog& log_;
  XpB*& button_;
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
  void KeyDown(std::int16_t& KeyCode, std::int16_t& Shift) override {
    log_.push_back("KeyDown " + std::to_string(KeyCode) + ' ' + std::to_string(Shift));
  }
  void KeyUp(std::int16_t& KeyCode, std::int16_t& Shift) override {
    log_.push_back("KeyUp " + std::to_string(KeyCode) + ' ' + std::to_string(Shift));
  }
  void MouseIn(std::int16_t& Shift) override { log_.push_back("MouseIn " + std::to_string(Shift)); }
  void MouseOut(std::int16_t& Shift) override {
    log_.push_back("MouseOut " + std::to_string(Shift));
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
  // A picture of the kind with these pixels, its HIMETRIC size that of the pixels at 96 per
  // inch.
  FakePicture(PictureKind kind, Image pixels)
      : width_(pixels.width * 2540 / 96 + 1),
        height_(pixels.height * 2540 / 96 + 1),
        kind_(kind),
        pixels_(std::move(pixels)) {}

  std::int32_t WidthHimetric() const override { return width_; }
  std::int32_t HeightHimetric() const override {
    if (heightFails) throw std::runtime_error("picture lost");
    return height_;
  }
  PictureKind Kind() const override { return kind_; }
  const Image& Pixels() const override { return pixels_; }

  bool heightFails = false;

 private:
  std::int32_t width_;
  std::int32_t height_;
  PictureKind kind_ = PictureKind::kIcon;
  Image pixels_;
};

// A button on a fake host, with one log for both.
// A button that a handler may destroy: the test owns it through a pointer.
struct OwnedButton {
  OwnedButton() : button(std::make_unique<XpB>(host, events)) { watched = button.get(); }
  EventLog log;
  XpB* watched = nullptr;
  FakeHost host{log, watched};
  RecordingEvents events{log};
  std::unique_ptr<XpB> button;
};

struct TestButton {
  EventLog log;
  XpB* watched = &button;
  FakeHost host{log, watched};
  RecordingEvents events{log};
  XpB button{host, events};
};

// A button of this size and style, at rest, with nothing else set, sized and painted as its
// window's resize has it.
struct PaintedButton : TestButton {
  PaintedButton(int width, int height, std::int32_t style) {
    host.width = width;
    host.height = height;
    button.SetButtonStyle(style);
    button.OnResize();
    log.clear();
  }
};

// A colour as the tests write it, and as failures print it.
struct Colour {
  int r = 0;
  int g = 0;
  int b = 0;
  bool operator==(const Colour&) const = default;
};

inline void PrintTo(const Colour& c, std::ostream* out) {
  *out << "RGB(" << c.r << ", " << c.g << ", " << c.b << ")";
}

// An OLE colour, 0x00BBGGRR.
inline Colour FromOle(std::uint32_t color) {
  return {static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
          static_cast<int>((color >> 16) & 0xFF)};
}

inline Colour PixelOf(const Image& image, int x, int y) {
  const std::uint32_t pixel =
      image.pixels.at(static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) +
                      static_cast<std::size_t>(x));
  return {static_cast<int>((pixel >> 16) & 0xFF), static_cast<int>((pixel >> 8) & 0xFF),
          static_cast<int>(pixel & 0xFF)};
}

// The control's surface at (x, y).
inline Colour PixelAt(const XpB& button, int x, int y) { return PixelOf(button.Surface(), x, y); }

// The classic colours that painting uses.
constexpr Colour kFace{212, 208, 200};
constexpr Colour kShadow{128, 128, 128};
constexpr Colour kHighlight{255, 255, 255};
constexpr Colour kDarkShadow{64, 64, 64};
constexpr Colour kBlack{0, 0, 0};

}  // namespace testing
}  // namespace brackwater
