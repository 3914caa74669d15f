#include "platform/qt/qt_picture.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QtEndian>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

namespace brackwater {

namespace {

class QtPicture final : public Picture {
 public:
  QtPicture(PictureKind kind, Image pixels) : kind_(kind), pixels_(std::move(pixels)) {}

  std::int32_t WidthHimetric() const override { return PixelsToHimetric(pixels_.width); }
  std::int32_t HeightHimetric() const override { return PixelsToHimetric(pixels_.height); }
  PictureKind Kind() const override { return kind_; }
  const Image& Pixels() const override { return pixels_; }

 private:
  PictureKind kind_;
  Image pixels_;
};

Image ToImage(const QImage& image) {
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  Image result(argb.width(), argb.height());
  for (int y = 0; y < argb.height(); ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(argb.constScanLine(y));
    std::copy(row, row + argb.width(), result.pixels.begin() + y * argb.width());
  }
  return result;
}

// One image of an ICO file's directory, as far as choosing it and reading its mask need.
struct IconEntry {
  int width = 0;
  int height = 0;
  int bitCount = 0;
  std::uint32_t size = 0;
  std::uint32_t offset = 0;
};

template <typename T>
T Read(const QByteArray& data, std::size_t at) {
  return qFromLittleEndian<T>(data.constData() + at);
}

bool IsIconFile(const QByteArray& data) {
  return data.size() >= 6 && Read<quint16>(data, 0) == 0 && Read<quint16>(data, 2) == 1;
}

std::vector<IconEntry> IconDirectory(const QByteArray& data) {
  std::vector<IconEntry> entries;
  const int count = Read<quint16>(data, 4);
  for (int i = 0; i < count; ++i) {
    const std::size_t at = 6 + 16 * static_cast<std::size_t>(i);
    if (at + 16 > static_cast<std::size_t>(data.size())) break;
    const auto dimension = [](quint8 byte) { return byte == 0 ? 256 : int{byte}; };
    entries.push_back({dimension(Read<quint8>(data, at)), dimension(Read<quint8>(data, at + 1)),
                       Read<quint16>(data, at + 6), Read<quint32>(data, at + 8),
                       Read<quint32>(data, at + 12)});
  }
  return entries;
}

// Qt reads the colours of a DIB icon entry but leaves its 1-bit AND mask out, so pixels the
// mask makes transparent come out opaque (mostly black). The mask follows the colour rows,
// bottom-up, each row padded to 32 bits; a set bit is transparent. A 32-bit entry whose alpha
// is in use keeps it, as Windows does.
void ApplyAndMask(const QByteArray& data, const IconEntry& entry, Image& image) {
  const std::size_t at = entry.offset;
  if (at + 40 > static_cast<std::size_t>(data.size())) return;
  if (Read<quint32>(data, at) != 40) return;  // a PNG entry carries its own alpha
  const int width = Read<qint32>(data, at + 4);
  const int height = Read<qint32>(data, at + 8) / 2;
  const int bitCount = Read<quint16>(data, at + 14);
  if (width != image.width || height != image.height || width <= 0 || height <= 0) return;
  if (bitCount == 32) {
    for (const std::uint32_t pixel : image.pixels) {
      if ((pixel >> 24) != 0) return;
    }
  }
  std::uint32_t paletteSize = Read<quint32>(data, at + 32);
  if (paletteSize == 0 && bitCount <= 8) paletteSize = 1u << bitCount;
  const std::size_t colorStride = ((static_cast<std::size_t>(width) * bitCount + 31) / 32) * 4;
  const std::size_t maskStride = ((static_cast<std::size_t>(width) + 31) / 32) * 4;
  const std::size_t mask = at + 40 + 4 * std::size_t{paletteSize} + colorStride * height;
  if (mask + maskStride * height > static_cast<std::size_t>(data.size())) return;
  for (int y = 0; y < height; ++y) {
    const std::size_t row = mask + maskStride * static_cast<std::size_t>(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const auto byte = static_cast<quint8>(data[static_cast<qsizetype>(row + x / 8)]);
      auto& pixel = image.pixels[static_cast<std::size_t>(y * width + x)];
      pixel = (byte & (0x80 >> (x % 8))) != 0 ? 0u : (pixel | 0xFF000000u);
    }
  }
}

std::optional<std::size_t> ChooseIcon(const std::vector<IconEntry>& entries) {
  // Nearest 32 x 32 first, then the larger image, then the deeper colours.
  const auto rank = [](const IconEntry& e) {
    return std::tuple(-(std::abs(e.width - 32) + std::abs(e.height - 32)), e.width * e.height,
                      e.bitCount);
  };
  std::optional<std::size_t> best;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (!best || rank(entries[i]) > rank(entries[*best])) best = i;
  }
  return best;
}

}  // namespace

std::int32_t PixelsToHimetric(int pixels) {
  const std::int64_t scaled = std::int64_t{pixels} * 2540;
  return static_cast<std::int32_t>(scaled >= 0 ? (scaled + 48) / 96 : (scaled - 48) / 96);
}

PicturePtr LoadPicture(const QString& file, QString* error) {
  QFile input(file);
  if (!input.open(QIODevice::ReadOnly)) {
    if (error != nullptr) *error = input.errorString();
    return nullptr;
  }
  const QByteArray data = input.readAll();
  input.close();

  QImageReader reader(file);
  if (IsIconFile(data)) {
    const std::vector<IconEntry> entries = IconDirectory(data);
    const std::optional<std::size_t> chosen = ChooseIcon(entries);
    // Qt numbers an icon file's images in directory order.
    if (chosen && reader.jumpToImage(static_cast<int>(*chosen))) {
      const QImage decoded = reader.read();
      if (!decoded.isNull()) {
        Image pixels = ToImage(decoded);
        ApplyAndMask(data, entries[*chosen], pixels);
        return std::make_shared<QtPicture>(PictureKind::kIcon, std::move(pixels));
      }
    }
    if (error != nullptr) *error = reader.errorString();
    return nullptr;
  }
  const QImage decoded = reader.read();
  if (decoded.isNull()) {
    if (error != nullptr) *error = reader.errorString();
    return nullptr;
  }
  return std::make_shared<QtPicture>(PictureKind::kBitmap, ToImage(decoded));
}

}  // namespace brackwater
