// Items that cover each other on a page: the boxes of the items shown there,
// in their styles on that page, that share at least one pixel.
#pragma once

#include <string>
#include <vector>

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
std::vector<ItemBox> pageItemBoxes(Instrument& z, int page);
std::vector<Overlap> pageOverlaps(Instrument& z, int page);

// "Page 2: Altitude indicator at (200, 1) and Vertical speed indicator at
// (240, 0)": places tell apart the items that share a name.
std::string overlapLine(Instrument& z, int page, const Overlap& overlap);
// One line per overlap of both pages, or nothing when there are none.
std::vector<std::string> overlapReport(Instrument& z);

}  // namespace zen
