// The three one-byte keys of the firmware path, kept in this one place.
//
// They must match the instrument's bootloader and every firmware container
// already shipped: K1 and K2 scramble the two parts of the container that
// zenara-pack appends to the program (and that the program unscrambles),
// K0 seeds the wire scrambler that the bootloader undoes for each flash
// page. Changing any of them makes every existing container unreadable and
// every page the program sends garbage to the bootloader.
#pragma once

#include <cstdint>

namespace zen::firmware_keys {

inline constexpr std::uint8_t K0 = 0xA7;  // wire scrambler seed, reset at each page
inline constexpr std::uint8_t K1 = 0x5C;  // container mask: ((k mod 256) XOR K1) + K2
inline constexpr std::uint8_t K2 = 0x3B;

}  // namespace zen::firmware_keys
