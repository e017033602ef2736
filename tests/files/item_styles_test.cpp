#include "files/item_styles.h"

#include <gtest/gtest.h>

namespace zen {
namespace {

TEST(ItemStyles, NamesTheLookAndWhichOfTheItemsLooksItIs) {
  const struct {
    int item, style;
    const char* name;
  } cases[] = {
      {0, 1, "Tape, scale on the left, 2 of 4"},
      {0, 7, "Dial, 4 of 4"},
      {2, 0, "Chevrons on the left, 1 of 4"},
      {4, 3, "Compact, 2 of 2"},
      {5, 2, "Two needles, 3 of 3"},
      {5, 3, "Two needles, 3 of 3"},
      {18, 1, "Compass rose, 2 of 2"},
      {21, 6, "Single height, 1 of 2"},
      {49, 1, "4 pixels right, 2 of 2"},
      {9, 5, "Standard, 1 of 1"},
  };
  for (const auto& c : cases) EXPECT_EQ(styleName(c.item, c.style), c.name) << c.item << "/" << c.style;
}

}  // namespace
}  // namespace zen
