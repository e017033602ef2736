// Clock-held records, timers and the flight log buffer.
#pragma once

#include <array>
#include <cstdint>

namespace zen {

// Clock RAM offsets of the records that survive a restart.
namespace clock_offset {
inline constexpr int Control = 0;
// The simulated chip's own: how far its time was set from the computer's, in
// seconds (8 bytes, signed). The firmware never reads or writes it.
inline constexpr int TimeSetOffset = 8;
inline constexpr int QnhBlock = 32;
inline constexpr int Contrast = 42;
inline constexpr int FlightRecordA = 48, FlightRecordB = 64;
inline constexpr int TripRecordA = 80, TripRecordB = 96;
inline constexpr int EngineHoursA = 144, EngineHoursB = 152;
}  // namespace clock_offset

// Altimeter setting qnhX8 in hectopascal x 8.
inline constexpr std::uint16_t QnhStandard = 8104;  // 1013 hPa
// The panel's "+" and "-" keep the setting within 960..1060 hPa, and start-up
// trusts a stored setting within the same range.
inline constexpr std::uint16_t QnhLowest = 7680;
inline constexpr std::uint16_t QnhHighest = 8480;
inline constexpr std::uint16_t QnhMillibarStep = 8;  // 1 hPa

#pragma pack(push, 1)
struct QnhBlock {
  std::uint16_t qnhX8 = 0;
  std::uint8_t inFlight = 0;
  std::uint8_t flags = 0;           // bits 0..1 receive the clock's year bits
  std::uint8_t tankPointIndex = 0;  // calibration point selected in the tank setup
};
struct FlightRecord {
  std::uint8_t startDay = 0, startMonth = 0, startHour = 0, startMinute = 0;
  std::uint8_t minutes = 0, hours = 0;
  std::uint16_t maxAirspeed = 0;
  std::uint16_t maxAltitude = 0;
  std::uint8_t check = 0;
};
struct EngineHoursRecord {
  std::uint8_t minutes = 0, hours = 0, hundreds = 0;
  std::uint8_t serviceMinutes = 0, serviceHours = 0;
  std::uint8_t check = 0;
};
struct TripRecord {
  std::uint32_t fuelRemaining = 0;  // pulses
  std::uint32_t flightTotal = 0;    // per-flight total accumulated by the instruments
  std::uint32_t fuelUsed = 0;       // pulses
  std::uint8_t check = 0;
};
#pragma pack(pop)
static_assert(sizeof(QnhBlock) == 5 && sizeof(FlightRecord) == 11);
static_assert(sizeof(EngineHoursRecord) == 6 && sizeof(TripRecord) == 13);

struct TimeOfDay {
  std::uint8_t second = 0, minute = 0, hour = 0, day = 0, month = 0, yearBits = 0;
};

struct Timekeeping {
  QnhBlock qnh;
  FlightRecord flight;
  EngineHoursRecord engineHours;
  TripRecord trip;
  TimeOfDay clock;
  std::array<std::uint8_t, 16> logRecord{};

  std::uint8_t secondTick = 0;
  std::uint8_t flightSeconds = 0;
  std::uint8_t flightRecordDirty = 0;
  std::uint8_t engineHoursDirty = 0;
  std::uint8_t flightHoldOff = 0;
  std::uint8_t flightRecordCopy = 0;  // which clock copy the next save goes to
  std::uint8_t engineSeconds = 0;
  std::uint8_t fourSecondCounter = 0;  // 2-bit
  std::uint8_t tripRunning = 0;
  std::uint8_t tripSeconds = 0, tripMinutes = 0, tripHours = 0;
};

}  // namespace zen
