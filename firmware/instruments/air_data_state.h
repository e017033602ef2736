// Engineering values computed once per frame from the raw sensor counts.
#pragma once

#include <cstdint>

namespace zen {

struct AirDataState {
  std::int32_t altitudeFeet = 0;
  std::uint16_t altitudeShown = 0;
  std::int32_t verticalSpeed = 0;
  std::uint8_t climbing = 0;
  std::uint16_t indicatedAirspeed = 0;
  std::uint8_t airspeedByte = 0;
  std::uint16_t trueAirspeed = 0;
  std::int32_t glideRatio = 0;
  std::uint8_t ambientTemperature = 0;
  std::uint8_t supplyVoltage = 0;
  std::uint16_t tank1Contents = 0, tank2Contents = 0;
  std::uint8_t tank1Absent = 0, tank2Absent = 0;
  std::uint16_t engineRpm = 0;
  std::uint16_t rotorRpm = 0;
  std::uint16_t manifoldPressure = 0;
  std::uint8_t fuelPressure = 0;
  std::uint16_t fuelRange = 0;
  std::uint16_t fuelEndurance = 0;
  std::uint8_t takeoffState = 0;
  std::uint32_t takeoffRollCount = 0;
  std::int32_t takeoffReferenceAltitude = 0;
  std::uint16_t staticCounts = 0;          // channel 0 after the altimeter offset, sent to a slave
  std::uint8_t masterTransmitRequest = 0;  // set each frame while this unit is the dual-panel master

  // Filters kept between frames.
  std::uint32_t altitudeFilter = 0;
  std::uint16_t currentSlope = 0;
  std::uint32_t climbFilter = 0;
  std::uint16_t pitotFilter = 0;
  std::uint32_t manifoldFilter = 0;
  std::uint32_t level1Filter = 0, level2Filter = 0;
  std::int8_t climbDrift = 0;
  std::uint16_t previousAltitudeShown = 0;
  std::uint8_t altitudeJumpCount = 0;
  std::uint8_t fastFollow = 0;
  std::uint8_t levelSmoothing = 0;
};

}  // namespace zen
