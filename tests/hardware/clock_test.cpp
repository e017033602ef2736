#include <gtest/gtest.h>

#include <array>
#include <numeric>
#include <vector>

#include "firmware/core/instrument.h"
#include "firmware/core/settings_store.h"
#include "sim/program_files.h"
#include "support/fake_host.h"
#include "support/test_files.h"

namespace zen {
namespace {

using test::FakeHost;
using Bytes = std::vector<std::uint8_t>;

TEST(ClockRegisters, AreBcdFromTheComputersLocalTime) {
  struct Case {
    LocalTime now;
    std::array<std::uint8_t, 7> registers;
  };
  const Case cases[] = {
      // year % 4 == 3 lands in bits 7..6 of the day register
      {{2023, 12, 31, 23, 59, 58}, {0, 0, 0x58, 0x59, 0x23, 0xF1, 0x12}},
      {{2024, 1, 5, 7, 8, 9}, {0, 0, 0x09, 0x08, 0x07, 0x05, 0x01}},
      {{2026, 10, 19, 12, 0, 30}, {0, 0, 0x30, 0x00, 0x12, 0x99, 0x10}},
  };
  for (const Case& c : cases) {
    FakeHost host;
    Instrument z(host);
    host.now = c.now;
    std::array<std::uint8_t, 7> registers{};
    registers.fill(0xEE);
    readClock(z, registers.data(), 0, registers.size());
    EXPECT_EQ(registers, c.registers) << c.now.year << "-" << c.now.month << "-" << c.now.day;
  }
}

TEST(ClockRegisters, ReadingAnyRecordRefreshesTheTime) {
  FakeHost host;
  Instrument z(host);
  host.now = {2025, 6, 14, 10, 20, 30};
  const QnhBlock stored{8104, 1, 0, 3};
  writeClock(z, &stored, clock_offset::QnhBlock, sizeof stored);
  const std::uint8_t stale[7] = {9, 9, 9, 9, 9, 9, 9};
  writeClock(z, stale, 0, sizeof stale);

  QnhBlock read;
  readClock(z, &read, clock_offset::QnhBlock, sizeof read);
  EXPECT_EQ(std::uint16_t{read.qnhX8}, 8104);
  EXPECT_EQ(read.inFlight, 1);
  EXPECT_EQ(read.tankPointIndex, 3);
  EXPECT_EQ(z.rtc.bytes[0], 0);
  EXPECT_EQ(z.rtc.bytes[2], 0x30);
  EXPECT_EQ(z.rtc.bytes[5], 0x54);
}

TEST(ClockRam, AccessPastTheEndIsAFault) {
  FakeHost host;
  Instrument z(host);
  std::uint8_t buffer[8] = {};
  EXPECT_THROW(readClock(z, buffer, 250, 7), HardwareFault);
  EXPECT_THROW(writeClock(z, buffer, 256, 1), HardwareFault);
  EXPECT_THROW(writeClock(z, buffer, 252, 5), HardwareFault);
  EXPECT_NO_THROW(writeClock(z, buffer, 255, 1));
  EXPECT_NO_THROW(readClock(z, buffer, 248, 8));
}

TEST(ClockRam, SurvivesARestartThroughRtcRam) {
  FakeHost host;
  Instrument z(host);
  std::iota(z.rtc.bytes.begin(), z.rtc.bytes.end(), 0);
  saveClockRam(z);
  EXPECT_EQ(test::readBytes(host.folder / "RTC.ram"), Bytes(z.rtc.bytes.begin(), z.rtc.bytes.end()));

  Instrument next(host);
  LogoStore logo;
  loadProgramFiles(next, logo);
  EXPECT_EQ(next.rtc.bytes, z.rtc.bytes);

  // A short file replaces only the bytes it has.
  test::writeBytes(host.folder / "RTC.ram", Bytes(10, 0x77));
  loadProgramFiles(next, logo);
  EXPECT_EQ(next.rtc.bytes[9], 0x77);
  EXPECT_EQ(next.rtc.bytes[10], 10);
  EXPECT_TRUE(host.fileErrors.empty());
}

// The offset to the computer's clock lives in the clock memory, so a time
// set in the aircraft setup is still the chip's time in the next run.
TEST(ClockRam, ATimeSetIsKeptThroughRtcRam) {
  FakeHost host;
  host.now = {2026, 3, 1, 12, 0, 0};
  Instrument z(host);
  setClockTime(z, {2031, 7, 4, 9, 15, 0});
  saveClockRam(z);

  host.now = {2026, 3, 1, 13, 30, 20};  // an hour and a half later
  Instrument next(host);
  LogoStore logo;
  loadProgramFiles(next, logo);
  const LocalTime t = clockTime(next);
  EXPECT_EQ((std::array{t.year, t.month, t.day, t.hour, t.minute, t.second}),
            (std::array{2031, 7, 4, 10, 45, 20}));
}

TEST(ClockRam, FailedSaveIsReported) {
  FakeHost host;
  Instrument z(host);
  host.folder = host.tempFolder / "missing";
  saveClockRam(z);
  ASSERT_EQ(host.fileErrors.size(), 1u);
  EXPECT_EQ(host.fileErrors[0].file, host.folder / "RTC.ram");
}

}  // namespace
}  // namespace zen
