#include "firmware/core/firmware.h"

#include <algorithm>

#include "firmware/core/background.h"
#include "firmware/core/flight_log.h"
#include "firmware/core/instrument.h"
#include "firmware/core/key_scanner.h"
#include "firmware/core/keys.h"
#include "firmware/core/settings_store.h"
#include "firmware/instruments/air_data.h"
#include "firmware/instruments/attitude.h"
#include "firmware/instruments/derived_settings.h"
#include "firmware/instruments/panel.h"
#include "firmware/instruments/readouts.h"
#include "firmware/menus/menus.h"

namespace zen {

void firmwareTick(Instrument& z) {
  EngineData& engine = z.engine;
  TickState& tick = z.tick;
  if (engine.engineFrameAge < 255) ++engine.engineFrameAge;
  ++z.keys.repeatTicks;
  if (++tick.tickCount < 20) return;

  AttitudeState& attitude = z.attitude;
  // A sensor without a rate gyro sends no rate of turn; one that sends a rate
  // measures it, until it goes silent (the next one may be another unit).
  if (attitude.turnRate != 0) attitude.turnRateSource = TurnRateFromGyro;
  if (attitude.attitudeAlive > 0) {
    --attitude.attitudeAlive;
  } else {
    attitude.attitudeSensorOn = 0;
    attitude.turnRateSource = 0;
  }
  tick.leaveMainLoop = 1;
  tick.halfSecondFlag = 1;
  ++tick.halfSecondCount;
  tick.halfSecondAccumulators = {};
  if (engine.engineUnitAlive > 0) --engine.engineUnitAlive;
  tick.tickCount = 0;
  if (tick.secondPhase) {
    tick.oneSecondFlag = 1;
    tick.secondPhase = 0;
  } else {
    tick.secondPhase = 1;
  }
  engine.rotorNoSignal = 0;
}

namespace {

void showWelcomeScreen(Instrument& z) {
  Screen& screen = z.screen;
  screen.clearScreen();
  screen.drawStartLogo();
  screen.drawTextAt(4, 20, "Ensure correct operation of all");
  screen.drawTextAt(2, 21, "indicators before commencing flight");
  screen.bigText = 1;
  ShortText firmwareLine("Firmware: ");
  firmwareLine.append(std::string_view(FirmwareVersion).substr(0, 17));
  screen.drawTextAt(0, 26, firmwareLine);
}

void showUnitIdentification(Instrument& z) {
  ShortText line(UnitIdentText);
  line.push(' ');
  const Registration& reg = z.settings.registration;
  // The length byte of an erased image reads 255; only 6 characters exist.
  const std::size_t length = std::min<std::size_t>({reg.length, reg.chars.size(), 18});
  line.append(std::string_view(reg.chars.data(), length));
  z.screen.drawTextAt(0, 28, line);
}

void levelAttitude(Instrument& z) {
  std::int32_t& offset = z.main.pitchOffset;
  if (offset == 0) {
    if (z.attitude.pitch >= -8 && z.attitude.pitch <= 8) offset = z.attitude.pitch;
  } else {
    offset = 0;
  }
  z.attitude.lastDrawnMarker = 255;
}

bool qnhKeysHeld(const Instrument& z) { return (z.keyBits & QnhKeysMask) == 0; }

}  // namespace

void mainLoop(Instrument& z) {
  MainState& m = z.main;
  while (!z.tick.leaveMainLoop) {
    backgroundPass(z);
    if (m.keyCode > 0) {
      m.newAlarms = 0;
      z.host->setAlarmLed(false);
    }
    if (m.designMode) {
      designModeStep(z);
    } else if (qnhKeysHeld(z) || m.keyCode == key::Plus || m.keyCode == key::Minus) {
      adjustQnh(z);
      if (m.pageVisible) drawQnhReadout(z);
    } else {
      switch (m.keyCode) {
        case key::Menu:
          enterMainMenu(z);
          redrawPage(z);
          m.closeMenus = 0;
          break;
        case key::Select:
          m.activePage ^= 1;
          redrawPage(z);
          break;
        case key::Prev:
          levelAttitude(z);
          break;
        default:
          break;
      }
    }
    if (z.attitude.attitudeFresh) drawAttitude(z);
  }
  z.tick.leaveMainLoop = 0;
}

void firmwareStart(Instrument& z) {
  Screen& screen = z.screen;
  TickState& tick = z.tick;

  const std::uint8_t control = 0;
  writeClock(z, &control, 0, 1);
  loadClockHeldValues(z);
  z.display.contrast = std::clamp(z.display.contrast, ContrastLowest, ContrastHighest);
  setDisplayContrast(z);
  loadAllSettings(z);
  z.engine.rotorPeriod = 3000;
  z.engine.engineSpeedValue = NoEngineSpeed;

  screen.drawColour = 1;
  screen.clearScreen();
  setDisplayContrast(z);
  z.host->delayYields(251 * 501);

  showWelcomeScreen(z);
  // A setting the keys cannot make is not trusted; a flight in progress
  // carries on regardless, so it is still logged when it ends.
  if (z.time.qnh.qnhX8 < QnhLowest || z.time.qnh.qnhX8 > QnhHighest) {
    z.time.qnh.qnhX8 = QnhStandard;
    saveQnhBlock(z);
  }
  closeFlightAlreadyLogged(z);
  if (z.settings.displayMode < 2) {
    z.display.backlightLevel = z.settings.backlightSetting;
    z.display.dimTimer = 255;
  } else {
    z.display.backlightLevel = 255;
  }
  showUnitIdentification(z);
  recomputeDerivedSettings(z);
  z.air.climbFilter = static_cast<std::uint32_t>(z.settings.climbZero) * 4;
  z.keyBits = NoKeysPressed;
  z.engine.engineFrameAge = 255;

  z.air.fastFollow = 1;
  z.air.levelSmoothing = 1;
  z.engine.noDataFeedMark = 1;
  updateInstruments(z);
  z.linkRxState = 0;
  z.engine.rotorNoSignal = 1;
  if (z.time.qnh.inFlight) z.time.flightHoldOff = 30;
  screen.bigText = 0;
  z.host->setAlarmLed(true);
  clampItemPositions(z);

  if (tick.warmStartMarker != WarmStartMagic) {
    tick.halfSecondCount = 0;
    do {
      backgroundPass(z);
      z.host->yieldToHost();
      if ((z.keyBits & ContrastKeysMask) == 0) tick.extendedSetup = 1;
    } while (tick.halfSecondCount < 4);
  }
  tick.warmStartMarker = WarmStartMagic;
  z.host->setAlarmLed(false);
  redrawPage(z);
  z.air.fastFollow = 1;
  z.engine.engineDataLost = 1;

  do {
    z.main.pageVisible = 1;
    mainLoop(z);
    z.main.pageVisible = 1;
    updateInstruments(z);
    drawPageItems(z);
  } while (!tick.stopFirmware);
}

}  // namespace zen
