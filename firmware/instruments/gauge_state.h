// Last-drawn caches of the numeric readouts and engine gauges. A page redraw
// forgets them all, so the first frame after it draws every value.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "host/short_text.h"

namespace zen {

// The text a readout last printed.
struct DrawnText {
  ShortText text;
  bool valid = false;
  // True, remembering the text, when it differs from the one on the screen.
  bool changedTo(const ShortText& next) {
    if (valid && text.length == next.length &&
        std::equal(next.codes.begin(), next.codes.begin() + next.length, text.codes.begin()))
      return false;
    text = next;
    valid = true;
    return true;
  }
};

struct GaugeState {
  // By item index, 19..33, 37 and 38 in use.
  std::array<DrawnText, 39> readoutText;
  std::uint8_t iceWarningShown = 0;  // the double-height "ICE WARN" stands on the screen
};

}  // namespace zen
