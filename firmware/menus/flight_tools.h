// The live flight tool lines of the Main Menu (entries 3 to 8): range,
// computed fuel level, fuel used, stopwatch, air distance and takeoff run.
#pragma once

#include "hardware/short_text.h"

namespace zen {

struct Instrument;

// Range at the assumed speed (line without a label); "+" and "-" change the speed.
void showRangeLine(Instrument& z, ShortText& value);
void changeAssumedSpeed(Instrument& z);
// "FuelLevel Calc.: " the totaliser's fuel left; "+" and "-" set it.
void showFuelLevelCalc(Instrument& z, ShortText& value);
void changeFuelLevelCalc(Instrument& z);
// "Fuel Accu: " fuel used; Select zeroes it.
void showFuelAccu(Instrument& z, ShortText& value);
void zeroFuelAccu(Instrument& z);
// "Reset distance counter"
void resetDistanceCounter(Instrument& z);

// Stopwatch (line without a label): "+" starts or stops it, "-" zeroes it.
void showStopwatch(Instrument& z, ShortText& value);
void toggleStopwatch(Instrument& z);
void zeroStopwatch(Instrument& z);
// Takeoff distance (line without a label): Select arms or cancels the measurement.
void showTakeoffDistance(Instrument& z, ShortText& value);
void armTakeoffDistance(Instrument& z);

}  // namespace zen
