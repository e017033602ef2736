#include "files/item_styles.h"

#include <array>
#include <string_view>
#include <vector>

#include "firmware/instruments/panel_items.h"

namespace zen {

namespace {

struct Looks {
  std::vector<std::string_view> names;
  int mask;  // the style bits that choose the look
};

// Looks counted from style 0; the RPM gauge's styles 2 and 3 are one look.
Looks looksOf(int item) {
  switch (PanelItems[item].kind) {
    case ItemKind::AirDataIndicator:
      if (item == 2) return {{"Chevrons on the left", "Chevrons on the right", "Box", "Dial"}, 3};
      return {{"Tape, scale on the right", "Tape, scale on the left", "Box", "Dial"}, 3};
    case ItemKind::EgtGauge:
    case ItemKind::ChtGauge:
      return {{"Bars", "Compact"}, 1};
    case ItemKind::RevCounter:
      return {{"Dial", "Box", "Two needles", "Two needles"}, 3};
    case ItemKind::TurnOrSlipBar:
    case ItemKind::Readout:
      return {{"Single height", "Double height"}, 1};
    case ItemKind::Heading:
      return {{"Degrees", "Compass rose"}, 1};
    case ItemKind::Label:
      return {{"At the column", "4 pixels right"}, 1};
    case ItemKind::Spare:
      return {{"Unused"}, 0};
    case ItemKind::FixedSize:
    case ItemKind::Legend:
      break;
  }
  return {{"Standard"}, 0};
}

}  // namespace

std::string styleName(int item, int style) {
  if (item < 0 || item >= PanelItemCount) return {};
  const Looks looks = looksOf(item);
  const int look = style & looks.mask;
  // Distinct looks, in order; a repeated name counts once.
  int index = 0, count = 0;
  for (std::size_t i = 0; i < looks.names.size(); ++i) {
    const bool first = i == 0 || looks.names[i] != looks.names[i - 1];
    if (first) ++count;
    if (static_cast<int>(i) == look) index = count;
  }
  return std::string(looks.names[static_cast<std::size_t>(look)]) + ", " + std::to_string(index) + " of " +
         std::to_string(count);
}

}  // namespace zen
