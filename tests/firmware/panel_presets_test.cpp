// Stored page presets: their byte format, their agreement with the default
// pages, and applying them to one page.
#include <gtest/gtest.h>

#include <cstring>

#include "firmware/instruments/default_layout.h"
#include "firmware/instruments/panel_items.h"
#include "firmware/instruments/screen_presets.h"
#include "tests/firmware/panel_rig.h"

namespace zen {
namespace {

using test::PanelRig;

struct Record {
  int item;
  std::uint8_t nibble;
  ItemLocation place;
};

// Walks one preset; fails the test unless it ends exactly at its last byte.
std::vector<Record> parse(std::span<const std::uint8_t> bytes) {
  std::vector<Record> records;
  std::size_t i = 0;
  auto section = [&](int firstItem) {
    for (int n = bytes[i++]; n > 0; --n) {
      Record r{firstItem + bytes[i], bytes[i + 1], {}};
      i += 2;
      if (r.nibble & 1) r.place = {bytes[i], bytes[i + 1]}, i += 2;
      records.push_back(r);
    }
  };
  section(0);
  if (bytes[i] == 255)
    ++i;
  else
    section(FirstLabelItem);
  EXPECT_EQ(i, bytes.size());
  return records;
}

std::vector<int> itemsOf(std::span<const std::uint8_t> bytes) {
  std::vector<int> items;
  for (const Record& r : parse(bytes)) items.push_back(r.item);
  return items;
}

std::unique_ptr<PanelRig> defaultPanel() {
  auto rig = std::make_unique<PanelRig>();
  rig->z.settings.itemOptions = defaultItemOptions();
  rig->z.settings.page1Locations = defaultPage1Locations();
  rig->z.settings.page2Locations = defaultPage2Locations();
  return rig;
}

TEST(ScreenPresets, RecordsNameTheirItemsInStoredOrder) {
  std::vector<int> flight{0, 1, 2};
  for (int item = 14; item <= 38; ++item) flight.push_back(item);
  for (int item = 49; item <= 68; ++item) flight.push_back(item);
  for (int index = 0; index < 3; ++index) EXPECT_EQ(itemsOf(flightPreset(index)), flight) << index;
  for (const Record& r : parse(flightPreset(2))) EXPECT_EQ(r.nibble, 0) << "BLANK item " << r.item;

  const std::vector<int> engine{3, 4, 5, 9, 10, 11, 12, 6, 7, 8, 13};
  for (int index = 0; index < EnginePresetCount; ++index) {
    SCOPED_TRACE(testing::Message() << "engine preset " << index);
    const bool hideAll = index % EngineTypeCount == 8;
    EXPECT_EQ(enginePreset(index)[0], hideAll ? 0 : 24);
    EXPECT_EQ(itemsOf(enginePresetItems(index)), engine);
    for (const Record& r : parse(enginePresetItems(index))) {
      if (hideAll || r.item == 12 || r.item == 13) {
        EXPECT_EQ(r.nibble, 0) << "item " << r.item;
      }
    }
  }
  EXPECT_TRUE(enginePreset(EnginePresetCount).empty());
}

TEST(ScreenPresets, EngineSettingsBlocksInImageOrder) {
  // Common to every engine: oil pressure, oil and coolant limits at bytes 6..13, probe types and sender
  // at 15..23.
  const std::uint8_t common[] = {20, 80, 80, 0, 135, 0, 55, 85};
  const std::uint8_t probes[] = {0, 0, 0, 0, 2, 2, 3, 2, 4};
  for (int index = 0; index < EnginePresetCount; ++index) {
    const auto b = enginePresetSettingsBlock(index);
    if (index % EngineTypeCount == 8) {
      EXPECT_TRUE(b.empty());
      continue;
    }
    ASSERT_EQ(b.size(), 24u);
    EXPECT_TRUE(std::equal(b.begin() + 6, b.begin() + 14, std::begin(common))) << index;
    EXPECT_TRUE(std::equal(b.begin() + 15, b.end(), std::begin(probes))) << index;
  }
  // "Rotax912 4xEGT 2xNCHT OP,OT", page 2: 4 EGT, the two-probe head code 13, 850 / 135 degrees, 60 pulses.
  const auto b = enginePresetSettingsBlock(4 + EngineTypeCount);
  EXPECT_EQ(EngineTypeNames[4], "Rotax912 4xEGT 2xNCHT OP,OT");
  EXPECT_EQ(b[0], 4);
  EXPECT_EQ(b[1], 13);
  EXPECT_EQ(b[2] | (b[3] << 8), 850);
  EXPECT_EQ(b[4] | (b[5] << 8), 135);
  EXPECT_EQ(b[14], 60);
  EXPECT_EQ(enginePresetSettingsBlock(7)[14], 10);  // four strokes count 10 pulses
}

TEST(ScreenPresets, EverySettingsBlockCarriesItsEnginesCountsLimitsAndPulses) {
  struct Engine {
    std::string_view name;
    int egt, cht, egtLimit, chtLimit, pulses;
  };
  const Engine engines[] = {
      {"Rotax503 2xEGT 2xCHT", 2, 2, 650, 250, 60},
      {"Rotax582 2xEGT WT", 2, 2, 650, 150, 60},
      {"Rotax582 2xEGT 2xCHT WT", 2, 2, 650, 150, 60},
      {"Rotax912 2xEGT 2xNCHT OP,OT", 2, 13, 850, 135, 60},
      {"Rotax912 4xEGT 2xNCHT OP,OT", 4, 13, 850, 135, 60},
      {"Four stroke 2xEGT 2xCHT OP OT", 2, 2, 850, 135, 10},
      {"Four stroke 4xEGT 4xCHT OP OT", 4, 4, 850, 135, 10},
      {"Four stroke 6xEGT 6xCHT OP OT", 6, 6, 850, 250, 10},
  };
  EXPECT_EQ(EngineTypeNames[8], "Hide all engine items");
  for (int type = 0; type < 8; ++type) {
    const Engine& e = engines[type];
    EXPECT_EQ(EngineTypeNames[type], e.name);
    for (int index : {type, type + EngineTypeCount}) {  // both pages carry the same block
      SCOPED_TRACE(testing::Message() << e.name << ", preset " << index);
      const auto b = enginePresetSettingsBlock(index);
      ASSERT_EQ(b.size(), 24u);
      EXPECT_EQ(b[0], e.egt);
      EXPECT_EQ(b[1], e.cht);
      EXPECT_EQ(b[2] | (b[3] << 8), e.egtLimit);
      EXPECT_EQ(b[4] | (b[5] << 8), e.chtLimit);
      EXPECT_EQ(b[14], e.pulses);
    }
  }
}

TEST(ScreenPresets, EnginePresetsPlaceTheGaugesOfTheirEngineAndPage) {
  struct Gauge {
    std::uint8_t nibble, column, row;
  };
  // clang-format off
  constexpr Gauge Off{0, 0, 0};
  // Items 3, 4, 5, 9, 10, 11, 6, 7, 8; presets 0..7 for page 1, then 9..16 for page 2.
  const std::array<std::array<Gauge, 9>, 16> layouts{{
      {{{1, 30, 204}, {1, 30, 162}, {1, 21, 165}, Off, Off, Off, {1, 11, 212}, {1, 11, 146}, {1, 11, 179}}},
      {{{1, 30, 204}, Off, {1, 21, 165}, {1, 31, 165}, Off, Off, {1, 11, 212}, {1, 11, 146}, {1, 11, 179}}},
      {{{1, 30, 204}, {1, 30, 162}, {1, 21, 165}, {1, 31, 128}, Off, Off, {1, 11, 212}, {1, 11, 146}, {1, 11, 179}}},
      {{{1, 30, 204}, {1, 30, 163}, {1, 21, 165}, Off, {3, 23, 129}, {1, 32, 129}, {1, 11, 212}, {1, 11, 146}, {1, 11, 179}}},
      {{{1, 30, 188}, {1, 30, 146}, {1, 21, 165}, Off, {3, 17, 113}, {1, 26, 113}, {1, 11, 212}, {1, 11, 146}, {1, 11, 179}}},
      {{{1, 30, 204}, {1, 30, 163}, {1, 21, 165}, Off, {3, 23, 129}, {1, 32, 129}, {1, 11, 212}, {1, 11, 146}, {1, 11, 179}}},
      {{{1, 30, 188}, {1, 30, 120}, {1, 21, 165}, Off, {3, 11, 212}, {1, 11, 181}, {1, 21, 120}, {1, 11, 120}, {1, 11, 151}}},
      {{{1, 30, 172}, {1, 19, 172}, {1, 10, 167}, Off, {3, 31, 140}, {1, 31, 109}, {9, 10, 126}, {1, 20, 110}, {1, 20, 141}}},
      {{{1, 26, 202}, {1, 26, 161}, {1, 15, 163}, Off, Off, Off, {1, 0, 212}, {1, 0, 181}, {1, 0, 150}}},
      {{{1, 25, 203}, Off, {1, 14, 167}, {1, 25, 167}, Off, Off, {1, 0, 212}, {1, 0, 181}, {1, 0, 150}}},
      {{{1, 30, 201}, {1, 30, 161}, {1, 11, 167}, {1, 20, 192}, Off, Off, {1, 0, 212}, {1, 0, 181}, {1, 0, 150}}},
      {{{1, 30, 204}, {1, 30, 161}, {1, 12, 167}, Off, {1, 21, 211}, {1, 21, 168}, {1, 0, 212}, {1, 0, 181}, {1, 0, 150}}},
      {{{1, 30, 188}, {1, 19, 196}, {1, 10, 167}, Off, {1, 31, 154}, {1, 20, 154}, {1, 0, 212}, {1, 0, 181}, {1, 0, 150}}},
      {{{1, 30, 204}, {1, 30, 161}, {1, 12, 167}, Off, {1, 21, 211}, {1, 21, 168}, {1, 0, 212}, {1, 0, 181}, {1, 0, 150}}},
      {{{3, 30, 212}, {3, 30, 168}, {1, 12, 167}, Off, {1, 21, 211}, {1, 21, 168}, {1, 0, 212}, {1, 0, 181}, {1, 0, 150}}},
      {{{3, 30, 213}, {3, 30, 168}, {1, 12, 167}, Off, {1, 21, 211}, {1, 21, 168}, {1, 0, 212}, {1, 0, 181}, {1, 0, 150}}},
  }};
  // clang-format on
  const int items[] = {3, 4, 5, 9, 10, 11, 6, 7, 8};
  for (int n = 0; n < 16; ++n) {
    const int index = n < 8 ? n : n + 1;
    const int page = n < 8 ? 1 : 2;
    SCOPED_TRACE(testing::Message() << EngineTypeNames[n % 8] << ", page " << page);
    PanelRig rig;
    Settings& st = rig.z.settings;
    st.itemOptions.fill(0xFF);
    applyScreenPreset(rig.z, enginePresetItems(index), page);
    for (int i = 0; i < 9; ++i) {
      const Gauge& g = layouts[n][i];
      const int item = items[i];
      const std::uint8_t nibble = page == 1 ? st.itemOptions[item] & 0x0F : st.itemOptions[item] >> 4;
      EXPECT_EQ(nibble, g.nibble) << "item " << item;
      EXPECT_EQ(itemLocationOn(rig.z, item, page - 1).column, g.column) << "item " << item;
      EXPECT_EQ(itemLocationOn(rig.z, item, page - 1).row, g.row) << "item " << item;
    }
    for (int item : {12, 13}) EXPECT_FALSE(itemVisibleOn(rig.z, item, page - 1)) << "item " << item;
  }
}

// The default pages are the VFR and IFR arrangements with the Rotax 912 four-EGT gauges.
TEST(ScreenPresets, DefaultPagesAreTheVfrIfrAndRotax912Arrangements) {
  const std::pair<std::span<const std::uint8_t>, int> presets[] = {
      {flightPreset(0), 0}, {flightPreset(1), 1}, {enginePresetItems(4), 0}, {enginePresetItems(13), 1}};
  const auto rig = defaultPanel();
  for (const auto& [bytes, page] : presets) {
    for (const Record& r : parse(bytes)) {
      SCOPED_TRACE(testing::Message() << "page " << page + 1 << " item " << r.item);
      ASSERT_EQ(itemVisibleOn(rig->z, r.item, page), (r.nibble & 1) != 0);
      if (!(r.nibble & 1)) continue;
      EXPECT_EQ(itemStyleOn(rig->z, r.item, page), r.nibble >> 1);
      EXPECT_EQ(itemLocationOn(rig->z, r.item, page).column, r.place.column);
      EXPECT_EQ(itemLocationOn(rig->z, r.item, page).row, r.place.row);
    }
  }
}

TEST(ScreenPresets, BlankOnPage2LeavesPage1AndTheEngineItemsAlone) {
  const auto rig = defaultPanel();
  const Settings before = rig->z.settings;
  applyScreenPreset(rig->z, flightPreset(2), 2);
  const Settings& after = rig->z.settings;
  for (int item = 0; item < PanelItemCount; ++item) {
    const bool untouched = (item >= 3 && item <= 13) || PanelItems[item].kind == ItemKind::Spare;
    EXPECT_EQ(after.itemOptions[item] & 0x0F, before.itemOptions[item] & 0x0F) << "item " << item;
    EXPECT_EQ(after.itemOptions[item] >> 4, untouched ? before.itemOptions[item] >> 4 : 0) << "item " << item;
  }
  EXPECT_EQ(std::memcmp(&after.page1Locations, &before.page1Locations, sizeof before.page1Locations), 0);
  EXPECT_EQ(std::memcmp(&after.page2Locations, &before.page2Locations, sizeof before.page2Locations), 0);
}

TEST(ScreenPresets, ApplyingWritesTheChosenPagesNibbleAndPlace) {
  // Item 3 shown with style 5 at (4, 100); label 53 (index 4) hidden; then a nibble wider than 4 bits.
  const std::uint8_t preset[] = {2, 3, 0x0B, 4, 100, 6, 0x1E, 1, 4, 0x00};
  for (int page : {1, 2}) {
    SCOPED_TRACE(testing::Message() << "page " << page);
    PanelRig rig;
    Settings& st = rig.z.settings;
    st.itemOptions[3] = 0xA5;
    st.itemOptions[6] = 0x11;
    st.itemOptions[53] = 0x11;
    applyScreenPreset(rig.z, preset, page);
    EXPECT_EQ(st.itemOptions[3], page == 1 ? 0xAB : 0xB5);
    EXPECT_EQ(st.itemOptions[6], page == 1 ? 0x1E : 0xE1);
    EXPECT_EQ(st.itemOptions[53], page == 1 ? 0x10 : 0x01);
    EXPECT_EQ(itemLocationOn(rig.z, 3, page - 1).row, 100);
    EXPECT_EQ(itemLocationOn(rig.z, 3, 2 - page).row, 0);
  }
  // Short or malformed data stops at the first record that does not fit.
  PanelRig rig;
  const std::uint8_t cutShort[] = {2, 5, 1, 9};          // a shown record without its row
  const std::uint8_t pastTable[] = {0, 1, 40, 1, 3, 3};  // label index 40 would be item 89
  applyScreenPreset(rig.z, cutShort, 1);
  applyScreenPreset(rig.z, pastTable, 1);
  applyScreenPreset(rig.z, flightPreset(0), 3);  // no such page
  for (std::uint8_t options : rig.z.settings.itemOptions) EXPECT_EQ(options, 0);
}

}  // namespace
}  // namespace zen
