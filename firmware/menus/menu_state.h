// Working state of the menu engine (not part of the settings).
#pragma once

#include <cstdint>

namespace zen {

struct MenuState {
  std::uint8_t editMode = 0;       // "+" and "-" act on the selected entry
  std::uint8_t drawIndex = 0;      // entry whose value is being drawn
  std::uint8_t selectedIndex = 0;  // entry whose select, increase or decrease action runs
  std::uint16_t assumedSpeed = 0;  // mph, of the range line; the current speed when the Main Menu opens
};

}  // namespace zen
