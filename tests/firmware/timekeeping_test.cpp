#include <gtest/gtest.h>

#include "tests/firmware/background_rig.h"

namespace zen::test {
namespace {

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

}  // namespace
}  // namespace zen::test
