#include "firmware/core/background.h"

#include "firmware/core/clock_records.h"
#include "firmware/core/engine_decode.h"
#include "firmware/core/flight_log.h"
#include "firmware/core/instrument.h"
#include "firmware/core/key_scanner.h"

namespace zen {

namespace {

// Hooks where the instrument services its hardware; the simulator has none.
void serviceHardwareBeforeFrames(Instrument&) {}
void serviceHardwareBeforeKeys(Instrument&) {}

void blinkAlarmLamp(Instrument& z) {
  TickState& tick = z.tick;
  if (!tick.halfSecondFlag) return;
  if (tick.secondPhase) {
    if (z.main.newAlarms != 0) z.host->setAlarmLed(true);
  } else {
    z.host->setAlarmLed(false);
  }
  tick.halfSecondFlag = 0;
}

}  // namespace

void backgroundPass(Instrument& z) {
  z.host->yieldToHost();
  serviceHardwareBeforeFrames(z);
  receiveEngineData(z);
  blinkAlarmLamp(z);
  if (z.tick.oneSecondFlag) startSecond(z);
  advanceTimers(z);
  updateFlightMaxima(z);
  saveDirtyRecords(z);
  detectFlightStartEnd(z);
  z.main.keyCode = 0;
  serviceHardwareBeforeKeys(z);
  z.time.secondTick = 0;
  scanKeys(z);
}

void setDisplayContrast(Instrument&) {}

}  // namespace zen
