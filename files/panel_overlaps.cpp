#include "files/panel_overlaps.h"

#include "firmware/core/instrument.h"
#include "firmware/instruments/panel_items.h"

namespace zen {

bool ItemBox::overlaps(const ItemBox& other) const {
  return x < other.x + other.width && other.x < x + width && y < other.y + other.height &&
         other.y < y + height;
}

std::vector<ItemBox> pageItemBoxes(Instrument& z, int page) {
  const std::uint8_t shownPage = z.main.activePage;
  const std::uint8_t width = z.panel.itemWidth;
  const std::uint16_t height = z.panel.itemHeight;
  // Sizes follow the style of the active page.
  z.main.activePage = static_cast<std::uint8_t>(page);
  std::vector<ItemBox> boxes;
  for (int item = 0; item < PanelItemCount; ++item) {
    if (!itemVisibleOn(z, item, page)) continue;
    measureItem(z, item);
    const ItemLocation& place = itemLocationOn(z, item, page);
    boxes.push_back({item, place.column * 8, place.row, z.panel.itemWidth, z.panel.itemHeight});
  }
  z.main.activePage = shownPage;
  z.panel.itemWidth = width;
  z.panel.itemHeight = height;
  return boxes;
}

std::vector<Overlap> pageOverlaps(Instrument& z, int page) {
  const std::vector<ItemBox> boxes = pageItemBoxes(z, page);
  std::vector<Overlap> overlaps;
  for (std::size_t i = 0; i < boxes.size(); ++i)
    for (std::size_t j = i + 1; j < boxes.size(); ++j)
      if (boxes[i].overlaps(boxes[j])) overlaps.push_back({boxes[i].item, boxes[j].item});
  return overlaps;
}

std::string overlapLine(Instrument& z, int page, const Overlap& overlap) {
  auto named = [&](int item) {
    const ItemLocation& place = itemLocationOn(z, item, page);
    return std::string(itemName(item)) + " at (" + std::to_string(place.column * 8) + ", " +
           std::to_string(place.row) + ")";
  };
  return "Page " + std::to_string(page + 1) + ": " + named(overlap.first) + " and " + named(overlap.second);
}

std::vector<std::string> overlapReport(Instrument& z) {
  std::vector<std::string> lines;
  for (int page = 0; page < 2; ++page)
    for (const Overlap& overlap : pageOverlaps(z, page)) lines.push_back(overlapLine(z, page, overlap));
  return lines;
}

}  // namespace zen
