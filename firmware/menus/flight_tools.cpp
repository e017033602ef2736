#include "firmware/menus/flight_tools.h"

#include "firmware/core/instrument.h"
#include "firmware/instruments/display_format.h"
#include "firmware/menus/menu_engine.h"

namespace zen {

namespace {
constexpr std::string_view NotAvailable = "not available yet";
}  // namespace

// Placeholders until the fuel and range tools are built.
void showRangeLine(Instrument&, ShortText& value) {
  value.assign("Range: ");
  value.append(NotAvailable);
}
void rangeTool(Instrument& z) { showNotAvailable(z); }
void showFuelLevelCalc(Instrument&, ShortText& value) { value.assign(NotAvailable); }
void fuelLevelCalcTool(Instrument& z) { showNotAvailable(z); }
void showFuelAccu(Instrument&, ShortText& value) { value.assign(NotAvailable); }
void fuelAccuTool(Instrument& z) { showNotAvailable(z); }
void resetDistanceCounter(Instrument& z) { showNotAvailable(z); }

void showStopwatch(Instrument& z, ShortText& value) {
  value.assign(z.time.tripRunning ? "StopWatch Stop-press +, Zero-press -"
                                  : "StopWatch Start-press +, Zero-press -");
}

void toggleStopwatch(Instrument& z) { z.time.tripRunning ^= 1; }

void zeroStopwatch(Instrument& z) {
  Timekeeping& t = z.time;
  t.tripSeconds = t.tripMinutes = t.tripHours = 0;
}

void showTakeoffDistance(Instrument& z, ShortText& value) {
  const AirDataState& a = z.air;
  switch (a.takeoffState) {
    case 0:
      value.assign("Takeoff distance measurement inactive");
      break;
    case 1:
      value.assign("Start your takeoff run...");
      break;
    case 2:
      value.assign("Rolling...");
      break;
    default:
      value.assign("Takeoff distance is ");
      value.append(decimalText(a.takeoffRollCount * 100 / 753));
      value.append(" m");
      break;
  }
}

void armTakeoffDistance(Instrument& z) {
  AirDataState& a = z.air;
  a.takeoffState = a.takeoffState == 0 ? 1 : 0;
  a.takeoffRollCount = 0;
  a.takeoffReferenceAltitude = a.altitudeFeet;
}

}  // namespace zen
