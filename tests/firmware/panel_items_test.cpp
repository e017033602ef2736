// The panel item table: names, size rules and per-page access.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "firmware/instruments/panel_items.h"
#include "tests/firmware/panel_rig.h"

namespace zen {
namespace {

using test::PanelRig;

TEST(PanelItemTable, SparesAndNamesAsStored) {
  for (int item = 0; item < PanelItemCount; ++item) {
    const bool spare = (item >= 39 && item <= 48) || item >= 69;
    EXPECT_EQ(itemName(item) == "Unused entry", spare) << "item " << item;
    EXPECT_EQ(PanelItems[item].kind == ItemKind::Spare, spare) << "item " << item;
    // The design-mode caption "Item: " + name must not be cut.
    EXPECT_LE(itemName(item).size() + 6, 40u) << "item " << item;
  }
  const std::pair<int, std::string_view> samples[] = {
      {1, "Air Speed indicator"},  {18, "Compass/heading"}, {31, "Local pressure (QNH)"},
      {32, "True airspeed (TAS)"}, {37, "G-Force"},         {34, "Altimeter label"},
      {62, "Altimeter label"},     {53, "G/C rate label"},  {67, "GForce label"},
  };
  for (const auto& [item, name] : samples) EXPECT_EQ(itemName(item), name) << "item " << item;
  EXPECT_EQ(itemName(79), "");
  EXPECT_EQ(itemName(-1), "");
}

TEST(PanelItemTable, LabelTextsFitTheirSevenByteSlots) {
  std::set<std::string_view> texts;
  for (int slot = 0; slot < LabelSlotCount; ++slot) {
    const LabelText& label = LabelTexts[slot];
    EXPECT_LE(label.length, 6) << "slot " << slot;
    EXPECT_EQ(label.length == 0, slot >= 20) << "slot " << slot;
    if (label.length) texts.insert(label.text());
  }
  EXPECT_EQ(texts.size(), 20u);  // every label says something different
  EXPECT_EQ(LabelTexts[52 - 49].text(), "FLIGHT");
  EXPECT_EQ(LabelTexts[61 - 49].text(), "BINGO");
  EXPECT_EQ(LabelTexts[67 - 49].text(), "GFORCE");
}

TEST(PanelItemTable, SizeRulesFollowTheStyleOfThePageShown) {
  struct Case {
    int item;
    std::uint8_t style;
    std::uint8_t egt, cht;
    int width, height;
  };
  const Case cases[] = {
      {0, 0, 0, 0, 92, 122},  {0, 2, 0, 0, 92, 24},   {0, 3, 0, 0, 92, 112},  {0, 6, 0, 0, 92, 24},
      {1, 1, 0, 0, 50, 122},  {1, 3, 0, 0, 92, 112},  {2, 0, 0, 0, 56, 120},  {2, 2, 0, 0, 56, 24},
      {2, 7, 0, 0, 92, 112},  {3, 0, 4, 0, 79, 52},   {3, 0, 0, 0, 79, 20},   {3, 1, 6, 0, 79, 20},
      {4, 0, 0, 2, 79, 36},   {4, 0, 0, 12, 79, 116}, {4, 0, 0, 13, 79, 36},  {4, 2, 0, 200, 79, 36},
      {4, 1, 0, 6, 79, 20},   {5, 0, 0, 0, 60, 73},   {5, 1, 0, 0, 60, 28},   {5, 2, 0, 0, 102, 122},
      {5, 3, 0, 0, 102, 122}, {5, 4, 0, 0, 60, 73},   {6, 5, 0, 0, 62, 28},   {9, 0, 0, 0, 63, 28},
      {13, 0, 0, 0, 63, 28},  {14, 3, 0, 0, 23, 122}, {15, 1, 0, 0, 80, 56},  {16, 0, 0, 0, 78, 8},
      {17, 1, 0, 0, 78, 16},  {18, 0, 0, 0, 32, 16},  {18, 1, 0, 0, 56, 56},  {19, 0, 0, 0, 48, 8},
      {19, 1, 0, 0, 48, 16},  {25, 1, 0, 0, 32, 16},  {28, 2, 0, 0, 56, 8},   {31, 1, 0, 0, 40, 16},
      {32, 3, 0, 0, 24, 16},  {37, 0, 0, 0, 24, 8},   {38, 1, 0, 0, 64, 16},  {34, 1, 0, 0, 36, 8},
      {35, 0, 0, 0, 30, 8},   {36, 3, 0, 0, 18, 8},   {52, 0, 0, 0, 36, 8},   {52, 1, 0, 0, 40, 8},
      {53, 5, 0, 0, 22, 8},   {40, 3, 0, 0, 0, 0},    {75, 1, 0, 0, 0, 0},
  };
  for (int page = 0; page < 2; ++page) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "item " << c.item << " style " << int(c.style) << " page " << page);
      PanelRig rig;
      rig.z.settings.egtCount() = c.egt;
      rig.z.settings.chtCount = c.cht;
      rig.show(c.item, page, c.style, 0, 0);
      rig.show(c.item, 1 - page, static_cast<std::uint8_t>(c.style ^ 3), 0, 0);  // the other page differs
      rig.z.main.activePage = static_cast<std::uint8_t>(page);
      measureItem(rig.z, c.item);
      EXPECT_EQ(rig.z.panel.itemWidth, c.width);
      EXPECT_EQ(rig.z.panel.itemHeight, c.height);
    }
  }
}

TEST(PanelItemTable, VisibilityTakesTheIndexModulo128AndNeverReadsPastTheTable) {
  PanelRig rig;
  rig.z.settings.itemOptions[5] = 0x01;
  rig.z.settings.itemOptions[6] = 0x10;
  EXPECT_TRUE(itemVisible(rig.z, 5));
  EXPECT_TRUE(itemVisible(rig.z, 5 + 128));
  EXPECT_FALSE(itemVisible(rig.z, 6));
  for (int index : {79, 100, 127, 255, -1}) EXPECT_FALSE(itemVisible(rig.z, index)) << index;
  rig.z.main.activePage = 1;
  EXPECT_FALSE(itemVisible(rig.z, 5));
  EXPECT_TRUE(itemVisible(rig.z, 6 + 256));
}

TEST(PanelItemTable, SetItemStyleWritesOnlyTheShownPagesNibble) {
  PanelRig rig;
  std::uint8_t& options = rig.z.settings.itemOptions[7];
  options = 0xA5;  // page 1 shown style 2, page 2 hidden style 5
  EXPECT_EQ(itemStyle(rig.z, 7), 2);
  setItemStyle(rig.z, 7, 7);
  EXPECT_EQ(options, 0xAF);
  rig.z.main.activePage = 1;
  EXPECT_EQ(itemStyle(rig.z, 7), 5);
  setItemStyle(rig.z, 7, 0);
  EXPECT_EQ(options, 0x0F);
  setItemStyle(rig.z, 7, 9);  // only three bits exist
  EXPECT_EQ(options, 0x2F);
}

TEST(PanelItemTable, LoadItemLocationChangesNothingForAHiddenItem) {
  PanelRig rig;
  Instrument& z = rig.z;
  rig.show(7, 0, 0, 11, 146);
  rig.show(7, 1, 0, 2, 181);
  rig.z.settings.page1Locations[8] = {20, 20};  // hidden
  EXPECT_TRUE(loadItemLocation(z, 7));
  EXPECT_EQ(z.screen.originX, 88);
  EXPECT_EQ(z.screen.originY, 146);
  EXPECT_EQ(z.screen.textColumn, 11);

  EXPECT_FALSE(loadItemLocation(z, 8));
  EXPECT_FALSE(loadItemSecondLocation(z, 8));
  EXPECT_EQ(z.screen.originX, 88);
  EXPECT_EQ(z.screen.textColumn, 11);

  z.main.activePage = 1;
  EXPECT_TRUE(loadItemSecondLocation(z, 7));
  EXPECT_EQ(z.panel.secondOriginX, 16);
  EXPECT_EQ(z.panel.secondOriginY, 181);
  EXPECT_EQ(z.screen.originX, 88);  // the tank gauges draw relative to both
  EXPECT_EQ(z.screen.originY, 146);
}

}  // namespace
}  // namespace zen
