// A length-prefixed text of at most 40 character codes, as the instrument
// hands texts to its display. Codes above 127 are glyph codes, not UTF-8.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zen {

struct ShortText {
  static constexpr std::size_t Capacity = 40;
  std::uint8_t length = 0;
  std::array<std::uint8_t, Capacity> codes{};

  ShortText() = default;
  ShortText(std::string_view text) { assign(text); }

  void clear() { length = 0; }
  void assign(std::string_view text) {
    length = 0;
    append(text);
  }
  // Keeps at most 40 characters in all.
  void append(std::string_view text) {
    for (char c : text) {
      if (length >= Capacity) return;
      codes[length++] = static_cast<std::uint8_t>(c);
    }
  }
  void append(const ShortText& other) {
    // Read the count first: appending a text to itself must not chase its own growing end.
    const std::size_t count = other.length;
    for (std::size_t i = 0; i < count && length < Capacity; ++i) codes[length++] = other.codes[i];
  }
  void push(std::uint8_t code) {
    if (length < Capacity) codes[length++] = code;
  }
  std::uint8_t operator[](std::size_t i) const { return codes[i]; }
  std::size_t size() const { return length; }
  std::string str() const { return std::string(codes.begin(), codes.begin() + length); }
  bool operator==(std::string_view text) const { return str() == text; }
};

// The firmware's appendText: keep at most 40 characters in all.
inline void appendText(ShortText& destination, std::string_view text) { destination.append(text); }
inline void appendText(ShortText& destination, const ShortText& text) { destination.append(text); }

}  // namespace zen
