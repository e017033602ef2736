#include "firmware/core/flight_log.h"

#include <gtest/gtest.h>

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
      {"gauge at 80 %", true, 0x05, 0, 4640, 0, true},
      {"gauge at 79 %", true, 0x05, 120, 4582, 395, false},
      {"gauge rotor at 80 %", true, 0x07, 0, 0, 400, true},
      {"gauge in box style", true, 0x03, 0, 4640, 0, false},
      {"gauge on page 2 only", true, 0x50, 0, 4640, 0, false},
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
