// Design mode: highlight, item selection, style cycling, moves and leaving,
// and the location clamp they rely on.
#include <gtest/gtest.h>

#include <cstring>

#include "firmware/instruments/panel.h"
#include "firmware/instruments/panel_items.h"
#include "host/settings_store.h"
#include "host/virtual_host.h"
#include "tests/firmware/panel_rig.h"
#include "tests/support/screen_probe.h"

namespace zen {
namespace {

using test::PanelRig;
using test::textCellMatches;

struct DesignRig : PanelRig {
  void press(std::uint8_t key, std::uint8_t repeatStep = 1) {
    z.main.keyCode = key;
    z.keys.repeatStep = repeatStep;
    designModeStep(z);
  }
  ItemLocation& place(int item) { return z.settings.page1Locations[item]; }
};

bool black(const Screen& s, int x, int y) { return s.graphicsPixel(x, y) == GraphicsPixel::Black; }

TEST(DesignMode, HighlightBoxesTheItemAndCaptionsItAwayFromIt) {
  struct Case {
    std::uint8_t row;
    int captionRow;
  };
  for (const Case c : {Case{40, 24 * 8}, Case{120, 24 * 8}, Case{121, 2 * 8}, Case{180, 2 * 8}}) {
    SCOPED_TRACE(testing::Message() << "row " << int(c.row));
    DesignRig rig;
    struct Shown {
      int page = -1, x = -1, row = -1;
    } shown;
    rig.z.panel.showItemPositionContext = &shown;
    rig.z.panel.showItemPosition = [](void* context, int page, int x, int row) {
      *static_cast<Shown*>(context) = Shown{page, x, row};
    };
    rig.show(15, 0, 0, 10, c.row);  // 80 x 56
    enterDesignMode(rig.z);
    rig.press(0);
    EXPECT_EQ(rig.z.main.selectedItem, 15);
    EXPECT_EQ(rig.z.main.lastSelectedItem, 15);
    const Screen& s = rig.z.screen;
    const int bottom = std::min(c.row + 56, 239);
    for (auto [x, y] : {std::pair{80, int(c.row)}, {160, c.row}, {80, bottom}, {160, bottom}, {120, c.row + 28},
                        {120, c.row}, {80, c.row + 28}})
      EXPECT_TRUE(black(s, x, y)) << x << "," << y;
    EXPECT_FALSE(black(s, 120, c.row + 10));
    EXPECT_TRUE(textCellMatches(s, 5, c.captionRow, "Item: Attitude indicator", true));
    EXPECT_EQ(shown.page, 0);
    EXPECT_EQ(shown.x, 80);
    EXPECT_EQ(shown.row, c.row);
  }
}

TEST(DesignMode, StyleKeyCyclesThroughEightStylesResizingAndClamping) {
  DesignRig rig;
  rig.show(16, 0, 0, 4, 230);  // 78 x 8 now, 78 x 16 with style bit 0
  rig.show(16, 1, 5, 9, 9);
  enterDesignMode(rig.z);
  rig.press(0);
  rig.press(2);
  EXPECT_EQ(itemStyle(rig.z, 16), 1);
  EXPECT_EQ(rig.place(16).row, 224);  // 230 + 16 would pass the bottom
  EXPECT_EQ(rig.z.panel.itemHeight, 16);
  EXPECT_EQ(rig.z.main.lastSelectedItem, 16);  // highlighted again at once
  for (int expected : {2, 3, 4, 5, 6, 7, 0}) {
    rig.press(2);
    EXPECT_EQ(itemStyle(rig.z, 16), expected);
  }
  EXPECT_EQ(rig.z.settings.itemOptions[16] >> 4, (5 << 1) | 1);  // page 2 untouched
  EXPECT_EQ(rig.z.settings.page2Locations[16].row, 9);
}

TEST(DesignMode, MoveKeysStopAtTheScreenEdges) {
  struct Case {
    std::uint8_t key, repeatStep;
    ItemLocation from, to;
  };
  // Fuel flow gauge, 62 x 28: right limit 39 - 62 / 8 = 32; bottom limit 239 - step - 28.
  const Case cases[] = {
      {5, 1, {31, 50}, {32, 50}},   {5, 1, {32, 50}, {32, 50}},  {5, 10, {31, 50}, {32, 50}},
      {6, 1, {1, 50}, {0, 50}},     {6, 1, {0, 50}, {0, 50}},    {7, 1, {5, 1}, {5, 0}},
      {7, 1, {5, 0}, {5, 0}},       {7, 100, {5, 30}, {5, 29}},  {8, 1, {5, 209}, {5, 210}},
      {8, 1, {5, 210}, {5, 210}},   {8, 10, {5, 202}, {5, 210}}, {8, 10, {5, 203}, {5, 203}},
      {8, 100, {5, 100}, {5, 108}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "key " << int(c.key) << " step " << int(c.repeatStep) << " from "
                                    << int(c.from.column) << "," << int(c.from.row));
    DesignRig rig;
    rig.show(6, 0, 0, c.from.column, c.from.row);
    enterDesignMode(rig.z);
    rig.press(0);
    rig.press(c.key, c.repeatStep);
    EXPECT_EQ(rig.place(6).column, c.to.column);
    EXPECT_EQ(rig.place(6).row, c.to.row);
    EXPECT_EQ(rig.z.main.keyCode, 0);
  }
}

TEST(DesignMode, TallItemCannotBeMovedDownPastTheLimit) {
  DesignRig rig;
  rig.z.settings.egtCount() = 255;  // erased image: far taller than the screen
  rig.show(3, 0, 0, 0, 0);
  enterDesignMode(rig.z);
  rig.press(0);
  rig.press(8, 10);
  EXPECT_EQ(rig.place(3).row, 0);
}

TEST(DesignMode, NextAndPrevVisitOnlyVisibleItemsAndWrap) {
  DesignRig rig;
  for (int item : {5, 20, 60}) rig.show(item, 0, 0, 0, 100);
  rig.show(33, 1, 0, 0, 100);  // shown on the other page only
  enterDesignMode(rig.z);
  rig.press(0);
  EXPECT_EQ(rig.z.main.selectedItem, 5);
  std::vector<int> visited;
  for (int n = 0; n < 4; ++n) {
    rig.press(3);
    visited.push_back(rig.z.main.selectedItem);
    rig.press(0);  // next pass highlights it
  }
  EXPECT_EQ(visited, (std::vector<int>{20, 60, 5, 20}));
  visited.clear();
  for (int n = 0; n < 3; ++n) {
    rig.press(4);
    visited.push_back(rig.z.main.selectedItem);
    rig.press(0);
  }
  EXPECT_EQ(visited, (std::vector<int>{5, 60, 20}));
  EXPECT_TRUE(textCellMatches(rig.z.screen, 5, 24 * 8, "Item: Ambient air pressure", true));
}

TEST(DesignMode, PageWithNothingShownLeavesTheKeysWithoutEffect) {
  DesignRig rig;
  rig.z.settings.page1Locations[0] = {3, 3};
  const auto before = rig.z.settings;
  enterDesignMode(rig.z);
  rig.press(0);
  EXPECT_EQ(rig.z.main.selectedItem, 0);
  for (std::uint8_t key : {2, 5, 6, 7, 8}) rig.press(key, 10);
  EXPECT_EQ(rig.z.settings.itemOptions, before.itemOptions);
  EXPECT_EQ(std::memcmp(&rig.z.settings.page1Locations, &before.page1Locations, sizeof before.page1Locations), 0);
  rig.press(3);
  EXPECT_EQ(rig.z.main.selectedItem, 1);  // where the 80 steps end
  rig.press(0);
  EXPECT_EQ(test::graphicsInk(rig.z.screen), 0);  // redrawn without a highlight
  EXPECT_TRUE(textCellMatches(rig.z.screen, 9, 80, "No instruments enabled", true));
  EXPECT_EQ(rig.z.main.designMode, 1);
}

TEST(DesignMode, MenuKeySavesTheMovedItemAndLeaves) {
  DesignRig rig;
  rig.show(6, 0, 0, 11, 100);
  enterDesignMode(rig.z);
  rig.press(0);
  rig.press(8);
  rig.press(1);
  EXPECT_EQ(rig.z.main.designMode, 0);
  const std::size_t address = settingsItem(62).address + 2 * 6;
  EXPECT_EQ(readSettingsByte(rig.z, address), 11);
  EXPECT_EQ(readSettingsByte(rig.z, address + 1), 101);
  EXPECT_EQ(test::graphicsInk(rig.z.screen), 0);  // the page without its highlight
}

// On the running firmware the Up and Down keys reach design mode as codes 7 and 8.
TEST(DesignMode, BezelKeysMoveTheSelectedItemOnTheRunningInstrument) {
  VirtualHost host;
  Instrument& z = host.instrument();
  z.settings.itemOptions[26] = 0x01;
  z.settings.page1Locations[26] = {4, 100};
  saveAllSettings(z);
  constexpr int Up = 6, Down = 7, Menu = 0;
  host.at(3000, [&] { enterDesignMode(z); });
  host.clickKey(3200, Down);
  host.clickKey(3600, Down);
  host.clickKey(4000, Up);
  bool checked = false;
  host.at(4400, [&] {
    EXPECT_EQ(z.main.selectedItem, 26);
    EXPECT_EQ(z.settings.page1Locations[26].row, 101);
    EXPECT_TRUE(textCellMatches(z.screen, 5, 24 * 8, "Item: Voltage", true));
    checked = true;
  });
  host.clickKey(4600, Menu);
  host.at(5000, [&] { EXPECT_EQ(z.main.designMode, 0); });
  host.closeAt(5100);
  host.run();
  EXPECT_TRUE(checked);
}

TEST(LocationClamp, PullsItemsBackInsideTheScreenOnBothPages) {
  struct Case {
    int item;
    std::uint8_t style;
    ItemLocation from, to;
  };
  const Case cases[] = {
      {6, 0, {11, 230}, {11, 212}},  {6, 0, {11, 212}, {11, 212}}, {6, 0, {35, 50}, {32, 50}},
      {6, 0, {32, 50}, {32, 50}},    {5, 2, {30, 200}, {27, 118}}, {52, 1, {39, 235}, {35, 232}},
      {0, 0, {255, 255}, {28, 118}},
  };
  for (int page = 0; page < 2; ++page) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "item " << c.item << " page " << page);
      PanelRig rig;
      rig.show(c.item, page, c.style, c.from.column, c.from.row);
      rig.z.main.activePage = static_cast<std::uint8_t>(1 - page);
      clampItemPositions(rig.z);
      const ItemLocation& at = (page == 0 ? rig.z.settings.page1Locations : rig.z.settings.page2Locations)[c.item];
      EXPECT_EQ(at.column, c.to.column);
      EXPECT_EQ(at.row, c.to.row);
      EXPECT_EQ(rig.z.main.activePage, 1 - page);
    }
  }
}

TEST(LocationClamp, ErasedTablesEndUpOnScreenAndSparesAreLeftAlone) {
  PanelRig rig;
  Settings& st = rig.z.settings;
  st.itemOptions.fill(0xFF);
  for (auto* table : {&st.page1Locations, &st.page2Locations}) table->fill(ItemLocation{255, 255});
  st.egtCount() = 255;
  st.chtCount = 255;
  clampItemPositions(rig.z);
  for (int page = 0; page < 2; ++page) {
    rig.z.main.activePage = static_cast<std::uint8_t>(page);
    for (int item = 0; item < PanelItemCount; ++item) {
      const ItemLocation& at = itemLocationOn(rig.z, item, page);
      if (PanelItems[item].kind == ItemKind::Spare) {
        EXPECT_EQ(at.row, 255) << "spare " << item;
        continue;
      }
      measureItem(rig.z, item);
      const int height = rig.z.panel.itemHeight;
      // The item covers x .. x + width - 1 and row .. row + height - 1.
      EXPECT_LE(at.column * 8 + rig.z.panel.itemWidth, ScreenWidth) << "item " << item;
      EXPECT_TRUE(at.row + height <= ScreenHeight || at.row == 0) << "item " << item;
    }
  }
  EXPECT_EQ(st.page1Locations[3].row, 0);  // EGT with 255 channels: top of the screen
}

}  // namespace
}  // namespace zen
