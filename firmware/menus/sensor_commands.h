// Commands to the attitude and heading sensor, and what the sensor reports to
// its setup screens. No link carries commands to the sensor in this system:
// every command goes through sendSensorCommand, which only notes it, so a
// sensor link can send them from that one place later.
#pragma once

#include <cstdint>

namespace zen {

struct Instrument;

enum class SensorCommand : std::uint8_t {
  None,
  DeviationStart,
  DeviationCancel,
  DeviationFinish,
  DeviationZero,
  BumpFactor,  // with the factor as value
  SlewFactor,  // with the factor as value
  AttitudeMode,
  TiltMode,  // with the tilt mode as value
  SetNorth,
  SetSouth,
  SetEast,
  SetWest,
};

// Working values of the sensor setup, zero at power-on; nothing here is a setting.
struct SensorSetupState {
  std::uint8_t tiltMode = 0;  // 2 "3D Accel.", 3 "3D Gyro", anything else "2D"
  // Filled by a sensor that answers; in this system they stay zero.
  std::uint8_t inclinationReady = 0;
  std::int16_t inclination = 0;  // degrees
  std::uint8_t deviation3d = 0;  // the sensor reports Z values too
  std::int16_t deviationEw = 0, deviationNs = 0, deviationZ = 0;
  std::int16_t ewMax = 0, ewMin = 0, nsMax = 0, nsMin = 0, zMin = 0, zMax = 0;
  // The last command handed to the sensor.
  SensorCommand lastCommand = SensorCommand::None;
  std::uint16_t lastCommandValue = 0;
  std::uint16_t commandCount = 0;
};

void sendSensorCommand(Instrument& z, SensorCommand command, std::uint16_t value = 0);

}  // namespace zen
