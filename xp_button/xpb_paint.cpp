#include "xp_button/xpb_paint.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "xp_button/xpb.h"

namespace brackwater {
namespace {

constexpr std::int32_t kBackColor = SystemColor(SystemColorIndex::kButtonFace);
constexpr std::int32_t kButtonShadow = SystemColor(SystemColorIndex::kButtonShadow);
constexpr std::int32_t kButtonText = SystemColor(SystemColorIndex::kButtonText);
constexpr std::int32_t kButtonHighlight = SystemColor(SystemColorIndex::kButtonHighlight);
constexpr std::int32_t kDarkShadow = SystemColor(SystemColorIndex::k3DDarkShadow);
constexpr std::int32_t kBlack = 0x00000000;
// The platform's default foreground of a control: the colour the surface's text is left in
// after a disabled caption.
constexpr std::int32_t kForeColor = kButtonText;

constexpr std::int32_t kDefaultPressed = 0x00E6AA8C;  // RGB(140, 170, 230), a light blue
constexpr std::int32_t kDefaultHover = 0x004799E1;    // RGB(225, 153, 71), an orange

// Twelve steps lighter than the outline, as the disabled face's inner corners are lighter than
// its frame: the pixel on the corner's diagonal softens the rounding without leaving a hole.
constexpr std::int32_t kInnerCornerLift = 12;

constexpr unsigned kCaptionFormat =
    TextFormat::kWordBreak | TextFormat::kVCenter | TextFormat::kCenter;
constexpr std::int64_t kGap = 4;  // between picture and caption

constexpr std::int32_t Ole(Rgb rgb) { return static_cast<std::int32_t>(rgb); }

// The XP face of an enabled button, with or without a ring.
constexpr bool IsEnabledXPFace(Look look) {
  return look == Look::kXPFace || look == Look::kXPFocusRing || look == Look::kXPHoverRing ||
         look == Look::kXPPressed;
}

Rect Placed(std::int32_t left, std::int32_t top, std::int64_t width, std::int64_t height) {
  return {left, top, Narrow(left + width), Narrow(top + height)};
}

Rect Shifted(const Rect& r, std::int32_t by) {
  return {Narrow(std::int64_t{r.left} + by), Narrow(std::int64_t{r.top} + by),
          Narrow(std::int64_t{r.right} + by), Narrow(std::int64_t{r.bottom} + by)};
}

std::int64_t WidthOf(const Rect& r) { return std::int64_t{r.right} - r.left; }
std::int64_t HeightOf(const Rect& r) { return std::int64_t{r.bottom} - r.top; }

// One row of the shading: the single-precision step times the row, the product taken in
// double. A step stored short of its value can round a half the other way (50 / 12 at row 9
// gives 37 where the exact 37.5 would give 38).
std::int32_t ShadeAmount(float step, std::int32_t row) {
  return Narrow(RoundHalfEven(static_cast<double>(-step) * row));
}

// How PicturePosition 0 to 3 arranges the pair: picture above, left of, right of and below the
// caption. The block that comes first is centred with the gap and the other, which follows it.
struct Arrangement {
  bool sideBySide;
  bool pictureFirst;
};
constexpr std::array<Arrangement, 4> kArrangements{{
    {false, true},
    {true, true},
    {true, false},
    {false, false},
}};

struct Block {
  Rect& rect;
  std::int64_t width;
  std::int64_t height;
};

void Arrange(const Rect& content, const Arrangement& how, Block first, Block second) {
  const std::int64_t CW = WidthOf(content);
  const std::int64_t CH = HeightOf(content);
  if (how.sideBySide) {
    const std::int32_t left = Centred(CW, first.width + second.width + kGap, content.left);
    first.rect = Placed(left, Centred(CH, first.height, content.top), first.width, first.height);
    second.rect = Placed(Narrow(first.rect.right + kGap), Centred(CH, second.height, content.top),
                         second.width, second.height);
  } else {
    const std::int32_t top = Centred(CH, first.height + second.height + kGap, content.top);
    first.rect = Placed(Centred(CW, first.width, content.left), top, first.width, first.height);
    second.rect = Placed(Centred(CW, second.width, content.left), Narrow(first.rect.bottom + kGap),
                         second.width, second.height);
  }
}

}  // namespace

Rgb ResolveColor(std::int32_t color, const SystemColors& colors) {
  const auto value = static_cast<std::uint32_t>(color);
  if ((value & 0x80000000u) != 0) return colors.Color(static_cast<int>(value & 0x7FFFFFFFu));
  return value;
}

Rgb ShiftColor(Rgb color, std::int32_t amount) {
  const auto channel = [&](int shift) {
    const std::int64_t moved = std::int64_t{(color >> shift) & 0xFF} + amount;
    return static_cast<Rgb>(std::clamp<std::int64_t>(moved, 0, 255)) << shift;
  };
  return channel(0) | channel(8) | channel(16);
}

void PaintRect(DeviceContext& dc, std::int32_t left, std::int32_t top, std::int32_t right,
               std::int32_t bottom, std::int32_t color, std::uint8_t filled) {
  const Rgb rgb = ResolveColor(color, dc.Colors());
  if (filled == 1) {
    dc.FillRect({left, top, right, bottom}, rgb);
  } else {
    dc.FrameRect({left, top, right, bottom}, rgb);
  }
}

std::int64_t RoundHalfEven(double value) {
  const double down = std::floor(value);
  const double fraction = value - down;
  double rounded = down;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(down, 2.0) != 0.0)) rounded = down + 1.0;
  if (!(rounded >= -9.2e18 && rounded <= 9.2e18)) throw std::overflow_error("coordinate overflow");
  return static_cast<std::int64_t>(rounded);
}

std::int32_t Narrow(std::int64_t value) {
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    throw std::overflow_error("coordinate beyond 32 bits");
  }
  return static_cast<std::int32_t>(value);
}

std::int32_t Centred(std::int64_t extent, std::int64_t size, std::int32_t start) {
  return Narrow(RoundHalfEven(static_cast<double>(extent - size) * 0.5 + start));
}

Look LookOf(const XpBState& state, bool enabled) {
  if (state.ButtonStyle == XpBStyle::kXPFace) {
    if (!enabled) return Look::kXPDisabled;
    if (state.IsDown != 0) return Look::kXPPressed;
    if (state.IsOver == 1) return Look::kXPHoverRing;
    if (state.HasFocus == 1) return Look::kXPFocusRing;
    return Look::kXPFace;
  }
  if (state.IsDown == 1) return Look::kSunken;
  if (state.IsOver == 1 || state.ButtonStyle == XpBStyle::kClassic) return Look::kRaised;
  return Look::kNoBorder;
}

void XpB::Refresh() {
  const std::uint64_t repaint = ++repaints_;
  const bool enabled = host_.Enabled();
  const Look look = LookOf(state_, enabled);
  TakeUpDrawnSettings(look, enabled);
  const std::int32_t W = std::max(state_.SurfaceWidth, 0);
  const std::int32_t H = std::max(state_.SurfaceHeight, 0);
  // The image is kept from one repaint to the next: only a new size allocates.
  if (surface_.width != W || surface_.height != H) surface_ = Image(W, H);
  PaintRect(dc_, 0, 0, W, H, kBackColor, 1);
  DrawLook(look);
  CalcLayout();
  if (!state_.Caption.empty()) DrawCaption(enabled);
  if (state_.Picture != nullptr && !DrawPicture(enabled, repaint)) return;
  if (state_.HasFocus == 1 && state_.ShowFocusRect && state_.ButtonStyle != XpBStyle::kXPFace) {
    dc_.DrawFocusRect(state_.FocusRect);
  }
  ShowSurface();
}

// Some settings read back as what a repaint shows: the default ring colours, and the mask colour
// taken from the bitmap. They are settled here, all before the first pixel is drawn, so that the
// drawing after it only reads the settings, and a handler that runs during the bitmap's yield
// already finds them as the repaint shows them.
void XpB::TakeUpDrawnSettings(Look look, bool enabled) {
  XpBState& s = state_;
  // Written back, so that they read (and save) as the colours an enabled XP face shows.
  if (s.XPDefaultColors && IsEnabledXPFace(look)) {
    s.XPColor_Pressed = kDefaultPressed;
    s.XPColor_Hover = kDefaultHover;
  }
  if (!enabled || s.Picture == nullptr || s.Picture->Kind() != PictureKind::kBitmap) return;
  // The mask colour is the bitmap's top-left pixel as it lies over the face on the scratch
  // image, so the bitmap goes there now, and DrawPicture copies it from there.
  DrawBitmapOnPicture1(s.Picture->Pixels());
  if (s.UseMaskColor == 0) {
    s.MaskColor = Ole(ResolveColor(Ole(picture1Dc_.GetPixel(0, 0)), host_.Colors()));
  }
}

void XpB::ShowSurface() { host_.ShowSurface({surface_.width, surface_.height, surface_.pixels}); }

void XpB::DrawLook(Look look) {
  const std::int32_t W = state_.SurfaceWidth;
  const std::int32_t H = state_.SurfaceHeight;
  // The second frame lies one pixel further right and down, so only its top and left edges
  // fall on the surface: the first frame's colour stays at right and bottom.
  const std::int32_t beyondW = Narrow(std::int64_t{W} + 1);
  const std::int32_t beyondH = Narrow(std::int64_t{H} + 1);
  switch (look) {
    case Look::kNoBorder:
      return;
    case Look::kRaised:
      PaintRect(dc_, 0, 0, W, H, kBlack, 0);
      PaintRect(dc_, 0, 0, beyondW, beyondH, kButtonHighlight, 0);
      return;
    case Look::kSunken:
      PaintRect(dc_, 0, 0, W, H, kButtonHighlight, 0);
      PaintRect(dc_, 0, 0, beyondW, beyondH, kBlack, 0);
      return;
    case Look::kXPFace:
    case Look::kXPFocusRing:
    case Look::kXPHoverRing:
    case Look::kXPPressed:
    case Look::kXPDisabled:
      DrawXPFace(look);
      return;
  }
}

void XpB::DrawXPFace(Look look) {
  const SystemColors& colors = host_.Colors();
  const Rgb face = ResolveColor(kBackColor, colors);
  const Rgb base = ShiftColor(face, 48);
  const std::int32_t W = state_.SurfaceWidth;
  // Taken once: the shading below runs to this height.
  const std::int32_t H = state_.SurfaceHeight;
  Rgb corner = 0;
  if (look == Look::kXPDisabled) {
    PaintRect(dc_, 0, 0, W, H, Ole(ShiftColor(base, -24)), 1);
    PaintRect(dc_, 0, 0, W, H, Ole(ShiftColor(base, -84)), 0);
    corner = ShiftColor(base, -72);
  } else {
    if (H == 0) return;
    if (look == Look::kXPPressed) {
      const auto step = static_cast<float>(25.0 / H);
      const Rgb dark = ShiftColor(base, -32);
      for (std::int32_t i = 1; i <= H; ++i) {
        dc_.Line(0, H - i, W, H - i, ShiftColor(dark, ShadeAmount(step, i)));
      }
      PaintRect(dc_, 0, 0, W, H, kDarkShadow, 0);
    } else {
      const auto step = static_cast<float>(50.0 / H);
      for (std::int32_t i = 1; i <= H; ++i) {
        dc_.Line(0, i, W, i, ShiftColor(0x00FFFFFF, ShadeAmount(step, i)));
      }
      PaintRect(dc_, 0, 0, W, H, kDarkShadow, 0);
      if (look == Look::kXPHoverRing) DrawRing(ResolveColor(state_.XPColor_Hover, colors));
      if (look == Look::kXPFocusRing) DrawRing(ResolveColor(state_.XPColor_Pressed, colors));
    }
    corner = ShiftColor(ResolveColor(kDarkShadow, colors), kInnerCornerLift);
  }
  // The three outer pixels of each corner in the face colour round the outline off against
  // the background; the inner one sits on the corner's diagonal.
  dc_.Box(0, 0, 1, 1, face);
  dc_.SetPixel(1, 1, corner);
  dc_.Box(0, H - 2, 1, H, face);
  dc_.SetPixel(1, H - 2, corner);
  dc_.Box(W - 2, 0, W, 1, face);
  dc_.SetPixel(W - 2, 1, corner);
  dc_.Box(W - 2, H - 2, W, H, face);
  dc_.SetPixel(W - 2, H - 2, corner);
}

void XpB::DrawRing(Rgb R) {
  const std::int32_t W = state_.SurfaceWidth;
  const std::int32_t H = state_.SurfaceHeight;
  PaintRect(dc_, 1, 2, W - 1, H - 2, Ole(R), 0);
  dc_.Line(2, H - 2, W - 2, H - 2, ShiftColor(R, -40));
  dc_.Line(2, 1, W - 2, 1, ShiftColor(R, 90));
  dc_.Line(1, 2, W - 1, 2, ShiftColor(R, 35));
  dc_.Line(2, 3, 2, H - 3, ShiftColor(R, 20));
  dc_.Line(W - 3, 3, W - 3, H - 3, ShiftColor(R, 20));
  dc_.SetPixel(3, H - 4, R);
  dc_.SetPixel(W - 4, H - 4, R);
  dc_.SetPixel(W - 4, 3, ShiftColor(R, 35));
  dc_.SetPixel(3, 3, ShiftColor(R, 35));
}

void XpB::CalcLayout() {
  XpBState& s = state_;
  s.ContentRect = {4, 4, s.SurfaceWidth - 4, s.SurfaceHeight - 4};
  const Rect& content = s.ContentRect;
  if (s.Caption.empty()) {
    // Centred alone, whether a picture is set or not, and wherever PicturePosition puts it.
    s.PictureRect = Placed(Centred(WidthOf(content), s.PictureWidth, content.left),
                           Centred(HeightOf(content), s.PictureHeight, content.top), s.PictureWidth,
                           s.PictureHeight);
    return;
  }
  s.CaptionRect = s.ContentRect;
  MeasureCaption();
  if (s.Picture == nullptr) return;
  if (s.PicturePosition < 0 ||
      s.PicturePosition >= static_cast<std::int32_t>(kArrangements.size())) {
    return;  // the picture stays where the last layout put it
  }
  const Arrangement& how = kArrangements[static_cast<std::size_t>(s.PicturePosition)];
  // 64-bit sizes, so that a huge stored picture size cannot overflow the sums.
  const Block picture{s.PictureRect, s.PictureWidth, s.PictureHeight};
  const Block caption{s.CaptionRect, WidthOf(s.CaptionRect), HeightOf(s.CaptionRect)};
  if (how.pictureFirst) {
    Arrange(content, how, picture, caption);
  } else {
    Arrange(content, how, caption, picture);
  }
}

void XpB::MeasureCaption() {
  XpBState& s = state_;
  s.CaptionParams = {};
  dc_.DrawText(s.Caption, s.CaptionRect, TextFormat::kCalcRect | kCaptionFormat, s.CaptionParams);
  const std::int64_t cw = WidthOf(s.CaptionRect);
  const std::int64_t ch = HeightOf(s.CaptionRect);
  s.CaptionRect = Placed(Centred(WidthOf(s.ContentRect), cw, s.ContentRect.left),
                         Centred(HeightOf(s.ContentRect), ch, s.ContentRect.top), cw, ch);
}

void XpB::DrawCaption(bool enabled) {
  const XpBState& s = state_;
  const SystemColors& colors = host_.Colors();
  // The measured parameters, for this drawing only: each call sets its length drawn.
  CaptionParams params = s.CaptionParams;
  if (enabled) {
    // The control's own foreground colour plays no part here.
    dc_.SetTextColor(ResolveColor(kButtonText, colors));
    Rect drawn = s.IsDown == 1 ? Shifted(s.CaptionRect, 1) : s.CaptionRect;
    dc_.DrawText(s.Caption, drawn, kCaptionFormat, params);
  } else {
    // Embossed, and never shifted: a disabled button is not pressed.
    dc_.SetTextColor(ResolveColor(kButtonHighlight, colors));
    Rect drawn = Shifted(s.CaptionRect, 1);
    dc_.DrawText(s.Caption, drawn, kCaptionFormat, params);
    dc_.SetTextColor(ResolveColor(kButtonShadow, colors));
    drawn = s.CaptionRect;
    dc_.DrawText(s.Caption, drawn, kCaptionFormat, params);
    dc_.SetTextColor(ResolveColor(kForeColor, colors));
  }
}

bool XpB::DrawPicture(bool enabled, std::uint64_t repaint) {
  const XpBState& s = state_;
  // Held for this call: a handler that runs during the yield may replace the picture.
  const PicturePtr picture = s.Picture;
  const Rect at = Shifted(s.PictureRect, s.IsDown);
  const std::int32_t w = Narrow(WidthOf(at));
  const std::int32_t h = Narrow(HeightOf(at));
  const Image& pixels = picture->Pixels();
  if (!enabled) {
    dc_.DrawDisabled(at.left, at.top, pixels);
  } else if (picture->Kind() == PictureKind::kBitmap) {
    // TakeUpDrawnSettings has put the bitmap on the scratch image.
    const std::weak_ptr<const bool> alive = lifetime_;
    host_.Yield();
    // A repaint that ran meanwhile has drawn and shown everything anew: drawing on would only
    // put a second focus cue over its first.
    if (alive.expired() || repaints_ != repaint) return false;
    // The mask colour exactly as stored: a system colour is not resolved first.
    dc_.TransparentCopy(at.left, at.top, w, h, picture1_, 0, 0, static_cast<Rgb>(s.MaskColor));
    ShowSurface();
  } else if (picture->Kind() == PictureKind::kIcon) {
    dc_.DrawPicture(at.left, at.top, w, h, pixels, s.PictureWidth, s.PictureHeight);
  }
  return true;
}

void XpB::DrawBitmapOnPicture1(const Image& bitmap) {
  // A bitmap larger than the scratch image would be cut off: the scratch image grows to hold
  // it, once, and stays that large.
  if (bitmap.width > picture1_.width || bitmap.height > picture1_.height) {
    picture1_ =
        Image(std::max(bitmap.width, picture1_.width), std::max(bitmap.height, picture1_.height));
  }
  PaintRect(picture1Dc_, 0, 0, picture1_.width, picture1_.height, kBackColor, 1);
  picture1Dc_.DrawPicture(0, 0, bitmap.width, bitmap.height, bitmap, bitmap.width, bitmap.height);
}

void XpB::SetInputFlags(std::uint8_t hasFocus, std::uint8_t isDown, std::uint8_t isOver) {
  state_.HasFocus = hasFocus;
  state_.IsDown = isDown;
  state_.IsOver = isOver;
  Refresh();
}

}  // namespace brackwater
