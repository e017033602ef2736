// The eight bezel keys: their bits in keyBits and the key codes the scanner
// reports for them.
#pragma once

#include <cstdint>

namespace zen {

// Bits of keyBits (0 = pressed), by bezel key.
namespace key_bit {
inline constexpr int Menu = 0;
inline constexpr int Select = 1;
inline constexpr int Next = 2;
inline constexpr int Prev = 3;
inline constexpr int Plus = 4;
inline constexpr int Minus = 5;
inline constexpr int Up = 6;    // contrast down outside design mode
inline constexpr int Down = 7;  // contrast up outside design mode
}  // namespace key_bit

// keyBits with every key released.
inline constexpr std::uint8_t NoKeysPressed = 0xFF;
// "+" and "-" held together.
inline constexpr std::uint8_t QnhKeysMask = (1u << key_bit::Plus) | (1u << key_bit::Minus);
// Up and Down held together at switch-on open the extended setup.
inline constexpr std::uint8_t ContrastKeysMask = (1u << key_bit::Up) | (1u << key_bit::Down);

// Key codes of z.main.keyCode: the key's bit + 1; 0 is no event.
namespace key {
inline constexpr std::uint8_t None = 0;
inline constexpr std::uint8_t Menu = 1;
inline constexpr std::uint8_t Select = 2;
inline constexpr std::uint8_t Next = 3;
inline constexpr std::uint8_t Prev = 4;
inline constexpr std::uint8_t Plus = 5;
inline constexpr std::uint8_t Minus = 6;
inline constexpr std::uint8_t Up = 7;
inline constexpr std::uint8_t Down = 8;
}  // namespace key

}  // namespace zen
