// Page redraw and the per-frame list, on a bare instrument and on the running firmware.
#include <gtest/gtest.h>

#include "firmware/core/option_bits.h"
#include "firmware/core/settings_store.h"
#include "firmware/instruments/air_data.h"
#include "firmware/instruments/derived_settings.h"
#include "firmware/instruments/panel.h"
#include "firmware/instruments/panel_items.h"
#include "sim/virtual_host.h"
#include "tests/firmware/panel_rig.h"
#include "tests/support/screen_probe.h"

namespace zen {
namespace {

using test::PanelRig;
using test::textCellMatches;

constexpr int SelectKey = 1;

TEST(PageRedraw, FrameListKeepsTheDrawingOrderAndSkipsHiddenItems) {
  const std::vector<int> everything{0,  1,  2,  14, 5,  15, 16, 17, 18, 6,  7,  8,  13, 9,  10, 11, 3, 4,
                                    12, 37, 19, 20, 28, 27, 21, 22, 25, 23, 32, 29, 30, 26, 24, 33, 38};
  PanelRig rig;
  for (int item = 0; item <= 38; ++item) rig.show(item, 0, 0, 0, 0);
  redrawPage(rig.z);
  EXPECT_EQ(rig.frameItems(), everything);
  EXPECT_EQ(rig.z.panel.frameRoutineCount, everything.size() + 1);
  EXPECT_EQ(rig.z.panel.frameRoutines[everything.size()], nullptr);

  // Hidden items, and items shown only on the other page, drop out.
  rig.z.settings.itemOptions[14] = 0x10;
  rig.z.settings.itemOptions[3] = 0;
  rig.z.settings.itemOptions[28] = 0x10;
  redrawPage(rig.z);
  std::vector<int> expected;
  for (int item : everything)
    if (item != 14 && item != 3 && item != 28) expected.push_back(item);
  EXPECT_EQ(rig.frameItems(), expected);
}

TEST(PageRedraw, LabelWithStyleBit0StandsFourPixelsRightOfItsColumn) {
  for (std::uint8_t style : {0, 1, 4, 5}) {
    SCOPED_TRACE(testing::Message() << "style " << int(style));
    PanelRig rig;
    rig.show(52, 0, style, 3, 101);
    redrawPage(rig.z);
    const int x = 24 + ((style & 1) ? 4 : 0);
    EXPECT_TRUE(test::sameGraphics(rig.z.screen, *test::smallTextAlone("FLIGHT", x, 101)));
  }
}

TEST(PageRedraw, PageOfLabelsOnlyShowsTheLabelsAndNoInstrumentsEnabled) {
  PanelRig rig;
  rig.show(51, 0, 0, 0, 0);
  rig.show(60, 0, 0, 30, 220);
  rig.show(75, 0, 0, 10, 10);
  redrawPage(rig.z);
  const Screen& s = rig.z.screen;
  EXPECT_TRUE(textCellMatches(s, 9, 80, "No instruments enabled", true));
  EXPECT_EQ(rig.z.panel.frameRoutineCount, 1);
  auto expected = test::smallTextAlone("TIME", 0, 0);
  expected->setPen(240, 220);
  expected->textBuffer.assign("RANGE");
  expected->drawSmallText();
  EXPECT_TRUE(test::sameGraphics(s, *expected));  // the spare draws nothing

  // One per-frame item is enough to lose the notice; the legends and QNH do not count.
  for (int item : {31, 34, 35, 36}) rig.show(item, 0, 0, 5, 50);
  redrawPage(rig.z);
  EXPECT_TRUE(textCellMatches(s, 9, 80, "No instruments enabled", true));
  rig.show(26, 0, 0, 5, 50);
  redrawPage(rig.z);
  EXPECT_FALSE(textCellMatches(s, 9, 80, "No instruments enabled", true));
}

TEST(PageRedraw, DualPanelSlaveWithoutDataFeedShowsOnlyItsNoticeUntilItIsNoSlave) {
  struct Case {
    const char* what;
    std::uint32_t optionBitsAfter;
  };
  const Case cases[] = {
      {"this unit is the master after all", (1u << option::DualPanel) | (1u << option::MasterUnit)},
      {"dual panel switched off", 0}};
  for (const Case& c : cases) {
    PanelRig rig;
    Instrument& z = rig.z;
    rig.show(26, 0, 0, 5, 50);
    z.settings.optionBits = 1u << option::DualPanel;
    z.engine.noDataFeedMark = 1;
    redrawPage(z);
    EXPECT_EQ(z.engine.slaveMode, 1);
    EXPECT_TRUE(textCellMatches(z.screen, 0, 80, "Multi screen slave - no data feed", true));
    EXPECT_TRUE(rig.frameItems().empty());

    z.settings.optionBits = c.optionBitsAfter;
    redrawPage(z);
    EXPECT_EQ(z.engine.slaveMode, 0) << c.what;
    EXPECT_EQ(rig.frameItems(), std::vector<int>{26}) << c.what;
    EXPECT_FALSE(slaveWithoutDataFeed(z)) << c.what;
  }
}

// On the running firmware: the Select key toggles the page, and an item shown
// on both pages is drawn with each page's own style and place.
TEST(PageRedraw, ItemOnBothPagesTakesEachPagesStyleAndPlace) {
  VirtualHost host;
  Instrument& z = host.instrument();
  z.settings.itemOptions[52] = 0x31;  // page 1 style 0, page 2 style 1
  z.settings.page1Locations[52] = {2, 40};
  z.settings.page2Locations[52] = {10, 150};
  saveAllSettings(z);

  int checks = 0;
  host.at(3000, [&] {
    EXPECT_EQ(z.main.activePage, 0);
    EXPECT_TRUE(test::sameGraphics(z.screen, *test::smallTextAlone("FLIGHT", 16, 40)));
    ++checks;
  });
  host.clickKey(3200, SelectKey);
  host.at(3600, [&] {
    EXPECT_EQ(z.main.activePage, 1);
    EXPECT_TRUE(test::sameGraphics(z.screen, *test::smallTextAlone("FLIGHT", 84, 150)));
    ++checks;
  });
  host.closeAt(3700);
  host.run();
  EXPECT_EQ(checks, 2);
}

// A copy of a switched-on instrument draws its next frame as the original
// does, and keeps its own host.
TEST(PageRedraw, CopiedInstrumentDrawsAsTheOriginalOnItsOwnHost) {
  PanelRig original, copy;
  Instrument& a = original.z;
  buildImageFromDefaults(a, true);
  loadAllSettings(a);
  recomputeDerivedSettings(a);
  clampItemPositions(a);
  a.attitude.bank = 30;
  redrawPage(a);
  copy.z.copyStateFrom(a);
  EXPECT_EQ(copy.z.host, &copy.host);
  for (Instrument* z : {&a, &copy.z}) {
    updateInstruments(*z);
    drawPageItems(*z);
  }
  EXPECT_GT(test::graphicsInk(a.screen), 0);
  EXPECT_TRUE(test::sameGraphics(a.screen, copy.z.screen));
  EXPECT_TRUE(test::sameText(a.screen, copy.z.screen));
}

}  // namespace
}  // namespace zen
