// Whether a panel item is shown on the page in view, and in which style.
#pragma once

#include <cstdint>

#include "firmware/core/instrument.h"

namespace zen {

inline bool itemShownOnActivePage(const Instrument& z, int item) {
  const std::uint8_t options = z.settings.itemOptions[item];
  return z.main.activePage ? (options & 0x10) != 0 : (options & 0x01) != 0;
}

inline std::uint8_t itemStyleOnActivePage(const Instrument& z, int item) {
  const std::uint8_t options = z.settings.itemOptions[item];
  return z.main.activePage ? (options >> 5) & 7 : (options >> 1) & 7;
}

}  // namespace zen
