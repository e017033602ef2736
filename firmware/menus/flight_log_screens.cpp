#include "firmware/menus/flight_log_screens.h"

#include "firmware/menus/menu_engine.h"

namespace zen {

// Placeholders until these screens are built.
void viewFlightLog(Instrument& z) { showNotAvailable(z); }
void aircraftSetup(Instrument& z) { showNotAvailable(z); }

}  // namespace zen
