#pragma once

#include <cstdint>

#include "platform/gui/device_context.h"

namespace brackwater {

// OLE colours: 0x00BBGGRR, or 0x80000000 plus the index of a system colour.
constexpr std::int32_t SystemColor(int index) {
  return static_cast<std::int32_t>(0x80000000u | static_cast<std::uint32_t>(index));
}

// The value unchanged, all 32 bits, unless it names a system colour.
Rgb ResolveColor(std::int32_t color, const SystemColors& colors);

// Every channel of the RGB value moved by `amount` steps and held within 0..255; the top byte
// is dropped. Amounts of any size are taken (in wider integers), so no sum overflows.
Rgb ShiftColor(Rgb color, std::int32_t amount);

// A solid rectangle when `filled` is 1, else a one-pixel frame along its inside.
void PaintRect(DeviceContext& dc, std::int32_t left, std::int32_t top, std::int32_t right,
               std::int32_t bottom, std::int32_t color, std::uint8_t filled);

// To the nearest integer, exact halves to the even neighbour (2.5 gives 2, 3.5 gives 4).
std::int64_t RoundHalfEven(double value);

// A coordinate as a rectangle holds it; std::overflow_error beyond 32 bits.
std::int32_t Narrow(std::int64_t value);

// Where a block of `size` starts when centred in an extent that starts at `start`.
std::int32_t Centred(std::int64_t extent, std::int64_t size, std::int32_t start);

}  // namespace brackwater
