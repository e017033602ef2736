#include "files/panel_overlaps.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "firmware/core/instrument.h"
#include "support/fake_host.h"
#include "support/panel_samples.h"

namespace zen {
namespace {

struct Rig {
  test::FakeHost host;
  Instrument z{host};
  Rig() { test::loadDefaults(z); }
  // Items 21 and 22 (readouts, 40 x 8 in style 0) alone, on page 2 at the given places.
  void twoReadouts(ItemLocation first, ItemLocation second) {
    z.settings.itemOptions.fill(0);
    z.settings.itemOptions[21] = z.settings.itemOptions[22] = 0x10;
    z.settings.page2Locations[21] = first;
    z.settings.page2Locations[22] = second;
  }
};

// Only what the items draw counts, not their size rule's boxes, and a dial's
// own labels are not held against it; moving the rest apart leaves none.
TEST(PanelOverlaps, DefaultPanelHasOnlyTheItemsThatDrawOnTheSamePixels) {
  Rig rig;
  EXPECT_EQ(overlapReport(rig.z),
            (std::vector<std::string>{
                "Page 1: Flight time at (32, 125) and Flight time label at (0, 130)",
                "Page 2: Altitude indicator at (200, 1) and Vertical speed indicator at (240, 0)",
                "Page 2: Altitude indicator at (200, 1) and Attitude indicator at (120, 22)",
                "Page 2: Air Speed indicator at (48, 0) and VSpeed indicator at (96, 1)"}));
  Settings& s = rig.z.settings;
  s.page1Locations[22].column = 5;
  s.itemOptions[2] &= 0xEF;   // the chevrons off page 2
  s.itemOptions[14] &= 0xEF;  // the speed band too
  s.page2Locations[15].column = 14;
  EXPECT_EQ(overlapReport(rig.z), std::vector<std::string>{});
  // The size rule's boxes stay as they were, for picking.
  rig.z.main.activePage = 0;
  rig.z.panel.itemWidth = 7;
  EXPECT_EQ(pageItemBoxes(rig.z, 1).front().width, 92);
  EXPECT_EQ(rig.z.main.activePage, 0);
  EXPECT_EQ(rig.z.panel.itemWidth, 7);
}

// A label a dial carries may stand in it; any other label there overlaps, as
// does one where only the needle passes.
TEST(PanelOverlaps, OnlyTheDialsOwnLabelsMayStandInIt) {
  Rig rig;
  Settings& s = rig.z.settings;
  s.page1Locations[58] = s.page1Locations[65];  // the maintenance label on the altimeter's QNH label
  s.itemOptions[58] |= 0x01;
  s.page1Locations[57] = {29, 62};  // the stopwatch label below the vertical speed dial's hub
  EXPECT_EQ(pageOverlaps(rig.z, 0), (std::vector<Overlap>{{0, 58}, {2, 57}, {22, 52}, {58, 65}}));
}

TEST(PanelOverlaps, BoxesThatShareAPixel) {
  const struct {
    ItemLocation first, second;
    bool overlap;
  } cases[] = {
      {{10, 100}, {14, 100}, true},   // the first ends at x 119, the second starts at 112
      {{10, 100}, {15, 100}, false},  // side by side
      {{10, 100}, {10, 107}, true},   // the last row shared
      {{10, 100}, {10, 108}, false},  // one below the other
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.twoReadouts(c.first, c.second);
    EXPECT_EQ(pageOverlaps(rig.z, 1).size(), c.overlap ? 1u : 0u)
        << int(c.second.column) << "," << int(c.second.row);
    EXPECT_TRUE(pageOverlaps(rig.z, 0).empty());
  }
  // The size follows the style on that page: double height reaches the next row.
  Rig rig;
  rig.twoReadouts({10, 100}, {10, 110});
  EXPECT_TRUE(pageOverlaps(rig.z, 1).empty());
  rig.z.settings.itemOptions[21] = 0x30;
  EXPECT_EQ(pageOverlaps(rig.z, 1), (std::vector<Overlap>{{21, 22}}));
}

}  // namespace
}  // namespace zen
