#pragma once

namespace zen {

struct Instrument;

// Redraws the attitude display when new sensor data arrived (the per-frame
// routine of the attitude item).
void drawAttitude(Instrument& z);

}  // namespace zen
