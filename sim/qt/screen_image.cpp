#include "sim/qt/screen_image.h"

#include <QBuffer>
#include <QByteArray>
#include <algorithm>
#include <span>

#include "sim/atomic_file.h"

namespace zen {

QImage screenImage(const Screen& screen, int zoom) {
  zoom = std::clamp(zoom, 1, MaxImageZoom);
  QImage image(ScreenWidth * zoom, ScreenHeight * zoom, QImage::Format_RGB32);
  const QRgb silver = qRgb(192, 192, 192), black = qRgb(0, 0, 0);
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x)
      line[x] = screen.compositePixel(x / zoom, y / zoom) ? black : silver;
  }
  return image;
}

namespace {

// The same picture with one bit a pixel: a PNG of it is a fraction of the
// size and written several times faster, which frame sequences need.
QImage twoColourImage(const Screen& screen, int zoom) {
  zoom = std::clamp(zoom, 1, MaxImageZoom);
  QImage image(ScreenWidth * zoom, ScreenHeight * zoom, QImage::Format_Mono);
  image.setColorTable({qRgb(192, 192, 192), qRgb(0, 0, 0)});
  image.fill(0);
  for (int y = 0; y < image.height(); ++y) {
    uchar* line = image.scanLine(y);
    for (int x = 0; x < image.width(); ++x)
      if (screen.compositePixel(x / zoom, y / zoom)) line[x >> 3] |= static_cast<uchar>(0x80 >> (x & 7));
  }
  return image;
}

}  // namespace

std::optional<std::string> writeScreenPng(const Screen& screen, const std::filesystem::path& path, int zoom) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!twoColourImage(screen, zoom).save(&buffer, "PNG")) return std::string("the PNG encoder failed");
  return writeFileAtomically(path, std::span(reinterpret_cast<const std::uint8_t*>(png.constData()),
                                             static_cast<std::size_t>(png.size())));
}

}  // namespace zen
