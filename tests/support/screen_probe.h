// Reading back what the firmware drew on the text layer.
#pragma once

#include <cstdint>
#include <string_view>

#include "host/glyphs.h"
#include "host/screen.h"

namespace zen::test {

// The 8 pixels of text-layer row y at byte column c, bit 7 leftmost.
inline std::uint8_t textByte(const Screen& s, int column, int y) {
  std::uint8_t b = 0;
  for (int i = 0; i < 8; ++i)
    if (s.textPixel(8 * column + i, y) == TextPixel::Black) b |= static_cast<std::uint8_t>(0x80 >> i);
  return b;
}

// True when the text stands at (column, pixelRow) in the 8x8 font, at normal
// or double height.
inline bool textCellMatches(const Screen& s, int column, int pixelRow, std::string_view text,
                            bool doubleHeight) {
  for (std::size_t n = 0; n < text.size(); ++n) {
    const int index = glyph8Index(static_cast<std::uint8_t>(text[n]));
    for (int j = 0; j < 8; ++j) {
      const std::uint8_t expected = index >= 0 ? GlyphTable8[index * 8 + j] : 0;
      const int c = column + static_cast<int>(n);
      if (doubleHeight) {
        if (textByte(s, c, pixelRow + 2 * j) != expected || textByte(s, c, pixelRow + 2 * j + 1) != expected)
          return false;
      } else if (textByte(s, c, pixelRow + j) != expected) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace zen::test
