// What each instrument item contributes to a page: the one place where an
// item's drawing is hooked into the page redraw and the frame list.
#pragma once

#include <array>
#include <cstdint>

#include "firmware/instruments/panel_items.h"

namespace zen {

struct ItemUnit {
  // Static parts (scales, frames, legends), run at page redraw with the item's
  // place loaded; only while the item is visible.
  void (*setup)(Instrument&) = nullptr;
  // Per-frame refresh; registered at page redraw while the item is visible.
  FrameRoutine frame = nullptr;
  // Forgets the last-drawn values so the next frame draws everything.
  void (*invalidateCache)(Instrument&) = nullptr;
};

// Items 0..38; labels and spares have no unit.
extern const std::array<ItemUnit, LastInstrumentItem + 1> ItemUnits;

// Drawing order of the page redraw.
inline constexpr std::array<std::uint8_t, 19> SetupOrder{0, 1, 2,  14, 5,  15, 16, 17, 18, 6,
                                                         7, 8, 13, 9,  10, 11, 3,  4,  12};
inline constexpr std::array<std::uint8_t, 3> LegendItems{34, 35, 36};
inline constexpr std::array<std::uint8_t, 16> ReadoutOrder{37, 19, 20, 28, 27, 21, 22, 25,
                                                           23, 32, 29, 30, 26, 24, 33, 38};

// The item whose frame routine this is, or -1.
int itemOfFrameRoutine(FrameRoutine routine);

}  // namespace zen
