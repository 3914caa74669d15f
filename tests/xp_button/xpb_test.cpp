// The button: how it paints, pixel for pixel against reference sheets; its settings and their
// store; and its input, per scenario one ordered log of what it raised, asked of its host and
// showed, in every style.

#include "xp_button/xpb.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <tuple>

#include "platform/system/text_codec.h"
#include "tests/support/fixed_text_engine.h"
#include "xp_button/xpb_paint.h"

namespace brackwater {
namespace {

// A button `b` in a window that is also its container, sized as the window's first resize has
// it, so that what the button asks of its host and raises to its container lands in one log, in
// order: "Show R, Click, MouseDown 1 0 5 5, Size 10x40, Yield, ".
// (The headless host keeps no record of those calls, and has one resolution for both axes.) A
// test or a handler may destroy the button through `owner`.
class FakeHost final : public ControlHost, public XpBEvents {
  using I = std::int16_t;

 public:
  explicit FakeHost(int w = 75, int h = 25) : width(w), height(h) {
    b->OnResize();
    log.clear();
  }

  bool Enabled() const override { return enabled; }
  void SetEnabled(bool on) override { enabled = on; }
  std::int32_t WindowHandle() const override { return 7; }
  std::int32_t WindowUnderPointer() const override { return pointerOver ? 7 : 9; }
  std::u16string InstanceName() const override { return u"Command1"; }
  int PixelsPerInchX() const override { return 96; }
  int PixelsPerInchY() const override { return ppiY; }
  int ClientWidth() const override { return width; }
  int ClientHeight() const override { return height; }
  void SetClientSize(int w, int h) override {
    Log("Size " + std::to_string(w) + "x" + std::to_string(h));
    width = w;
    height = h;
    b->OnResize();
  }
  const SystemColors& Colors() const override { return colors; }
  TextEngine& Text() override { return text; }
  void SetAccessKey(std::optional<char16_t> key) override { accessKey = key; }
  void SetTimerEnabled(bool on) override { Log(on ? "Timer on" : "Timer off"); }
  void SetCapture() override { Log("Capture"); }
  void ReleaseCapture() override { Log("Release"); }
  // The look the repaint showed, a letter each in the order Look declares them: no border,
  // raised, sunken, XP face, focus ring, hover ring, pressed, disabled.
  void ShowSurface(const ImageView&) override {
    XpBState s;
    s.ButtonStyle = b->ButtonStyle();
    std::tie(s.HasFocus, s.IsDown, s.IsOver) = std::tuple(b->HasFocus(), b->IsDown(), b->IsOver());
    Log(std::string("Show ") + "NRSFfhPD"[static_cast<int>(LookOf(s, enabled))]);
  }
  void Yield() override { Log("Yield"); }

  void Click() override { Log("Click"); }
  void MouseDown(I& B, I& S, float& X, float& Y) override { Log("MouseDown", B, S, X, Y); }
  void MouseUp(I& B, I& S, float& X, float& Y) override { Log("MouseUp", B, S, X, Y); }
  void KeyDown(I& KeyCode, I& Shift) override { Log("KeyDown", KeyCode, Shift); }
  void KeyUp(I& KeyCode, I& Shift) override { Log("KeyUp", KeyCode, Shift); }
  void MouseIn(I& Shift) override { Log("MouseIn", Shift); }
  void MouseOut(I& Shift) override { Log("MouseOut", Shift); }

  std::string log;
  // Runs after each entry is logged, as the container's handlers and the yielded events would.
  std::function<void(const std::string& entry)> onLog;
  bool enabled = true, pointerOver = true;
  int ppiY = 96;
  int width, height;
  std::optional<char16_t> accessKey = u'?';
  ClassicColors colors;
  FixedTextEngine text;
  std::unique_ptr<XpB> owner = std::make_unique<XpB>(*this, *this);
  XpB* b = owner.get();

 private:
  template <typename... Number>
  void Log(std::string entry, Number... numbers) {
    ((entry += ' ' + std::to_string(static_cast<int>(numbers))), ...);
    log += entry + ", ";
    if (onLog) onLog(entry);
  }
};

// A picture of the kind with these pixels and this size in HIMETRIC.
struct FakePicture final : Picture {
  FakePicture(PictureKind k, Image p, std::int32_t width, std::int32_t height)
      : kind(k), pixels(std::move(p)), w(width), h(height) {}
  std::int32_t WidthHimetric() const override { return w; }
  std::int32_t HeightHimetric() const override { return h; }
  PictureKind Kind() const override { return kind; }
  const Image& Pixels() const override { return pixels; }
  PictureKind kind;
  Image pixels;
  std::int32_t w, h;
};

PicturePtr SizedPicture(std::int32_t w, std::int32_t h) {
  return std::make_shared<FakePicture>(PictureKind::kIcon, Image(), w, h);
}
const PicturePtr kPicture = SizedPicture(423, 423);

// 90 x 14, wider than the 83 x 55 scratch image: magenta down the left column (the top-left
// pixel is the mask colour), white at the top right, a green column at the far right, blue
// elsewhere.
PicturePtr Bitmap() {
  Image image(90, 14, 0xFF0000FF);
  for (int y = 0; y < 14; ++y) image.pixels[static_cast<std::size_t>(y * 90)] = 0xFFFF00FF;
  for (int y = 1; y < 15; ++y) image.pixels[static_cast<std::size_t>(y * 90 - 1)] = 0xFF00FF00;
  image.pixels[88] = 0xFFFFFFFF;
  return std::make_shared<FakePicture>(PictureKind::kBitmap, std::move(image), 2382, 371);
}

// 16 x 16 pixels that say they are 24 x 20: transparent but for a light grey diagonal.
PicturePtr Icon() {
  Image image(16, 16, 0x00000000);
  for (int i = 0; i < 16; ++i) image.pixels[static_cast<std::size_t>(i * 17)] = 0xFFC0C0C0;
  return std::make_shared<FakePicture>(PictureKind::kIcon, std::move(image), 636, 530);
}

// The surface at (x, y) as 0xRRGGBB.
std::uint32_t PixelAt(const Image& image, int x, int y) {
  return image.pixels.at(static_cast<std::size_t>(y * image.width + x)) & 0xFFFFFFu;
}

// The columns of a sheet: a name, HasFocus, IsDown and IsOver.
constexpr std::tuple<const char*, std::uint8_t, std::uint8_t, std::uint8_t> kStates[] = {
    {"rest", 0, 0, 0},        {"focus", 1, 0, 0},          {"over", 0, 0, 1},
    {"focus, over", 1, 0, 1}, {"down, not over", 1, 1, 0}, {"down, over", 1, 1, 1}};

// What a button shows, loaded from a store that holds only the keys that differ from their
// defaults: the caption is "Command1" unless given, the picture left of it unless placed
// otherwise, ShowFocusRect is on, and the ring colours are the system's unless built in.
struct Content {
  const char* name;
  const char16_t* caption;
  int picture;  // none, the bitmap, the icon
  std::int32_t position = 1;
  bool enabled = true;
  bool builtInColours = false;
};
const Content kContents[] = {
    {"caption", u"&OK", 0},
    {"caption, disabled", u"&OK", 0, 1, false},
    {"bitmap", u"Go", 1},
    {"bitmap, disabled", u"Go", 1, 1, false},
    {"icon alone, centred whatever its position", u"", 2, 3},
    {"icon, disabled", u"", 2, 3, false},
    {"caption, built-in ring colours", u"&OK", 0, 1, true, true},
    {"bitmap above", u"Go", 1, 0},
    {"icon right", u"R&&D &Go", 2, 2},
    {"bitmap below the instance name", nullptr, 1, 3},
    {"icon, no arrangement: where the last layout put it", u"OK", 2, 7},
};
constexpr int kWidth = 120, kGap = 2;

// One sheet per style and one of layouts: a row of buttons per content, a column per state,
// kept as binary PPM (P6) in tests/data/xp_button/. After a change meant to change the look,
// `make reference-images` rewrites them (this test run with BRACKWATER_UPDATE_IMAGES=1): look at
// every one before committing. Each run leaves the sheets it painted in its working directory.
TEST(XpBPaint, EachStyleContentAndStatePaintsItsReferenceSheet) {
  for (const auto& [name, style, first, rows, height] :
       {std::tuple{"classic", XpBStyle::kClassic, 0, 6, 28},
        {"flat", XpBStyle::kFlatDefault, 0, 6, 28},
        {"xp", XpBStyle::kXPFace, 0, 7, 28},
        {"layout", XpBStyle::kClassic, 7, 4, 48}}) {
    const int pitchX = kWidth + kGap, pitchY = height + kGap;
    Image sheet(6 * pitchX - kGap, rows * pitchY - kGap, 0xFF008080);
    for (int cell = 0; cell < rows * 6; ++cell) {
      const Content& c = kContents[first + cell / 6];
      FakeHost t(kWidth, height);
      PropertyStore store;
      if (style != XpBStyle::kFlatDefault) store.Set(u"ButtonStyle", style);
      if (!c.builtInColours) store.Set(u"XPDefaultColors", false);
      if (!c.enabled) store.Set(u"Enabled", false);
      if (c.caption != nullptr) store.Set(u"Caption", std::u16string(c.caption));
      if (c.position != 1) store.Set(u"PicturePosition", c.position);
      t.b->LoadFromStore(store);
      if (c.picture > 0) t.b->SetPicture(c.picture == 1 ? Bitmap() : Icon());
      const auto& [state, hasFocus, isDown, isOver] = kStates[cell % 6];
      t.b->SetInputFlags(hasFocus, isDown, isOver);
      for (int y = 0; y < height; ++y) {
        std::copy_n(
            t.b->Surface().pixels.begin() + y * kWidth, kWidth,
            sheet.pixels.begin() + (cell / 6 * pitchY + y) * sheet.width + cell % 6 * pitchX);
      }
    }
    std::string ppm =
        "P6\n" + std::to_string(sheet.width) + " " + std::to_string(sheet.height) + "\n255\n";
    const std::size_t header = ppm.size();
    for (const std::uint32_t p : sheet.pixels) ppm += {char(p >> 16), char(p >> 8), char(p)};
    const std::string path = std::string(BRACKWATER_TEST_DATA "/xp_button/") + name + ".ppm";
    const std::string actual = std::string("xpb_") + name + ".painted.ppm";
    std::ofstream(std::getenv("BRACKWATER_UPDATE_IMAGES") ? path : actual, std::ios::binary) << ppm;
    std::ifstream in(path, std::ios::binary);
    const std::string expected{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(expected.size(), ppm.size()) << "no sheet of this size at " << path;
    for (std::size_t i = header; i < std::min(ppm.size(), expected.size()); ++i) {
      const int x = static_cast<int>((i - header) / 3) % sheet.width;
      const int y = static_cast<int>((i - header) / 3) / sheet.width;
      if (ppm[i] == expected[i]) continue;
      ADD_FAILURE() << name << ", " << kContents[first + y / pitchY].name << ", "
                    << std::get<0>(kStates[x / pitchX]) << ": differs first at (" << x % pitchX
                    << ", " << y % pitchY << "), and maybe more; " << actual
                    << " shows what was painted";
      break;
    }
  }
}

TEST(XpBPaint, TheShadingStepIsSinglePrecision) {
  // At H = 12 row 9 is 37.5 steps down exactly, but the float step is short of 50 / 12: 37.
  FakeHost t(60, 12);
  t.b->SetButtonStyle(XpBStyle::kXPFace);
  EXPECT_EQ(PixelAt(t.b->Surface(), 30, 9), 0xDADADAu);
  // Pressed, at H = 30 row 21 is 7.5 steps exactly: 7, from (223, 223, 216).
  t.SetClientSize(60, 30);
  t.b->SetInputFlags(1, 1, 1);
  EXPECT_EQ(PixelAt(t.b->Surface(), 30, 21), 0xD8D8D1u);
}

TEST(XpBPaint, ARepaintWritesBackTheMaskColourAndTheDefaultRingColours) {
  FakeHost t(153, 41);
  std::vector<std::int32_t> masks;  // at each entry: the yield, and the two shows
  t.onLog = [&](const std::string&) { masks.push_back(t.b->MaskColor()); };
  t.b->SetPicture(Bitmap());
  EXPECT_EQ(masks, std::vector<std::int32_t>(3, 0x00FF00FF));
  // A system colour reaches the copy as stored, and matches no pixel: the white one (the
  // highlight) stays, at the bitmap's top right.
  t.b->SetUseMaskColor(true);
  t.b->SetMaskColor(SystemColor(SystemColorIndex::kButtonHighlight));
  EXPECT_EQ(PixelAt(t.b->Surface(), t.b->PictureRect().left + 88, t.b->PictureRect().top),
            0xFFFFFFu);
  t.b->SetXPDefaultColors(true);
  t.b->SetXPColor_Hover(0xFF);
  t.b->SetEnabledCtrl(false);
  t.b->SetButtonStyle(XpBStyle::kXPFace);
  EXPECT_EQ(t.b->XPColor_Hover(), 0xFF);  // the repaint of a disabled button leaves them
  t.b->SetEnabledCtrl(true);
  EXPECT_EQ(std::pair(t.b->XPColor_Pressed(), t.b->XPColor_Hover()),
            std::pair(0x00E6AA8C, 0x004799E1));
}

TEST(XpBPaint, ARepaintDuringTheYieldIsTheOneThatShows) {
  FakeHost t(153, 41);
  t.b->SetPicture(Bitmap());
  t.b->SetShowFocusRect(true);
  t.log.clear();
  t.onLog = [&](const std::string& entry) {
    if (entry == "Yield" && t.b->HasFocus() == 0) t.b->SetInputFlags(1, 0, 0);
  };
  t.b->OnAmbientChanged(u"Font");  // repaints
  EXPECT_EQ(t.log, "Yield, Yield, Show R, Show R, ");
  // One focus cue, not two that cancel: its first dot inverts the face.
  EXPECT_EQ(PixelAt(t.b->Surface(), 4, 4), 0x2B2F37u);
}

TEST(XpBPaint, AButtonDestroyedDuringTheYieldIsNotTouched) {
  FakeHost t;
  t.b->SetPicture(Bitmap());
  t.log.clear();
  t.onLog = [&](const std::string&) { t.owner.reset(); };
  t.b->OnMouseDown(1, 0, 1, 1);
  EXPECT_EQ(t.log, "Yield, ");
}

TEST(XpBSettings, LoadAndSaveGoByTheirOrderAndDefaults) {
  FakeHost t;
  t.b->LoadFromStore(PropertyStore());
  PropertyStore saved;
  t.b->SaveToStore(saved);
  // ShowFocusRect and XPDefaultColors default to the integer 1, which true (-1) is not.
  ASSERT_EQ(saved.Entries().size(), 2u);
  EXPECT_EQ(saved.Entries()[0].key + saved.Entries()[1].key, u"ShowFocusRectXPDefaultColors");
  EXPECT_EQ(t.log, "Show N, ");  // the flat default style, and no repaint for saving
  // Every key, in lower case, into its property and back as it was, in the saving order; the
  // window's own enabled switch leaves the flags alone. Integers are 1000 + the key's place.
  PropertyStore source;
  std::int32_t number = 1000;
  for (const XpBSetting& setting : XpB::Settings()) {
    std::u16string key(setting.key);
    for (char16_t& c : key) c = c >= u'A' && c <= u'Z' ? c + 32 : c;
    const StoreValue values[] = {false, std::u16string(u"&Save"), number++, kPicture};
    source.Set(key, values[static_cast<int>(setting.type)]);
  }
  source.Set(u"PictureWidth", 2147483647);
  t.b->SetInputFlags(1, 1, 1);
  t.b->LoadFromStore(source);
  EXPECT_EQ(std::tuple(t.accessKey, t.b->HasFocus(), t.b->IsDown(), t.b->IsOver()),
            std::tuple(u's', 1, 1, 1));
  t.b->SaveToStore(saved);
  EXPECT_EQ(
      std::tuple(saved.Entries().size(), t.b->ShowFocusRect(), t.b->Caption(),
                 t.b->PicturePosition(), t.b->XPDefaultColors(), t.b->mhwnd(), t.b->UseMaskColor()),
      std::tuple(13u, false, u"&Save", 1002, false, 7, true));
  for (const StoreEntry& entry : saved.Entries()) {
    EXPECT_EQ(entry.value, *source.Find(entry.key)) << Utf16ToUtf8(entry.key);
  }
  // UseMaskColor keeps the integer it was stored as (1012, which reads as true); its setter
  // writes -1.
  t.b->SetUseMaskColor(true);
  t.b->SaveToStore(saved);
  EXPECT_EQ(*saved.Find(u"UseMaskColor"), StoreValue(std::int32_t{-1}));
  // Stored sizes beyond 16 bits are laid out.
  t.b->SetPicturePosition(1);
  EXPECT_EQ(std::int64_t{t.b->PictureRect().right} - t.b->PictureRect().left, 2147483647);
  EXPECT_EQ(t.b->CaptionRect().left, t.b->PictureRect().right + 4);
}

TEST(XpBProperties, APictureTakesItsSizeAtTheScreensResolution) {
  FakeHost t;
  t.ppiY = 192;
  t.b->SetPicture(SizedPicture(423, 847));  // 15.99 and 64.02 pixels
  EXPECT_EQ(std::pair(t.b->PictureWidth(), t.b->PictureHeight()), std::pair(16, 64));
  t.ppiY = 127;
  t.b->SetPicture(SizedPicture(423, 70));  // 3.5: halves to even
  EXPECT_EQ(t.b->PictureHeight(), 4);
  // None keeps the size. A height beyond 32 bits fails with the picture set and the width taken.
  t.b->SetPicture(nullptr);
  t.ppiY = 10000;
  const PicturePtr huge = SizedPicture(847, 1000000000);
  EXPECT_THROW(t.b->SetPicture(huge), std::overflow_error);
  EXPECT_EQ(std::tuple(t.b->Picture(), t.b->PictureWidth(), t.b->PictureHeight()),
            std::tuple(huge, 32, 4));
  t.b->OnTerminate();
  EXPECT_EQ(t.b->Picture(), nullptr);
}

TEST(XpBProperties, TheCaptionMarksItsAccessKey) {
  // Only the first two groups of ampersands count.
  const std::pair<std::u16string, std::optional<char16_t>> rows[] = {
      {u"&Save", u's'}, {u"S&ave", u'a'}, {u"Save&", {}}, {u"&", {}},        {u"R&&D &Go", u'g'},
      {u"R&&D", {}},    {u"&&&x", u'x'},  {u"&&&&x", {}}, {u"a&&b&&c&d", {}}};
  FakeHost t;
  for (const auto& [caption, key] : rows) {
    t.b->SetCaption(caption);
    EXPECT_EQ(t.accessKey, key) << Utf16ToUtf8(caption);
  }
}

TEST(StoreConversions, NumbersAndBooleansFromEveryKindOfValue) {
  // The value, or the kind of error.
  using Outcome = std::variant<std::int32_t, bool, StoreErrorKind>;
  using Text = std::u16string;
  const auto outcome = [](auto convert, const StoreValue& value) -> Outcome {
    try {
      return convert(value, u"k");
    } catch (const StoreError& error) {
      return error.Kind();
    }
  };
  using enum StoreErrorKind;
  const struct {
    StoreValue value;
    Outcome number, boolean;
  } rows[] = {
      {StoreValue(), 0, false},
      {Text(u" 42\t"), 42, true},
      {Text(u".5"), 0, true},
      {Text(u"-3.5"), -4, true},
      {Text(u"1e-400"), 0, false},
      {Text(u"2147483647"), 2147483647, true},
      {Text(u"2147483648"), kOverflow, true},
      {Text(u"1e400"), kOverflow, kOverflow},
      {Text(u""), kTypeMismatch, kTypeMismatch},
      {kPicture, kTypeMismatch, kTypeMismatch},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(outcome(ToInt32, row.value), row.number) << DescribeStoreValue(row.value);
    EXPECT_EQ(outcome(ToBoolean, row.value), row.boolean) << DescribeStoreValue(row.value);
  }
  EXPECT_EQ(ToText(std::int16_t{-3}, u"k"), u"-3");
  EXPECT_THROW(ToText(kPicture, u"k"), StoreError);
  EXPECT_THROW(ToPicture(std::int32_t{1}, u"k"), StoreError);
}

// A repaint shows a look, one letter per style in the order classic, flat, flat default, XP
// face, and a style of no look of its own (7): N no border, R raised, S sunken, F XP face, f focus
// ring, h hover ring, P XP pressed, D XP disabled.
constexpr std::int32_t kStyles[] = {0, 1, 2, 3, 7};

// The steps a scenario is spelled in, a word each.
const std::map<std::string, std::function<void(FakeHost&)>> kSteps = {
    {"over", [](FakeHost& t) { t.pointerOver = true; }},
    {"away", [](FakeHost& t) { t.pointerOver = false; }},
    {"move", [](FakeHost& t) { t.b->OnMouseMove(0, 0, 5, 5); }},
    {"tick", [](FakeHost& t) { t.b->OnTimer(); }},
    {"down", [](FakeHost& t) { t.b->OnMouseDown(1, 0, 5, 5); }},
    {"up", [](FakeHost& t) { t.b->OnMouseUp(1, 0, 5, 5); }},
    {"right-down", [](FakeHost& t) { t.b->OnMouseDown(2, 3, 2.5F, 4); }},
    {"right-up", [](FakeHost& t) { t.b->OnMouseUp(2, 3, 2.5F, 4); }},
    {"space", [](FakeHost& t) { t.b->OnKeyDown(32, 0); }},
    {"space-up", [](FakeHost& t) { t.b->OnKeyUp(32, 0); }},
    {"enter", [](FakeHost& t) { t.b->OnKeyDown(13, 0); }},
    {"enter-up", [](FakeHost& t) { t.b->OnKeyUp(13, 0); }},
    {"focus", [](FakeHost& t) { t.b->OnFocusIn(); }},
    {"blur", [](FakeHost& t) { t.b->OnFocusOut(); }},
    {"access-key", [](FakeHost& t) { t.b->OnAccessKey(); }},
    {"switch-off", [](FakeHost& t) { t.b->SetEnabledCtrl(false); }},
    {"switch-on", [](FakeHost& t) { t.b->SetEnabledCtrl(true); }},
    {"caption", [](FakeHost& t) { t.b->SetCaption(u"Go"); }},
    {"pressed-colour", [](FakeHost& t) { t.b->SetXPColor_Pressed(0xFF); }},
    {"hover-colour", [](FakeHost& t) { t.b->SetXPColor_Hover(0xFF); }},
    {"default-colours", [](FakeHost& t) { t.b->SetXPDefaultColors(true); }},
    // The flags, and the focus rectangle's right as the last resize left it.
    {"state",
     [](FakeHost& t) {
       t.log += "State " +
                std::to_string(t.b->HasFocus() * 100 + t.b->IsDown() * 10 + t.b->IsOver()) + " " +
                std::to_string(t.b->FocusRect().right) + ", ";
     }},
    // Both sides below ten pixels: each resize runs the handler again.
    {"shrink", [](FakeHost& t) { t.SetClientSize(5, 5); }},
    // The container's handler destroys the button when it clicks.
    {"handler-destroys",
     [](FakeHost& t) {
       t.onLog = [&t](const std::string& entry) {
         if (entry == "Click") t.owner.reset();
       };
     }},
};

const std::string kHover = "Timer on, Release, MouseIn 0, Show RRRhR, Capture, ";
const std::string kHoverAgain = "Release, MouseIn 0, Show RRRhR, Capture, ";
const std::string kHoverEnds = "Timer off, MouseOut 0, Show RNNFN, Release, ";
const std::string kPress = "Show SSSPS, MouseDown 1 0 5 5, ";

TEST(XpBInput, ScenariosRaiseAndShowInOrderInEveryStyle) {
  const std::pair<const char*, std::string> scenarios[] = {
      // A click; the next tick begins the hover again.
      {"over move tick down up tick",
       kHover + kPress + "Show RNNFN, Click, MouseUp 1 0 5 5, " + kHoverAgain},
      // Dragged off, kept away, released away: no click.
      {"over move tick down away tick tick up",
       kHover + kPress + kHoverEnds + "Show RNNFN, MouseUp 1 0 5 5, "},
      // The right button does not press; any release ends a press unseen.
      {"right-down right-up down right-up focus",
       "MouseDown 2 3 2 4, MouseUp 2 3 2 4, " + kPress + "MouseUp 2 3 2 4, Show RNNfN, "},
      // The space bar held repeats only KeyDown, and clicks as the left button.
      // Away from the button it does not click, and Enter never does.
      {"space space space-up away space space-up enter enter-up",
       "Show SSSPS, KeyDown 32 0, KeyDown 32 0, Show RNNFN, Show RNNFN, Click, MouseUp 1 0 0 0, "
       "KeyUp 32 0, Show SSSPS, KeyDown 32 0, Show RNNFN, Show RNNFN, MouseUp 1 0 0 0, KeyUp 32 0, "
       "KeyDown 13 0, KeyUp 13 0, "},
      // Tabbed into while hovered: the hover goes, and comes back at the next tick; tabbed away
      // while held down: the press goes.
      {"over move tick focus tick space blur",
       kHover + "Show RNNfN, " + kHoverAgain + "Show SSSPS, KeyDown 32 0, Show RNNFN, "},
      // Switched off while focused, pressed and hovered, then on: at rest.
      {"focus over move tick down switch-off state access-key switch-on access-key",
       "Show RNNfN, " + kHover + kPress + "Show RNNDN, State 0 71, Show RNNFN, Click, "},
      // The ring colours only store; the other setters repaint, each once.
      {"pressed-colour hover-colour default-colours caption", "Show RNNFN, "},
      {"shrink state",
       "Size 5x5, Size 10x5, Size 10x10, Show RNNFN, Show RNNFN, Show RNNFN, State 0 6, "},
      // Nothing of the button runs after the handler that destroyed it.
      {"handler-destroys down up", kPress + "Show RNNFN, Click, "},
  };
  for (const auto& [steps, expected] : scenarios) {
    for (int k = 0; k < 5; ++k) {
      FakeHost t;
      t.b->SetButtonStyle(kStyles[k]);
      t.log.clear();
      std::istringstream words(steps);
      for (std::string word; words >> word;) kSteps.at(word)(t);
      // Each style's own letter.
      const std::regex show("Show (.)(.)(.)(.)(.)");
      EXPECT_EQ(t.log, std::regex_replace(expected, show, "Show $" + std::to_string(k + 1)))
          << steps << ", style " << kStyles[k];
    }
  }
}

}  // namespace
}  // namespace brackwater
