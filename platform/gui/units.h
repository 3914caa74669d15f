#pragma once

#include <cstdint>

namespace brackwater {

// Stored places and sizes are in twips; the screen has 15 of them to a pixel.
inline constexpr std::int32_t kTwipsPerPixel = 15;

constexpr int TwipsToPixels(std::int32_t twips) { return static_cast<int>(twips / kTwipsPerPixel); }

}  // namespace brackwater
