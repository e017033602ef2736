#include "files/developer_exports.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "firmware/core/instrument.h"
#include "firmware/core/settings_store.h"
#include "firmware/instruments/default_layout.h"
#include "support/fake_host.h"
#include "support/test_files.h"

namespace zen {
namespace {

using Lines = std::vector<std::string>;

Lines linesOf(const std::string& text) {
  EXPECT_EQ(text.find('\r'), std::string::npos);
  Lines lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(DeveloperExports, EngineMonitorPresets) {
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
  s.page2Locations[3] = {7, 150};
  s.page2Locations[13] = {13, 160};
  const struct {
    int page;
    std::vector<std::pair<int, std::uint8_t>> options;  // item, options byte
    std::string bound;
    Lines records;
  } cases[] = {
      {0,
       {},
       "48",
       {"3,0,", "4,0,", "5,0,", "9,0,", "10,0,", "11,0,", "12,0,", "6,0,", "7,0,", "8,0,", "13,0,"}},
      // Page 2 takes the high nibble; a page-1-only item is hidden there.
      {1,
       {{3, 0x31}, {10, 0x01}, {13, 0xF0}},
       "52",
       {"3,$03,7,150,", "4,0,", "5,0,", "9,0,", "10,0,", "11,0,", "12,0,", "6,0,", "7,0,", "8,0,",
        "13,$0F,13,160,"}},
  };
  for (const auto& c : cases) {
    for (auto [item, options] : c.options) s.itemOptions[item] = options;
    Lines expected = {"ENG1: array[0.." + c.bound + "] of byte = (",
                      "24, //engine monitor setting size",
                      "4,2,2,1,250,0,20,80,",
                      "80,0,135,1,60,95,60,",
                      "0,1,2,3,4,5,6,2,4,",
                      "11, //11 engine monitor items"};
    expected.insert(expected.end(), c.records.begin(), c.records.end());
    expected.insert(expected.end(), {"$FF);", ""});
    EXPECT_EQ(linesOf(engineMonitorPresetSource(s, c.page, "ENG1")), expected);
  }
}

TEST(DeveloperExports, FlightPresetNumbersLabelsFromZero) {
  Settings s;
  s.itemOptions[50] = 0x30;  // page 2 only, style 1
  s.page2Locations[50] = {3, 44};
  s.itemOptions[0] = 0x07;  // page 1 only
  const Lines lines = linesOf(flightPresetSource(s, 1, "PF2"));
  ASSERT_EQ(lines.size(), 53u);
  // 47 hidden records of 2 elements and one shown one of 4, plus 28, 20 and $FF.
  const std::pair<int, std::string> expected[] = {{0, "PF2: array[0..100] of byte = ("},
                                                  {1, "28, //28 items"},
                                                  {2, "0,0,"},
                                                  {5, "14,0,"},
                                                  {29, "38,0,"},
                                                  {30, "20, //20 labels"},
                                                  {31, "0,0,"},
                                                  {32, "1,$03,3,44,"},
                                                  {50, "19,0,"},
                                                  {51, "$FF);"}};
  for (const auto& [line, text] : expected) EXPECT_EQ(lines[line], text) << line;
  EXPECT_EQ(linesOf(flightPresetSource(s, 0, "PF1"))[2], "0,$07,0,0,");
}

TEST(DeveloperExports, ItemLocationTablesTenEntriesALine) {
  Settings s;
  s.page1Locations = defaultPage1Locations();
  s.page2Locations = defaultPage2Locations();
  s.itemOptions = defaultItemOptions();
  s.page1Locations[78] = {39, 239};
  s.itemOptions[78] = 255;
  for (std::string p : {"", "E2"}) {
    const Lines lines = linesOf(itemLocationsSource(s, p));
    ASSERT_EQ(lines.size(), 32u) << p;
    const std::string zeros =
        "(X:0;Y:0),(X:0;Y:0),(X:0;Y:0),(X:0;Y:0),(X:0;Y:0),(X:0;Y:0),(X:0;Y:0),(X:0;Y:0),";
    const std::pair<int, std::string> expected[] = {
        {0, p + "ItemLocation1: array[0..NumberOfItems-1] of TItemLocation = ("},
        {8, zeros + "(X:39;Y:239)"},  // items 70..78, the last without a comma
        {9, ");"},
        {10, ""},
        {11, p + "ItemLocation2: array[0..NumberOfItems-1] of TItemLocation = ("},
        {19, zeros + "(X:0;Y:0)"},
        {21, ""},
        {22, p + "ItemOptions: array[0..NumberOfItems-1] of byte = ("},
        {23, "55,55,23,17,17,17,17,17,17,0,"},
        {30, "0,0,0,0,0,0,0,0,255"},
        {31, ");"}};
    for (const auto& [line, text] : expected) EXPECT_EQ(lines[line], text) << line;
    EXPECT_TRUE(lines[1].starts_with("(X:15;Y:0),(X:3;Y:0),(X:27;Y:0),("));
    for (int line = 1; line < 8; ++line)
      EXPECT_EQ(std::count(lines[line].begin(), lines[line].end(), ','), 10);
  }
}

TEST(DeveloperExports, ArrayNameFromTheChosenFile) {
  const struct {
    const char *chosen, *file, *name;
  } cases[] = {
      {"/some/folder/ENG1.pas", "/some/folder/ENG1.pas", "ENG1"},
      {"ENG1.pas", "ENG1.pas", "ENG1"},
      {"/tmp/PFlight2", "/tmp/PFlight2.pas", "PFlight2"},  // the default extension
      {"/tmp/a.b/Vfr.PAS", "/tmp/a.b/Vfr.PAS", "Vfr"},
  };
  for (const auto& c : cases) {
    const auto file = presetFilePath(c.chosen);
    EXPECT_EQ(file, std::filesystem::path(c.file));
    EXPECT_EQ(presetArrayName(file), c.name);
  }
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
}

}  // namespace
}  // namespace zen
