// The part of the settings a panel carries: items 7 to 64, back to back in
// item order. Items 0 to 6 are the sensor calibration of one particular
// instrument and never travel. The panel file, the instrument link and the
// renderer all move panels in this form.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "firmware/core/settings_table.h"
#include "hardware/hardware.h"

namespace zen {

struct Instrument;

inline constexpr int FirstPanelItem = 7;
inline constexpr std::size_t PanelSettingsOffset = SettingsItemTable[FirstPanelItem].address;  // 10
inline constexpr std::size_t PanelSettingsLength = imageLength - PanelSettingsOffset;          // 563

using PanelSettings = std::array<std::uint8_t, PanelSettingsLength>;

// Panels are exchanged only with a switched-on simulated instrument.
inline constexpr char SimulationNotRunningMessage[] = "Simulation is not running. Cannot use this function";

// The instrument's current values, through the item copy operations.
PanelSettings panelSettingsOf(Instrument& z);

// Why these values cannot be applied ("EGT channels 40 (allowed 0 to 12)"),
// or nothing when every count is in range and every divisor is non-zero.
std::optional<std::string> panelSettingsProblem(const PanelSettings& panel);

// Applies every item at once, then pulls the item positions back inside the
// screen and recomputes what the settings derive. Check the values first.
void applyPanelSettings(Instrument& z, const PanelSettings& panel);

// Puts the items into an image at their addresses (for an instrument that
// loads its settings from the image when switched on).
void writePanelSettings(SettingsImage& image, const PanelSettings& panel);

}  // namespace zen
