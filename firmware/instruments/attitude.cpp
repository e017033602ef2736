#include "firmware/instruments/attitude.h"

#include "firmware/core/instrument.h"

namespace zen {

// The attitude display is drawn by the flight instruments; until then the
// fresh data is only taken.
void drawAttitude(Instrument& z) { z.attitude.attitudeFresh = 0; }

}  // namespace zen
