#include "firmware/instruments/readouts.h"

#include "firmware/core/instrument.h"

namespace zen {

// The QNH readout belongs to the numeric readouts, which come later.
void drawQnhReadout(Instrument&) {}

}  // namespace zen
