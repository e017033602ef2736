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

}  // namespace
}  // namespace zen
