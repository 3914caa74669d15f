#pragma once

#include <cstdint>
#include <memory>

#include "platform/gui/device_context.h"

namespace brackwater {

// How a picture is drawn: a bitmap gets a transparent colour, an icon brings its own mask, and
// other kinds (metafiles) are drawn only in the disabled look.
enum class PictureKind { kBitmap, kIcon, kOther };

// An image of the platform, shared by reference between whoever holds it.
class Picture {
 public:
  virtual ~Picture() = default;
  // Hundredths of a millimetre, 2540 to the inch, as pictures report their size.
  virtual std::int32_t WidthHimetric() const = 0;
  virtual std::int32_t HeightHimetric() const = 0;
  virtual PictureKind Kind() const = 0;
  // The picture at its natural size. An icon's transparency is in alpha; a bitmap keeps what
  // its file holds (opaque, except the transparent colour of a GIF).
  virtual const Image& Pixels() const = 0;
};

using PicturePtr = std::shared_ptr<Picture>;

}  // namespace brackwater
