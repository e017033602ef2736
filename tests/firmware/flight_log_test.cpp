#include "firmware/core/flight_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "tests/firmware/background_rig.h"

namespace zen::test {
namespace {

constexpr std::size_t slot(int k) { return flight_log::FirstSlot + flight_log::SlotSize * k; }

class FlightLogTest : public testing::Test {
 protected:
  FlightLogTest() {
    z.e2.bytes.fill(0xFF);
    z.settings.pilotNumber = 7;
    host.now = {2027, 12, 31, 23, 58, 0};
  }
  void occupy(int slots) {
    for (int k = 0; k < slots; ++k) z.e2.bytes[slot(k)] = 0x11;
  }
  void fly(std::uint8_t hours, std::uint8_t minutes) {
    startFlight(z);
    z.time.flight.hours = hours;
    z.time.flight.minutes = minutes;
    endFlight(z);
  }
  FakeHost host;
  Instrument z{host};
};

TEST_F(FlightLogTest, FlightGoesIntoFirstFreeSlotAndMarksTheNext) {
  occupy(3);
  z.time.engineHours = {12, 34, 5, 0, 0, 0};
  z.air.indicatedAirspeed = 300;
  z.air.altitudeFeet = 4500;
  fly(1, 25);
  EXPECT_EQ(host.yields, 3);  // one per occupied slot
  const std::uint8_t expected[17] = {31, 12, 23, 58, 25, 1, 255, 0, 0x94, 0x11, 12, 34, 5, 7, 0, 0, 0xFF};
  for (int i = 0; i < 17; ++i) EXPECT_EQ(z.e2.bytes[slot(3) + i], expected[i]) << "byte " << i;
  EXPECT_EQ(z.rtc.bytes[32 + 2], 0);  // inFlight saved as cleared
}

TEST_F(FlightLogTest, EmptyFlightWritesNothingAndLogIsARing) {
  fly(0, 0);
  EXPECT_EQ(z.e2.bytes[slot(0)], 0xFF);
  occupy(207);
  fly(0, 10);  // the last slot takes the record only: nothing past the image
  EXPECT_EQ(z.e2.bytes[flight_log::LastSlot + 4], 10);
  fly(0, 20);  // full: the oldest slot is reused and the one after it freed
  EXPECT_EQ(z.e2.bytes[slot(0) + 4], 20);
  EXPECT_EQ(z.e2.bytes[slot(1)], 0xFF);
  fly(0, 30);
  EXPECT_EQ(z.e2.bytes[slot(1) + 4], 30);
}

TEST(FlightDetectTest, StartsAutomaticallyOnlyWithOptionBit6) {
  struct Case {
    const char* name;
    bool autoOption;
    std::uint8_t rpmGaugeOptions;  // options byte of item 5
    std::uint16_t airspeed, engineRpm, rotorRpm;
    bool starts;
  };
  const Case cases[] = {
      {"option clear", false, 0, 120, 6000, 0, false},
      {"fast and powered", true, 0, 30, 5501, 0, true},
      {"too slow", true, 0, 29, 6000, 0, false},
      {"engine at threshold", true, 0, 120, 5500, 0, false},
      {"gauge, rotor at 80 %", true, 0x05, 0, 0, 400, true},
      {"gauge, rotor at 79 %, engine and airspeed high", true, 0x05, 120, 6000, 395, false},
      {"gauge in style 3", true, 0x07, 0, 0, 400, true},
      {"gauge in box style", true, 0x03, 0, 0, 400, false},
      {"gauge on page 2 only", true, 0x50, 0, 0, 400, false},
  };
  for (const Case& c : cases) {
    BackgroundRig rig;
    Settings& s = rig.z.settings;
    if (c.autoOption) s.toggleOption(6);
    s.flightStartRpm = 5500, s.engineRpmFull = 5800, s.rotorRpmFull = 500;
    s.itemOptions[RpmGaugeItem] = c.rpmGaugeOptions;
    rig.z.air.indicatedAirspeed = c.airspeed, rig.z.air.engineRpm = c.engineRpm,
    rig.z.air.rotorRpm = c.rotorRpm;
    rig.runFor(100);
    EXPECT_EQ(rig.z.time.qnh.inFlight, c.starts) << c.name;
  }
}

TEST(FlightDetectTest, EndsThirtySecondsAfterAirspeedDropsBelowTwenty) {
  BackgroundRig rig;
  Instrument& z = rig.z;
  z.settings.toggleOption(6);
  z.settings.flightStartRpm = 5500;
  z.air.indicatedAirspeed = 80, z.air.engineRpm = 6000;
  rig.runFor(100);
  ASSERT_EQ(z.time.qnh.inFlight, 1);
  z.air.indicatedAirspeed = 19;
  rig.runFor(29000);
  EXPECT_EQ(z.time.qnh.inFlight, 1);
  z.air.indicatedAirspeed = 20;  // restarts the hold-off
  rig.runFor(100);
  z.air.indicatedAirspeed = 0;
  rig.runFor(29000);
  EXPECT_EQ(z.time.qnh.inFlight, 1);
  rig.runFor(2000);
  EXPECT_EQ(z.time.qnh.inFlight, 0);
}

TEST(FlightDetectTest, GaugeEndsTheFlightBelowSeventyPercentOnceTheHoldOffRanOut) {
  for (auto [rotorRpm, ends] : {std::pair{349, true}, {350, false}}) {  // 69 % and 70 % of 500
    BackgroundRig rig;
    Instrument& z = rig.z;
    z.settings.toggleOption(6);
    z.settings.engineRpmFull = 5800, z.settings.rotorRpmFull = 500;
    z.settings.itemOptions[RpmGaugeItem] = 0x05;
    z.time.qnh.inFlight = 1;
    z.time.flightHoldOff = 2;
    z.air.indicatedAirspeed = 100;  // the gauge decides: airspeed keeps no hold-off running
    z.air.engineRpm = 5800;
    z.air.rotorRpm = static_cast<std::uint16_t>(rotorRpm);
    rig.runFor(1500);
    EXPECT_EQ(z.time.qnh.inFlight, 1) << rotorRpm;  // hold-off not yet out
    rig.runFor(1000);
    EXPECT_EQ(z.time.qnh.inFlight, ends ? 0 : 1) << rotorRpm;
  }
}

TEST(FlightDetectTest, AirspeedHoldsOffTheEndEvenWithoutAutomaticDetection) {
  for (auto [airspeed, holdOff] : {std::pair{20, 30}, {19, 0}}) {
    FakeHost host;
    Instrument z{host};
    z.keyBits = 0xFF;
    z.time.qnh.inFlight = 1;
    z.air.indicatedAirspeed = static_cast<std::uint16_t>(airspeed);
    backgroundPass(z);
    EXPECT_EQ(z.time.flightHoldOff, holdOff) << airspeed;
    EXPECT_EQ(z.time.qnh.inFlight, 1) << airspeed;  // option bit 6 clear: never ended automatically
  }
}

TEST(FlightTimerTest, NewMaximaMarkTheRecordOnlyInFlight) {
  for (std::uint8_t inFlight : {1, 0}) {
    FakeHost host;
    Instrument z{host};
    z.keyBits = 0xFF;
    z.time.qnh.inFlight = inFlight;
    z.time.flight.maxAirspeed = 100, z.time.flight.maxAltitude = 1000;
    z.air.indicatedAirspeed = 300, z.air.altitudeFeet = 1500;
    backgroundPass(z);
    const FlightRecord& f = z.time.flight;
    EXPECT_EQ(std::uint16_t{f.maxAirspeed}, inFlight ? 255 : 100);
    EXPECT_EQ(std::uint16_t{f.maxAltitude}, inFlight ? 1500 : 1000);
    EXPECT_EQ(z.rtc.bytes[48 + 6], inFlight ? 255 : 0);  // saved at once, first copy
    EXPECT_EQ(z.time.flightRecordDirty, 0);
    z.air.altitudeFeet = -50;  // below the runway: no new maximum
    z.air.indicatedAirspeed = 200;
    z.rtc.bytes[64 + 8] = 0xAA;
    backgroundPass(z);
    EXPECT_EQ(std::uint16_t{f.maxAltitude}, inFlight ? 1500 : 1000);
    EXPECT_EQ(z.rtc.bytes[64 + 8], 0xAA);  // nothing new, nothing saved
  }
}

TEST(FlightTimerTest, CountsMinutesIntoAlternateCopiesAndStopsAt99h59) {
  BackgroundRig rig;
  Instrument& z = rig.z;
  z.time.qnh.inFlight = 1;
  z.time.flight.hours = 98, z.time.flight.minutes = 59;
  rig.runFor(60000);
  EXPECT_EQ(z.time.flight.hours, 99);
  EXPECT_EQ(z.time.flight.minutes, 0);
  EXPECT_EQ(z.rtc.bytes[48 + 5], 99);
  EXPECT_EQ(z.rtc.bytes[64 + 5], 0);
  z.time.flight.minutes = 59;
  rig.runFor(120000);
  EXPECT_EQ(z.time.flight.hours, 99);
  EXPECT_EQ(z.time.flight.minutes, 59);
  EXPECT_EQ(z.rtc.bytes[64 + 4], 59);
}

TEST(TimekeepingTest, EngineHoursRollOverAndCountServiceDown) {
  struct Case {
    std::uint8_t serviceMinutes, serviceHours, expectMinutes, expectHours;
  };
  for (const Case c : {Case{0, 0, 0, 0}, Case{5, 0, 4, 0}, Case{0, 1, 59, 0}, Case{0, 3, 59, 2}}) {
    BackgroundRig rig;
    Instrument& z = rig.z;
    z.settings.engineTimeRpm = 2000;
    z.air.engineRpm = 2001;
    z.time.engineHours = {59, 99, 99, c.serviceMinutes, c.serviceHours, 0};
    z.time.engineSeconds = 59;
    rig.runFor(1000);
    const EngineHoursRecord& h = z.time.engineHours;
    EXPECT_EQ(h.minutes + h.hours + h.hundreds, 0);
    EXPECT_EQ(h.serviceMinutes, c.expectMinutes);
    EXPECT_EQ(h.serviceHours, c.expectHours);
    EXPECT_EQ(z.rtc.bytes[152 + 3], c.expectMinutes);
  }
}

TEST(TimekeepingTest, TripTimerRunsOnlyWhenStartedAndWrapsAfter99Hours) {
  for (std::uint8_t running : {1, 0}) {
    BackgroundRig rig;
    Timekeeping& t = rig.z.time;
    t.tripRunning = running;
    t.tripHours = 99, t.tripMinutes = 59, t.tripSeconds = 58;
    rig.runFor(1500);
    EXPECT_EQ(t.tripSeconds, running ? 59 : 58);
    rig.runFor(1000);
    const int expected[3] = {running ? 0 : 99, running ? 0 : 59, running ? 0 : 58};
    EXPECT_EQ((std::array<int, 3>{t.tripHours, t.tripMinutes, t.tripSeconds}),
              (std::array<int, 3>{expected[0], expected[1], expected[2]}))
        << int(running);
  }
}

TEST(TimekeepingTest, ClockHeldValuesRestoreFromTheirCopies) {
  FakeHost host;
  Instrument z{host};
  auto put = [&](int offset, std::vector<std::uint8_t> bytes) {
    std::copy(bytes.begin(), bytes.end(), z.rtc.bytes.begin() + offset);
  };
  put(32, {0xA8, 0x1F, 1, 2, 3});
  put(42, {60});
  put(48, {4, 5, 6, 7, 8, 9, 0x34, 0x12, 0x78, 0x56, 0});
  put(64, {4, 4, 9, 9, 9, 9, 9, 9, 9, 9, 0});  // an earlier flight, however long
  put(80, {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 0});
  put(96, {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 0});
  put(144, {10, 20, 30, 40, 50, 0});
  put(152, {9, 9, 9, 9, 9, 0});
  loadClockHeldValues(z);
  const Timekeeping& t = z.time;
  EXPECT_EQ(std::uint16_t{t.qnh.qnhX8}, 8104);
  EXPECT_EQ(t.qnh.inFlight, 1);
  EXPECT_EQ(t.qnh.flags, 2);
  EXPECT_EQ(t.qnh.tankPointIndex, 3);
  EXPECT_EQ(z.display.contrast, 60);
  EXPECT_EQ((std::array<int, 6>{t.flight.startDay, t.flight.startMonth, t.flight.startHour,
                                t.flight.startMinute, t.flight.minutes, t.flight.hours}),
            (std::array<int, 6>{4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(std::uint16_t{t.flight.maxAirspeed}, 0x1234);
  EXPECT_EQ(std::uint16_t{t.flight.maxAltitude}, 0x5678);
  EXPECT_EQ((std::array<std::uint32_t, 3>{t.trip.fuelRemaining, t.trip.flightTotal, t.trip.fuelUsed}),
            (std::array<std::uint32_t, 3>{1, 2, 3}));
  EXPECT_EQ((std::array<int, 5>{t.engineHours.minutes, t.engineHours.hours, t.engineHours.hundreds,
                                t.engineHours.serviceMinutes, t.engineHours.serviceHours}),
            (std::array<int, 5>{10, 20, 30, 40, 50}));
}

// A record of a takeoff on 8 December at the hour, with its time in minutes and maxima.
FlightRecord flown(std::uint8_t hour, int minutes, std::uint16_t speed, std::uint16_t altitude) {
  return {8,
          12,
          hour,
          0,
          static_cast<std::uint8_t>(minutes % 60),
          static_cast<std::uint8_t>(minutes / 60),
          speed,
          altitude,
          0};
}

TEST(TimekeepingTest, FlightRecordRestoresFromTheCopyWrittenLast) {
  struct Case {
    const char* name;
    FlightRecord a, b, expected;
  };
  const Case cases[] = {
      {"b a minute on", flown(10, 65, 90, 900), flown(10, 66, 95, 900), flown(10, 66, 95, 900)},
      {"a a minute on", flown(10, 120, 90, 900), flown(10, 119, 90, 900), flown(10, 120, 90, 900)},
      {"b a new maximum", flown(10, 5, 90, 900), flown(10, 5, 90, 950), flown(10, 5, 90, 950)},
      {"b a later flight", flown(10, 220, 140, 9000), flown(15, 0, 0, 0), flown(15, 0, 0, 0)},
      {"a a later flight", flown(16, 1, 0, 0), flown(9, 90, 99, 99), flown(16, 1, 0, 0)},
  };
  for (const Case& c : cases) {
    FakeHost host;
    Instrument z{host};
    z.rtc.write(48, {reinterpret_cast<const std::uint8_t*>(&c.a), sizeof c.a});
    z.rtc.write(64, {reinterpret_cast<const std::uint8_t*>(&c.b), sizeof c.b});
    loadClockHeldValues(z);
    EXPECT_EQ(0, std::memcmp(&z.time.flight, &c.expected, 10)) << c.name;
  }
}

TEST(BackgroundPassTest, AlarmLampBlinksOncePerSecondWhileAnAlarmIsPending) {
  BackgroundRig rig;
  rig.z.main.newAlarms = 1;
  std::vector<bool> lamp;
  for (double ms = 250; ms < 5000; ms += 500) rig.at(ms, [&] { lamp.push_back(rig.host.alarmLed); });
  rig.at(3100, [&] { rig.z.main.newAlarms = 0; });  // acknowledged: dark from the next half second on
  rig.runUntil(5000);
  EXPECT_EQ(lamp, (std::vector<bool>{false, true, false, true, false, true, false, false, false, false}));
}

TEST(BackgroundPassTest, BacklightDimsWhenTheDimTimerRunsOutInDisplayMode0Only) {
  for (std::uint8_t mode : {0, 1}) {
    BackgroundRig rig;
    DisplayState& d = rig.z.display;
    rig.z.settings.displayMode = mode;
    d.dimTimer = 2, d.backlightLevel = 40;
    rig.runFor(1500);
    EXPECT_EQ(d.backlightLevel, 40) << int(mode);
    rig.runFor(1000);
    EXPECT_EQ(d.dimTimer, mode == 0 ? 0 : 2) << int(mode);
    EXPECT_EQ(d.backlightLevel, mode == 0 ? 255 : 40) << int(mode);
  }
}

TEST(TimekeepingTest, ClockYearBitsAndTripRecordEveryFourthSecond) {
  BackgroundRig rig;
  Instrument& z = rig.z;
  rig.host.now = {2027, 12, 31, 23, 59, 58};
  z.time.qnh.flags = 0xF0;
  z.time.trip.fuelUsed = 0x01020304;
  rig.runFor(3500);
  EXPECT_EQ(z.time.clock.day, 31);
  EXPECT_EQ(z.time.clock.month, 12);
  EXPECT_EQ(z.time.qnh.flags, 0xF3);
  EXPECT_EQ(z.rtc.bytes[80 + 8], 0);
  rig.runFor(600);
  EXPECT_EQ(z.rtc.bytes[80 + 8], 0x04);
  EXPECT_EQ(z.rtc.bytes[96 + 11], 0x01);
}

}  // namespace
}  // namespace zen::test
