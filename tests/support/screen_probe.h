// Reading back what the firmware drew on the text layer.
#pragma once

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "hardware/glyphs.h"
#include "hardware/screen.h"

namespace zen::test {

// Pixels shown black, both layers together.
inline int ink(const Screen& s) {
  int count = 0;
  for (int y = 0; y < ScreenHeight; ++y)
    for (int x = 0; x < ScreenWidth; ++x) count += s.compositePixel(x, y);
  return count;
}

inline int differingPixels(const Screen& a, const Screen& b) {
  int count = 0;
  for (int y = 0; y < ScreenHeight; ++y)
    for (int x = 0; x < ScreenWidth; ++x) count += a.compositePixel(x, y) != b.compositePixel(x, y);
  return count;
}

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

// One text row read back from the text layer: each 8x8 cell matched against
// GlyphTable8 (printable codes first, then the symbols above 127), plain or
// inverse. Unmatched cells read as '?'; trailing blanks are dropped.
struct TextLine {
  std::string text;
  std::string inverse;  // '^' under each inverse-video cell, else ' '

  bool operator==(std::string_view t) const { return text == t; }
  bool operator==(const TextLine& other) const = default;
};

inline TextLine readTextLine(const Screen& s, int row, bool doubleHeight = true) {
  auto cell = [&](int column) {
    std::array<std::uint8_t, 8> rows{};
    for (int j = 0; j < 8; ++j) rows[j] = textByte(s, column, row * 8 + (doubleHeight ? 2 * j : j));
    return rows;
  };
  auto glyph = [&](int code) { return doubleHeight ? glyph8IndexDoubleHeight(code) : glyph8Index(code); };
  TextLine line;
  for (int column = 0; column < 40; ++column) {
    const auto rows = cell(column);
    char found = '?';
    bool inverse = false;
    for (int code = 32; code <= 178 && found == '?'; ++code) {
      const int index = glyph(code);
      if (index < 0) continue;
      for (bool inverted : {false, true}) {
        bool same = true;
        for (int j = 0; j < 8 && same; ++j) {
          const auto expected = static_cast<std::uint8_t>(GlyphTable8[index * 8 + j] ^ (inverted ? 0xFF : 0));
          same = rows[j] == expected;
        }
        if (same) {
          found = static_cast<char>(code);
          inverse = inverted;
          break;
        }
      }
    }
    line.text.push_back(found);
    line.inverse.push_back(inverse ? '^' : ' ');
  }
  while (!line.text.empty() && line.text.back() == ' ' && line.inverse.back() == ' ') {
    line.text.pop_back();
    line.inverse.pop_back();
  }
  return line;
}

inline std::ostream& operator<<(std::ostream& out, const TextLine& line) {
  return out << '"' << line.text << '"';
}

}  // namespace zen::test
