#pragma once

#include <cstdint>

namespace brackwater {

// A colour as the drawing calls take it: 0x00BBGGRR (red in the low byte).
using Rgb = std::uint32_t;

// The indices of the system colours that the controls paint with, as GetSysColor numbers them.
struct SystemColorIndex {
  static constexpr int kButtonFace = 15;
  static constexpr int kButtonShadow = 16;
  static constexpr int kButtonText = 18;
  static constexpr int kButtonHighlight = 20;
  static constexpr int k3DDarkShadow = 21;
  static constexpr int k3DLight = 22;
};

// The system colours by index (see SystemColorIndex): the desktop's palette in the program, a
// fixed table in tests.
class SystemColors {
 public:
  virtual ~SystemColors() = default;
  virtual Rgb Color(int index) const = 0;
};

// The classic Windows values of the colours the controls use (button face 212,208,200; button
// shadow 128,128,128; button text 0,0,0; button highlight 255,255,255; 3-D dark shadow
// 64,64,64; 3-D light 212,208,200), for tests and the render tool.
class ClassicColors final : public SystemColors {
 public:
  Rgb Color(int index) const override;
};

}  // namespace brackwater
