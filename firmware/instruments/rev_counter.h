// The rev counter, item 5.
#pragma once

#include <cstdint>

namespace zen {

struct Instrument;

void setupRevCounter(Instrument& z);
void drawRevCounter(Instrument& z);

// Speeds as percent of the settings that count as 100 % (0 while a setting is 0).
std::uint16_t rotorPercent(const Instrument& z);
std::uint16_t enginePercent(const Instrument& z);

}  // namespace zen
