// Intel HEX as compilers and programmers write flash images: data records,
// 16-bit segment and linear address extensions, start addresses (ignored)
// and the end record, each line with its checksum.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zen {

struct HexImage {
  // Bytes from address 0 up to the highest address written; gaps hold 0xFF.
  std::vector<std::uint8_t> bytes;
};

struct HexError {
  std::size_t line;  // 1-based
  std::string reason;
};

// Decodes the text into an image of at most `limit` bytes; any byte at or
// above the limit, a bad checksum or a malformed line is refused.
std::variant<HexImage, HexError> decodeIntelHex(std::string_view text, std::size_t limit);

}  // namespace zen
