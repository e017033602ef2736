// The headless renderer: the same inputs give the same screen.
#include "host/screen_render.h"

#include <gtest/gtest.h>

namespace zen {
namespace {

int differingPixels(const Screen& a, const Screen& b) {
  int count = 0;
  for (int y = 0; y < ScreenHeight; ++y)
    for (int x = 0; x < ScreenWidth; ++x) count += a.compositePixel(x, y) != b.compositePixel(x, y);
  return count;
}

int ink(const Screen& s) {
  int count = 0;
  for (int y = 0; y < ScreenHeight; ++y)
    for (int x = 0; x < ScreenWidth; ++x) count += s.compositePixel(x, y);
  return count;
}

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
