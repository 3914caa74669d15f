#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "platform/gui/control_host.h"
#include "platform/gui/device_context.h"
#include "platform/gui/picture.h"
#include "xp_button/property_store.h"
#include "xp_button/xpb_events.h"

namespace brackwater {

class XpB;

// The values of ButtonStyle that have a look of their own. The property holds any 32-bit value:
// every other value looks as the flat styles do.
enum XpBStyle : std::int32_t {
  kClassic = 0,      // the raised border, sunken while pressed
  kFlat = 1,         // no border at rest, raised under the pointer, sunken while pressed
  kFlatDefault = 2,  // the same look: the style of a button loaded without a ButtonStyle key
  kXPFace = 3,       // the XP face (see Look)
};

// The control's flags and settings in one place: setters and handlers write them, painting
// reads them. Everything is zero until the control is loaded from its store.
struct XpBState {
  // The size at the last resize.
  std::int32_t SurfaceWidth = 0;
  std::int32_t SurfaceHeight = 0;
  Rect FocusRect;
  // Laid out anew by every repaint; the picture keeps its place when PicturePosition names no
  // arrangement.
  Rect ContentRect;
  Rect CaptionRect;
  Rect PictureRect;
  PicturePtr Picture;
  std::int32_t PicturePosition = 0;
  std::int32_t ButtonStyle = 0;
  brackwater::CaptionParams CaptionParams;
  std::u16string Caption;
  // The picture's size as the layout uses it: set when a picture is assigned, and stored, so
  // a loaded picture keeps the stored size whatever its own.
  std::int32_t PictureWidth = 0;
  std::int32_t PictureHeight = 0;
  std::uint8_t HasFocus = 0;
  std::uint8_t IsDown = 0;
  std::uint8_t IsOver = 0;
  bool ShowFocusRect = false;
  std::int32_t MaskColor = 0;
  // Any non-zero value means true: a store may hold other values than the −1 the setter writes.
  std::int32_t UseMaskColor = 0;
  bool XPDefaultColors = false;
  std::int32_t XPColor_Pressed = 0;
  std::int32_t XPColor_Hover = 0;
};

// The face or border a repaint draws: the one place where style, flags and the enabled state
// meet.
enum class Look {
  kNoBorder,     // a flat style at rest
  kRaised,       // black at right and bottom, highlight at top and left
  kSunken,       // the reverse
  kXPFace,       // shading, outline and rounded corners
  kXPFocusRing,  // the same with the ring in XPColor_Pressed
  kXPHoverRing,  // the same with the ring in XPColor_Hover
  kXPPressed,    // the darker, inverted shading; no ring
  kXPDisabled,   // flat and pale
};
Look LookOf(const XpBState& state, bool enabled);

// The type a setting has in the store: what it is converted to when loaded, and what is
// written when saved.
enum class SettingType { kBoolean, kText, kInteger, kPicture };

// The default of "Caption": the host's name for the instance, asked for when it is needed.
struct InstanceNameDefault {};
using SettingDefault = std::variant<StoreValue, InstanceNameDefault>;

// One of the control's thirteen stored settings.
struct XpBSetting {
  std::u16string_view key;
  SettingType type;
  SettingDefault defaultValue;  // integers 16-bit, colours 32-bit, as the stored data has them
  int saveStep;                 // the rows stand in load order; saving goes by this
  // Puts a value already converted to `type` in its place; takes the value to save.
  void (*load)(XpB& button, const StoreValue& value);
  StoreValue (*save)(const XpB& button);
};

// The owner-drawn push button: its settings, their loading and saving, and the mouse buttons.
// Everything runs on the thread of the host window, synchronously: a setter returns after its
// repaint, and an event's handler has returned before the control goes on.
class XpB final : public ControlInput {
 public:
  XpB(ControlHost& host, XpBEvents& events);
  XpB(const XpB&) = delete;
  XpB& operator=(const XpB&) = delete;

  // Repaints the whole control into its retained image and has the host show it. Drawing a
  // bitmap lets waiting events run once; a repaint that such an event starts is complete, and
  // the one it interrupted then ends without drawing more.
  void Refresh();

  bool EnabledCtrl() const;
  // Also forgets focus, press and hover, so that a control switched back on starts at rest.
  void SetEnabledCtrl(bool New_Enabled);
  std::int32_t mhwnd() const;
  bool ShowFocusRect() const;
  void SetShowFocusRect(bool New_ShowFocusRect);
  std::u16string Caption() const;
  void SetCaption(const std::u16string& New_Caption);
  std::int32_t ButtonStyle() const;
  void SetButtonStyle(std::int32_t New_ButtonStyle);
  std::int32_t PicturePosition() const;
  void SetPicturePosition(std::int32_t New_PicturePosition);
  PicturePtr Picture() const;
  // Takes the picture's size in pixels from its HIMETRIC size at the screen's logical pixels
  // per inch; none keeps the size there was. A failure while asking the picture for its size,
  // or a size beyond 32 bits (std::overflow_error), reaches the caller with the picture already
  // replaced, the width kept if it was set, and no repaint.
  void SetPicture(PicturePtr New_Picture);
  // The ring colours and XPDefaultColors show at the next repaint: their setters only store.
  std::int32_t XPColor_Pressed() const;
  void SetXPColor_Pressed(std::int32_t New_XPColor_Pressed);
  std::int32_t XPColor_Hover() const;
  void SetXPColor_Hover(std::int32_t New_XPColor_Hover);
  bool XPDefaultColors() const;
  void SetXPDefaultColors(bool New_XPDefaultColors);
  std::int32_t MaskColor() const;
  void SetMaskColor(std::int32_t New_MaskColor);
  bool UseMaskColor() const;
  void SetUseMaskColor(bool New_V);

  // The thirteen settings, read from the store in this order. A value that cannot be read or
  // converted raises StoreError and stops the load at its key: earlier settings are loaded,
  // later ones keep what they had, and the access key and size are not taken up. Loading
  // ends with the access key, the size and a repaint.
  void LoadFromStore(const PropertyStore& store);
  // Writes the thirteen settings, each against its default; changes nothing and paints
  // nothing. A failing write stops at its key, with the earlier ones written.
  void SaveToStore(PropertyStore& store) const;
  // The table both of them go by.
  static std::span<const XpBSetting> Settings();

  void OnMouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y) override;
  void OnMouseUp(std::int16_t Button, std::int16_t Shift, float X, float Y) override;
  void OnResize() override;
  void OnMouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y) override;
  void OnKeyDown(std::int16_t KeyCode, std::int16_t Shift) override;
  void OnKeyUp(std::int16_t KeyCode, std::int16_t Shift) override;
  void OnFocusIn() override;
  void OnFocusOut() override;
  void OnAccessKey() override;
  void OnTimer() override;
  void OnAmbientChanged(std::u16string_view name) override;
  void OnTerminate() override;

  // Sets the flags that the input handlers keep and repaints: for tools and tests that show a
  // state without driving the input that leads to it.
  void SetInputFlags(std::uint8_t hasFocus, std::uint8_t isDown, std::uint8_t isOver);

  // What painting reads, and what it laid out.
  std::uint8_t HasFocus() const { return state_.HasFocus; }
  std::uint8_t IsDown() const { return state_.IsDown; }
  std::uint8_t IsOver() const { return state_.IsOver; }
  std::int32_t PictureWidth() const { return state_.PictureWidth; }
  std::int32_t PictureHeight() const { return state_.PictureHeight; }
  std::int32_t SurfaceWidth() const { return state_.SurfaceWidth; }
  std::int32_t SurfaceHeight() const { return state_.SurfaceHeight; }
  Rect FocusRect() const { return state_.FocusRect; }
  Rect ContentRect() const { return state_.ContentRect; }
  Rect CaptionRect() const { return state_.CaptionRect; }
  Rect PictureRect() const { return state_.PictureRect; }

  // The retained image as the last repaint left it, SurfaceWidth x SurfaceHeight.
  const Image& Surface() const { return surface_; }
  // The scratch image that holds a bitmap picture while it is copied with its transparent
  // colour; it keeps the last bitmap drawn.
  const Image& Picture1() const { return picture1_; }
  // The surface's text colour, which the caption's drawing leaves set.
  Rgb TextColor() const { return dc_.TextColor(); }

 private:
  static constexpr std::int16_t kSpaceBar = 32;

  void UpdateAccessKey();
  void UpdateSize();
  void CalcLayout();
  void MeasureCaption();
  void TakeUpDrawnSettings(Look look, bool enabled);
  void DrawLook(Look look);
  void DrawXPFace(Look look);
  void DrawRing(Rgb R);
  void DrawCaption(bool enabled);
  // False when the control was repainted anew or destroyed while it let events run: the caller
  // then stops at once.
  bool DrawPicture(bool enabled, std::uint64_t repaint);
  void DrawBitmapOnPicture1(const Image& bitmap);
  void ShowSurface();
  StoreValue DefaultOf(const XpBSetting& setting) const;

  ControlHost& host_;
  XpBEvents& events_;
  XpBState state_;
  Image surface_;
  DeviceContext dc_;
  Image picture1_;
  DeviceContext picture1Dc_;
  // Counts repaints, so that one interrupted by another can tell.
  std::uint64_t repaints_ = 0;
  // A container's handler may destroy the control (closing the window from Click, say): each
  // raise that is followed by more work checks that this is still alive.
  std::shared_ptr<const bool> lifetime_ = std::make_shared<const bool>(true);
};

}  // namespace brackwater
