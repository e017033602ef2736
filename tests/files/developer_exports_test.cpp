#include "files/developer_exports.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "firmware/core/instrument.h"
#include "firmware/instruments/default_layout.h"
#include "host/settings_store.h"
#include "support/fake_host.h"
#include "support/temporary_folder.h"
#include "support/test_files.h"
#include "support/virtual_link.h"

namespace zen {
namespace {

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

void expectLines(const std::string& text, const std::vector<std::string>& expected) {
  EXPECT_EQ(text.back(), '\n');
  EXPECT_EQ(text.find('\r'), std::string::npos);
  const auto lines = linesOf(text);
  ASSERT_EQ(lines.size(), expected.size()) << text;
  for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << "line " << i;
}

Settings engineSettings() {
  Settings s;
  s.egtCount() = 4;
  s.chtCount = 2;
  s.egtLimit = 0x0102;
  s.chtLimit = 250;
  s.oilPressureLow = 20;
  s.oilPressureHigh = 80;
  s.oilTempLow = 80;
  s.oilTempHigh = 0x0187;
  s.coolantLow = 60;
  s.coolantHigh = 95;
  s.pulsesSetting = 60;
  s.probeTypes = {0, 1, 2, 3, 4, 5, 6, 2};
  s.oilSenderType = 4;
  return s;
}

TEST(DeveloperExports, EngineMonitorPresets) {
  struct Case {
    int page;
    std::vector<std::pair<int, std::uint8_t>> options;  // item, options byte
    std::vector<std::string> records;
    std::string bound;
  };
  const std::vector<Case> cases = {
      {0,
       {},
       {"3,0,", "4,0,", "5,0,", "9,0,", "10,0,", "11,0,", "12,0,", "6,0,", "7,0,", "8,0,", "13,0,"},
       "48"},
      // Page 2 takes the high nibble; a page-1-only item is hidden there.
      {1,
       {{3, 0x31}, {10, 0x01}, {13, 0xF0}},
       {"3,$03,7,150,", "4,0,", "5,0,", "9,0,", "10,0,", "11,0,", "12,0,", "6,0,", "7,0,", "8,0,",
        "13,$0F,13,160,"},
       "52"},
  };
  for (const Case& c : cases) {
    Settings s = engineSettings();
    for (auto [item, options] : c.options) s.itemOptions[item] = options;
    s.page2Locations[3] = {7, 150};
    s.page2Locations[13] = {13, 160};
    s.page1Locations[10] = {1, 2};
    std::vector<std::string> expected = {"ENG1: array[0.." + c.bound + "] of byte = (",
                                         "24, //engine monitor setting size",
                                         "4,2,2,1,250,0,20,80,",
                                         "80,0,135,1,60,95,60,",
                                         "0,1,2,3,4,5,6,2,4,",
                                         "11, //11 engine monitor items"};
    expected.insert(expected.end(), c.records.begin(), c.records.end());
    expected.insert(expected.end(), {"$FF);", ""});
    expectLines(engineMonitorPresetSource(s, c.page, "ENG1"), expected);
  }
}

TEST(DeveloperExports, FlightPresetNumbersLabelsFromZero) {
  Settings s;
  s.itemOptions[50] = 0x30;  // shown on page 2 only, style 1
  s.page2Locations[50] = {3, 44};
  s.itemOptions[0] = 0x07;  // page 1 only
  const auto lines = linesOf(flightPresetSource(s, 1, "PF2"));
  // 48 hidden records of 2 elements and one shown one of 4.
  EXPECT_EQ(lines.front(), "PF2: array[0..100] of byte = (");
  EXPECT_EQ(lines[1], "28, //28 items");
  EXPECT_EQ(lines[2], "0,0,");
  EXPECT_EQ(lines[5], "14,0,");
  EXPECT_EQ(lines[29], "38,0,");
  EXPECT_EQ(lines[30], "20, //20 labels");
  EXPECT_EQ(lines[31], "0,0,");
  EXPECT_EQ(lines[32], "1,$03,3,44,");
  EXPECT_EQ(lines[50], "19,0,");
  EXPECT_EQ(lines[51], "$FF);");
  EXPECT_EQ(lines.size(), 53u);
  EXPECT_EQ(linesOf(flightPresetSource(s, 0, "PF1"))[2], "0,$07,0,0,");
}

TEST(DeveloperExports, ItemLocationTables) {
  Settings s;
  s.page1Locations = defaultPage1Locations();
  s.page2Locations = defaultPage2Locations();
  s.itemOptions = defaultItemOptions();
  s.page1Locations[78] = {39, 239};
  s.itemOptions[78] = 255;
  for (std::string_view prefix : {"", "E2"}) {
    const auto lines = linesOf(itemLocationsSource(s, prefix));
    const std::string p(prefix);
    ASSERT_EQ(lines.size(), 32u) << prefix;
    EXPECT_EQ(lines[0], p + "ItemLocation1: array[0..NumberOfItems-1] of TItemLocation = (");
    EXPECT_EQ(lines[1].substr(0, 33), "(X:15;Y:0),(X:3;Y:0),(X:27;Y:0),(");
    EXPECT_EQ(lines[8],
              "(X:0;Y:0),(X:0;Y:0),(X:0;Y:0),(X:0;Y:0),(X:0;Y:0),(X:0;Y:0),(X:0;Y:0),(X:0;Y:0),"
              "(X:39;Y:239)");
    EXPECT_EQ(lines[9], ");");
    EXPECT_EQ(lines[10], "");
    EXPECT_EQ(lines[11], p + "ItemLocation2: array[0..NumberOfItems-1] of TItemLocation = (");
    EXPECT_EQ(lines[12].substr(0, 22), "(X:25;Y:1),(X:6;Y:0),(");
    EXPECT_EQ(lines[22], p + "ItemOptions: array[0..NumberOfItems-1] of byte = (");
    EXPECT_EQ(lines[23], "55,55,23,17,17,17,17,17,17,0,");
    EXPECT_EQ(lines[30], "0,0,0,0,0,0,0,0,255");
    EXPECT_EQ(lines[31], ");");
    // Every entry ends in a comma except the last of each table.
    for (int line : {1, 2, 3, 4, 5, 6, 7, 12, 23, 29}) EXPECT_EQ(lines[line].back(), ',') << line;
    EXPECT_EQ(lines[19].back(), ')');
    EXPECT_EQ(lines[20], ");");
  }
}

TEST(DeveloperExports, ArrayNameFromTheChosenFile) {
  const struct {
    const char* chosen;
    const char* file;
    const char* name;
  } cases[] = {
      {"/some/folder/ENG1.pas", "/some/folder/ENG1.pas", "ENG1"},
      {"ENG1.pas", "ENG1.pas", "ENG1"},
      {"/tmp/PFlight2", "/tmp/PFlight2.pas", "PFlight2"},
      {"/tmp/a.b/Vfr.PAS", "/tmp/a.b/Vfr.PAS", "Vfr"},
  };
  for (const auto& c : cases) {
    const auto file = presetFilePath(c.chosen);
    EXPECT_EQ(file, std::filesystem::path(c.file));
    EXPECT_EQ(presetArrayName(file), c.name);
  }
}

TEST(DeveloperExports, SavePositionsWritesBothFilesOrReportsTheFirstFailure) {
  test::TemporaryFolder folder;
  Settings s;
  s.page2Locations[5] = {12, 34};
  ASSERT_FALSE(saveItemLocations(s, folder.path()));
  const auto read = [&](const char* name) {
    const auto bytes = test::readBytes(folder.path() / name);
    return std::string(bytes.begin(), bytes.end());
  };
  EXPECT_EQ(read(ItemLocationsFile), itemLocationsSource(s, ""));
  EXPECT_EQ(read(E2ItemLocationsFile), itemLocationsSource(s, "E2"));

  const auto missing = folder.path() / "gone";
  const auto failure = saveItemLocations(s, missing);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->file, missing / ItemLocationsFile);
  EXPECT_FALSE(failure->reason.empty());
}

TEST(DeveloperExports, E2RomFileHoldsTheDefaultsAndLeavesTheLiveImageAlone) {
  test::FakeHost host;
  Instrument z(host);
  z.e2.bytes.fill(0x5A);  // the live image, flight log included
  z.settings.stallSpeed = 77;
  z.settings.altScale = 3;  // kept by a reset
  const SettingsImage live = z.e2;

  writeDefaultSettingsFile(z);
  const auto file = test::readBytes(host.folder / "e2.rom");
  ASSERT_EQ(file.size(), SettingsImage::Size);
  EXPECT_EQ(z.e2.bytes, live.bytes);
  EXPECT_EQ(z.settings.stallSpeed, 77);
  const auto at = [&](int item) { return file[SettingsItemTable[item].address]; };
  EXPECT_EQ(at(23), 30);  // stall speed default
  EXPECT_EQ(at(27), 3);
  EXPECT_EQ(at(64), defaultItemOptions()[0]);
  EXPECT_EQ(file[imageLength], 0xFF);
  EXPECT_EQ(file[4095], 0xFF);
  EXPECT_TRUE(host.fileErrors.empty());
}

TEST(DeveloperExports, ViewRamReadsOneByteOverTheLink) {
  using Bytes = std::vector<std::uint8_t>;
  const Bytes request{0x82, 0xE1, 0x05, 0x08, 0x02, 0x77, 0x02, 0x01, 0x3F, 0x83};
  struct Case {
    int answerAfterTries;  // 0: never
    std::optional<std::uint8_t> shown;
  };
  for (const Case& c : {Case{1, 0xAB}, Case{3, 0x0C}, Case{0, std::nullopt}}) {
    test::VirtualLinkRig rig;
    rig.transport.onWrite = [&](const Bytes&) {
      if (static_cast<int>(rig.transport.sent.size()) == c.answerAfterTries)
        rig.deliverAfter(300, encodeFrame(LowestFrameAddress, Bytes{ReplyFrame, ReadRam, *c.shown, 0x55}));
    };
    EXPECT_EQ(readRamByte(rig.link, ViewRamAddress), c.shown);
    ASSERT_FALSE(rig.transport.sent.empty());
    for (const auto& frame : rig.transport.sent) EXPECT_EQ(frame.bytes, request);
    // 50 ticks of 25 ms between tries.
    if (rig.transport.sent.size() > 1)
      EXPECT_NEAR(rig.transport.sent[1].atMs - rig.transport.sent[0].atMs, 1250, 30);
    EXPECT_EQ(rig.transport.sent.size(),
              c.shown ? std::size_t(c.answerAfterTries) : std::size_t(Link::Tries));
  }
}

}  // namespace
}  // namespace zen
