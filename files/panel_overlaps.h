// Items that cover each other on a page: items shown there, in their styles
// on that page, whose drawing can land on the same pixel or clear the other's.
// The labels and readouts an air data dial carries are not counted against it.
#pragma once

#include <bitset>
#include <string>
#include <vector>

#include "hardware/screen.h"

namespace zen {

struct Instrument;

struct ItemBox {
  int item = 0;
  int x = 0, y = 0, width = 0, height = 0;
  bool overlaps(const ItemBox& other) const;
};

struct Overlap {
  int first = 0, second = 0;  // first < second
  bool operator==(const Overlap&) const = default;
};

// Page 0 is page 1. Leaves activePage and the measuring scratch as they were.
// The boxes of the items' size rule, as picking and dragging use them.
std::vector<ItemBox> pageItemBoxes(Instrument& z, int page);

// What an item can do to the screen, pixel by pixel: drawn alone by its own
// routines at the ends of its values' ranges and in both blink phases.
struct ItemMarks {
  using Pixels = std::bitset<ScreenWidth * ScreenHeight>;
  int item = 0;
  Pixels textInk, textWritten;  // written: set or cleared, so covering what stood there
  Pixels graphicsInk, graphicsWritten;
  // Marks on the same pixel, or one clearing the other's marks on its layer.
  // Text cleared under graphics hides nothing: graphics show over text.
  bool collidesWith(const ItemMarks& other) const;
};
// The items shown on the page, but those that draw nothing there.
std::vector<ItemMarks> pageItemMarks(const Instrument& z, int page);

std::vector<Overlap> pageOverlaps(const Instrument& z, int page);

// "Page 2: Altitude indicator at (200, 1) and Vertical speed indicator at
// (240, 0)": places tell apart the items that share a name.
std::string overlapLine(Instrument& z, int page, const Overlap& overlap);
// One line per overlap of both pages, or nothing when there are none.
std::vector<std::string> overlapReport(Instrument& z);

}  // namespace zen
