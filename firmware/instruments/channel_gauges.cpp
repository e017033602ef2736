// Items 3 and 4: exhaust gas and cylinder head temperatures, one bar per
// channel (or one scanned line in the compact style) and the value of the
// hottest channel.
#include <optional>

#include "firmware/core/alarm_bits.h"
#include "firmware/core/instrument.h"
#include "firmware/core/option_bits.h"
#include "firmware/core/utilities.h"
#include "firmware/instruments/display_format.h"
#include "firmware/instruments/engine_gauges.h"
#include "firmware/instruments/gauge_elements.h"
#include "firmware/instruments/panel_items.h"
#include "firmware/instruments/readouts.h"

namespace zen {

namespace {

constexpr int FrameWidth = 79;
constexpr std::uint8_t BarLength = 70;
// The bars show the upper half of the scale: value t x 140 / scale from 70 to 140.
constexpr std::uint32_t BarStart = 70, BarEnd = 140;
constexpr int ThermocoupleInputs = 12;
constexpr std::uint8_t TwoProbeHeads = 13;  // CHT count code: the two separate head inputs

struct Channels {
  int count;
  std::uint16_t limit, scale;
  std::uint16_t alarmBit;
  const char* legend;
  ChannelGauge& cache;
};

Channels channelsOf(Instrument& z, int item) {
  const Settings& s = z.settings;
  if (item == EgtGaugeItem)
    return {s.egtCount(), s.egtLimit, z.panel.scales.egtScale, alarm::Egt, "EGT", z.gauges.egt};
  return {s.chtCount >= TwoProbeHeads ? 2 : s.chtCount,
          s.chtLimit,
          z.panel.scales.chtScale,
          alarm::Cht,
          "CHT",
          z.gauges.cht};
}

// Temperature of channel i, or nothing when the engine unit has no such input
// (an EGT and CHT count that together exceed its 12 thermocouples).
std::optional<std::uint16_t> channelTemperature(const Instrument& z, int item, int i) {
  const EngineData& e = z.engine;
  if (item == ChtGaugeItem) {
    if (z.settings.chtCount >= TwoProbeHeads) return e.headTemperatureCopy[i & 1];
    i += z.settings.egtCount();
  }
  if (i >= ThermocoupleInputs) return std::nullopt;
  return e.thermocouples[i];
}

std::uint8_t channelBarPixels(std::uint32_t t, std::uint16_t scale) {
  return barPixels(proportion(t, BarEnd, scale), BarStart, BarEnd);
}

bool compactStyle(const Instrument& z, int item) { return (itemStyle(z, item) & 1) != 0; }

int legendRow(int row, int count, bool compact) { return compact ? row + 16 : row + 8 * count + 8; }

ShortText temperatureText(const Instrument& z, std::optional<std::uint16_t> t) {
  ShortText text =
      t ? rightJustified(static_cast<std::uint32_t>(displayTemperature(z, *t)), 4) : ShortText("  --");
  text.push(temperatureUnitSymbol(z));
  return text;
}

}  // namespace

void setupChannelGauge(Instrument& z, int item) {
  Screen& s = z.screen;
  const Channels c = channelsOf(z, item);
  const bool compact = compactStyle(z, item);
  const int x = s.originX, row = s.originY;
  const std::uint8_t column = s.textColumn;
  if (c.count > 0) {
    const int barHeight = compact ? 8 : 8 * c.count;
    drawGaugeFrame(s, x, row, FrameWidth, barHeight, 0);
    if (!compact && c.scale != 0 && proportion(c.limit, BarEnd, c.scale) >= BarStart)
      drawAlarmMark(z, c.alarmBit, x, row, barHeight, channelBarPixels(c.limit, c.scale));
  }
  printOnScreen(s, static_cast<std::uint8_t>(column + 1), legendRow(row, c.count, compact),
                ShortText(c.legend), false);
  if (c.cache.selected >= c.count) c.cache.selected = 0;
}

void drawChannelGauge(Instrument& z, int item) {
  if (!loadItemLocation(z, item)) return;
  const Channels c = channelsOf(z, item);
  if (c.count == 0) return;
  Screen& s = z.screen;
  const Settings& settings = z.settings;
  const bool compact = compactStyle(z, item);
  const bool scanning = settings.testOption(option::ScanBargraph);
  const bool alarmEnabled = (settings.alarmEnables & c.alarmBit) != 0;
  const std::uint8_t column = s.textColumn;
  const int row = s.originY;
  ChannelGauge& cache = c.cache;
  if (cache.selected >= c.count) cache.selected = 0;

  std::optional<std::uint16_t> hottest;
  for (int i = 0; i < c.count; ++i) {
    const auto t = channelTemperature(z, item, i);
    if (t && (!hottest || *t > *hottest)) hottest = t;
    if (compact || i >= static_cast<int>(cache.barPixels.size())) continue;
    const bool blinking = alarmEnabled && t && *t > c.limit && z.tick.secondPhase;
    const std::uint8_t pixels = (t && !blinking) ? channelBarPixels(*t, c.scale) : 0;
    const int barRow = row + 8 * i + 1;
    drawBar(s, static_cast<std::uint8_t>(column + 1), barRow, pixels, BarLength, cache.barPixels[i]);
    const std::uint8_t marker = scanning && i == cache.selected ? '>' : ' ';
    if (scanning && marker != cache.markerShown[i]) {
      cache.markerShown[i] = marker;
      ShortText text;
      text.push(marker);
      printOnScreen(s, column, barRow, text, false);
    }
  }
  updateAlarm(z, c.alarmBit, hottest && *hottest > c.limit);

  const auto selected = channelTemperature(z, item, cache.selected);
  ShortText value = temperatureText(z, !compact && scanning ? selected : hottest);
  substituteLinkFailure(z, value, 5);
  if (blinkedOut(z, c.alarmBit)) value = blanksFor(value);
  printGaugeValue(z, static_cast<std::uint8_t>(column + 5), compact ? row + 14 : row + 8 * c.count + 6, value,
                  cache.value);

  if (compact) {
    ShortText line = rightJustified(cache.selected + 1u, 2);
    line.push(' ');
    line.append(temperatureText(z, selected));
    printGaugeValue(z, static_cast<std::uint8_t>(column + 1), row + 2, line, cache.channelLine, false);
  }
  if (z.tick.secondPhase) cache.selected = static_cast<std::uint8_t>((cache.selected + 1) % c.count);
}

}  // namespace zen
