// Draws the desktop icon: the instrument's bezel around its own screen
// showing the default panel, rendered by the firmware in simulated time.
//   zenara-make-icon OUT.png [SIZE]
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sim/qt/screen_image.h"
#include "sim/screen_render.h"

namespace {
constexpr char Usage[] =
    "usage: zenara-make-icon OUT.png [SIZE]\n"
    "Draws the desktop icon, SIZE x SIZE pixels (32..1024, default 256), as a PNG.\n"
    "Example: zenara-make-icon zenara.png 128\n";
}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(Usage, stdout);
    return 0;
  }
  if (argc >= 2 && argv[1][0] == '-') {
    std::fprintf(stderr, "zenara-make-icon: unknown option %s\n%s", argv[1], Usage);
    return 2;
  }
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "zenara-make-icon: expected OUT.png and an optional SIZE\n%s", Usage);
    return 2;
  }
  char* end = nullptr;
  const long requested = argc == 3 ? std::strtol(argv[2], &end, 10) : 256;
  if ((end && *end != '\0') || requested < 32 || requested > 1024) {
    std::fprintf(stderr, "zenara-make-icon: SIZE must be a whole number from 32 to 1024, got \"%s\"\n",
                 argv[2]);
    return 2;
  }
  const int size = static_cast<int>(requested);
  const zen::RenderOptions options;  // the default panel, page 1
  const QImage screen = zen::screenImage(*zen::renderScreen(options), 2);

  QImage icon(size, size, QImage::Format_ARGB32);
  icon.fill(Qt::transparent);
  QPainter p(&icon);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  // The bezel, with four keys down each side like the instrument's.
  const double s = size;
  QPainterPath bezel;
  bezel.addRoundedRect(QRectF(s * 0.02, s * 0.12, s * 0.96, s * 0.76), s * 0.08, s * 0.08);
  p.fillPath(bezel, QColor(40, 42, 46));
  p.setPen(QPen(QColor(90, 94, 100), s / 128));
  p.drawPath(bezel);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(120, 124, 130));
  for (int k = 0; k < 4; ++k) {
    const double y = s * (0.22 + 0.15 * k);
    p.drawRoundedRect(QRectF(s * 0.045, y, s * 0.07, s * 0.09), s * 0.02, s * 0.02);
    p.drawRoundedRect(QRectF(s * 0.885, y, s * 0.07, s * 0.09), s * 0.02, s * 0.02);
  }
  const QRectF glass(s * 0.14, s * 0.19, s * 0.72, s * 0.62);  // 4:3 like the screen
  p.drawImage(glass, screen);
  p.end();
  if (!icon.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
    std::fprintf(stderr, "zenara-make-icon: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
