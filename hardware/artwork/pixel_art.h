// Helpers that turn pixel art written as strings ('#' ink, '.' blank) into
// the instrument's bitmap bytes while compiling, so the art stays the source.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zen::art {

constexpr bool isArtChar(char c) { return c == '#' || c == '.'; }

constexpr bool isArtRow(std::string_view row, std::size_t width) {
  if (row.size() != width) return false;
  for (char c : row)
    if (!isArtChar(c)) return false;
  return true;
}

template <std::size_t N>
constexpr bool isArt(const std::array<std::string_view, N>& rows, std::size_t width) {
  for (std::string_view row : rows)
    if (!isArtRow(row, width)) return false;
  return true;
}

// Up to 8 pixels of a row from column `from`; bit 7 is the leftmost.
constexpr std::uint8_t rowByte(std::string_view row, std::size_t from = 0) {
  std::uint8_t b = 0;
  for (std::size_t i = 0; i < 8 && from + i < row.size(); ++i)
    if (row[from + i] == '#') b = static_cast<std::uint8_t>(b | (0x80 >> i));
  return b;
}

}  // namespace zen::art
