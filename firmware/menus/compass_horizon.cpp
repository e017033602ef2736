#include "firmware/menus/compass_horizon.h"

#include "firmware/menus/menu_engine.h"

namespace zen {

// Placeholders until the sensor's setup screens are built.
void bumpFactorList(Instrument& z) { showNotAvailable(z); }
void slewFactorList(Instrument& z) { showNotAvailable(z); }
void attitudeModeCommand(Instrument& z) { showNotAvailable(z); }
void inclinationDialog(Instrument& z) { showNotAvailable(z); }
void setSlipZero(Instrument& z) { showNotAvailable(z); }
void tiltCompensationMode(Instrument& z) { showNotAvailable(z); }
void deviationCompensation(Instrument& z) { showNotAvailable(z); }
void clearDeviation(Instrument& z) { showNotAvailable(z); }
void setNorth(Instrument& z) { showNotAvailable(z); }
void setSouth(Instrument& z) { showNotAvailable(z); }
void setEast(Instrument& z) { showNotAvailable(z); }
void setWest(Instrument& z) { showNotAvailable(z); }

}  // namespace zen
