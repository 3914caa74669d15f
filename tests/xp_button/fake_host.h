#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/fixed_text_engine.h"
#include "xp_button/property_store.h"
#include "xp_button/xpb.h"

namespace brackwater {

inline void PrintTo(const StoreValue& value, std::ostream* out) {
  *out << DescribeStoreValue(value);
}

inline void PrintTo(const Rect& r, std::ostream* out) {
  *out << '{' << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << '}';
}

namespace testing {

// What the control did to its host and its container, in order: "Show R", "Click",
// "MouseDown 1 0 5 5", "Size 10x40", "Yield" ...
using EventLog = std::vector<std::string>;

// Each look as one letter, in the order Look declares them: no border, raised, sunken, XP face,
// focus ring, hover ring, pressed, disabled.
inline char LetterOf(Look look) { return "NRSFfhPD"[static_cast<int>(look)]; }

// The window and the container in one: what the control asks of its host and raises to its
// container goes to one log.
class FakeHost final : public ControlHost, public XpBEvents {
 public:
  FakeHost(EventLog& log, XpB*& button) : log_(log), button_(button) {}

  bool Enabled() const override { return enabled; }
  void SetEnabled(bool on) override { enabled = on; }
  std::int32_t WindowHandle() const override { return 7; }
  std::int32_t WindowUnderPointer() const override { return pointerOver ? 7 : 9; }
  std::u16string InstanceName() const override { return u"Command1"; }
  int PixelsPerInchX() const override { return ppiX; }
  int PixelsPerInchY() const override { return ppiY; }
  int ClientWidth() const override { return width; }
  int ClientHeight() const override { return height; }
  void SetClientSize(int w, int h) override {
    log_.push_back("Size " + std::to_string(w) + "x" + std::to_string(h));
    width = w;
    height = h;
    button_->OnResize();
  }
  const SystemColors& Colors() const override { return colors; }
  TextEngine& Text() override { return text; }
  void SetAccessKey(std::optional<char16_t> key) override { accessKey = key; }
  void SetTimerEnabled(bool on) override { log_.push_back(on ? "Timer on" : "Timer off"); }
  void SetCapture() override { log_.push_back("Capture"); }
  void ReleaseCapture() override { log_.push_back("Release"); }
  // The look that the repaint showed.
  void ShowSurface(const ImageView&) override {
    XpBState s;
    s.ButtonStyle = button_->ButtonStyle();
    s.HasFocus = button_->HasFocus();
    s.IsDown = button_->IsDown();
    s.IsOver = button_->IsOver();
    log_.push_back(std::string("Show ") + LetterOf(LookOf(s, enabled)));
  }
  void Yield() override {
    log_.push_back("Yield");
    if (onYield) onYield();
  }

  void Click() override {
    log_.push_back("Click");
    if (onClick) onClick();
  }
  void MouseDown(std::int16_t& B, std::int16_t& S, float& X, float& Y) override {
    Log("MouseDown", {B, S, static_cast<int>(X), static_cast<int>(Y)});
  }
  void MouseUp(std::int16_t& B, std::int16_t& S, float& X, float& Y) override {
    Log("MouseUp", {B, S, static_cast<int>(X), static_cast<int>(Y)});
  }
  void KeyDown(std::int16_t& KeyCode, std::int16_t& S) override { Log("KeyDown", {KeyCode, S}); }
  void KeyUp(std::int16_t& KeyCode, std::int16_t& S) override { Log("KeyUp", {KeyCode, S}); }
  void MouseIn(std::int16_t& S) override { Log("MouseIn", {S}); }
  void MouseOut(std::int16_t& S) override { Log("MouseOut", {S}); }

  bool enabled = true;
  bool pointerOver = true;
  int ppiX = 96;
  int ppiY = 96;
  int width = 75;
  int height = 25;
  std::optional<char16_t> accessKey = u'?';
  std::function<void()> onYield;
  std::function<void()> onClick;
  ClassicColors colors;
  FixedTextEngine text;

 private:
  void Log(const char* name, std::initializer_list<int> numbers) {
    std::string line = name;
    for (const int n : numbers) line += ' ' + std::to_string(n);
    log_.push_back(line);
  }
  EventLog& log_;
  XpB*& button_;
};

// A picture of the kind with these pixels, its HIMETRIC size that of the pixels at 96 per inch
// unless given.
class FakePicture final : public Picture {
 public:
  FakePicture(PictureKind kind, Image pixels, std::int32_t w = -1, std::int32_t h = -1)
      : w_(w >= 0 ? w : pixels.width * 2540 / 96 + 1),
        h_(h >= 0 ? h : pixels.height * 2540 / 96 + 1),
        kind_(kind),
        pixels_(std::move(pixels)) {}
  std::int32_t WidthHimetric() const override { return w_; }
  std::int32_t HeightHimetric() const override {
    if (heightFails) throw std::runtime_error("picture lost");
    return h_;
  }
  PictureKind Kind() const override { return kind_; }
  const Image& Pixels() const override { return pixels_; }
  bool heightFails = false;

 private:
  std::int32_t w_;
  std::int32_t h_;
  PictureKind kind_;
  Image pixels_;
};

inline std::shared_ptr<FakePicture> SizedPicture(std::int32_t w, std::int32_t h) {
  return std::make_shared<FakePicture>(PictureKind::kIcon, Image(), w, h);
}

// A button on a fake host, sized as its window's first resize has it, with one log for both.
// The test owns it through `owner`, so that a handler may destroy it.
struct Rig {
  explicit Rig(int w = 75, int h = 25) {
    host.width = w;
    host.height = h;
    owner = std::make_unique<XpB>(host, host);
    b = owner.get();
    b->OnResize();
    log.clear();
  }
  EventLog log;
  XpB* b = nullptr;
  FakeHost host{log, b};
  std::unique_ptr<XpB> owner;
};

// The surface at (x, y) as 0xRRGGBB.
inline std::uint32_t PixelAt(const Image& image, int x, int y) {
  return image.pixels.at(static_cast<std::size_t>(y * image.width + x)) & 0xFFFFFFu;
}

}  // namespace testing
}  // namespace brackwater
