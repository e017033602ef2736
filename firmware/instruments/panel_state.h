// Page drawing and design-mode state of the panel items.
#pragma once

#include <array>
#include <cstdint>

#include "firmware/core/utilities.h"

namespace zen {

struct Instrument;
using FrameRoutine = void (*)(Instrument&);

struct PanelState {
  // Per-frame routines of the visible items, in drawing order; a null entry ends it.
  std::array<FrameRoutine, 80> frameRoutines{};
  std::uint8_t frameRoutineCount = 0;
  std::uint8_t itemWidth = 0;
  std::uint16_t itemHeight = 0;
  std::uint16_t secondOriginX = 0;
  std::uint8_t secondOriginY = 0;

  DerivedLimits scales;  // engine gauge bars, recomputed at every page redraw

  // The panel designer's position boxes of the given page (0 = page 1), told
  // the highlighted item's pixel x and row.
  void (*showItemPosition)(void* context, int page, int x, int row) = nullptr;
  void* showItemPositionContext = nullptr;
};

}  // namespace zen
