// A minimal PNG encoder for the headless tools: 8-bit RGB, no compression
// (stored deflate blocks), so it needs no outside library.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zen {

std::uint32_t crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);
std::uint32_t adler32(std::span<const std::uint8_t> bytes, std::uint32_t adler = 1);

// The whole file in memory; rgb holds width * height * 3 bytes, rows from the top.
std::vector<std::uint8_t> encodePng(int width, int height, std::span<const std::uint8_t> rgb);

// Writes to a temporary file beside path and renames it into place, so a
// reader never sees a half-written picture.
bool writePng(const std::string& path, int width, int height, std::span<const std::uint8_t> rgb,
              std::string* error);

}  // namespace zen
