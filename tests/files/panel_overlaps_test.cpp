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

TEST(PanelOverlaps, DefaultPage2HasTheVerticalSpeedTapeOverTheAltimeterTape) {
  Rig rig;
  rig.z.main.activePage = 0;
  rig.z.panel.itemWidth = 7;
  const auto page2 = pageOverlaps(rig.z, 1);
  EXPECT_NE(std::ranges::find(page2, Overlap{0, 2}), page2.end());
  EXPECT_EQ(rig.z.main.activePage, 0);
  EXPECT_EQ(rig.z.panel.itemWidth, 7);
  const auto report = overlapReport(rig.z);
  EXPECT_NE(std::ranges::find(
                report, "Page 2: Altitude indicator at (200, 1) and Vertical speed indicator at (240, 0)"),
            report.end());
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
