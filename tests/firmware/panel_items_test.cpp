// The panel item table: names, size rules and per-page access.
#include "firmware/instruments/panel_items.h"

#include <gtest/gtest.h>

#include "tests/firmware/panel_rig.h"

namespace zen {
namespace {

using test::PanelRig;

TEST(PanelItemTable, NamesAndLabelTextsAsStored) {
  for (int item = 0; item < PanelItemCount; ++item) {
    const bool spare = (item >= 39 && item <= 48) || item >= 69;
    EXPECT_EQ(itemName(item) == "Unused entry", spare) << "item " << item;
    EXPECT_LE(itemName(item).size() + 6, 40u) << "item " << item;  // "Item: " + name is never cut
  }
  for (const auto& [item, name] : {std::pair{1, "Air Speed indicator"},
                                   {31, "Local pressure (QNH)"},
                                   {37, "G-Force"},
                                   {34, "Altimeter label"},
                                   {62, "Altimeter label"}})
    EXPECT_EQ(itemName(item), name);
  EXPECT_EQ(itemName(79), "");
  EXPECT_EQ(LabelTexts[52 - 49].text(), "FLIGHT");
  EXPECT_EQ(LabelTexts[67 - 49].text(), "GFORCE");
  EXPECT_EQ(LabelTexts[20].length, 0);  // item 69 is a spare
}

TEST(PanelItemTable, SizeRulesFollowTheStyleOfThePageShown) {
  struct Case {
    int item;
    std::uint8_t style, channels;
    int width, height;
  };
  const Case cases[] = {
      {0, 0, 0, 92, 122},  {0, 6, 0, 92, 24},   {1, 3, 0, 92, 112}, {2, 0, 0, 56, 120},  {3, 0, 4, 79, 52},
      {3, 1, 6, 79, 20},   {4, 0, 12, 79, 116}, {4, 0, 13, 79, 36}, {4, 2, 200, 79, 36}, {5, 1, 0, 60, 28},
      {5, 3, 0, 102, 122}, {5, 4, 0, 60, 73},   {16, 1, 0, 78, 16}, {18, 1, 0, 56, 56},  {18, 2, 0, 32, 16},
      {19, 1, 0, 48, 16},  {38, 0, 0, 64, 8},   {36, 3, 0, 18, 8},  {52, 1, 0, 40, 8},   {53, 4, 0, 18, 8},
      {40, 3, 0, 0, 0},
  };
  for (int page = 0; page < 2; ++page) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "item " << c.item << " style " << int(c.style) << " page " << page);
      PanelRig rig;
      rig.z.settings.egtCount() = rig.z.settings.chtCount = c.channels;
      rig.show(c.item, page, c.style, 0, 0);
      rig.show(c.item, 1 - page, static_cast<std::uint8_t>(c.style ^ 3), 0, 0);  // the other page differs
      rig.z.main.activePage = static_cast<std::uint8_t>(page);
      measureItem(rig.z, c.item);
      EXPECT_EQ(rig.z.panel.itemWidth, c.width);
      EXPECT_EQ(rig.z.panel.itemHeight, c.height);
    }
  }
}

TEST(PanelItemTable, VisibilityAndStyleOfTheShownPage) {
  PanelRig rig;
  Instrument& z = rig.z;
  z.settings.itemOptions[5] = 0xA5;      // page 1 shown style 2, page 2 hidden style 5
  EXPECT_TRUE(itemVisible(z, 5 + 128));  // the index is taken modulo 128
  for (int index : {79, 127, -1}) EXPECT_FALSE(itemVisible(z, index)) << index;
  setItemStyle(z, 5, 7);
  EXPECT_EQ(z.settings.itemOptions[5], 0xAF);
  z.main.activePage = 1;
  EXPECT_FALSE(itemVisible(z, 5));
  EXPECT_EQ(itemStyle(z, 5), 5);
  setItemStyle(z, 5, 9);  // three bits only
  EXPECT_EQ(z.settings.itemOptions[5], 0x2F);
}

TEST(PanelItemTable, LoadItemLocationChangesNothingForAHiddenItem) {
  PanelRig rig;
  Instrument& z = rig.z;
  rig.show(7, 0, 0, 11, 146);
  rig.show(7, 1, 0, 2, 181);
  EXPECT_TRUE(loadItemLocation(z, 7));
  EXPECT_EQ(z.screen.originX, 88);
  EXPECT_EQ(z.screen.originY, 146);
  EXPECT_EQ(z.screen.textColumn, 11);
  z.settings.page1Locations[8] = {20, 20};
  EXPECT_FALSE(loadItemLocation(z, 8));
  EXPECT_FALSE(loadItemSecondLocation(z, 8));
  EXPECT_EQ(z.screen.originX, 88);

  z.main.activePage = 1;
  EXPECT_TRUE(loadItemSecondLocation(z, 7));
  EXPECT_EQ(z.panel.secondOriginX, 16);
  EXPECT_EQ(z.panel.secondOriginY, 181);
  EXPECT_EQ(z.screen.originY, 146);  // the tank gauges draw relative to both
}

}  // namespace
}  // namespace zen
