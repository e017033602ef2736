// View RAM: the instrument's RAM byte the developers look at, read over the link.
#pragma once

#include <cstdint>
#include <optional>

namespace zen {

class Link;

inline constexpr std::uint16_t ViewRamAddress = 0x0277;
inline constexpr std::uint8_t ViewRamReplyTicks = 50;
// The byte at the address, or nothing when the instrument did not answer.
std::optional<std::uint8_t> readRamByte(Link& link, std::uint16_t address);

}  // namespace zen
