// Stored page arrangements: the flight presets "VFR", "IFR" and "BLANK" and
// one engine preset per engine type and page.
//
// Preset bytes: a count, then that many records for items 0..38 (index, nibble,
// and column and row only when the nibble's bit 0 is set); a second count
// (255 for none) and records for the labels, indexed from item 49.
// An engine preset is preceded by a flag byte, 24 when an engine settings
// block of 24 bytes follows, 0 when it has none.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace zen {

struct Instrument;

inline constexpr std::size_t EngineSettingsBlockSize = 24;
inline constexpr int EngineTypeCount = 9;
inline constexpr int EnginePresetCount = 2 * EngineTypeCount;  // page 1 variants, then page 2

extern const std::array<std::string_view, 3> FlightPresetNames;
extern const std::array<std::string_view, EngineTypeCount> EngineTypeNames;

// 0 "VFR", 1 "IFR", 2 "BLANK".
std::span<const std::uint8_t> flightPreset(int index);

// Whole stored engine preset, flag byte first; index 0..17.
std::span<const std::uint8_t> enginePreset(int index);
// The engine settings block (settings items 41..53 in image order), or empty.
std::span<const std::uint8_t> enginePresetSettingsBlock(int index);
// The item records that follow the flag and block.
std::span<const std::uint8_t> enginePresetItems(int index);

// Writes the preset's records into itemOptions and the location table of
// page 1 or page 2; items not named are left alone. Malformed or short data
// stops at the first record that does not fit.
void applyScreenPreset(Instrument& z, std::span<const std::uint8_t> preset, int page);

}  // namespace zen
