#include "xp_button/xpb.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <optional>
#include <stdexcept>

#include "platform/gui/units.h"
#include "xp_button/xpb_paint.h"

namespace brackwater {
namespace {

// The smallest side the control lets itself have.
constexpr std::int32_t kMinimumSide = TwipsToPixels(150);

constexpr std::int32_t kButtonHighlight = SystemColor(SystemColorIndex::kButtonHighlight);
constexpr std::int32_t k3DLight = SystemColor(SystemColorIndex::k3DLight);

// Single precision, as the stored sizes were always computed: 423 HIMETRIC at 96 pixels per
// inch is 15.99 and gives 16.
std::int32_t HimetricToPixels(std::int32_t himetric, int pixelsPerInch) {
  const float pixels = static_cast<float>(himetric) * static_cast<float>(pixelsPerInch) / 2540.0f;
  const float rounded = std::nearbyint(pixels);  // an exact half goes to the even neighbour
  if (!(rounded >= -2147483648.0f && rounded < 2147483648.0f)) {
    throw std::overflow_error("picture size beyond 32 bits");
  }
  return static_cast<std::int32_t>(rounded);
}

StoreValue Converted(const XpBSetting& setting, const StoreValue& value) {
  switch (setting.type) {
    case SettingType::kBoolean:
      return ToBoolean(value, setting.key);
    case SettingType::kText:
      return ToText(value, setting.key);
    case SettingType::kInteger:
      return ToInt32(value, setting.key);
    case SettingType::kPicture:
      return ToPicture(value, setting.key);
  }
  return value;
}

}  // namespace

// The scratch image is 83 x 55 pixels.
XpB::XpB(ControlHost& host, XpBEvents& events)
    : host_(host),
      events_(events),
      dc_(surface_, host.Colors(), host.Text()),
      picture1_(TwipsToPixels(1245), TwipsToPixels(825)),
      picture1Dc_(picture1_, host.Colors(), host.Text()) {}

bool XpB::EnabledCtrl() const { return host_.Enabled(); }

void XpB::SetEnabledCtrl(bool New_Enabled) {
  host_.SetEnabled(New_Enabled);
  state_.HasFocus = 0;
  state_.IsDown = 0;
  state_.IsOver = 0;
  Refresh();
}

std::int32_t XpB::mhwnd() const { return host_.WindowHandle(); }

bool XpB::ShowFocusRect() const { return state_.ShowFocusRect; }

void XpB::SetShowFocusRect(bool New_ShowFocusRect) {
  state_.ShowFocusRect = New_ShowFocusRect;
  Refresh();
}

std::u16string XpB::Caption() const { return state_.Caption; }

void XpB::SetCaption(const std::u16string& New_Caption) {
  state_.Caption = New_Caption;
  UpdateAccessKey();
  Refresh();
}

std::int32_t XpB::ButtonStyle() const { return state_.ButtonStyle; }

void XpB::SetButtonStyle(std::int32_t New_ButtonStyle) {
  state_.ButtonStyle = New_ButtonStyle;
  Refresh();
}

std::int32_t XpB::PicturePosition() const { return state_.PicturePosition; }

void XpB::SetPicturePosition(std::int32_t New_PicturePosition) {
  state_.PicturePosition = New_PicturePosition;
  Refresh();
}

PicturePtr XpB::Picture() const { return state_.Picture; }

void XpB::SetPicture(PicturePtr New_Picture) {
  state_.Picture = std::move(New_Picture);
  if (state_.Picture != nullptr) {
    state_.PictureWidth = HimetricToPixels(state_.Picture->WidthHimetric(), host_.PixelsPerInchX());
    state_.PictureHeight =
        HimetricToPixels(state_.Picture->HeightHimetric(), host_.PixelsPerInchY());
  }
  Refresh();
}

std::int32_t XpB::XPColor_Pressed() const { return state_.XPColor_Pressed; }

void XpB::SetXPColor_Pressed(std::int32_t New_XPColor_Pressed) {
  state_.XPColor_Pressed = New_XPColor_Pressed;
}

std::int32_t XpB::XPColor_Hover() const { return state_.XPColor_Hover; }

void XpB::SetXPColor_Hover(std::int32_t New_XPColor_Hover) {
  state_.XPColor_Hover = New_XPColor_Hover;
}

bool XpB::XPDefaultColors() const { return state_.XPDefaultColors; }

void XpB::SetXPDefaultColors(bool New_XPDefaultColors) {
  state_.XPDefaultColors = New_XPDefaultColors;
}

std::int32_t XpB::MaskColor() const { return state_.MaskColor; }

void XpB::SetMaskColor(std::int32_t New_MaskColor) {
  state_.MaskColor = New_MaskColor;
  Refresh();
}

bool XpB::UseMaskColor() const { return state_.UseMaskColor != 0; }

void XpB::SetUseMaskColor(bool New_V) {
  state_.UseMaskColor = New_V ? -1 : 0;
  Refresh();
}

std::span<const XpBSetting> XpB::Settings() {
  using T = SettingType;
  // Lambdas here share the member function's access to the control's state.
  static const std::array<XpBSetting, 13> kSettings{{
      {u"ShowFocusRect", T::kBoolean, StoreValue(std::int16_t{1}), 8,
       [](XpB& b, const StoreValue& v) { b.state_.ShowFocusRect = std::get<bool>(v); },
       [](const XpB& b) -> StoreValue { return b.state_.ShowFocusRect; }},
      {u"Caption", T::kText, InstanceNameDefault{}, 1,
       [](XpB& b, const StoreValue& v) { b.state_.Caption = std::get<std::u16string>(v); },
       [](const XpB& b) -> StoreValue { return b.state_.Caption; }},
      {u"PicturePosition", T::kInteger, StoreValue(std::int16_t{1}), 2,
       [](XpB& b, const StoreValue& v) { b.state_.PicturePosition = std::get<std::int32_t>(v); },
       [](const XpB& b) -> StoreValue { return b.state_.PicturePosition; }},
      {u"ButtonStyle", T::kInteger, StoreValue(std::int16_t{XpBStyle::kFlatDefault}), 3,
       [](XpB& b, const StoreValue& v) { b.state_.ButtonStyle = std::get<std::int32_t>(v); },
       [](const XpB& b) -> StoreValue { return b.state_.ButtonStyle; }},
      {u"PictureWidth", T::kInteger, StoreValue(std::int16_t{32}), 5,
       [](XpB& b, const StoreValue& v) { b.state_.PictureWidth = std::get<std::int32_t>(v); },
       [](const XpB& b) -> StoreValue { return b.state_.PictureWidth; }},
      {u"PictureHeight", T::kInteger, StoreValue(std::int16_t{32}), 6,
       [](XpB& b, const StoreValue& v) { b.state_.PictureHeight = std::get<std::int32_t>(v); },
       [](const XpB& b) -> StoreValue { return b.state_.PictureHeight; }},
      // A stored picture keeps the stored size: the sizes are not taken from it here.
      {u"Picture", T::kPicture, StoreValue(), 4,
       [](XpB& b, const StoreValue& v) { b.state_.Picture = std::get<PicturePtr>(v); },
       [](const XpB& b) -> StoreValue { return b.state_.Picture; }},
      // The window's own switch, set directly: unlike EnabledCtrl it leaves the flags alone.
      {u"Enabled", T::kBoolean, StoreValue(true), 7,
       [](XpB& b, const StoreValue& v) { b.host_.SetEnabled(std::get<bool>(v)); },
       [](const XpB& b) -> StoreValue { return b.host_.Enabled(); }},
      {u"XPColor_Pressed", T::kInteger, StoreValue(kButtonHighlight), 9,
       [](XpB& b, const StoreValue& v) { b.state_.XPColor_Pressed = std::get<std::int32_t>(v); },
       [](const XpB& b) -> StoreValue { return b.state_.XPColor_Pressed; }},
      {u"XPColor_Hover", T::kInteger, StoreValue(k3DLight), 10,
       [](XpB& b, const StoreValue& v) { b.state_.XPColor_Hover = std::get<std::int32_t>(v); },
       [](const XpB& b) -> StoreValue { return b.state_.XPColor_Hover; }},
      {u"XPDefaultColors", T::kBoolean, StoreValue(std::int16_t{1}), 11,
       [](XpB& b, const StoreValue& v) { b.state_.XPDefaultColors = std::get<bool>(v); },
       [](const XpB& b) -> StoreValue { return b.state_.XPDefaultColors; }},
      {u"MaskColor", T::kInteger, StoreValue(std::int16_t{0}), 12,
       [](XpB& b, const StoreValue& v) { b.state_.MaskColor = std::get<std::int32_t>(v); },
       [](const XpB& b) -> StoreValue { return b.state_.MaskColor; }},
      // Kept as the integer it is, not squeezed to −1 or 0: saving gives back what was loaded.
      {u"UseMaskColor", T::kInteger, StoreValue(std::int16_t{0}), 13,
       [](XpB& b, const StoreValue& v) { b.state_.UseMaskColor = std::get<std::int32_t>(v); },
       [](const XpB& b) -> StoreValue { return b.state_.UseMaskColor; }},
  }};
  return kSettings;
}

StoreValue XpB::DefaultOf(const XpBSetting& setting) const {
  if (const auto* fixed = std::get_if<StoreValue>(&setting.defaultValue)) return *fixed;
  return host_.InstanceName();
}

void XpB::LoadFromStore(const PropertyStore& store) {
  for (const XpBSetting& setting : Settings()) {
    setting.load(*this, Converted(setting, store.ReadValue(setting.key, DefaultOf(setting))));
  }
  UpdateAccessKey();
  UpdateSize();
}

void XpB::SaveToStore(PropertyStore& store) const {
  std::array<const XpBSetting*, 13> order{};
  const auto settings = Settings();
  std::transform(settings.begin(), settings.end(), order.begin(),
                 [](const XpBSetting& s) { return &s; });
  std::sort(order.begin(), order.end(),
            [](const XpBSetting* a, const XpBSetting* b) { return a->saveStep < b->saveStep; });
  for (const XpBSetting* setting : order) {
    store.WriteValue(setting->key, setting->save(*this), DefaultOf(*setting));
  }
}

// A repaint lets waiting events run once (for a bitmap), and their handlers may destroy the
// control: the handlers check after each repaint as after each raise.
void XpB::OnMouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y) {
  const std::weak_ptr<const bool> alive = lifetime_;
  // The left button presses; a mask with the right or the middle one in it does not.
  if (Button < MouseButton::kRight) {
    state_.IsDown = 1;
    Refresh();
    if (alive.expired()) return;
  }
  events_.MouseDown(Button, Shift, X, Y);
}

void XpB::OnMouseUp(std::int16_t Button, std::int16_t Shift, float X, float Y) {
  const std::weak_ptr<const bool> alive = lifetime_;
  state_.IsDown = 0;
  state_.IsOver = 0;
  if (Button < MouseButton::kRight) {
    Refresh();
    if (alive.expired()) return;
    // Where the pointer is now, not where the release happened: a release dragged off the
    // control does not click.
    if (host_.WindowUnderPointer() == host_.WindowHandle()) {
      events_.Click();
      if (alive.expired()) return;
    }
  }
  events_.MouseUp(Button, Shift, X, Y);
}

void XpB::OnResize() { UpdateSize(); }

// Hover is found by polling: a move only starts the timer, and its ticks compare the window
// under the pointer with the control's own.
void XpB::OnMouseMove(std::int16_t, std::int16_t, float, float) { host_.SetTimerEnabled(true); }

void XpB::OnTimer() {
  const std::weak_ptr<const bool> alive = lifetime_;
  const bool over = host_.WindowUnderPointer() == host_.WindowHandle();
  if (over && state_.IsOver == 0) {
    host_.ReleaseCapture();
    state_.IsOver = 1;
    std::int16_t Shift = 0;
    events_.MouseIn(Shift);
    if (alive.expired()) return;
    Refresh();
    if (alive.expired()) return;
    host_.SetCapture();
  } else if (!over && state_.IsOver == 1) {
    state_.IsOver = 0;
    state_.IsDown = 0;
    host_.SetTimerEnabled(false);
    std::int16_t Shift = 0;
    events_.MouseOut(Shift);
    if (alive.expired()) return;
    Refresh();
    if (alive.expired()) return;
    host_.ReleaseCapture();
  }
}

void XpB::OnKeyDown(std::int16_t KeyCode, std::int16_t Shift) {
  const std::weak_ptr<const bool> alive = lifetime_;
  // A held space bar repeats the press; only the first shows the pressed look.
  if (state_.IsDown == 0 && KeyCode == kSpaceBar) {
    state_.IsDown = 1;
    state_.IsOver = 1;
    Refresh();
    if (alive.expired()) return;
  }
  events_.KeyDown(KeyCode, Shift);
}

void XpB::OnKeyUp(std::int16_t KeyCode, std::int16_t Shift) {
  const std::weak_ptr<const bool> alive = lifetime_;
  if (KeyCode == kSpaceBar) {
    state_.IsDown = 0;
    state_.IsOver = 0;
    Refresh();
    if (alive.expired()) return;
    // The space bar clicks as the left button does, with the pointer deciding as for it.
    OnMouseUp(MouseButton::kLeft, Shift, 0.0F, 0.0F);
    if (alive.expired()) return;
  }
  events_.KeyUp(KeyCode, Shift);
}

void XpB::OnFocusIn() {
  state_.IsOver = 0;
  state_.HasFocus = 1;
  Refresh();
}

void XpB::OnFocusOut() {
  state_.HasFocus = 0;
  state_.IsDown = 0;
  state_.IsOver = 0;
  Refresh();
}

void XpB::OnAccessKey() {
  if (EnabledCtrl()) events_.Click();
}

void XpB::OnAmbientChanged(std::u16string_view) { UpdateSize(); }

void XpB::OnTerminate() { state_.Picture.reset(); }

void XpB::UpdateAccessKey() {
  // Only the first two groups of ampersands are looked at, as the caption's text drawing
  // underlines: "&&" is a plain ampersand, and after one the next "&" marks the key.
  const std::u16string& caption = state_.Caption;
  const auto keyAfter = [&](std::size_t amp) -> std::optional<char16_t> {
    if (amp + 1 >= caption.size() || caption[amp + 1] == u'&') return std::nullopt;
    return host_.LowerCase(caption[amp + 1]);
  };
  std::optional<char16_t> key;
  const std::size_t first = caption.size() > 1 ? caption.find(u'&') : std::u16string::npos;
  if (first != std::u16string::npos && first + 1 < caption.size()) {
    if (caption[first + 1] != u'&') {
      key = keyAfter(first);
    } else {
      const std::size_t second = caption.find(u'&', first + 2);
      if (second != std::u16string::npos) key = keyAfter(second);
    }
  }
  host_.SetAccessKey(key);
}

void XpB::UpdateSize() {
  state_.SurfaceWidth = host_.ClientWidth();
  state_.SurfaceHeight = host_.ClientHeight();
  // The host's resize runs this again, nested, with the new size: the fields are read anew
  // after it, and the focus rectangle takes whatever they hold then.
  const std::weak_ptr<const bool> alive = lifetime_;
  if (state_.SurfaceWidth < kMinimumSide) {
    host_.SetClientSize(kMinimumSide, host_.ClientHeight());
    if (alive.expired()) return;
  }
  if (state_.SurfaceHeight < kMinimumSide) {
    host_.SetClientSize(host_.ClientWidth(), kMinimumSide);
    if (alive.expired()) return;
  }
  // 32-bit fields throughout, so that no size a window can have overflows the way 16 bits
  // would.
  state_.FocusRect = {4, 4, state_.SurfaceWidth - 4, state_.SurfaceHeight - 4};
  Refresh();
}

}  // namespace brackwater
