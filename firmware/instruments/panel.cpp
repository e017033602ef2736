#include "firmware/instruments/panel.h"

#include <algorithm>

#include "firmware/core/instrument.h"
#include "firmware/core/option_bits.h"
#include "firmware/instruments/item_units.h"
#include "firmware/instruments/panel_items.h"
#include "firmware/instruments/readouts.h"

namespace zen {

namespace {

void emptyFrameList(PanelState& p) {
  p.frameRoutineCount = 0;
  p.frameRoutines[0] = nullptr;
}

void runSetup(Instrument& z, int item) {
  if (!loadItemLocation(z, item)) return;
  const ItemUnit& unit = ItemUnits[item];
  if (unit.setup) unit.setup(z);
  if (unit.frame) registerFrameRoutine(z, unit.frame);
}

void drawLabels(Instrument& z) {
  for (int item = FirstLabelItem; item < FirstLabelItem + LabelSlotCount; ++item) drawLabel(z, item);
}

void drawBigTextAt(Screen& s, std::uint8_t column, std::uint8_t row, const ShortText& text) {
  s.bigText = 1;
  s.drawTextAt(column, row, text);
  s.bigText = 0;
}

}  // namespace

void drawLabel(Instrument& z, int item) {
  const int slot = item - FirstLabelItem;
  // Slots 20..29 are spares without text.
  if (slot < 0 || slot >= 20 || !loadItemLocation(z, item)) return;
  Screen& s = z.screen;
  const int indent = (itemStyle(z, item) & 1) ? 4 : 0;
  s.setPen(static_cast<std::uint16_t>(s.originX + indent), s.originY);
  s.textBuffer.assign(LabelTexts[slot].text());
  s.drawSmallText();
}

bool slaveWithoutDataFeed(const Instrument& z) { return z.engine.slaveMode && z.engine.noDataFeedMark; }

void recomputeEngineScales(Instrument& z) {
  // The flow reception derives its divisor from the K-factor on every frame itself.
  z.panel.scales = derivedLimits(z);
}

void redrawPage(Instrument& z) {
  Screen& s = z.screen;
  PanelState& p = z.panel;

  // Switching the dual panel off ends slave mode too, or the page would stay empty.
  z.engine.slaveMode = z.settings.testOption(option::DualPanel) && !z.settings.testOption(option::MasterUnit);
  if (slaveWithoutDataFeed(z)) {
    emptyFrameList(p);
    s.clearScreen();
    drawBigTextAt(s, 0, 10, ShortText("Multi screen slave - no data feed"));
    return;
  }

  for (const ItemUnit& unit : ItemUnits)
    if (unit.invalidateCache) unit.invalidateCache(z);
  recomputeEngineScales(z);
  s.clearScreen();
  s.bigText = 0;
  s.lineWidth = 1;
  s.drawColour = 1;
  emptyFrameList(p);

  for (int item : SetupOrder) runSetup(z, item);
  drawQnhReadout(z);
  for (int item : LegendItems) runSetup(z, item);
  for (int item : ReadoutOrder)
    if (ItemUnits[item].frame) registerIfVisible(z, item, ItemUnits[item].frame);
  registerFrameRoutine(z, nullptr);

  drawLabels(z);
  if (p.frameRoutineCount == 1) drawBigTextAt(s, 9, 10, ShortText("No instruments enabled"));
}

void drawPageItems(Instrument& z) {
  if (slaveWithoutDataFeed(z)) return;
  z.screen.bigText = 0;
  const PanelState& p = z.panel;
  for (std::size_t i = 0; i < p.frameRoutineCount && p.frameRoutines[i] != nullptr; ++i)
    p.frameRoutines[i](z);
}

void clampItemPositions(Instrument& z) {
  const std::uint8_t shownPage = z.main.activePage;
  for (std::uint8_t page = 0; page < 2; ++page) {
    z.main.activePage = page;
    for (int item = 0; item < PanelItemCount; ++item) {
      // Spare entries have no size and are never drawn; their bytes travel untouched.
      if (PanelItems[item].kind == ItemKind::Spare) continue;
      measureItem(z, item);
      const int width = z.panel.itemWidth;
      const int height = z.panel.itemHeight;
      ItemLocation& place = itemLocationOn(z, item, page);
      // A gauge taller than the screen (channel counts of an erased image) goes to the top.
      if (place.row + height > ScreenHeight - 1)
        place.row = static_cast<std::uint8_t>(std::max(ScreenHeight - height, 0));
      if (place.column * 8 + width > ScreenWidth - 1)
        place.column = static_cast<std::uint8_t>((ScreenWidth - width) / 8);
    }
  }
  z.main.activePage = shownPage;
}

namespace {

// The item's box on the active page, crossed for the selected item; leaves
// the item's size in itemWidth and itemHeight.
void boxItem(Instrument& z, int item, bool crossed) {
  Screen& s = z.screen;
  measureItem(z, item);
  const ItemLocation& place = itemLocationOn(z, item, z.main.activePage);
  const int x = place.column * 8;
  const int row = place.row;
  const int right = x + z.panel.itemWidth;
  const int bottom = row + z.panel.itemHeight;

  const std::uint8_t savedColour = s.drawColour;
  const std::uint8_t savedWidth = s.lineWidth;
  s.drawColour = 1;
  s.lineWidth = 1;
  s.setPen(static_cast<std::uint16_t>(x), static_cast<std::uint8_t>(row));
  s.lineTo(right, row);
  s.lineTo(right, bottom);
  s.lineTo(x, bottom);
  s.lineTo(x, row);
  if (crossed) {
    s.lineTo(right, bottom);
    // The pen's row is a byte; the line clamps its end to the screen anyway.
    s.setPen(static_cast<std::uint16_t>(x), static_cast<std::uint8_t>(std::min(bottom, ScreenHeight - 1)));
    s.lineTo(right, row);
  }
  s.drawColour = savedColour;
  s.lineWidth = savedWidth;
}

}  // namespace

void highlightItem(Instrument& z, int item) {
  if (item < 0 || item >= PanelItemCount) return;
  Screen& s = z.screen;
  // The labels a dial carries are items of their own: boxed, so the user sees
  // they stay when the indicator changes style, unless hidden as well.
  bool companions = false;
  for (const std::uint8_t other : itemsPlacedWith(item)) {
    if (!itemVisible(z, other)) continue;
    boxItem(z, other, false);
    companions = true;
  }
  boxItem(z, item, true);
  loadItemLocation(z, item);
  const ItemLocation& place = itemLocationOn(z, item, z.main.activePage);
  const int x = place.column * 8;
  const int row = place.row;

  ShortText caption("Item: ");
  caption.append(itemName(item));
  // The caption goes to the half of the screen the item does not start in.
  const std::uint8_t captionRow = row <= 120 ? 24 : 2;
  drawBigTextAt(s, 5, captionRow, caption);
  if (companions)
    drawBigTextAt(s, 5, static_cast<std::uint8_t>(captionRow + 2),
                  ShortText("Boxed labels are separate items"));

  if (z.panel.showItemPosition)
    z.panel.showItemPosition(z.panel.showItemPositionContext, z.main.activePage, x, row);
}

}  // namespace zen
