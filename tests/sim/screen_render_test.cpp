// The headless renderer: the same inputs give the same screen.
#include "sim/screen_render.h"

#include <gtest/gtest.h>

#include "support/screen_probe.h"

namespace zen {
namespace {

using test::differingPixels;
using test::ink;

TEST(RenderScreen, DefaultPageRendersTheSameTwiceAndTheOtherPageDiffers) {
  RenderOptions options;
  const auto first = renderScreen(options);
  const auto second = renderScreen(options);
  EXPECT_GT(ink(*first), 500);
  EXPECT_EQ(differingPixels(*first, *second), 0);
  options.page = 2;
  EXPECT_GT(differingPixels(*first, *renderScreen(options)), 500);
}

// A sensor that sends a rate of turn moves the needle by it (page 2 shows the
// turn indicator); one that sends none leaves the needle to the bank.
TEST(RenderScreen, AMeasuredRateOfTurnReachesTheNeedle) {
  RenderOptions options;
  options.page = 2;
  options.attitude = RenderOptions::Attitude{};
  const auto level = renderScreen(options);
  options.attitude->turnRate = 60;
  EXPECT_GT(differingPixels(*level, *renderScreen(options)), 10);
}

}  // namespace
}  // namespace zen
