// Capacity and level sender calibration of one fuel tank.
#pragma once

#include <array>
#include <cstdint>

namespace zen {

struct Instrument;

// table is tank1Calibration or tank2Calibration, tankDigit '1' or '2'. The
// caller saves the settings after it returns.
void fuelTankSetup(Instrument& z, std::array<std::uint16_t, 7>& table, char tankDigit);

}  // namespace zen
