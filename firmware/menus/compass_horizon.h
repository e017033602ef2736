// Compass and horizon setup: the screens and commands of the attitude and
// heading sensor behind the Horizon setup and Compass setup menus.
#pragma once

#include "hardware/short_text.h"

namespace zen {

struct Instrument;

// Horizon setup entries.
void bumpFactorList(Instrument& z);       // "Set Bump factor"
void slewFactorList(Instrument& z);       // "Set Slew factor"
void attitudeModeCommand(Instrument& z);  // "Attitude mode: "
void showAttitudeMode(Instrument& z, ShortText& value);
void inclinationDialog(Instrument& z);                     // "Set inclination"
void showTurnRateSource(Instrument& z, ShortText& value);  // "SV-5 Turnrate  "
void setSlipZero(Instrument& z);                           // "Set Slip zero  "

// Compass setup entries.
void tiltCompensationMode(Instrument& z);  // " Tilt compensation mode: "
void showTiltMode(Instrument& z, ShortText& value);
void deviationCompensation(Instrument& z);  // " Enter Deviation SET mode"
void clearDeviation(Instrument& z);         // " Clear deviation calib. "
void setNorth(Instrument& z);               // " Set North "
void setSouth(Instrument& z);               // " Set South "
void setEast(Instrument& z);                // " Set East "
void setWest(Instrument& z);                // " Set West "

}  // namespace zen
