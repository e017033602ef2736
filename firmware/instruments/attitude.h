#pragma once

namespace zen {

struct Instrument;

// Redraws the attitude display when new sensor data arrived.
void drawAttitude(Instrument& z);

}  // namespace zen
