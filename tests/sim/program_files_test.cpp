// What the program keeps in its folder across a crash, and what it does with
// a folder or files it did not expect.
#include "sim/program_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <deque>
#include <string>

#include "firmware/core/settings_store.h"
#include "sim/virtual_host.h"
#include "support/temporary_folder.h"
#include "support/test_files.h"

namespace zen {
namespace {

using Bytes = std::vector<std::uint8_t>;

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(ProgramFolder, CheckedAtStartWithoutThrowing) {
  test::TemporaryFolder root;
  const std::filesystem::path base = root.path();
  test::writeBytes(base / "plain", Bytes{1});
  struct Case {
    std::filesystem::path folder;
    bool readable, writable;
    std::string notice;  // part of it; "" for none
  };
  const Case cases[] = {
      {base, true, true, ""},
      {base / "new/", true, true, "did not exist; it has been created"},
      {base / "no/such", false, false, "nor does " + (base / "no").string()},
      {base / "plain", false, false, "it is not a folder"},
      {base / std::string(5000, 'x'), false, false, "File name too long"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder.string().substr(0, 80));
    const FolderCheck check = prepareProgramFolder(c.folder);
    EXPECT_EQ(check.readable, c.readable);
    EXPECT_EQ(check.writable, c.writable);
    EXPECT_EQ(c.notice.empty(), check.notice.empty()) << check.notice;
    EXPECT_TRUE(contains(check.notice, c.notice)) << check.notice;
    std::error_code ec;
    EXPECT_EQ(std::filesystem::is_directory(c.folder, ec), c.readable);
    EXPECT_EQ(check.refusal.empty(), c.writable);
  }
}

TEST(ProgramFiles, OddSizesAreSaidAndTheOriginalKeptBeforeTheFirstSave) {
  test::TemporaryFolder folder;
  Bytes e2(5000);
  for (std::size_t i = 0; i < e2.size(); ++i) e2[i] = static_cast<std::uint8_t>(i * 7);
  test::writeBytes(folder.path() / "e2.rom", e2);
  test::writeBytes(folder.path() / "logo.bin", Bytes(12000, 0x11));
  VirtualHost::Options options;
  options.programFolder = folder.path();
  VirtualHost host(options);
  ASSERT_EQ(host.notices().size(), 2u);
  EXPECT_TRUE(contains(host.notices()[0].text, "5000 bytes, not 4096: only the first 4096 are used"));
  EXPECT_TRUE(contains(host.notices()[1].text, "12000 bytes: only the first 10000 are used"));

  saveAllSettings(host.instrument());
  saveAllSettings(host.instrument());
  EXPECT_EQ(test::readBytes(folder.path() / "e2.rom.orig"), e2);
  EXPECT_EQ(test::readBytes(folder.path() / "e2.rom").size(), SettingsImage::Size);
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "e2.rom.orig.2"));
  EXPECT_TRUE(host.fileErrors().empty());
}

TEST(ProgramFiles, AFifoIsReportedAndNeverReplaced) {
  test::TemporaryFolder folder;
  for (const char* name : {"e2.rom", "RTC.ram"}) ASSERT_EQ(::mkfifo((folder.path() / name).c_str(), 0600), 0);
  VirtualHost::Options options;
  options.programFolder = folder.path();
  VirtualHost host(options);
  ASSERT_EQ(host.fileErrors().size(), 2u);
  EXPECT_TRUE(contains(host.fileErrors()[0].second, "FIFO"));
  saveAllSettings(host.instrument());
  host.closeAt(100);
  host.advance(200);
  EXPECT_FALSE(std::filesystem::is_regular_file(folder.path() / "e2.rom"));
  EXPECT_FALSE(std::filesystem::is_regular_file(folder.path() / "RTC.ram"));
}

TEST(ProgramFiles, AFolderOfAnotherProgramIsReadButNotWritten) {
  test::TemporaryFolder folder;
  const Bytes e2(SettingsImage::Size, 0x42);
  test::writeBytes(folder.path() / "e2.rom", e2);
  VirtualHost::Options options;
  options.programFolder = folder.path();
  options.loadFiles = false;
  VirtualHost host(options);
  host.restrictFolder(true, "not saved: in use");
  host.loadFiles();
  EXPECT_EQ(host.instrument().e2.bytes[100], 0x42);
  host.instrument().rtc.bytes[34] = 1;  // a flight starts
  saveAllSettings(host.instrument());
  host.closeAt(500);
  host.advance(600);
  ASSERT_EQ(host.fileErrors().size(), 1u);
  EXPECT_EQ(host.fileErrors()[0].second, "not saved: in use");
  EXPECT_EQ(test::readBytes(folder.path() / "e2.rom"), e2);
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "RTC.ram"));
}

// A flight with the engine running: the clock memory on disk is never older
// than the save interval, a flight's start and end reach it at the next tick,
// and it is not written on every tick.
class CountingHost : public VirtualHost {
 public:
  using VirtualHost::VirtualHost;
  std::optional<std::string> replaceFile(const std::filesystem::path& file,
                                         std::span<const std::uint8_t> bytes) override {
    if (file.filename() == "RTC.ram") ++clockSaves;
    return VirtualHost::replaceFile(file, bytes);
  }
  int clockSaves = 0;
};

TEST(ClockRamKeeping, ReachesTheFileWithinTheSaveIntervalWhileRunning) {
  CountingHost host;
  Instrument& z = host.instrument();
  buildImageFromDefaults(z, true);  // flights start and end by themselves
  host.switchEngineUnit(0, true);
  host.setEngineBar(0, 20, 26);         // about 6000 rpm
  host.setEngineBar(0, 17, 50);         // fuel flow pulses
  host.setPressureBar(0, 2, 3000);      // about 100 mph: a flight starts
  host.setPressureBar(40000, 2, 3595);  // landed: it ends 30 s later
  const std::filesystem::path file = host.programFolder() / "RTC.ram";
  std::deque<Bytes> recent;  // the clock memory of the last save interval, newest last
  int flightChanges = 0;
  int checks = 0;
  host.onClockTick = [&] {
    const Bytes now(z.rtc.bytes.begin() + 7, z.rtc.bytes.end());
    const bool flightChanged = !recent.empty() && recent.back()[34 - 7] != now[34 - 7];
    recent.push_back(now);
    if (recent.size() > SimulationHost::ClockRamSaveTicks + 1) recent.pop_front();
    if (!flightChanged && static_cast<int>(host.nowMs()) % 1000 != 0) return;
    // No file yet: nothing was kept but the empty memory.
    const Bytes saved = std::filesystem::exists(file) ? test::readBytes(file) : Bytes(ClockRam::Size);
    ASSERT_EQ(saved.size(), ClockRam::Size);
    const Bytes onDisk(saved.begin() + 7, saved.end());
    ++checks;
    if (flightChanged) {
      ++flightChanges;
      EXPECT_EQ(onDisk, now) << "at " << host.nowMs();
    } else {
      EXPECT_NE(std::find(recent.begin(), recent.end(), onDisk), recent.end()) << "at " << host.nowMs();
    }
  };
  host.closeAt(80000);
  host.run();
  EXPECT_EQ(flightChanges, 2);
  EXPECT_GT(checks, 70);
  EXPECT_GT(std::uint32_t{z.time.trip.fuelUsed}, 0u);  // a copy: the field is packed
  EXPECT_GE(host.clockSaves, 15);
  EXPECT_LE(host.clockSaves, 80 * 40 / SimulationHost::ClockRamSaveTicks + 3);
}

}  // namespace
}  // namespace zen
