// A bare instrument with an empty panel, and helpers to place items on it.
#pragma once

#include <memory>
#include <vector>

#include "firmware/core/instrument.h"
#include "firmware/instruments/item_units.h"
#include "hardware/screen.h"
#include "tests/support/fake_host.h"

namespace zen::test {

struct PanelRig {
  FakeHost host;
  std::unique_ptr<Instrument> instrument = std::make_unique<Instrument>(host);
  Instrument& z = *instrument;

  PanelRig() { z.screen.drawColour = 1; }

  // Shows the item on page (0 or 1) with the style at (column, row), keeping the other page's nibble.
  void show(int item, int page, std::uint8_t style, std::uint8_t column, std::uint8_t row) {
    std::uint8_t& options = z.settings.itemOptions[item];
    const std::uint8_t nibble = static_cast<std::uint8_t>(1 | (style << 1));
    options = page == 0 ? static_cast<std::uint8_t>((options & 0xF0) | nibble)
                        : static_cast<std::uint8_t>((options & 0x0F) | (nibble << 4));
    (page == 0 ? z.settings.page1Locations : z.settings.page2Locations)[item] = ItemLocation{column, row};
  }

  // Items of the registered frame routines, in order, up to the terminating entry.
  std::vector<int> frameItems() const {
    std::vector<int> items;
    for (std::size_t i = 0; i < z.panel.frameRoutineCount && z.panel.frameRoutines[i]; ++i)
      items.push_back(itemOfFrameRoutine(z.panel.frameRoutines[i]));
    return items;
  }
};

inline int graphicsInk(const Screen& s) {
  int ink = 0;
  for (int y = 0; y < ScreenHeight; ++y)
    for (int x = 0; x < ScreenWidth; ++x) ink += s.graphicsPixel(x, y) == GraphicsPixel::Black;
  return ink;
}

inline bool sameGraphics(const Screen& a, const Screen& b) {
  for (int y = 0; y < ScreenHeight; ++y)
    for (int x = 0; x < ScreenWidth; ++x)
      if (a.graphicsPixel(x, y) != b.graphicsPixel(x, y)) return false;
  return true;
}

inline bool sameText(const Screen& a, const Screen& b) {
  for (int y = 0; y < ScreenHeight; ++y)
    for (int x = 0; x < ScreenWidth; ++x)
      if (a.textPixel(x, y) != b.textPixel(x, y)) return false;
  return true;
}

// The small-font text as drawSmallText puts it at (x, y) on an empty screen.
inline std::unique_ptr<Screen> smallTextAlone(std::string_view text, int x, int y) {
  auto s = std::make_unique<Screen>();
  s->drawColour = 1;
  s->setPen(static_cast<std::uint16_t>(x), static_cast<std::uint8_t>(y));
  s->textBuffer.assign(text);
  s->drawSmallText();
  return s;
}

}  // namespace zen::test
