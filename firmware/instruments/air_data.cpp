// Interim frame computation until the air data arrives.
#include "firmware/instruments/air_data.h"

#include "firmware/core/instrument.h"

namespace zen {

void updateInstruments(Instrument& z) { z.air.fastFollow = 0; }

}  // namespace zen
