#include "firmware/core/settings_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <numeric>
#include <vector>

#include "firmware/core/instrument.h"
#include "sim/program_files.h"
#include "support/fake_host.h"
#include "support/test_files.h"

namespace zen {
namespace {

using test::FakeHost;
using test::readBytes;
using test::writeBytes;
using Bytes = std::vector<std::uint8_t>;

Bytes imageRange(const Instrument& z, std::size_t from, std::size_t count) {
  return {z.e2.bytes.begin() + from, z.e2.bytes.begin() + from + count};
}

TEST(SettingsTable, EveryItemSitsAtItsPublishedAddress) {
  // Real instruments and panel files use these addresses; one wrong size moves all that follow.
  constexpr std::array<int, SettingsItemCount> expected = {
      0,   1,   2,   4,   6,   8,   9,   10,  14,  16,  23,  24,  25,  26,  40,  54,  72,
      74,  76,  78,  80,  81,  82,  83,  85,  87,  89,  91,  92,  93,  94,  95,  96,  97,
      99,  100, 102, 104, 106, 107, 108, 128, 129, 130, 132, 134, 135, 136, 138, 140, 141,
      142, 143, 151, 152, 154, 155, 156, 158, 159, 160, 162, 178, 336, 494};
  for (int n = 0; n < SettingsItemCount; ++n)
    EXPECT_EQ(SettingsItemTable[n].address, expected[n]) << "item " << n;
  EXPECT_EQ(imageLength, 573u);
  EXPECT_EQ(SettingsItemTable[64].address + SettingsItemTable[64].size - 1, 572);
}

TEST(SettingsTable, ItemsReachDistinctVariablesExceptTheEgtCountOverlap) {
  Settings s;
  for (int n = 0; n < SettingsItemCount; ++n) {
    auto bytes = itemBytes(s, n);
    std::fill(bytes.begin(), bytes.end(), static_cast<std::uint8_t>(n + 1));
  }
  for (int n = 0; n < SettingsItemCount; ++n) {
    const auto bytes = itemBytes(std::as_const(s), n);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const bool egtCountByte = (n == 40 && i == 19);
      EXPECT_EQ(bytes[i], egtCountByte ? 42 : n + 1) << "item " << n << " byte " << i;
    }
  }
}

TEST(SettingsDefaults, EachDefaultFillsExactlyItsItem) {
  for (int n = 0; n < SettingsItemCount; ++n) {
    const SettingsItem& item = SettingsItemTable[n];
    EXPECT_EQ(itemDefault(n).size(), item.keepsCurrentValue ? 0u : item.size) << "item " << n;
  }
  EXPECT_TRUE(SettingsItemTable[27].keepsCurrentValue);
}

TEST(SettingsDefaults, ImageHoldsTheDefaultsAndErasedMemoryBehind) {
  FakeHost host;
  Instrument z(host);
  z.e2.bytes.fill(0x5A);
  z.settings.altScale = 3;
  buildImageFromDefaults(z, true);

  struct Case {
    std::size_t address;
    Bytes bytes;
  };
  const Case cases[] = {
      {0, {0x00, 0x64, 0xF4, 0x01, 0x00, 0x08, 0x64, 0x00, 0x00, 0x00}},  // items 0..6
      {10, {0xFF, 0xC2, 0x00, 0x00}},                                     // option bits
      {14, {0x58, 0x1B}},                                                 // 7000
      {16, {6, 'Z', 'X', '-', 'A', 'B', 'C'}},                            // registration
      {26, {50, 0, 10, 0, 20, 0, 30, 0, 40, 0, 50, 0, 60, 0}},            // tank 1
      {54, {0xE8, 0x03, 0x84, 0x03}},                                     // probe curve 1000, 900
      {91, {3}},                                                          // tape scale kept
      {127, {0x00, 0x02, 0x02}},        // item 40 ends 0, EGT and CHT count 2
      {143, {0, 0, 0, 0, 2, 2, 3, 2}},  // probe types
      {152, {0xFF, 0xFF}},              // alarm enables
      {178, {15, 0}},                   // altimeter, page 1
      {336, {25, 1}},                   // altimeter, page 2
      {494, {0x37, 0x37, 0x17}},        // options of items 0..2
      {572, {0x00}},                    // options of the last spare entry
  };
  for (const Case& c : cases)
    EXPECT_EQ(imageRange(z, c.address, c.bytes.size()), c.bytes) << "at " << c.address;

  EXPECT_TRUE(
      std::all_of(z.e2.bytes.begin() + 573, z.e2.bytes.end(), [](std::uint8_t b) { return b == 0xFF; }));
  EXPECT_TRUE(std::filesystem::is_empty(host.tempFolder));
}

TEST(SettingsDefaults, LoadedDefaultsSaveBackUnchangedButForTheEgtCountCopy) {
  FakeHost host;
  Instrument z(host);
  buildImageFromDefaults(z, true);
  const auto defaults = z.e2.bytes;

  loadAllSettings(z);
  EXPECT_EQ(z.settings.airspeedZero, 500);
  EXPECT_EQ(z.settings.optionBits, 0x0000C2FFu);
  EXPECT_EQ(z.settings.egtCount(), 2);
  EXPECT_EQ(z.settings.page2Locations[0].column, 25);
  EXPECT_TRUE(testOption(z, 9));
  EXPECT_FALSE(testOption(z, 8));

  saveAllSettings(z);
  auto expected = defaults;
  expected[127] = 2;
  EXPECT_EQ(z.e2.bytes, expected);
}

TEST(SettingsImage, EgtCountOverlapFavoursItem41OnLoadAndFillsBothOnSave) {
  FakeHost host;
  Instrument z(host);
  z.e2.bytes[127] = 5;
  z.e2.bytes[128] = 7;
  loadAllSettings(z);
  EXPECT_EQ(z.settings.egtCount(), 7);

  z.settings.egtCount() = 4;
  saveAllSettings(z);
  EXPECT_EQ(z.e2.bytes[127], 4);
  EXPECT_EQ(z.e2.bytes[128], 4);
}

TEST(SettingsImage, EveryWriteReplacesE2RomWithTheWholeImage) {
  FakeHost host;
  Instrument z(host);
  const auto file = host.folder / "e2.rom";

  const std::uint16_t vne = 0x1234;
  saveSettingsItem(z, 26, &vne, sizeof vne);
  EXPECT_EQ(imageRange(z, 89, 2), (Bytes{0x34, 0x12}));
  EXPECT_EQ(readBytes(file), Bytes(z.e2.bytes.begin(), z.e2.bytes.end()));

  const std::uint8_t record[17] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 0xFF};
  writeSettingsBytes(z, 768, record, sizeof record);
  EXPECT_EQ(readBytes(file), Bytes(z.e2.bytes.begin(), z.e2.bytes.end()));
  EXPECT_EQ(readSettingsByte(z, 784), 0xFF);

  readLogRecord(z, 768);
  EXPECT_TRUE(std::equal(z.time.logRecord.begin(), z.time.logRecord.end(), record));
  EXPECT_TRUE(host.fileErrors.empty());
}

TEST(SettingsImage, AccessPastTheEndIsAFault) {
  FakeHost host;
  Instrument z(host);
  const std::uint8_t two[2] = {1, 2};
  EXPECT_THROW(readSettingsByte(z, 4096), HardwareFault);
  EXPECT_THROW(readLogRecord(z, 4081), HardwareFault);
  EXPECT_THROW(writeSettingsBytes(z, 4095, two, 2), HardwareFault);
  EXPECT_NO_THROW(writeSettingsBytes(z, 4094, two, 2));
  EXPECT_NO_THROW(readLogRecord(z, 4080));
  EXPECT_THROW(itemBytes(z.settings, 65), HardwareFault);
  EXPECT_THROW(saveSettingsItem(z, -1, two, 1), HardwareFault);
}

TEST(SettingsImage, FailedWriteIsReportedAndTheImageKeepsTheNewValues) {
  FakeHost host;
  Instrument z(host);
  host.folder = host.tempFolder / "not-a-folder";
  writeBytes(host.folder, {1});

  z.settings.pilotNumber = 42;
  saveAllSettings(z);
  ASSERT_EQ(host.fileErrors.size(), 1u);
  EXPECT_EQ(host.fileErrors[0].file, host.folder / "e2.rom");
  EXPECT_FALSE(host.fileErrors[0].message.empty());
  EXPECT_EQ(z.e2.bytes[99], 42);
}

TEST(SettingsImage, TransferBufferCarriesOneItem) {
  FakeHost host;
  Instrument z(host);
  z.settings.registration = {3, {'A', 'B', 'C'}};
  EXPECT_EQ(itemToTransfer(z, 9), 7u);
  EXPECT_EQ(Bytes(z.transferBuffer.begin(), z.transferBuffer.begin() + 4), (Bytes{3, 'A', 'B', 'C'}));

  std::iota(z.transferBuffer.begin(), z.transferBuffer.end(), 0);
  transferToItem(z, 63);
  EXPECT_EQ(z.settings.page2Locations[0].row, 1);
  EXPECT_EQ(z.settings.page2Locations[78].row, 157);
  EXPECT_EQ(z.settings.itemOptions[0], 0) << "the next item was touched";
}

TEST(SettingsImage, BuiltImagesGoToTheProgramFolder) {
  FakeHost host;
  Instrument z(host);
  host.folder = host.tempFolder / "program";
  std::filesystem::create_directory(host.folder);

  z.settings.stallSpeed = 0x0203;
  buildImageFromVariables(z);
  const Bytes current = readBytes(host.folder / "CurrentE2.bin");
  ASSERT_EQ(current.size(), 4096u);
  EXPECT_EQ(current[83], 0x03);
  EXPECT_EQ(current[84], 0x02);
  EXPECT_EQ(current[573], 0xFF);
  EXPECT_EQ(current[4095], 0xFF);

  buildImageFromDefaults(z, false);
  EXPECT_EQ(readBytes(host.folder / "e2.rom"), Bytes(z.e2.bytes.begin(), z.e2.bytes.end()));
}

TEST(SettingsProgramFiles, E2RomRoundTripsAndLoadsAtMost4096Bytes) {
  FakeHost host;
  {
    Instrument z(host);
    buildImageFromDefaults(z, true);
    writeSettingsFile(z);
    Instrument fresh(host);
    LogoStore logo;
    loadProgramFiles(fresh, logo);
    EXPECT_EQ(fresh.e2.bytes, z.e2.bytes);
  }

  struct Case {
    std::size_t fileLength;
    std::size_t replaced;
  };
  for (const Case c : {Case{100, 100}, Case{5000, 4096}}) {
    Instrument z(host);
    z.e2.bytes.fill(0xAB);
    writeBytes(host.folder / "e2.rom", Bytes(c.fileLength, 0x11));
    LogoStore logo;
    loadProgramFiles(z, logo);
    const auto firstKept = z.e2.bytes.begin() + c.replaced;
    EXPECT_TRUE(std::all_of(z.e2.bytes.begin(), firstKept, [](std::uint8_t b) { return b == 0x11; }));
    EXPECT_TRUE(std::all_of(firstKept, z.e2.bytes.end(), [](std::uint8_t b) { return b == 0xAB; }));
  }
  EXPECT_TRUE(host.fileErrors.empty());
}

TEST(SettingsProgramFiles, LogoIsOptionalAndCutAt10000Bytes) {
  FakeHost host;
  Instrument z(host);
  LogoStore logo;
  loadProgramFiles(z, logo);
  EXPECT_FALSE(logo.customLogo);
  EXPECT_EQ(logo.logoLength, 1450);

  Bytes art(12000);
  std::iota(art.begin(), art.end(), 0);
  writeBytes(host.folder / "logo.bin", art);
  loadProgramFiles(z, logo);
  EXPECT_TRUE(logo.customLogo);
  EXPECT_EQ(logo.logoLength, 10000);
  EXPECT_EQ(logo.bytes, Bytes(art.begin(), art.begin() + 10000));
  EXPECT_TRUE(host.fileErrors.empty());
}

TEST(SettingsProgramFiles, UnreadableFileIsReportedAndSkipped) {
  FakeHost host;
  Instrument z(host);
  std::filesystem::create_directory(host.folder / "e2.rom");
  z.e2.bytes.fill(0x33);
  LogoStore logo;
  loadProgramFiles(z, logo);
  ASSERT_EQ(host.fileErrors.size(), 1u);
  EXPECT_EQ(host.fileErrors[0].file, host.folder / "e2.rom");
  EXPECT_EQ(z.e2.bytes[0], 0x33);
  EXPECT_EQ(z.e2.bytes[4095], 0x33);
}

// A link to itself cannot be read but could be replaced by a rename: the
// settings it stands for must survive a save.
TEST(SettingsProgramFiles, UnreadableE2RomIsNeverReplaced) {
  FakeHost host;
  Instrument z(host);
  const auto e2rom = host.folder / "e2.rom";
  std::filesystem::create_symlink("e2.rom", e2rom);
  LogoStore logo;
  loadProgramFiles(z, logo);
  writeSettingsFile(z);
  writeDefaultSettingsFile(z);
  EXPECT_TRUE(std::filesystem::is_symlink(e2rom));
  ASSERT_EQ(host.fileErrors.size(), 3u);
  EXPECT_EQ(host.fileErrors[2].file, e2rom);

  std::filesystem::remove(e2rom);
  loadProgramFiles(z, logo);
  writeSettingsFile(z);
  EXPECT_TRUE(std::filesystem::is_regular_file(e2rom));
  EXPECT_EQ(host.fileErrors.size(), 3u);
}

TEST(SettingsOptions, BitsOutsideTheWordReadClearAndDoNotToggle) {
  Settings s;
  s.optionBits = 0x80000001u;
  EXPECT_TRUE(s.testOption(0));
  EXPECT_TRUE(s.testOption(31));
  EXPECT_FALSE(s.testOption(32));
  EXPECT_FALSE(s.testOption(-1));
  s.toggleOption(32);
  s.toggleOption(-1);
  EXPECT_EQ(s.optionBits, 0x80000001u);
  s.toggleOption(31);
  EXPECT_EQ(s.optionBits, 0x00000001u);
}

}  // namespace
}  // namespace zen
