// The engine instruments, items 3 to 13: EGT and CHT bars, the rev counter,
// fuel flow, both tanks, coolant and oil temperature, oil, manifold and fuel
// pressure.
#pragma once

#include <cstdint>

#include "hardware/short_text.h"

namespace zen {

struct Instrument;

inline constexpr int EgtGaugeItem = 3;
inline constexpr int ChtGaugeItem = 4;
inline constexpr int FuelFlowGaugeItem = 6;
inline constexpr int ManifoldGaugeItem = 12;

// Items 6..13: a frame, one 50-pixel bar and a value.
void setupReadoutGauge(Instrument& z, int item);
void drawReadoutGauge(Instrument& z, int item);
// Items 3 and 4.
void setupChannelGauge(Instrument& z, int item);
void drawChannelGauge(Instrument& z, int item);
// Forgets what the gauge last drew, so its next frame draws everything.
void forgetEngineGauge(Instrument& z, int item);

// Value texts, without the link failure text and the unit symbol.
ShortText fuelFlowText(const Instrument& z, std::uint16_t flow);
ShortText fuelContentsText(const Instrument& z, std::uint16_t litres);
// Oil or fuel pressure in tenths of a bar, with its unit.
ShortText enginePressureText(const Instrument& z, std::uint16_t tenths);
ShortText manifoldPressureText(const Instrument& z, std::uint16_t millibar);
// Pixels of the manifold bar around 1013 mbar.
std::uint8_t manifoldBarPixels(std::uint16_t millibar, std::uint16_t span);

}  // namespace zen
