#include "firmware/instruments/gauge_elements.h"

#include <algorithm>

#include "firmware/core/instrument.h"
#include "firmware/instruments/dials.h"

namespace zen {

namespace {

constexpr std::uint8_t FullCell = 136;
constexpr std::uint8_t EmptyCell = 128;

void lineBy(Screen& s, int dx, int dy) { s.lineTo(s.penX + dx, s.penY + dy); }

}  // namespace

void drawGaugeFrame(Screen& s, int x, int row, int width, int barHeight, int notch) {
  const int w = width, h = barHeight;
  s.lineWidth = 2;
  s.setPen(static_cast<std::uint16_t>(x + 4), static_cast<std::uint8_t>(row));
  s.lineTo(x + w - 4, row);
  s.lineTo(x + w, row + 4);
  s.lineTo(x + w, row + h);
  s.lineTo(x + w - 4, row + 4 + h);
  s.lineTo(x + w + notch - 40, row + 4 + h);
  s.lineTo(x + w + notch - 40, row + h + 20);
  s.lineTo(x + 4, row + h + 20);
  s.lineTo(x, row + h + 16);
  s.lineTo(x, row + 4);
  lineBy(s, 4, -4);
  s.lineWidth = 1;
}

std::uint32_t proportion(std::uint32_t value, std::uint32_t length, std::uint32_t scale) {
  return scale == 0 ? 0 : static_cast<std::uint32_t>(std::uint64_t{value} * length / scale);
}

std::uint8_t barPixels(std::uint32_t v, std::uint32_t start, std::uint32_t max) {
  return static_cast<std::uint8_t>(std::clamp(v, start, max) - start);
}

void drawBar(Screen& s, std::uint8_t column, int pixelRow, std::uint8_t pixels, std::uint8_t length,
             std::uint8_t& cache) {
  if (pixels == cache) return;
  cache = pixels;
  const int cells = (length + 7) / 8;
  ShortText bar;
  int remaining = pixels;
  while (remaining >= 8 && static_cast<int>(bar.length) < cells) {
    bar.push(FullCell);
    remaining -= 8;
  }
  if (static_cast<int>(bar.length) < cells) bar.push(static_cast<std::uint8_t>(EmptyCell + remaining));
  while (static_cast<int>(bar.length) < cells) bar.push('-');
  printOnScreen(s, column, pixelRow, bar, false);
}

void drawAlarmMark(Instrument& z, std::uint16_t enableBit, int x, int row, int barHeight, int position) {
  if (!(z.settings.alarmEnables & enableBit)) return;
  Screen& s = z.screen;
  const int markX = x + BarOffset + 3 + position;
  s.lineWidth = 1;
  s.setPen(static_cast<std::uint16_t>(markX), static_cast<std::uint8_t>(row));
  s.lineTo(markX, row + barHeight + 2);
}

void updateAlarm(Instrument& z, std::uint16_t bit, bool condition) {
  MainState& m = z.main;
  const auto mask = static_cast<std::uint8_t>(bit);
  // Values the engine unit no longer sends are cleared to 0; they are not readings to alarm on.
  const bool raised = condition && (z.settings.alarmEnables & bit) && !z.engine.engineDataLost;
  if (raised) {
    if (!(m.activeAlarms & mask)) m.newAlarms |= mask;
    m.activeAlarms |= mask;
  } else {
    m.activeAlarms &= static_cast<std::uint8_t>(~mask);
    m.newAlarms &= static_cast<std::uint8_t>(~mask);
  }
}

bool alarmRaised(const Instrument& z, std::uint16_t bits) { return (z.main.activeAlarms & bits) != 0; }

bool blinkedOut(const Instrument& z, std::uint16_t bits) {
  return alarmRaised(z, bits) && z.tick.secondPhase;
}

ShortText blanksFor(const ShortText& text) {
  ShortText blanks;
  for (std::size_t i = 0; i < text.length; ++i) blanks.push(' ');
  return blanks;
}

void printGaugeValue(Instrument& z, std::uint8_t column, int pixelRow, const ShortText& text,
                     DrawnText& cache, bool doubleHeight) {
  if (!cache.changedTo(text)) return;
  printOnScreen(z.screen, column, pixelRow, cache.text, doubleHeight);
}

void printOnScreen(Screen& s, std::uint8_t column, int pixelRow, const ShortText& text, bool doubleHeight) {
  // Rows 240 to 255 are off the screen; a text starting further down would
  // wrap round to its top.
  if (pixelRow >= ScreenHeight) return;
  printAt(s, column, pixelRow, text, doubleHeight);
  s.bigText = 0;
}

void drawSmallTextAt(Screen& s, int x, int y, const ShortText& text) {
  moveTo(s, x, y);
  s.textBuffer = text;
  s.drawSmallText();
}

}  // namespace zen
