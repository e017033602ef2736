// Last-drawn caches of the numeric readouts and engine gauges. A page redraw
// forgets them all, so the first frame after it draws every value.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "hardware/short_text.h"

namespace zen {

// The text a readout or gauge value last printed.
struct DrawnText {
  ShortText text;
  bool valid = false;
  // True when the next text differs from the one on the screen; `text` then
  // holds what to print: the next text, with blanks over any longer text
  // printed before so that no characters of it stay behind.
  bool changedTo(const ShortText& next) {
    ShortText covered = next;
    if (valid)
      while (covered.length < text.length) covered.push(' ');
    if (valid && covered.length == text.length &&
        std::equal(covered.codes.begin(), covered.codes.begin() + covered.length, text.codes.begin()))
      return false;
    text = covered;
    valid = true;
    return true;
  }
};

// Pixels a bar last showed; NotDrawn after a page redraw.
inline constexpr std::uint8_t NotDrawn = 255;

// One EGT or CHT gauge.
struct ChannelGauge {
  std::array<std::uint8_t, 12> barPixels{};
  std::array<std::uint8_t, 12> markerShown{};  // ">" or blank in front of each bar
  DrawnText value;
  DrawnText channelLine;  // compact style
  std::uint8_t selected = 0;
};

struct GaugeState {
  // By item index, 19..33, 37 and 38 in use.
  std::array<DrawnText, 39> readoutText;
  std::uint8_t iceWarningShown = 0;  // the double-height "ICE WARN" stands on the screen

  // Engine gauges with one bar and one value, by item index 5..13.
  std::array<std::uint8_t, 14> barPixels{};
  std::array<DrawnText, 14> engineValue;
  ChannelGauge egt, cht;
  std::uint8_t dialNeedle = NotDrawn;  // rev counter dial, degrees
  std::uint8_t rotorNeedle = NotDrawn;
  std::uint8_t engineNeedle = NotDrawn;
  DrawnText rotorValue;
};

}  // namespace zen
