#include "platform/gui/system_colors.h"

#include <array>
#include <cstddef>

namespace brackwater {

Rgb ClassicColors::Color(int index) const {
  // The "Windows Standard" scheme of Windows 2000; GetSysColor gives 0 for unknown indices.
  static constexpr std::array<Rgb, 31> kTable = {
      0xC8D0D4, 0xA56E3A, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000,
      0x000000, 0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4,
      0x808080, 0x808080, 0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000,
      0xE1FFFF, 0x000000, 0x800000, 0xF0CAA6, 0xC0C0C0, 0x6A240A, 0xC8D0D4,
  };
  if (index < 0 || index >= static_cast<int>(kTable.size())) return 0;
  return kTable[static_cast<std::size_t>(index)];
}

}  // namespace brackwater
