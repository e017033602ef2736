// Drawing elements every engine gauge is built from: the notched frame, the
// bar of character cells, alarm marks, the double-height value, and the
// raising, clearing and blinking of engine alarms.
#pragma once

#include <cstdint>

#include "firmware/instruments/gauge_state.h"
#include "hardware/short_text.h"

namespace zen {

struct Instrument;
class Screen;

// Frame of width w around a bar area of height h, with a lower box for the
// legend whose right edge is at x + w + notch - 40; drawn with thickness 2.
void drawGaugeFrame(Screen& s, int x, int row, int width, int barHeight, int notch);

// value x length / scale, 0 for a scale of 0 (a setting never made).
std::uint32_t proportion(std::uint32_t value, std::uint32_t length, std::uint32_t scale);
// Pixels shown for bar value v: limited to [start, max], start taken off.
std::uint8_t barPixels(std::uint32_t v, std::uint32_t start, std::uint32_t max);
// Cells of 8 pixels at a text position: full cells, one part cell, then "-"
// up to the length. Drawn only when the pixels differ from the cache.
void drawBar(Screen& s, std::uint8_t column, int pixelRow, std::uint8_t pixels, std::uint8_t length,
             std::uint8_t& cache);

// Vertical mark through the bar area at bar position p, when the enable bit is set.
inline constexpr int BarOffset = 8;  // bars start one column into the gauge
void drawAlarmMark(Instrument& z, std::uint16_t enableBit, int x, int row, int barHeight, int position);

// Raised while enabled and the condition holds on measured values; raising
// sets the bit in newAlarms only when it was not raised yet.
void updateAlarm(Instrument& z, std::uint16_t bit, bool condition);
bool alarmRaised(const Instrument& z, std::uint16_t bits);
// The frame on which a raised alarm empties its bar and blanks its value.
bool blinkedOut(const Instrument& z, std::uint16_t bits);

// As many blanks as the text has characters.
ShortText blanksFor(const ShortText& text);
// Prints the text when it changed, in the double-height font unless told otherwise.
void printGaugeValue(Instrument& z, std::uint8_t column, int pixelRow, const ShortText& text,
                     DrawnText& cache, bool doubleHeight = true);
// Text-layer print; a text starting below the screen is not drawn.
void printOnScreen(Screen& s, std::uint8_t column, int pixelRow, const ShortText& text, bool doubleHeight);
// Small-font text at a pixel position of the graphics layer.
void drawSmallTextAt(Screen& s, int x, int y, const ShortText& text);

}  // namespace zen
