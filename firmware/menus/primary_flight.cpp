// "Primary flight selection" and the page question of the preset screens.
#include <algorithm>

#include "firmware/core/instrument.h"
#include "firmware/core/keys.h"
#include "firmware/instruments/panel.h"
#include "firmware/instruments/screen_presets.h"
#include "firmware/menus/menu_engine.h"
#include "firmware/menus/screen_lists.h"

namespace zen {

int selectTargetPage(Instrument& z) {
  const ScreenLine lines[] = {{11, 5, "Select target page"},
                              {11, 7, "\"+\" selects page 1"},
                              {11, 9, "\"-\" selects page 2"},
                              {11, 11, "Any other key cancels"}};
  showLines(z, lines);
  switch (waitKey(z)) {
    case key::Plus:
      return 1;
    case key::Minus:
      return 2;
    default:
      return PageCancelled;
  }
}

bool confirmPrimaryFlight(Instrument& z, std::string_view presetName) {
  constexpr std::size_t NameShown = 5;
  ShortText display("primary flight ");
  display.append(presetName.substr(0, NameShown));
  display.append(" display.");
  const ScreenLine question[] = {{0, 0, "This will set your screen to the default"},
                                 {0, 2, display},
                                 {0, 4, "No engine instruments will be changed."},
                                 {0, 6, "You may have to move engine instruments"},
                                 {0, 8, "from their current positions as these"},
                                 {0, 10, "may be overwritten."},
                                 {0, 12, "Proceed ? +=YES -=NO"}};
  return askYesNo(z, question);
}

// The opening menu saves the settings when it closes.
void primaryFlightPanel(Instrument& z, std::string_view presetName) {
  const auto found = std::find(FlightPresetNames.begin(), FlightPresetNames.end(), presetName);
  if (found == FlightPresetNames.end()) return;
  if (!confirmPrimaryFlight(z, presetName)) return;
  const int page = selectTargetPage(z);
  if (page == PageCancelled) return;
  applyScreenPreset(z, flightPreset(static_cast<int>(found - FlightPresetNames.begin())), page);
  clampItemPositions(z);
}

}  // namespace zen
