#pragma once

namespace zen {

struct Instrument;

// The local pressure readout, drawn at page redraw and after each QNH change.
void drawQnhReadout(Instrument& z);

}  // namespace zen
