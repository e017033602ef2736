// The panel arrangement of a fresh instrument: page 1 with the three air-data
// dials across the top, page 2 with tapes, attitude and heading, both with the
// engine gauges. These are the defaults of settings items 62, 63 and 64.
#pragma once

#include <array>
#include <cstdint>

#include "firmware/core/settings.h"

namespace zen {

const std::array<std::uint8_t, PanelItemCount>& defaultItemOptions();
const std::array<ItemLocation, PanelItemCount>& defaultPage1Locations();
const std::array<ItemLocation, PanelItemCount>& defaultPage2Locations();

}  // namespace zen
