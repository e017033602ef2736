// The flight log viewer and the aircraft setup screen of the Main Menu.
#pragma once

namespace zen {

struct Instrument;

void viewFlightLog(Instrument& z);  // "View flight log"
void aircraftSetup(Instrument& z);  // "Aircraft setup": date, time, Hobbs, maintenance, registration

}  // namespace zen
