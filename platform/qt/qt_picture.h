#pragma once

#include <QString>

#include "platform/gui/picture.h"

namespace brackwater {

// Loads a picture file as LoadPicture does: BMP, GIF, PNG (and the other formats Qt reads) as a
// bitmap, ICO as an icon. Of an icon file's images the one nearest the desktop's icon size of
// 32 x 32 is taken, the largest on a tie; its AND mask becomes alpha. Gives no picture when the
// file cannot be read, with Qt's reason in `error` if one is asked for.
PicturePtr LoadPicture(const QString& file, QString* error = nullptr);

// A picture's size in HIMETRIC for a size in pixels at 96 pixels per inch, rounded so that
// converting back at 96 gives the pixels again.
std::int32_t PixelsToHimetric(int pixels);

}  // namespace brackwater
