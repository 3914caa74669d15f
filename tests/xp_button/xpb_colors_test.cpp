#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

#include "platform/gui/device_context.h"
#include "xp_button/xpb_paint.h"

namespace brackwater {
namespace {

TEST(XpBColors, ShiftColorMovesEachChannelAndHoldsItInRange) {
  const struct {
    Rgb color;
    std::int32_t amount;
    Rgb shifted;
  } rows[] = {
      {0x00FFFFFF, 10, 0x00FFFFFF},
      {0x00000000, -10, 0x00000000},
      {0x00102030, -32, 0x00000010},
      {0x00F0E0D0, 20, 0x00FFF4E4},
      {0x7F123456, 0, 0x00123456},  // the top byte is dropped
      // The ring colours of the default hover colour.
      {0x004799E1, 90, 0x00A1F3FF},
      {0x004799E1, 35, 0x006ABCFF},
      {0x004799E1, 20, 0x005BADF5},
      {0x004799E1, -40, 0x001F71B9},
      // Beyond what 16 bits hold: taken in wider integers, clamped, no overflow.
      {0x00808080, 40000, 0x00FFFFFF},
      {0x00808080, -2147483647 - 1, 0x00000000},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ShiftColor(row.color, row.amount), row.shifted)
        << std::hex << row.color << " by " << std::dec << row.amount;
  }
}

TEST(XpBColors, ResolveColorLooksUpSystemColoursOnly) {
  const ClassicColors colors{};
  EXPECT_EQ(ResolveColor(SystemColor(SystemColorIndex::kButtonText), colors), 0x00000000u);
  EXPECT_EQ(ResolveColor(SystemColor(SystemColorIndex::kButtonFace), colors), 0x00C8D0D4u);
  EXPECT_EQ(ResolveColor(0x00ABCDEF, colors), 0x00ABCDEFu);
  EXPECT_EQ(ResolveColor(0x01000000, colors), 0x01000000u);  // all 32 bits kept
}

TEST(XpBColors, RoundingTakesHalvesToTheEvenNeighbour) {
  const struct {
    double value;
    std::int64_t rounded;
  } rows[] = {{2.5, 2},   {3.5, 4},   {6.5, 6},  {31.5, 32}, {30.5, 30},
              {-2.5, -2}, {-3.5, -4}, {2.49, 2}, {2.51, 3},  {-19932.5, -19932}};
  for (const auto& row : rows) EXPECT_EQ(RoundHalfEven(row.value), row.rounded) << row.value;
}

TEST(XpBColors, ACoordinateBeyond32BitsIsAnError) {
  EXPECT_EQ(Narrow(-2147483648LL), -2147483647 - 1);
  EXPECT_THROW(Narrow(2147483648LL), std::overflow_error);
}

}  // namespace
}  // namespace brackwater
