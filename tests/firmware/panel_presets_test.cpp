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

// Walks one preset; fails the test if it does not end exactly at its last byte.
std::vector<Record> parse(std::span<const std::uint8_t> bytes) {
  std::vector<Record> records;
  std::size_t i = 0;
  auto section = [&](int firstItem) {
    const int count = bytes[i++];
    for (int n = 0; n < count; ++n) {
      Record r{firstItem + bytes[i], bytes[i + 1], {}};
      i += 2;
      if (r.nibble & 1) {
        r.place = {bytes[i], bytes[i + 1]};
        i += 2;
      }
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

std::vector<int> itemsOf(const std::vector<Record>& records) {
  std::vector<int> items;
  for (const Record& r : records) items.push_back(r.item);
  return items;
}

std::unique_ptr<PanelRig> defaultPanel() {
  auto rig = std::make_unique<PanelRig>();
  rig->z.settings.itemOptions = defaultItemOptions();
  rig->z.settings.page1Locations = defaultPage1Locations();
  rig->z.settings.page2Locations = defaultPage2Locations();
  return rig;
}

TEST(ScreenPresets, FlightPresetsNameEveryFlightItemAndLabelInOrder) {
  std::vector<int> expected{0, 1, 2};
  for (int item = 14; item <= 38; ++item) expected.push_back(item);
  for (int item = 49; item <= 68; ++item) expected.push_back(item);
  for (int index = 0; index < 3; ++index) {
    SCOPED_TRACE(FlightPresetNames[index]);
    EXPECT_EQ(itemsOf(parse(flightPreset(index))), expected);
  }
  for (const Record& r : parse(flightPreset(2))) EXPECT_EQ(r.nibble, 0) << "BLANK item " << r.item;
  EXPECT_TRUE(flightPreset(3).empty());
}

TEST(ScreenPresets, EnginePresetsCarryTheirBlockThenElevenEngineItems) {
  const std::vector<int> order{3, 4, 5, 9, 10, 11, 12, 6, 7, 8, 13};
  for (int index = 0; index < EnginePresetCount; ++index) {
    SCOPED_TRACE(testing::Message() << "engine preset " << index);
    const auto preset = enginePreset(index);
    const bool hideAll = index % EngineTypeCount == 8;
    ASSERT_FALSE(preset.empty());
    EXPECT_EQ(preset[0], hideAll ? 0 : 24);
    EXPECT_EQ(enginePresetSettingsBlock(index).size(), hideAll ? 0u : 24u);
    const auto records = parse(enginePresetItems(index));
    EXPECT_EQ(itemsOf(records), order);
    for (const Record& r : records)
      if (r.item == 12 || r.item == 13 || hideAll) EXPECT_EQ(r.nibble, 0) << "item " << r.item;
    if (!hideAll) {
      // Both pages of an engine carry the same settings.
      const auto other = enginePresetSettingsBlock((index + EngineTypeCount) % EnginePresetCount);
      EXPECT_TRUE(std::equal(other.begin(), other.end(), enginePresetSettingsBlock(index).begin()));
    }
  }
  EXPECT_TRUE(enginePreset(EnginePresetCount).empty());
}

TEST(ScreenPresets, EngineSettingsBlocksInImageOrder) {
  struct Case {
    int type;
    std::uint8_t egt, cht;
    std::uint16_t egtLimit, chtLimit;
    std::uint8_t pulses;
  };
  const Case cases[] = {
      {0, 2, 2, 650, 250, 60},  {1, 2, 2, 650, 150, 60},  {2, 2, 2, 650, 150, 60}, {3, 2, 13, 850, 135, 60},
      {4, 4, 13, 850, 135, 60}, {5, 2, 2, 850, 135, 10},  {6, 4, 4, 850, 135, 10}, {7, 6, 6, 850, 250, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(EngineTypeNames[c.type]);
    const auto b = enginePresetSettingsBlock(c.type);
    ASSERT_EQ(b.size(), 24u);
    EXPECT_EQ(b[0], c.egt);
    EXPECT_EQ(b[1], c.cht);
    EXPECT_EQ(b[2] | (b[3] << 8), c.egtLimit);
    EXPECT_EQ(b[4] | (b[5] << 8), c.chtLimit);
    const std::uint8_t oilAndCoolant[] = {20, 80, 80, 0, 135, 0, 55, 85};
    EXPECT_TRUE(std::equal(b.begin() + 6, b.begin() + 14, std::begin(oilAndCoolant)));
    EXPECT_EQ(b[14], c.pulses);
    const std::uint8_t probes[] = {0, 0, 0, 0, 2, 2, 3, 2};  // K type x4, NTC heads, KVR coolant, NTC oil
    EXPECT_TRUE(std::equal(b.begin() + 15, b.begin() + 23, std::begin(probes)));
    EXPECT_EQ(b[23], 4);
  }
}

// The default pages are the VFR and IFR arrangements with the Rotax 912 four-EGT gauges.
TEST(ScreenPresets, DefaultPagesAreTheVfrIfrAndRotax912Arrangements) {
  struct Case {
    std::span<const std::uint8_t> records;
    int page;
  };
  for (const Case& c : {Case{flightPreset(0), 0}, Case{flightPreset(1), 1}, Case{enginePresetItems(4), 0},
                        Case{enginePresetItems(4 + EngineTypeCount), 1}}) {
    const auto rig = defaultPanel();
    for (const Record& r : parse(c.records)) {
      SCOPED_TRACE(testing::Message() << "page " << c.page + 1 << " item " << r.item);
      const bool shown = r.nibble & 1;
      EXPECT_EQ(itemVisibleOn(rig->z, r.item, c.page), shown);
      if (!shown) continue;
      EXPECT_EQ(itemStyleOn(rig->z, r.item, c.page), r.nibble >> 1);
      const ItemLocation& at = itemLocationOn(rig->z, r.item, c.page);
      EXPECT_EQ(at.column, r.place.column);
      EXPECT_EQ(at.row, r.place.row);
    }
  }
}

TEST(ScreenPresets, BlankOnPage2LeavesPage1AndTheEngineItemsAlone) {
  const auto rig = defaultPanel();
  const Settings before = rig->z.settings;
  applyScreenPreset(rig->z, flightPreset(2), 2);
  const Settings& after = rig->z.settings;
  for (int item = 0; item < PanelItemCount; ++item) {
    SCOPED_TRACE(testing::Message() << "item " << item);
    const bool engine = item >= 3 && item <= 13;
    const bool spare = PanelItems[item].kind == ItemKind::Spare;
    EXPECT_EQ(after.itemOptions[item] & 0x0F, before.itemOptions[item] & 0x0F);
    EXPECT_EQ(after.itemOptions[item] >> 4, (engine || spare) ? before.itemOptions[item] >> 4 : 0);
  }
  EXPECT_EQ(std::memcmp(&after.page1Locations, &before.page1Locations, sizeof before.page1Locations), 0);
  EXPECT_EQ(std::memcmp(&after.page2Locations, &before.page2Locations, sizeof before.page2Locations), 0);
}

TEST(ScreenPresets, HideAllEngineItemsOnOnePage) {
  const auto rig = defaultPanel();
  const Settings before = rig->z.settings;
  applyScreenPreset(rig->z, enginePresetItems(8), 1);
  for (int item = 0; item < PanelItemCount; ++item) {
    const bool engine = item >= 3 && item <= 13;
    EXPECT_EQ(rig->z.settings.itemOptions[item],
              engine ? before.itemOptions[item] & 0xF0 : before.itemOptions[item])
        << "item " << item;
  }
}

TEST(ScreenPresets, ApplyingWritesTheChosenPagesNibbleAndPlace) {
  struct Case {
    int page;
    std::uint8_t expected;
    ItemLocation page1, page2;
  };
  // Item 3 shown at (4, 100) with style 5 (nibble 0x0B); item 53 is label index 4, hidden.
  const std::uint8_t preset[] = {1, 3, 0x0B, 4, 100, 1, 4, 0x00};
  for (const Case& c : {Case{1, 0xAB, {4, 100}, {7, 7}}, Case{2, 0xB5, {7, 7}, {4, 100}}}) {
    SCOPED_TRACE(testing::Message() << "page " << c.page);
    PanelRig rig;
    Settings& st = rig.z.settings;
    st.itemOptions[3] = 0xA5;
    st.itemOptions[53] = 0x11;
    st.page1Locations[3] = st.page2Locations[3] = {7, 7};
    applyScreenPreset(rig.z, preset, c.page);
    EXPECT_EQ(st.itemOptions[3], c.expected);
    EXPECT_EQ(st.page1Locations[3].row, c.page1.row);
    EXPECT_EQ(st.page2Locations[3].column, c.page2.column);
    EXPECT_EQ(st.itemOptions[53], c.page == 1 ? 0x10 : 0x01);
  }
}

TEST(ScreenPresets, MalformedDataStopsWithoutReadingPastItsEnd) {
  PanelRig rig;
  Settings& st = rig.z.settings;
  // Shown record cut short, then a record for an item past the table, then a nibble above 15.
  const std::uint8_t cutShort[] = {2, 5, 1, 9};
  applyScreenPreset(rig.z, cutShort, 1);
  EXPECT_EQ(st.itemOptions[5], 0);
  const std::uint8_t pastTable[] = {0, 1, 40, 1, 3, 3};  // label index 40 is item 89
  applyScreenPreset(rig.z, pastTable, 1);
  const std::uint8_t wideNibble[] = {1, 6, 0x1F, 2, 2, 255};
  applyScreenPreset(rig.z, wideNibble, 1);
  EXPECT_EQ(st.itemOptions[6], 0x0F);
  applyScreenPreset(rig.z, wideNibble, 3);  // no such page
  EXPECT_EQ(st.itemOptions[6], 0x0F);
  applyScreenPreset(rig.z, {}, 1);
}

}  // namespace
}  // namespace zen
