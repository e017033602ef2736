// The instrument's control spine: timer tick, start-up and main loop.
#pragma once

namespace zen {

struct Instrument;

void firmwareTick(Instrument& z);   // every 25 ms, also before switch-on
void firmwareStart(Instrument& z);  // returns when the host asked the firmware to stop
void mainLoop(Instrument& z);       // returns at the next half second (or when a menu asks)

// The simulated unit's fixed identification: model prefix "ZN" and nine digits.
inline constexpr char UnitIdentText[] = "ZN260607001";

}  // namespace zen
