// Items that cover each other on a page: items shown there, in their styles
// on that page, whose drawing can land on the same pixel or clear the other's.
// The labels and readouts an air data dial carries are not counted against it.
#pragma once

#include <string>
#include <vector>

namespace zen {

struct Instrument;

struct ItemBox {
  int item = 0;
  int x = 0, y = 0, width = 0, height = 0;
};

struct Overlap {
  int first = 0, second = 0;  // first < second
  bool operator==(const Overlap&) const = default;
};

// Page 0 is page 1. The boxes of the items' size rule, where they stand on
// the page. Leaves activePage and the measuring scratch as they were.
std::vector<ItemBox> pageItemBoxes(Instrument& z, int page);

// Each item shown is drawn alone, on a copy of the instrument, by its own
// routines with its values swept from one end of their ranges to the other in
// both blink phases. Two items overlap where their marks meet or one clears
// the other's marks on its layer; text cleared under graphics hides nothing.
std::vector<Overlap> pageOverlaps(const Instrument& z, int page);

// "Page 2: Altitude indicator at (200, 1) and Vertical speed indicator at
// (240, 0)": places tell apart the items that share a name.
std::string overlapLine(Instrument& z, int page, const Overlap& overlap);
// One line per overlap of both pages, or nothing when there are none.
std::vector<std::string> overlapReport(Instrument& z);

}  // namespace zen
