#include "host/screen_png.h"

#include <vector>

#include "host/png_writer.h"

namespace zen {

bool writeScreenPng(const Screen& screen, const std::string& path, int zoom, std::string* error) {
  if (zoom < 1 || zoom > 16) {
    if (error) *error = "zoom must be 1 to 16";
    return false;
  }
  const int width = ScreenWidth * zoom, height = ScreenHeight * zoom;
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint8_t v = screen.compositePixel(x / zoom, y / zoom) ? 0 : 192;
      std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      p[0] = p[1] = p[2] = v;
    }
  }
  return writePng(path, width, height, rgb, error);
}

}  // namespace zen
