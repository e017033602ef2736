#include "files/panel_overlaps.h"

#include <algorithm>
#include <bitset>
#include <cstdlib>
#include <limits>
#include <memory>
#include <utility>

#include "firmware/core/instrument.h"
#include "firmware/core/utilities.h"
#include "firmware/instruments/air_data.h"
#include "firmware/instruments/derived_settings.h"
#include "firmware/instruments/flight_instruments.h"
#include "firmware/instruments/item_units.h"
#include "firmware/instruments/panel.h"
#include "firmware/instruments/panel_items.h"
#include "firmware/instruments/readouts.h"
#include "hardware/screen.h"

namespace zen {

namespace {

// Drawing needs no host: nothing here waits, saves or reads the clock.
class DrawingOnlyHost : public Host {
 public:
  void yieldToHost(YieldKind) override {}
  void setAlarmLed(bool) override {}
  std::filesystem::path programFolder() const override { return {}; }
  std::optional<std::string> replaceFile(const std::filesystem::path&,
                                         std::span<const std::uint8_t>) override {
    return "not a program";
  }
  void reportFileError(const std::filesystem::path&, const std::string&) override {}
  LocalTime localTime() const override { return {}; }
};

// What an item does to the screen, pixel by pixel.
struct ItemMarks {
  using Pixels = std::bitset<ScreenWidth * ScreenHeight>;
  int item = 0;
  Pixels textInk, textWritten;  // written: set or cleared, so covering what stood there
  Pixels graphicsInk, graphicsWritten;

  // Marks on the same pixel, or one clearing the other's on its layer. Text
  // cleared under graphics hides nothing: graphics show over text.
  bool collidesWith(const ItemMarks& other) const {
    auto oneWay = [](const ItemMarks& a, const ItemMarks& b) {
      return (a.graphicsWritten & b.graphicsInk).any() || (a.graphicsInk & b.textInk).any() ||
             (a.textWritten & b.textInk).any();
    };
    return oneWay(*this, other) || oneWay(other, *this);
  }
};

// What the items show: the instrument's values and the blink phase.
struct Sample {
  AirDataState air;
  EngineData engine;
  AttitudeState attitude;
  Timekeeping time;
  std::uint8_t secondPhase = 0;

  void applyTo(Instrument& z) const {
    z.air = air;
    z.engine = engine;
    z.attitude = attitude;
    z.time = time;
    z.tick.secondPhase = secondPhase;
  }
};

// The values along their ranges, `step` of SweepSteps from one end to the
// other: the sensors' inputs run through the frame computation (its filters
// carry on from the step before), the counters, rates and angles set. The
// ends give the widest texts, the longest bars, the chevrons stacked down and
// up; the steps between turn the hands and needles. Without the sensor the
// attitude shows its notice.
constexpr int SweepSteps = 90;

Sample sampleAt(Instrument& z, int step, bool sensorOn) {
  const int from = 2 * step - SweepSteps;  // -SweepSteps..SweepSteps
  auto along = [step](long long top) { return static_cast<std::uint16_t>(top * step / SweepSteps); };
  auto signedAlong = [from](int top) { return top * from / SweepSteps; };
  const bool high = 2 * step > SweepSteps;
  const std::uint16_t sender = along(*std::ranges::max_element(EngineBarMaximum));
  z.sim.pressureBars.fill(along(PressureBarMaximum));
  EngineData& e = z.engine;
  e.engineUnitAlive = 1;
  e.gLoad = along(0xFFFF);
  e.thermocouples.fill(sender);
  e.engineInputs.fill(sender);
  // The shortest pulse period, for the fastest speeds the computation gives.
  e.engineSpeedValue = e.rotorPeriod = e.rotorPulses = 1;
  e.headTemperature1 = e.headTemperature2 = e.coolantTemperature = e.oilTemperature = sender;
  e.oilPressure = e.fuelPressureInput = e.fuelLevel2Input = e.manifoldInput = e.fuelFlow = sender;
  e.headTemperatureCopy = {sender, 0};  // the ice probe at 0 C warns
  e.fuelRemainingUnits = tankContents(z.settings.tank1Calibration, sender);
  constexpr int SettlingFrames = 50;
  for (int frame = 0; frame < SettlingFrames; ++frame) updateInstruments(z);

  // Speeds go with the pulse rate, not the period: along from none to the fastest.
  AirDataState& a = z.air;
  a.engineRpm = along(a.engineRpm);
  a.rotorRpm = along(a.rotorRpm);
  // The simulated instrument has no temperature or voltage input of its own to turn.
  a.ambientTemperature = ambientTemperatureOf(sender, z.settings.temperatureOffset);
  a.supplyVoltage = supplyVoltageOf(sender);
  // Descending, then climbing, in steps finer than the needle's up to the
  // fastest rate shown, and beyond it at the ends.
  constexpr int FastestRate = std::numeric_limits<std::int16_t>::max();
  const int rateStep = std::abs(from);
  a.verticalSpeed =
      rateStep == SweepSteps ? FastestRate : rateStep * VerticalSpeedShownLimit / (SweepSteps - 1);
  a.climbing = high;
  updateGlideRatio(a);

  AttitudeState& at = z.attitude;
  at.attitudeSensorOn = at.attitudeAlive = at.attitudeFresh = sensorOn;
  at.pitch = signedAlong(90);  // degrees, and bank all round
  at.bank = signedAlong(179);
  at.turnRate = at.slipValue = signedAlong(FastestRate);
  at.heading = along(359);

  Timekeeping& t = z.time;
  t.qnh.qnhX8 = QnhLowest + along(QnhHighest - QnhLowest);
  t.qnh.inFlight = 1;
  const std::uint8_t most = static_cast<std::uint8_t>(along(99)),
                     lastMinute = static_cast<std::uint8_t>(along(59));
  t.flight.hours = t.engineHours.hundreds = t.engineHours.hours = t.tripHours = most;
  t.flight.minutes = t.engineHours.minutes = t.tripMinutes = t.tripSeconds = lastMinute;
  t.engineHours.serviceHours = static_cast<std::uint8_t>(along(255));
  t.trip.flightTotal = static_cast<std::uint32_t>(0xFFFFFFFFull * step / SweepSteps);
  t.clock.hour = static_cast<std::uint8_t>(along(23));
  t.clock.minute = lastMinute;
  // Both blink phases at the ends, alternating in between.
  return {z.air, z.engine, z.attitude, z.time, static_cast<std::uint8_t>(step & 1)};
}

std::vector<Sample> sweep(Instrument& z) {
  std::vector<Sample> samples{sampleAt(z, 0, false)};
  for (int step = 0; step <= SweepSteps; ++step) samples.push_back(sampleAt(z, step, true));
  Sample last = samples.back();
  last.secondPhase ^= 1;
  samples.push_back(last);
  samples[0].secondPhase ^= 1;
  return samples;
}

// The item's static parts as the page redraw draws them, then a frame.
void drawItem(Instrument& z, int item, bool setup) {
  if (item > LastInstrumentItem) {
    if (setup) drawLabel(z, item);
    return;
  }
  const ItemUnit& unit = ItemUnits[item];
  if (setup && unit.setup && loadItemLocation(z, item)) unit.setup(z);
  if (item == QnhReadoutItem) drawQnhReadout(z);
  if (unit.frame) unit.frame(z);
}

// Draws the item alone through the samples, collecting the pixels left inked
// after each; a second run on layers all ink collects the pixels the drawing
// clears.
void markItem(Instrument& w, int item, const std::vector<Sample>& samples, ItemMarks& marks) {
  Screen& s = w.screen;
  for (const bool filled : {false, true}) {
    s.clearScreen();
    if (filled)
      for (int y = 0; y < ScreenHeight; ++y)
        for (int x = 0; x < ScreenWidth; ++x) {
          s.setTextPixel(x, y, TextPixel::Black);
          s.setGraphicsPixel(x, y, GraphicsPixel::Black);
        }
    s.takeDirty();
    if (item <= LastInstrumentItem && ItemUnits[item].invalidateCache) ItemUnits[item].invalidateCache(w);
    bool setup = true;
    for (const Sample& sample : samples) {
      sample.applyTo(w);
      s.bigText = 0;
      s.lineWidth = 1;
      s.drawColour = 1;
      drawItem(w, item, setup);
      const DirtyRect drawn = s.takeDirty();
      for (int y = drawn.top; y <= drawn.bottom; ++y)
        for (int x = drawn.left; x <= drawn.right; ++x) {
          const std::size_t at = static_cast<std::size_t>(y * ScreenWidth + x);
          const bool textInk = s.textPixel(x, y) == TextPixel::Black;
          const bool graphicsInk = s.graphicsPixel(x, y) != GraphicsPixel::White;
          if (filled) {
            if (!textInk) marks.textWritten.set(at);
            if (!graphicsInk) marks.graphicsWritten.set(at);
          } else {
            if (textInk) marks.textInk.set(at);
            if (graphicsInk) marks.graphicsInk.set(at);
          }
        }
      setup = false;
    }
  }
  marks.textWritten |= marks.textInk;
  marks.graphicsWritten |= marks.graphicsInk;
}

std::vector<ItemMarks> pageItemMarks(const Instrument& z, int page) {
  DrawingOnlyHost host;
  const auto scratch = std::make_unique<Instrument>(host);
  Instrument& w = *scratch;
  w.settings = z.settings;
  // Every alarm on, so values that blink for one are drawn blinking.
  w.settings.alarmEnables = static_cast<decltype(w.settings.alarmEnables)>(~0u);
  w.main.activePage = static_cast<std::uint8_t>(page);
  recomputeDerivedSettings(w);
  const std::vector<Sample> samples = sweep(w);
  std::vector<ItemMarks> marks;
  for (int item = 0; item < PanelItemCount; ++item) {
    if (!itemVisibleOn(w, item, page)) continue;
    marks.emplace_back().item = item;
    markItem(w, item, samples, marks.back());
  }
  return marks;
}

}  // namespace

std::vector<ItemBox> pageItemBoxes(Instrument& z, int page) {
  const std::uint8_t shownPage = z.main.activePage;
  const std::uint8_t width = z.panel.itemWidth;
  const std::uint16_t height = z.panel.itemHeight;
  // Sizes follow the style of the active page.
  z.main.activePage = static_cast<std::uint8_t>(page);
  std::vector<ItemBox> boxes;
  for (int item = 0; item < PanelItemCount; ++item) {
    if (!itemVisibleOn(z, item, page)) continue;
    measureItem(z, item);
    const ItemLocation& place = itemLocationOn(z, item, page);
    boxes.push_back({item, place.column * 8, place.row, z.panel.itemWidth, z.panel.itemHeight});
  }
  z.main.activePage = shownPage;
  z.panel.itemWidth = width;
  z.panel.itemHeight = height;
  return boxes;
}

std::vector<Overlap> pageOverlaps(const Instrument& z, int page) {
  const std::vector<ItemMarks> marks = pageItemMarks(z, page);
  auto carries = [](int item, int other) { return std::ranges::count(itemsPlacedWith(item), other) != 0; };
  std::vector<Overlap> overlaps;
  for (std::size_t i = 0; i < marks.size(); ++i)
    for (std::size_t j = i + 1; j < marks.size(); ++j) {
      const int first = marks[i].item, second = marks[j].item;
      if (carries(first, second) || carries(second, first)) continue;
      if (marks[i].collidesWith(marks[j])) overlaps.push_back({first, second});
    }
  return overlaps;
}

std::string overlapLine(Instrument& z, int page, const Overlap& overlap) {
  auto named = [&](int item) {
    const ItemLocation& place = itemLocationOn(z, item, page);
    return std::string(itemName(item)) + " at (" + std::to_string(place.column * 8) + ", " +
           std::to_string(place.row) + ")";
  };
  return "Page " + std::to_string(page + 1) + ": " + named(overlap.first) + " and " + named(overlap.second);
}

std::vector<std::string> overlapReport(Instrument& z) {
  std::vector<std::string> lines;
  for (int page = 0; page < 2; ++page)
    for (const Overlap& overlap : pageOverlaps(z, page)) lines.push_back(overlapLine(z, page, overlap));
  return lines;
}

}  // namespace zen
