#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "tests/xp_button/fake_host.h"
#include "xp_button/xpb.h"

namespace brackwater {
namespace {

using testing::EventLog;
using testing::FakePicture;
using testing::PaintedButton;

// An icon of this size: the layout only asks for its size.
PicturePtr IconOf(int width, int height) {
  return std::make_shared<FakePicture>(PictureKind::kIcon, Image(width, height, 0));
}

TEST(XpBLayout, APictureAloneIsCentredWhateverItsPosition) {
  // ContentRect is 72 pixels wide: a 17-pixel picture starts at 31.5, a 19-pixel one at 30.5.
  const struct {
    int side;
    std::int32_t position;
    Rect picture;
  } rows[] = {
      {17, 1, {32, 32, 49, 49}},
      {19, 1, {30, 30, 49, 49}},
      {17, 2, {32, 32, 49, 49}},
      {17, 7, {32, 32, 49, 49}},
  };
  for (const auto& row : rows) {
    PaintedButton t(80, 80, XpBStyle::kFlat);
    t.button.SetPicturePosition(row.position);
    t.button.SetPicture(IconOf(row.side, row.side));
    EXPECT_EQ(t.button.ContentRect(), (Rect{4, 4, 76, 76}));
    EXPECT_EQ(t.button.PictureRect(), row.picture) << row.side << " at " << row.position;
  }
}

TEST(XpBLayout, APictureLeftOfACaptionMeasuredThirtyByThirteen) {
  PaintedButton t(80, 24, XpBStyle::kFlat);
  t.host.text.engine = &t.host.blockText;
  t.host.blockText.width = 30;
  t.host.blockText.height = 13;
  t.button.SetPicturePosition(1);
  t.button.SetCaption(u"Caption");
  t.button.SetPicture(IconOf(16, 16));
  EXPECT_EQ(t.button.ContentRect(), (Rect{4, 4, 76, 20}));
  EXPECT_EQ(t.button.PictureRect(), (Rect{15, 4, 31, 20}));
  EXPECT_EQ(t.button.CaptionRect(), (Rect{35, 6, 65, 19}));  // its top is 5.5, rounded to 6
}

TEST(XpBLayout, EachPicturePositionPlacesThePairAsOneBlock) {
  // "OK" in the fixed-width font measures 14 x 13: two cells and the one-pixel margins.
  const struct {
    std::int32_t position;
    Rect picture;
    Rect caption;
  } rows[] = {
      {0, {68, 4, 84, 20}, {70, 24, 84, 37}},   // above
      {1, {60, 12, 76, 28}, {80, 14, 94, 27}},  // left of
      {2, {78, 12, 94, 28}, {60, 14, 74, 27}},  // right of
      {3, {68, 21, 84, 37}, {70, 4, 84, 17}},   // below
  };
  for (const auto& row : rows) {
    PaintedButton t(153, 41, XpBStyle::kFlat);
    t.button.SetCaption(u"OK");
    t.button.SetPicture(IconOf(16, 16));
    t.button.SetPicturePosition(row.position);
    EXPECT_EQ(t.button.PictureRect(), row.picture) << "position " << row.position;
    EXPECT_EQ(t.button.CaptionRect(), row.caption) << "position " << row.position;
  }
}

TEST(XpBLayout, ACaptionWithoutAPictureOrAnUnknownPositionIsCentredAlone) {
  PaintedButton t(153, 41, XpBStyle::kFlat);
  t.button.SetCaption(u"OK");
  EXPECT_EQ(t.button.CaptionRect(), (Rect{70, 14, 84, 27}));
  // A position that names no arrangement leaves the picture where the last layout put it.
  t.button.SetPicture(IconOf(16, 16));
  t.button.SetPicturePosition(1);
  t.button.SetPicturePosition(7);
  EXPECT_EQ(t.button.PictureRect(), (Rect{60, 12, 76, 28}));
  EXPECT_EQ(t.button.CaptionRect(), (Rect{70, 14, 84, 27}));
  // A caption that wraps: its block is as wide as its widest line.
  t.button.SetCaption(u"Export the notes to a text file");
  EXPECT_EQ(t.button.CaptionRect(), (Rect{12, 8, 140, 34}));
}

TEST(XpBLayout, PictureSizesBeyondSixteenBitsAreLaidOut) {
  for (const std::int32_t width : {40000, 2147483647}) {
    PaintedButton t(153, 41, XpBStyle::kFlat);
    PropertyStore store;
    store.WriteValue(u"Caption", std::u16string(u"OK"), std::u16string());
    store.WriteValue(u"ButtonStyle", std::int32_t{1}, std::int32_t{0});
    store.WriteValue(u"PictureWidth", width, std::int32_t{0});
    store.WriteValue(u"Picture", IconOf(16, 16), PicturePtr());
    t.button.LoadFromStore(store);
    const Rect picture = t.button.PictureRect();
    EXPECT_EQ(picture.right - picture.left, width);
    EXPECT_EQ(t.button.CaptionRect().left, picture.right + 4);
  }
}

TEST(XpBSize, ASideBelowTenPixelsIsSetToTenAndTheRepaintUsesIt) {
  const struct {
    const char* name;
    int width;
    int height;
    EventLog expected;
    Rect focus;
  } rows[] = {
      // The resize runs the size's handler again, nested, and that one repaints first.
      {"9 x 40", 9, 40, {"Size 10x40", "Show down=0", "Show down=0"}, {4, 4, 6, 36}},
      {"5 x 5",
       5,
       5,
       {"Size 10x5", "Size 10x10", "Show down=0", "Show down=0", "Show down=0"},
       {4, 4, 6, 6}},
      {"10 x 10", 10, 10, {"Show down=0"}, {4, 4, 6, 6}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    PaintedButton t(153, 41, XpBStyle::kXPFace);
    t.host.width = row.width;
    t.host.height = row.height;
    t.button.OnResize();
    EXPECT_EQ(t.log, row.expected);
    EXPECT_EQ(t.button.FocusRect(), row.focus);
    EXPECT_EQ(t.button.Surface().width, t.host.width);
    EXPECT_EQ(t.button.Surface().height, t.host.height);
  }
}

}  // namespace
}  // namespace brackwater
