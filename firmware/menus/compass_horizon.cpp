#include "firmware/menus/compass_horizon.h"

#include <array>
#include <string_view>

#include "firmware/core/instrument.h"
#include "firmware/core/keys.h"
#include "firmware/instruments/display_format.h"
#include "firmware/menus/menu_engine.h"
#include "firmware/menus/sensor_commands.h"

namespace zen {

namespace {

// ------------------------------------------------------------- factor lists

struct FactorLine {
  std::string_view text;
  std::uint16_t factor;
};
using FactorList = std::array<FactorLine, 5>;

constexpr FactorList BumpFactors{{
    {"Bump lowest", 50},
    {"Bump low", 100},
    {"Bump medium", 200},
    {"Bump high", 300},
    {"Bump highest", 500},
}};
constexpr FactorList SlewFactors{{
    {"Slew lowest", 50},
    {"Slew low", 100},
    {"Slew medium", 200},
    {"Slew high", 300},
    {"Slew highest", 500},
}};

// Only Select leaves with a factor; an idle time-out leaves without one.
void runFactorList(Instrument& z, const FactorList& lines, SensorCommand command) {
  Screen& s = z.screen;
  int selected = 0;
  for (;;) {
    s.clearScreen();
    s.bigText = 1;
    for (int n = 0; n < static_cast<int>(lines.size()); ++n) {
      s.inverseText = n == selected;
      s.drawTextAt(10, static_cast<std::uint8_t>(2 * n), lines[static_cast<std::size_t>(n)].text);
    }
    s.inverseText = 0;
    switch (waitKey(z)) {
      case key::None:
        return;
      case key::Select:
        sendSensorCommand(z, command, lines[static_cast<std::size_t>(selected)].factor);
        return;
      case key::Next:
        if (selected < static_cast<int>(lines.size()) - 1) ++selected;
        break;
      case key::Prev:
        if (selected > 0) --selected;
        break;
      default:
        break;
    }
  }
}

// ------------------------------------------------------------- deviation

void showDeviationValue(Instrument& z, std::uint8_t row, std::string_view label, std::int16_t value) {
  ShortText line(label);
  ShortText number = signedDecimalText(value);
  rightJustify(number, 6);
  line.append(number);
  z.screen.drawTextAt(0, row, line);
}

void showDeviationValues(Instrument& z) {
  const SensorSetupState& d = z.sensorSetup;
  showDeviationValue(z, 8, "EW:    ", d.deviationEw);
  showDeviationValue(z, 10, "NS:    ", d.deviationNs);
  if (d.deviation3d) showDeviationValue(z, 12, "Z:     ", d.deviationZ);
  showDeviationValue(z, 14, "EW Max:", d.ewMax);
  showDeviationValue(z, 16, "EW Min:", d.ewMin);
  showDeviationValue(z, 18, "NS Max:", d.nsMax);
  showDeviationValue(z, 20, "NS Min:", d.nsMin);
  if (d.deviation3d) {
    showDeviationValue(z, 22, " Z Min:", d.zMin);
    showDeviationValue(z, 24, " Z Max:", d.zMax);
  }
}

}  // namespace

// ------------------------------------------------------------- Horizon setup

void bumpFactorList(Instrument& z) { runFactorList(z, BumpFactors, SensorCommand::BumpFactor); }
void slewFactorList(Instrument& z) { runFactorList(z, SlewFactors, SensorCommand::SlewFactor); }

void attitudeModeCommand(Instrument& z) { sendSensorCommand(z, SensorCommand::AttitudeMode); }

void showAttitudeMode(Instrument& z, ShortText& value) {
  value.assign((z.attitude.sensorStatus & AidedAttitudeBit) ? "Mattitude" : "IMU");
}

void inclinationDialog(Instrument& z) {
  // Polls between two redraws of the waiting screen.
  constexpr int PollsPerRedraw = 10000;
  SensorSetupState& sensor = z.sensorSetup;
  sensor.inclinationReady = 0;
  for (;;) {
    const ScreenLine waiting[] = {{5, 10, "Waiting for inclination result"}};
    showLines(z, waiting);
    for (int poll = 0; poll < PollsPerRedraw; ++poll) {
      if (menuTurn(z).key != key::None) return;
      if (sensor.inclinationReady) {
        ShortText text("Inclination = ");
        text.append(signedDecimalText(sensor.inclination));
        text.append(" degrees");
        const ScreenLine result[] = {{6, 10, text}};
        showLines(z, result);
        waitKey(z);
        return;
      }
    }
  }
}

void showTurnRateSource(Instrument& z, ShortText& value) {
  value.assign(z.attitude.turnRateSource >= TurnRateFromGyro ? "Gyro" : "Bank");
}

void setSlipZero(Instrument& z) {
  if (z.attitude.attitudeSensorOn) z.attitude.slipZero = z.attitude.slipValue;
}

// ------------------------------------------------------------- Compass setup

void tiltCompensationMode(Instrument& z) {
  std::uint8_t& mode = z.sensorSetup.tiltMode;
  // Whatever shows as "2D" steps on to "3D Accel.".
  mode = mode == 2 ? 3 : mode == 3 ? 1 : 2;
  sendSensorCommand(z, SensorCommand::TiltMode, mode);
}

void showTiltMode(Instrument& z, ShortText& value) {
  const std::uint8_t mode = z.sensorSetup.tiltMode;
  value.assign(mode == 2 ? "3D Accel." : mode == 3 ? "3D Gyro" : "2D");
}

void deviationCompensation(Instrument& z) {
  const ScreenLine question[] = {{0, 0, "Proceed with deviation compensation ?"},
                                 {0, 3, "Press \"+\" to start or"},
                                 {0, 5, "any other key to cancel..."}};
  if (!askYesNo(z, question)) return;
  const ScreenLine turning[] = {
      {0, 0, "Turn compass through 360"}, {0, 2, "degrees twice."}, {0, 5, "Press \"+\" when done."}};
  showLines(z, turning);
  sendSensorCommand(z, SensorCommand::DeviationStart);
  // No idle time-out: two full turns on the ground take their time.
  // The sensor compensates itself: whether it saw the turns is its own affair.
  const bool done = waitKey(z, NoIdleLimit, [&z] { showDeviationValues(z); }) == key::Plus;
  sendSensorCommand(z, done ? SensorCommand::DeviationFinish : SensorCommand::DeviationCancel);
}

void clearDeviation(Instrument& z) {
  const ScreenLine question[] = {{0, 0, "Please press the \"+\" key"},
                                 {0, 2, "to zero the deviation compensation."},
                                 {0, 5, "Any other key to cancel..."}};
  if (askYesNo(z, question)) sendSensorCommand(z, SensorCommand::DeviationZero);
}

void setNorth(Instrument& z) { sendSensorCommand(z, SensorCommand::SetNorth); }
void setSouth(Instrument& z) { sendSensorCommand(z, SensorCommand::SetSouth); }
void setEast(Instrument& z) { sendSensorCommand(z, SensorCommand::SetEast); }
void setWest(Instrument& z) { sendSensorCommand(z, SensorCommand::SetWest); }

}  // namespace zen
