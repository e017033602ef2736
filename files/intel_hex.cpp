#include "files/intel_hex.h"

#include <charconv>

namespace zen {

namespace {

enum RecordType : std::uint8_t {
  Data = 0,
  End = 1,
  Segment = 2,
  StartSegment = 3,
  Linear = 4,
  StartLinear = 5
};

bool hexByte(std::string_view text, std::size_t at, std::uint8_t& out) {
  if (at + 2 > text.size()) return false;
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data() + at, text.data() + at + 2, value, 16);
  if (error != std::errc() || end != text.data() + at + 2) return false;
  out = static_cast<std::uint8_t>(value);
  return true;
}

}  // namespace

std::variant<HexImage, HexError> decodeIntelHex(std::string_view text, std::size_t limit) {
  HexImage image;
  std::uint32_t base = 0;
  std::size_t lineNumber = 0;
  bool ended = false;
  while (!text.empty()) {
    const std::size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    ++lineNumber;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
      line.remove_suffix(1);
    if (line.empty()) continue;
    if (ended) return HexError{lineNumber, "data after the end record"};
    if (line[0] != ':') return HexError{lineNumber, "a record must start with ':'"};

    std::vector<std::uint8_t> record;
    for (std::size_t at = 1; at < line.size(); at += 2) {
      std::uint8_t b;
      if (!hexByte(line, at, b)) return HexError{lineNumber, "not a pair of hexadecimal digits"};
      record.push_back(b);
    }
    if (record.size() < 5 || record.size() != 5u + record[0])
      return HexError{lineNumber, "the record's length does not match its byte count"};
    std::uint8_t sum = 0;
    for (std::uint8_t b : record) sum = static_cast<std::uint8_t>(sum + b);
    if (sum != 0) return HexError{lineNumber, "wrong checksum"};

    const std::size_t count = record[0];
    const std::uint32_t offset = static_cast<std::uint32_t>(record[1] << 8 | record[2]);
    const auto* data = record.data() + 4;
    switch (record[3]) {
      case Data: {
        const std::uint64_t start = static_cast<std::uint64_t>(base) + offset;
        if (start + count > limit)
          return HexError{lineNumber, "data up to address " + std::to_string(start + count - 1) +
                                          " does not fit the " + std::to_string(limit) + "-byte flash"};
        if (image.bytes.size() < start + count) image.bytes.resize(start + count, 0xFF);
        std::copy(data, data + count, image.bytes.begin() + static_cast<std::ptrdiff_t>(start));
        break;
      }
      case End:
        ended = true;
        break;
      case Segment:
      case Linear:
        if (count != 2) return HexError{lineNumber, "an address record carries two bytes"};
        base = static_cast<std::uint32_t>(data[0] << 8 | data[1]) << (record[3] == Segment ? 4 : 16);
        break;
      case StartSegment:
      case StartLinear:
        break;
      default:
        return HexError{lineNumber, "unknown record type " + std::to_string(record[3])};
    }
  }
  if (!ended) return HexError{lineNumber, "the end record (:00000001FF) is missing"};
  return image;
}

}  // namespace zen
