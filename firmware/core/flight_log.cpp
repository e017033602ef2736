#include "firmware/core/flight_log.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "firmware/core/background.h"
#include "firmware/core/clock_records.h"
#include "firmware/core/instrument.h"
#include "firmware/core/option_bits.h"
#include "firmware/core/settings_store.h"
#include "firmware/instruments/panel_items.h"
#include "firmware/instruments/rev_counter.h"

namespace zen {

namespace {

constexpr std::uint8_t HoldOffSeconds = 30;

std::uint16_t findFreeLogSlot(Instrument& z) {
  std::uint16_t address = flight_log::FirstSlot;
  for (int used = 0; logSlotHoldsFlight(z, address); ++used) {
    z.host->yieldToHost();
    if (used + 1 == flight_log::SlotCount) return flight_log::FirstSlot;  // full: the oldest goes
    address += flight_log::SlotSize;
  }
  return address;
}

void writeLogRecord(Instrument& z) {
  Timekeeping& t = z.time;
  std::array<std::uint8_t, 16>& r = t.logRecord;
  r[13] = z.settings.pilotNumber;
  const std::uint16_t address = findFreeLogSlot(z);
  const auto* flight = reinterpret_cast<const std::uint8_t*>(&t.flight);
  std::copy_n(flight, 10, r.begin());
  r[10] = t.engineHours.minutes;
  r[11] = t.engineHours.hours;
  r[12] = t.engineHours.hundreds;
  r[14] = r[15] = 0;
  std::array<std::uint8_t, 17> slot{};
  std::copy(r.begin(), r.end(), slot.begin());
  slot[16] = flight_log::FreeMarker;  // the next slot is free
  const std::size_t count = address == flight_log::LastSlot ? 16 : 17;
  writeSettingsBytes(z, address, slot.data(), count);
}

}  // namespace

bool logSlotHoldsFlight(const Instrument& z, std::uint16_t address) {
  const std::uint8_t day = readSettingsByte(z, address);
  return day != flight_log::FreeMarker && day != 0;
}

bool rpmGaugeDecidesFlight(const Instrument& z) {
  if (!itemVisible(z, RpmGaugeItem)) return false;
  const std::uint8_t style = itemStyle(z, RpmGaugeItem) & 3;
  return style == 2 || style == 3;
}

void detectFlightStartEnd(Instrument& z) {
  Timekeeping& t = z.time;
  const bool automatic = z.settings.testOption(option::AutoFlightDetect);
  const bool byGauge = rpmGaugeDecidesFlight(z);
  const std::uint16_t airspeed = z.air.indicatedAirspeed;
  // The two-needle gauge decides by its rotor percent: a rotor turning at
  // flight speed means flying, while the engine may idle in a descent.
  if (t.qnh.inFlight) {
    bool landed;
    if (byGauge) {
      landed = rotorPercent(z) < 70 && t.flightHoldOff == 0;
    } else {
      if (airspeed >= 20) t.flightHoldOff = HoldOffSeconds;
      landed = airspeed < 20 && t.flightHoldOff == 0;
    }
    if (landed && automatic) endFlight(z);
  } else if (automatic) {
    const bool airborne =
        byGauge ? rotorPercent(z) >= 80 : (airspeed > 29 && z.air.engineRpm > z.settings.flightStartRpm);
    if (airborne) startFlight(z);
  }
}

std::uint16_t newestLogSlot(const Instrument& z) {
  std::uint16_t address = flight_log::FirstSlot;
  for (int k = 0; k < flight_log::SlotCount && logSlotHoldsFlight(z, address); ++k)
    address += flight_log::SlotSize;
  return address == flight_log::FirstSlot ? flight_log::LastSlot
                                          : static_cast<std::uint16_t>(address - flight_log::SlotSize);
}

void closeFlightAlreadyLogged(Instrument& z) {
  Timekeeping& t = z.time;
  if (!t.qnh.inFlight) return;
  const std::uint16_t newest = newestLogSlot(z);
  const FlightRecord& f = t.flight;
  // A log record starts with the flight record's bytes (writeLogRecord).
  auto loggedByte = [&](std::size_t field) { return readSettingsByte(z, newest + field); };
  if (loggedByte(offsetof(FlightRecord, startDay)) != f.startDay ||
      loggedByte(offsetof(FlightRecord, startMonth)) != f.startMonth ||
      loggedByte(offsetof(FlightRecord, startHour)) != f.startHour ||
      loggedByte(offsetof(FlightRecord, startMinute)) != f.startMinute)
    return;
  // The log took the flight at its end, so it is never shorter than the
  // clock's copy; a logged flight lasted a minute at least, and took off on a
  // day of the month (an erased or empty memory holds neither).
  const int logged =
      loggedByte(offsetof(FlightRecord, hours)) * 60 + loggedByte(offsetof(FlightRecord, minutes));
  if (f.startDay == 0 || logged == 0 || f.hours * 60 + f.minutes > logged) return;
  t.qnh.inFlight = 0;
  saveQnhBlock(z);
}

void startFlight(Instrument& z) {
  if (z.engine.slaveMode) return;  // the master keeps the log
  Timekeeping& t = z.time;
  if (z.settings.testOption(option::AirDistanceResetAtStart)) t.trip.flightTotal = 0;
  t.qnh.inFlight = 1;
  t.flightHoldOff = HoldOffSeconds;
  saveQnhBlock(z);
  resetFlightRecord(z);
  saveFlightRecordCopies(z);
}

void resetFlightRecord(Instrument& z) {
  Timekeeping& t = z.time;
  readTimeOfDay(z);
  FlightRecord& f = t.flight;
  f.startDay = t.clock.day;
  f.startMonth = t.clock.month;
  f.startHour = t.clock.hour;
  f.startMinute = t.clock.minute;
  f.minutes = f.hours = 0;
  f.maxAirspeed = std::min<std::uint16_t>(z.air.indicatedAirspeed, 255);
  f.maxAltitude = static_cast<std::uint16_t>(std::clamp<std::int32_t>(z.air.altitudeFeet, 0, 0xFFFF));
  t.flightSeconds = 0;
}

void endFlight(Instrument& z) {
  if (z.engine.slaveMode) return;
  Timekeeping& t = z.time;
  z.main.newAlarms = 0;
  if (t.flight.minutes != 0 || t.flight.hours != 0) writeLogRecord(z);
  t.qnh.inFlight = 0;
  saveQnhBlock(z);
}

}  // namespace zen
