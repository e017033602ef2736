#include <gtest/gtest.h>

#include "firmware/core/clock_records.h"
#include "tests/firmware/background_rig.h"

namespace zen::test {
namespace {

TEST(TimekeepingTest, ClockIsReadEverySecondWithYearBitsIntoQnhFlags) {
  BackgroundRig rig;
  rig.host.now = {2027, 12, 31, 23, 59, 58};
  rig.z.time.qnh.flags = 0xF0;
  rig.runFor(1000);
  const TimeOfDay& c = rig.z.time.clock;
  EXPECT_EQ(c.second, 58);
  EXPECT_EQ(c.minute, 59);
  EXPECT_EQ(c.hour, 23);
  EXPECT_EQ(c.day, 31);
  EXPECT_EQ(c.month, 12);
  EXPECT_EQ(c.yearBits, 3);
  EXPECT_EQ(rig.z.time.qnh.flags, 0xF3);
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
    EXPECT_EQ(z.rtc.bytes[144 + 3], c.expectMinutes);
    EXPECT_EQ(z.rtc.bytes[152 + 3], c.expectMinutes);
    z.air.engineRpm = 2000;  // at the threshold the engine clock stops
    rig.runFor(61000);
    EXPECT_EQ(h.minutes, 0);
  }
}

TEST(TimekeepingTest, TripTimerWrapsAndTripRecordIsSavedEveryFourthSecond) {
  BackgroundRig rig;
  Instrument& z = rig.z;
  z.time.tripRunning = 1;
  z.time.tripSeconds = 59, z.time.tripMinutes = 59, z.time.tripHours = 99;
  z.time.trip.fuelUsed = 0x01020304;
  rig.runFor(1000);
  EXPECT_EQ(z.time.tripSeconds + z.time.tripMinutes + z.time.tripHours, 0);
  rig.runFor(2500);
  EXPECT_EQ(z.rtc.bytes[80 + 8], 0);
  rig.runFor(600);
  EXPECT_EQ(z.rtc.bytes[80 + 8], 0x04);
  EXPECT_EQ(z.rtc.bytes[96 + 11], 0x01);
}

TEST(TimekeepingTest, BacklightDimsOnlyInDisplayModeZero) {
  for (std::uint8_t mode : {0, 1}) {
    BackgroundRig rig;
    rig.z.settings.displayMode = mode;
    rig.z.display.dimTimer = 2;
    rig.z.display.backlightLevel = 50;
    rig.runFor(1000);
    EXPECT_EQ(rig.z.display.backlightLevel, 50);
    rig.runFor(1000);
    EXPECT_EQ(rig.z.display.dimTimer, mode == 0 ? 0 : 2);
    EXPECT_EQ(rig.z.display.backlightLevel, mode == 0 ? 255 : 50);
  }
}

TEST(TimekeepingTest, AlarmLampBlinksWhileAlarmsArePending) {
  for (std::uint8_t alarms : {0, 0x40}) {
    BackgroundRig rig;
    rig.z.main.newAlarms = alarms;
    std::vector<bool> seen;
    for (double ms : {700, 1200, 1700, 2200}) rig.at(ms, [&] { seen.push_back(rig.host.alarmLed); });
    rig.runUntil(2300);
    EXPECT_EQ(seen, (std::vector<bool>{alarms != 0, false, alarms != 0, false})) << int(alarms);
  }
}

TEST(TimekeepingTest, ClockHeldValuesComeFromTheFirstCopies) {
  FakeHost host;
  Instrument z{host};
  auto& rtc = z.rtc.bytes;
  const std::uint8_t qnh[5] = {0xA8, 0x1F, 1, 2, 3};
  std::copy(std::begin(qnh), std::end(qnh), rtc.begin() + 32);
  rtc[42] = 60;
  rtc[48 + 4] = 17, rtc[64 + 4] = 18;
  rtc[80 + 8] = 9, rtc[96 + 8] = 10;
  rtc[144 + 1] = 33, rtc[152 + 1] = 34;
  loadClockHeldValues(z);
  EXPECT_EQ(z.time.qnh.qnhX8, 8104);
  EXPECT_EQ(z.time.qnh.inFlight, 1);
  EXPECT_EQ(z.time.qnh.tankPointIndex, 3);
  EXPECT_EQ(z.display.contrast, 60);
  EXPECT_EQ(z.time.flight.minutes, 17);
  EXPECT_EQ(z.time.trip.fuelUsed, 9u);
  EXPECT_EQ(z.time.engineHours.hours, 33);
}

}  // namespace
}  // namespace zen::test
