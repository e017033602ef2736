// Constant artwork of the instrument: the two character tables, the built-in
// start-up logo and the scale picture of the two-needle rev counter.
#pragma once

#include <array>
#include <cstdint>

namespace zen {

// 192 glyphs of 8 x 8, one byte per row from the top, bit 7 leftmost.
extern const std::array<std::uint8_t, 192 * 8> GlyphTable8;
// Codes 32..127, 7 rows each; the 5 columns are bits 6..2, bit 6 leftmost.
extern const std::array<std::uint8_t, 96 * 7> GlyphTable5x7;
// Run-length coded 320 x 120 logo (see drawStartLogo).
inline constexpr std::size_t BuiltInLogoLength = 1450;
extern const std::array<std::uint8_t, BuiltInLogoLength> BuiltInStartLogo;
// 72 x 104 picture in 9 strips of 104 bytes (strip-major), bit 7 leftmost.
extern const std::array<std::uint8_t, 9 * 104> ScalePicture;

// Glyph index of a character code at normal height, or -1 for no glyph.
constexpr int glyph8Index(int code) {
  if (code >= 32 && code <= 136) return code - 32;
  if (code >= 137 && code <= 178) return code + 13;
  if (code >= 192 && code <= 236) return code - 87;
  return -1;
}
// At double height codes 128..191 take index code + 13 and 192 up draw nothing.
constexpr int glyph8IndexDoubleHeight(int code) {
  if (code >= 32 && code < 128) return code - 32;
  if (code >= 128 && code <= 178) return code + 13;
  return -1;  // 179..191 have no glyph (index 192..204 lies past the table)
}

// Large two-row digits: cell 0..9 digits, 10 "-", 11 ".", 12 "+", 13 blank.
inline constexpr int LargeDigitCells = 14;
constexpr std::uint8_t largeDigitUpper(int cell) { return static_cast<std::uint8_t>(192 + cell); }
constexpr std::uint8_t largeDigitLower(int cell) { return static_cast<std::uint8_t>(206 + cell); }

}  // namespace zen
