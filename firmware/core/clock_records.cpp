#include "firmware/core/clock_records.h"

#include <algorithm>
#include <tuple>

#include "firmware/core/background.h"
#include "firmware/core/instrument.h"
#include "firmware/core/settings_store.h"

namespace zen {

namespace {

std::uint8_t fromBcd(std::uint8_t v) { return static_cast<std::uint8_t>((v >> 4) * 10 + (v & 0x0F)); }

// Minutes then hours, both counted up; 99:59 is as far as the display goes.
void advanceFlightClock(FlightRecord& flight) {
  if (++flight.minutes <= 59) return;
  if (flight.hours >= 99) {
    flight.minutes = 59;
    flight.hours = 99;
    return;
  }
  flight.minutes = 0;
  ++flight.hours;
}

void advanceTripTimer(Timekeeping& t) {
  if (++t.tripSeconds <= 59) return;
  t.tripSeconds = 0;
  if (++t.tripMinutes <= 59) return;
  t.tripMinutes = 0;
  if (++t.tripHours > 99) t.tripHours = 0;
}

void countServiceDown(EngineHoursRecord& h) {
  if (h.serviceMinutes == 0 && h.serviceHours == 0) return;
  if (h.serviceMinutes > 0) {
    --h.serviceMinutes;
    return;
  }
  h.serviceMinutes = 59;
  if (h.serviceHours > 0) --h.serviceHours;
}

void advanceEngineTime(Timekeeping& t) {
  EngineHoursRecord& h = t.engineHours;
  if (++t.engineSeconds <= 59) return;
  t.engineSeconds = 0;
  t.engineHoursDirty = 1;
  if (++h.minutes > 59) {
    h.minutes = 0;
    if (++h.hours > 99) {
      h.hours = 0;
      if (++h.hundreds > 99) h.hundreds = 0;
    }
  }
  countServiceDown(h);
}

void saveFlightRecord(Instrument& z) {
  Timekeeping& t = z.time;
  const int offset = t.flightRecordCopy ? clock_offset::FlightRecordB : clock_offset::FlightRecordA;
  writeClock(z, &t.flight, offset, sizeof(FlightRecord));
  t.flightRecordCopy ^= 1;
}

}  // namespace

void readTimeOfDay(Instrument& z) {
  std::uint8_t r[5];
  readClock(z, r, 2, sizeof r);
  TimeOfDay& c = z.time.clock;
  c.second = fromBcd(r[0]);
  c.minute = fromBcd(r[1]);
  c.hour = fromBcd(r[2]);
  c.day = fromBcd(r[3] & 0x3F);
  c.yearBits = static_cast<std::uint8_t>(r[3] >> 6);
  c.month = fromBcd(r[4] & 0x1F);
  QnhBlock& qnh = z.time.qnh;
  qnh.flags = static_cast<std::uint8_t>((qnh.flags & ~0x03) | c.yearBits);
}

void startSecond(Instrument& z) {
  z.time.secondTick = 1;
  z.tick.oneSecondFlag = 0;
  readTimeOfDay(z);
  DisplayState& d = z.display;
  if (z.settings.displayMode == 0 && d.dimTimer > 0) {
    if (--d.dimTimer == 0) d.backlightLevel = 255;
  }
}

void advanceTimers(Instrument& z) {
  Timekeeping& t = z.time;
  if (!t.secondTick) return;
  if (t.qnh.inFlight) {
    if (++t.flightSeconds > 59) {
      t.flightSeconds = 0;
      t.flightRecordDirty = 1;
      advanceFlightClock(t.flight);
    }
  }
  if (t.tripRunning) advanceTripTimer(t);
  if (z.air.engineRpm > z.settings.engineTimeRpm) advanceEngineTime(t);
  if (t.flightHoldOff > 0) --t.flightHoldOff;
  t.fourSecondCounter = (t.fourSecondCounter + 1) & 3;
  if (t.fourSecondCounter == 0) saveTripRecord(z);
}

void updateFlightMaxima(Instrument& z) {
  Timekeeping& t = z.time;
  if (!t.qnh.inFlight) return;
  const std::uint16_t airspeed = std::min<std::uint16_t>(z.air.indicatedAirspeed, 255);
  const std::uint16_t altitude =
      static_cast<std::uint16_t>(std::clamp<std::int32_t>(z.air.altitudeFeet, 0, 0xFFFF));
  if (airspeed > t.flight.maxAirspeed) {
    t.flight.maxAirspeed = airspeed;
    t.flightRecordDirty = 1;
  }
  if (altitude > t.flight.maxAltitude) {
    t.flight.maxAltitude = altitude;
    t.flightRecordDirty = 1;
  }
}

void saveDirtyRecords(Instrument& z) {
  Timekeeping& t = z.time;
  if (t.flightRecordDirty) {
    t.flightRecordDirty = 0;
    if (t.qnh.inFlight) saveFlightRecord(z);
  }
  if (t.engineHoursDirty) {
    t.engineHoursDirty = 0;
    saveEngineHoursRecord(z);
  }
}

void saveTripRecord(Instrument& z) {
  writeClock(z, &z.time.trip, clock_offset::TripRecordA, sizeof(TripRecord));
  writeClock(z, &z.time.trip, clock_offset::TripRecordB, sizeof(TripRecord));
}

void saveEngineHoursRecord(Instrument& z) {
  writeClock(z, &z.time.engineHours, clock_offset::EngineHoursA, sizeof(EngineHoursRecord));
  writeClock(z, &z.time.engineHours, clock_offset::EngineHoursB, sizeof(EngineHoursRecord));
}

void saveQnhBlock(Instrument& z) {
  writeClock(z, &z.time.qnh, clock_offset::QnhBlock, sizeof(QnhBlock));
  writeClock(z, &z.display.contrast, clock_offset::Contrast, 1);
}

namespace {

// The copy written last. Within one flight each save carries the time and
// the maxima on, so the later copy is the larger in each of them; of two
// flights the one that took off later is the newer.
FlightRecord latestFlightRecord(const FlightRecord& a, const FlightRecord& b) {
  auto takeoff = [](const FlightRecord& f) {
    return std::tuple(f.startMonth, f.startDay, f.startHour, f.startMinute);
  };
  if (takeoff(a) != takeoff(b)) return takeoff(b) > takeoff(a) ? b : a;
  FlightRecord latest = a;
  if (b.hours * 60 + b.minutes > a.hours * 60 + a.minutes) {
    latest.hours = b.hours;
    latest.minutes = b.minutes;
  }
  latest.maxAirspeed = std::max(a.maxAirspeed, b.maxAirspeed);
  latest.maxAltitude = std::max(a.maxAltitude, b.maxAltitude);
  return latest;
}

}  // namespace

void saveFlightRecordCopies(Instrument& z) {
  writeClock(z, &z.time.flight, clock_offset::FlightRecordA, sizeof(FlightRecord));
  writeClock(z, &z.time.flight, clock_offset::FlightRecordB, sizeof(FlightRecord));
}

// Every record carries a check byte that the simulated clock never fails.
// The engine hours and trip records are saved to both copies at once; the
// flight record alternates between its copies, so a restart in flight takes
// the one written last and loses neither a minute nor a maximum.
void loadClockHeldValues(Instrument& z) {
  Timekeeping& t = z.time;
  readClock(z, &t.qnh, clock_offset::QnhBlock, sizeof(QnhBlock));
  readClock(z, &z.display.contrast, clock_offset::Contrast, 1);
  readClock(z, &t.engineHours, clock_offset::EngineHoursA, sizeof(EngineHoursRecord));
  FlightRecord a, b;
  readClock(z, &a, clock_offset::FlightRecordA, sizeof(FlightRecord));
  readClock(z, &b, clock_offset::FlightRecordB, sizeof(FlightRecord));
  t.flight = latestFlightRecord(a, b);
  readClock(z, &t.trip, clock_offset::TripRecordA, sizeof(TripRecord));
}

}  // namespace zen
