// The background pass run on every turn of the main loop and in every wait:
// host time, engine frames, alarm lamp, timers, flight log, key scanner.
#pragma once

#include <cstdint>

namespace zen {

struct Instrument;

void backgroundPass(Instrument& z);
void loadClockHeldValues(Instrument& z);
void saveQnhBlock(Instrument& z);
// Hands the contrast to the display controller (nothing to do in the simulator).
void setDisplayContrast(Instrument& z);
void startFlight(Instrument& z);
void endFlight(Instrument& z);

}  // namespace zen
