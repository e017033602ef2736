// Design mode: the bezel keys select, restyle and move the items of the page on display.
#include "firmware/core/instrument.h"
#include "firmware/core/keys.h"
#include "firmware/core/settings_store.h"
#include "firmware/instruments/panel.h"
#include "firmware/instruments/panel_items.h"

namespace zen {

namespace {

constexpr int LastItem = PanelItemCount - 1;
constexpr int SearchSteps = 80;
constexpr int SkipTries = 79;

enum class Outcome { Done, Restart };

void highlightSelection(Instrument& z) {
  MainState& m = z.main;
  int item = m.selectedItem <= LastItem ? m.selectedItem : 0;
  bool found = false;
  // Each of the 80 steps tests the item and moves on, so with nothing visible
  // the search stops one past where it started.
  for (int step = 0; step < SearchSteps; ++step) {
    if (itemVisible(z, item)) {
      found = true;
      break;
    }
    item = item == LastItem ? 0 : item + 1;
  }
  redrawPage(z);
  if (found) highlightItem(z, item);
  m.selectedItem = m.lastSelectedItem = static_cast<std::uint8_t>(item);
}

void stepSelection(Instrument& z, int code) {
  std::uint8_t& selected = z.main.selectedItem;
  // The first step always happens; hidden items are then skipped, up to 79 more tries.
  for (int tries = 0; tries <= SkipTries; ++tries) {
    if (code == key::Next)
      selected = static_cast<std::uint8_t>(selected >= LastItem ? 0 : selected + 1);
    else
      selected = static_cast<std::uint8_t>(selected == 0 || selected > LastItem ? LastItem : selected - 1);
    if (itemVisible(z, selected)) return;
  }
}

// Keys 5..8 move the selected item; false when it stays where it is.
bool moveSelection(Instrument& z, int code) {
  const int item = z.main.selectedItem;
  // A hidden selection only happens on a page with nothing shown, where keys have no effect.
  if (!itemVisible(z, item)) return false;
  measureItem(z, item);
  ItemLocation& place = itemLocationOn(z, item, z.main.activePage);
  // Bounds in int: an item taller than the screen must not wrap the limit round.
  int column = place.column;
  int row = place.row;
  const int step = z.main.moveStep;
  switch (code) {
    case key::Plus:
      if (column < 39 - z.panel.itemWidth / 8) ++column;
      break;
    case key::Minus:
      if (column > 0) --column;
      break;
    case key::Up:
      if (row > 0) --row;
      break;
    case key::Down:
      if (row < ScreenHeight - 1 - step - z.panel.itemHeight) row += step;
      break;
  }
  place.column = static_cast<std::uint8_t>(column);
  place.row = static_cast<std::uint8_t>(row);
  return true;
}

Outcome processKey(Instrument& z) {
  MainState& m = z.main;
  const int code = m.keyCode;
  m.keyCode = 0;
  switch (code) {
    case key::Menu:
      saveAllSettings(z);
      m.designMode = 0;
      redrawPage(z);
      return Outcome::Done;
    case key::Select:
      if (!itemVisible(z, m.selectedItem)) return Outcome::Done;
      setItemStyle(z, m.selectedItem, static_cast<std::uint8_t>((itemStyle(z, m.selectedItem) + 1) & 7));
      m.lastSelectedItem = 255;
      clampItemPositions(z);
      return Outcome::Restart;
    case key::Next:
    case key::Prev:
      stepSelection(z, code);
      return Outcome::Done;
    case key::Plus:
    case key::Minus:
    case key::Up:
    case key::Down:
      if (!moveSelection(z, code)) return Outcome::Done;
      clampItemPositions(z);
      m.lastSelectedItem = 255;
      return Outcome::Restart;
    default:
      return Outcome::Done;
  }
}

}  // namespace

void enterDesignMode(Instrument& z) {
  z.main.designMode = 1;
  z.main.selectedItem = 0;
  z.main.lastSelectedItem = 255;
}

void designModeStep(Instrument& z) {
  MainState& m = z.main;
  Outcome outcome;
  do {
    if (m.selectedItem != m.lastSelectedItem) highlightSelection(z);
    m.moveStep = z.keys.repeatStep > 1 ? 8 : 1;
    outcome = processKey(z);
  } while (outcome == Outcome::Restart);
}

}  // namespace zen
