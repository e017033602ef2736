// Design mode: highlight, item selection, style cycling, moves and leaving,
// and the location clamp they rely on.
#include <gtest/gtest.h>

#include <cstring>

#include "firmware/core/settings_store.h"
#include "firmware/instruments/panel.h"
#include "firmware/instruments/panel_items.h"
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

TEST(DesignMode, HighlightBoxesTheItemAndCaptionsItAwayFromIt) {
  for (const auto& [row, captionRow] : {std::pair{120, 24 * 8}, {121, 2 * 8}}) {
    SCOPED_TRACE(testing::Message() << "row " << row);
    DesignRig rig;
    int shown[3] = {-1, -1, -1};
    rig.z.panel.showItemPositionContext = shown;
    rig.z.panel.showItemPosition = [](void* context, int page, int x, int row) {
      int* s = static_cast<int*>(context);
      s[0] = page, s[1] = x, s[2] = row;
    };
    rig.show(15, 0, 0, 10, static_cast<std::uint8_t>(row));  // 80 x 56
    enterDesignMode(rig.z);
    rig.press(0);
    EXPECT_EQ(rig.z.main.selectedItem, 15);
    const Screen& s = rig.z.screen;
    // Corners, the diagonals' crossing, and a point inside that no line touches.
    for (auto [x, y] : {std::pair{80, row}, {160, row}, {80, row + 56}, {160, row + 56}, {120, row + 28}})
      EXPECT_EQ(s.graphicsPixel(x, y), GraphicsPixel::Black) << x << "," << y;
    EXPECT_EQ(s.graphicsPixel(120, row + 10), GraphicsPixel::White);
    EXPECT_TRUE(textCellMatches(s, 5, captionRow, "Item: Attitude indicator", true));
    EXPECT_EQ(shown[0], 0);
    EXPECT_EQ(shown[1], 80);
    EXPECT_EQ(shown[2], row);
  }
}

// The label and the readout a dial carries are items of their own: the
// highlight boxes those on the page with it and says why.
TEST(DesignMode, HighlightBoxesTheItemsPlacedWithAnIndicator) {
  DesignRig rig;
  rig.show(0, 0, 3, 0, 0);
  rig.show(62, 0, 0, 20, 150);  // "ALT": 18 x 8
  rig.show(31, 0, 0, 30, 100);  // QNH: 40 x 8
  enterDesignMode(rig.z);
  rig.press(0);
  const Screen& s = rig.z.screen;
  for (auto [x, y] : {std::pair{160, 150}, {178, 158}, {240, 100}, {280, 108}})
    EXPECT_EQ(s.graphicsPixel(x, y), GraphicsPixel::Black) << x << "," << y;
  EXPECT_TRUE(textCellMatches(s, 5, 26 * 8, "Boxed labels are separate items", true));
}

TEST(DesignMode, StyleKeyCyclesThroughEightStylesResizingAndClamping) {
  DesignRig rig;
  rig.show(16, 0, 0, 4, 230);  // 78 x 8 now, 78 x 16 with style bit 0
  rig.show(16, 1, 5, 9, 9);
  enterDesignMode(rig.z);
  rig.press(0);
  rig.press(2);
  EXPECT_EQ(itemStyle(rig.z, 16), 1);
  EXPECT_EQ(rig.place(16).row, 224);           // 230 + 16 would pass the bottom
  EXPECT_EQ(rig.z.main.lastSelectedItem, 16);  // highlighted again at once
  for (int expected : {2, 3, 4, 5, 6, 7, 0}) {
    rig.press(2);
    EXPECT_EQ(itemStyle(rig.z, 16), expected);
  }
  EXPECT_EQ(rig.z.settings.itemOptions[16] >> 4, (5 << 1) | 1);  // page 2 untouched
}

TEST(DesignMode, MoveKeysStopAtTheScreenEdges) {
  struct Case {
    std::uint8_t key, repeatStep;
    ItemLocation from, to;
  };
  // Fuel flow gauge, 62 x 28: right limit 39 - 62 / 8 = 32; bottom limit 239 - step - 28.
  const Case cases[] = {
      {5, 1, {31, 50}, {32, 50}},  {5, 10, {32, 50}, {32, 50}}, {6, 1, {1, 50}, {0, 50}},
      {6, 1, {0, 50}, {0, 50}},    {7, 100, {5, 1}, {5, 0}},    {7, 1, {5, 0}, {5, 0}},
      {8, 1, {5, 209}, {5, 210}},  {8, 1, {5, 210}, {5, 210}},  {8, 10, {5, 202}, {5, 210}},
      {8, 10, {5, 203}, {5, 203}},
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
  }
}

TEST(DesignMode, NextAndPrevVisitOnlyVisibleItemsAndWrap) {
  DesignRig rig;
  for (int item : {5, 20, 60}) rig.show(item, 0, 0, 0, 100);
  rig.show(33, 1, 0, 0, 100);  // shown on the other page only
  enterDesignMode(rig.z);
  rig.press(0);
  std::vector<int> visited;
  for (std::uint8_t key : {3, 3, 3, 4, 4}) {
    rig.press(key);
    visited.push_back(rig.z.main.selectedItem);
    rig.press(0);  // the next pass highlights it
  }
  EXPECT_EQ(visited, (std::vector<int>{20, 60, 5, 60, 20}));
  EXPECT_TRUE(textCellMatches(rig.z.screen, 5, 24 * 8, "Item: Ambient air pressure", true));
}

TEST(DesignMode, HighlightSearchWrapsFromTheLastItemToTheFirst) {
  DesignRig rig;
  rig.show(5, 0, 0, 2, 30);
  rig.show(70, 1, 0, 2, 30);  // shown on the other page only
  enterDesignMode(rig.z);
  rig.z.main.selectedItem = 70;
  rig.press(0);
  EXPECT_EQ(rig.z.main.selectedItem, 5);
  EXPECT_EQ(rig.z.main.lastSelectedItem, 5);
  EXPECT_TRUE(textCellMatches(rig.z.screen, 5, 24 * 8, "Item: RPM gauge", true));
}

TEST(DesignMode, PageWithNothingShownLeavesTheKeysWithoutEffect) {
  DesignRig rig;
  rig.z.settings.page1Locations[0] = {3, 3};
  const Settings before = rig.z.settings;
  enterDesignMode(rig.z);
  rig.press(0);
  // The search's 80 steps go once round the 79 items and one further.
  EXPECT_EQ(rig.z.main.selectedItem, 1);
  EXPECT_EQ(rig.z.main.lastSelectedItem, 1);
  for (std::uint8_t key : {0, 2, 5, 6, 7, 8}) rig.press(key, 10);
  EXPECT_EQ(rig.z.settings.itemOptions, before.itemOptions);
  EXPECT_EQ(std::memcmp(&rig.z.settings.page1Locations, &before.page1Locations, sizeof before.page1Locations),
            0);
  rig.press(3);
  EXPECT_EQ(rig.z.main.selectedItem, 2);  // one step and 79 tries
  rig.press(0);
  EXPECT_EQ(rig.z.main.selectedItem, 3);
  EXPECT_EQ(test::graphicsInk(rig.z.screen), 0);  // redrawn without a highlight
  EXPECT_TRUE(textCellMatches(rig.z.screen, 9, 80, "No instruments enabled", true));
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
  EXPECT_EQ(readSettingsByte(rig.z, address + 1), 101);
  PanelRig plain;  // the page without its highlight
  plain.show(6, 0, 0, 11, 101);
  redrawPage(plain.z);
  EXPECT_TRUE(test::sameGraphics(rig.z.screen, plain.z.screen));
}

TEST(LocationClamp, PullsItemsBackInsideTheScreenOnBothPages) {
  struct Case {
    int item;
    std::uint8_t style;
    ItemLocation from, to;
  };
  const Case cases[] = {
      {6, 0, {11, 230}, {11, 212}},
      {6, 0, {35, 211}, {32, 211}},
      {5, 2, {30, 200}, {27, 118}},
      {52, 1, {39, 235}, {35, 232}},
  };
  for (int page = 0; page < 2; ++page) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "item " << c.item << " page " << page);
      PanelRig rig;
      rig.show(c.item, page, c.style, c.from.column, c.from.row);
      rig.z.main.activePage = static_cast<std::uint8_t>(1 - page);
      clampItemPositions(rig.z);
      const ItemLocation& at = itemLocationOn(rig.z, c.item, page);
      EXPECT_EQ(at.column, c.to.column);
      EXPECT_EQ(at.row, c.to.row);
      EXPECT_EQ(rig.z.main.activePage, 1 - page);  // restored
    }
  }
}

TEST(LocationClamp, ErasedTablesEndUpOnScreenAndSparesAreLeftAlone) {
  PanelRig rig;
  Settings& st = rig.z.settings;
  st.itemOptions.fill(0xFF);
  st.page1Locations.fill({255, 255});
  st.page2Locations.fill({255, 255});
  st.egtCount() = st.chtCount = 255;
  st.itemOptions[3] = 0x01;  // EGT with 255 channels: taller than the screen
  clampItemPositions(rig.z);
  for (int page = 0; page < 2; ++page) {
    rig.z.main.activePage = static_cast<std::uint8_t>(page);
    for (int item = 0; item < PanelItemCount; ++item) {
      const ItemLocation& at = itemLocationOn(rig.z, item, page);
      measureItem(rig.z, item);
      if (PanelItems[item].kind == ItemKind::Spare) {
        EXPECT_EQ(at.row, 255) << "spare " << item;
      } else {  // the item covers x .. x + width - 1 and row .. row + height - 1
        EXPECT_LE(at.column * 8 + rig.z.panel.itemWidth, ScreenWidth) << "item " << item;
        EXPECT_TRUE(at.row + rig.z.panel.itemHeight <= ScreenHeight || at.row == 0) << "item " << item;
      }
    }
  }
  EXPECT_EQ(st.page1Locations[3].row, 0);
}

}  // namespace
}  // namespace zen
