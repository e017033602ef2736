// Bezel keys to key codes: press edges, auto-repeat with an accelerating
// step, a lockout against bounces and chords, and the contrast keys.
#pragma once

#include <cstdint>

namespace zen {

struct Instrument;

namespace key_timing {
inline constexpr std::uint8_t RepeatDelayTicks = 40;    // first repeat after one second
inline constexpr std::uint8_t RepeatRestartTicks = 30;  // then every 10 ticks
inline constexpr std::uint8_t LockoutPasses = 5;
}  // namespace key_timing

inline constexpr std::uint8_t ContrastLowest = 44;
inline constexpr std::uint8_t ContrastHighest = 85;

// Sets z.main.keyCode for this pass (0 = no event).
void scanKeys(Instrument& z);

// Moves the display contrast by delta within its range and keeps it in the clock RAM.
void changeContrast(Instrument& z, int delta);

}  // namespace zen
