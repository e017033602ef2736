#include "firmware/menus/technical_menu.h"

#include <array>
#include <string_view>

#include "firmware/core/background.h"
#include "firmware/core/clock_records.h"
#include "firmware/core/engine_decode.h"
#include "firmware/core/flight_log.h"
#include "firmware/core/instrument.h"
#include "firmware/core/keys.h"
#include "firmware/core/option_bits.h"
#include "firmware/core/settings_store.h"
#include "firmware/instruments/display_format.h"
#include "firmware/menus/menu_engine.h"
#include "firmware/menus/value_entries.h"

namespace zen {

namespace {

// ------------------------------------------------------------- raw unit data

// The unit's values as it sent them: a slot keeps its fields after the frame is taken.
std::uint16_t rpmCount(const EngineFrames& f) { return f.type3.field(0); }

std::uint16_t thermocouple(const EngineFrames& f, int n) {  // TC1..TC12 as n = 0..11
  if (n < 4) return f.type2.field(n);
  if (n < 8) return f.type4.field(n - 4);
  return f.type5.field(n - 8);
}

std::uint16_t flowCount(const Instrument& z) {
  const FrameSlot<5>& f = z.engine.frames.type1;
  return z.settings.testOption(option::FlowTurbine) ? f.field(0) : f.field(1);
}

// Words 8 and 9 of the sensor frame.
std::uint16_t internalTemperature(const EngineFrames& f) { return f.type2.field(8); }
std::uint16_t supplyVoltage(const EngineFrames& f) { return f.type2.field(9); }

struct SenderChannel {
  std::string_view label;
  std::uint16_t (*raw)(const EngineFrames&);
};
constexpr SenderChannel SenderChannels[] = {
    {"CHT1/H2O =", [](const EngineFrames& f) { return f.type2.field(5); }},
    {"CHT2/ICE =", [](const EngineFrames& f) { return f.type2.field(10); }},
    {"OILT     =", [](const EngineFrames& f) { return f.type2.field(4); }},
    {"OILP     =", [](const EngineFrames& f) { return f.type2.field(6); }},
    {"FLEVEL1  =", [](const EngineFrames& f) { return f.type2.field(7); }},
    {"FLEVEL2  =", [](const EngineFrames& f) { return f.type5.field(4); }},
};
constexpr std::uint16_t ShortedBelow = 4;    // this or less: the input sits at 0 V
constexpr std::uint16_t OpenAbove = 4000;    // above: the input floats to 5 V
constexpr std::size_t SenderTextWidth = 30;  // after the 10-character label

// The reading, its voltage and what the wiring looks like. The 12-bit
// reading takes four places so that the line stays within 40 columns.
ShortText senderText(std::uint16_t raw) {
  ShortText text = rightJustified(raw, 4);
  text.push(' ');
  ShortText volts = decimalText(raw * 16u / 131, 3);  // hundredths of a volt
  insertPoint(volts, 2);
  text.append(volts);
  text.push('V');
  if (raw <= ShortedBelow)
    text.append(" Short to ground ?");
  else if (raw > OpenAbove)
    text.append(" Nothing connected ?");
  while (text.size() < SenderTextWidth) text.push(' ');  // erases a longer diagnosis
  return text;
}

void drawUnitData(Instrument& z) {
  Screen& s = z.screen;
  const EngineFrames& f = z.engine.frames;
  s.drawTextAt(0, 0, "Tarvik unit raw data display");
  ShortText rpm("RPM      =");
  rpm.append(rightJustified(rpmCount(f), 5));
  s.drawTextAt(0, 2, rpm);
  for (int n = 0; n < 12; ++n) {
    ShortText tc("TC");
    tc.append(decimalText(static_cast<std::uint32_t>(n + 1)));
    tc.append("      =");
    tc.append(rightJustified(thermocouple(f, n), 4));
    s.drawTextAt(n < 6 ? 0 : 20, static_cast<std::uint8_t>(3 + n % 6), tc);
  }
  for (std::size_t i = 0; i < std::size(SenderChannels); ++i) {
    ShortText line(SenderChannels[i].label);
    line.append(senderText(SenderChannels[i].raw(f)));
    s.drawTextAt(0, static_cast<std::uint8_t>(11 + i), line);
  }
  ShortText flow("FLOW     =");
  flow.append(rightJustified(flowCount(z), 5));
  s.drawTextAt(0, 17, flow);
}

// ------------------------------------------------------------- ADC and Tarvik monitor

constexpr int AdcChannelCount = 8;
constexpr int AdcChannelsPerRow = 4;

int internalCelsius(const EngineFrames& f) { return internalTemperature(f) * 10 / 82 - 150; }

void drawAdcDisplay(Instrument& z) {
  Screen& s = z.screen;
  s.drawTextAt(0, 0, "ADC data channel 1 to 8");
  for (int row = 0; row < AdcChannelCount / AdcChannelsPerRow; ++row) {
    ShortText line;
    for (int c = AdcChannelsPerRow * row; c < AdcChannelsPerRow * (row + 1); ++c) {
      readAdc(z, c);
      line.append(hexText(z.adc.adcResult, 4));
      line.append("H ");
    }
    s.drawTextAt(0, static_cast<std::uint8_t>(2 + row), line);
  }
  const EngineFrames& f = z.engine.frames;
  const int celsius = internalCelsius(f);
  ShortText temperature("Tarvik Internal temp ");
  appendTemperature(z, temperature, celsius);
  temperature.append("   ");
  s.drawTextAt(0, 4, temperature);
  ShortText egt("EGT 1 ");
  egt.append(decimalText(thermocouple(f, 0)));
  egt.append("   ");
  s.drawTextAt(0, 5, egt);
  ShortText apply("Apply 24.9 mV for ");
  apply.append(signedDecimalText(celsius + 477));
  apply.append(" deg C   ");
  s.drawTextAt(0, 6, apply);
}

template <std::size_t N>
ShortText hexBytes(std::string_view prefix, const std::array<std::uint8_t, N>& bytes, std::size_t count) {
  ShortText text(prefix);
  for (std::size_t i = 0; i < count && i < N; ++i) text.append(hexText(bytes[i], 2));
  return text;
}

// One "label value" piece of a monitor line, the value as four hex digits.
void appendHexWord(ShortText& text, std::string_view label, std::uint16_t value) {
  text.append(label);
  text.append(hexText(value, 4));
}

void drawTarvikMonitor(Instrument& z) {
  Screen& s = z.screen;
  const EngineFrames& f = z.engine.frames;
  s.drawTextAt(0, 0, "Tarvik data");
  ShortText revs;
  appendHexWord(revs, "Revs ", rpmCount(f));
  revs.append(" EGT");
  for (int n = 0; n < 4; ++n) appendHexWord(revs, " ", thermocouple(f, n));
  s.drawTextAt(0, 1, revs);
  ShortText oil;
  appendHexWord(oil, "OILT ", f.type2.field(4));
  appendHexWord(oil, " WT ", f.type2.field(5));
  appendHexWord(oil, " OILP ", f.type2.field(6));
  appendHexWord(oil, " FL ", f.type2.field(7));
  s.drawTextAt(0, 2, oil);
  ShortText volt;
  appendHexWord(volt, "Volt ", supplyVoltage(f));
  appendHexWord(volt, " IT ", internalTemperature(f));
  appendHexWord(volt, " W2 ", f.type2.field(10));
  s.drawTextAt(0, 3, volt);
  ShortText alive("SB ");
  alive.append(hexText(z.engine.engineUnitAlive, 2));
  s.drawTextAt(0, 4, alive);
  s.drawTextAt(0, 5, hexBytes("", z.engine.linkReceiveBlock, 20));
  s.drawTextAt(0, 6, hexBytes("FF ", f.type1.bytes, 7));
  s.drawTextAt(0, 7, hexBytes("RV ", f.type3.bytes, 5));
  s.drawTextAt(0, 8, hexBytes("E ", f.type5.bytes, 15));
}

// Redraws every half second until a key, which it leaves for the caller.
void showLive(Instrument& z, void (*draw)(Instrument&)) {
  Screen& s = z.screen;
  s.clearScreen();
  s.bigText = 0;
  do {
    draw(z);
  } while (waitKeyOrHalfSecond(z) == key::None);
}

// ------------------------------------------------------------- factory clear

// The settings items end at 572; the first whole slot after them starts here.
constexpr std::size_t FirstClearedSlot =
    (imageLength + flight_log::SlotSize - 1) / flight_log::SlotSize * flight_log::SlotSize;
static_assert(FirstClearedSlot == 576 && FirstClearedSlot < flight_log::FirstSlot);

bool confirmFactoryClear(Instrument& z) {
  const ScreenLine question[] = {
      {13, 2, "Factory clear"},
      {2, 8, "Clears the flight log, the Hobbs and"},
      {2, 10, "maintenance hours, the fuel counters"},
      {2, 12, "and the current flight."},
      {10, 18, "Proceed ? +=YES -=NO"},
  };
  const bool yes = askYesNo(z, question);
  z.screen.bigText = 0;
  return yes;
}

// The flight log and the slots before it are marked free (one write of the
// image); the fuel counters, engine hours and the current flight start anew.
void factoryClear(Instrument& z) {
  const std::uint8_t free = flight_log::FreeMarker;
  for (std::size_t address = FirstClearedSlot; address < SettingsImage::Size; address += flight_log::SlotSize)
    z.e2.write(address, {&free, 1});
  writeSettingsFile(z);

  Timekeeping& t = z.time;
  t.trip.fuelRemaining = 0;
  t.trip.fuelUsed = 0;
  t.trip.flightTotal = 0;
  refreshFuelTotaliser(z);
  saveTripRecord(z);

  t.engineSeconds = 0;
  EngineHoursRecord& h = t.engineHours;
  h.minutes = h.hours = h.hundreds = 0;
  h.serviceMinutes = h.serviceHours = 0;
  t.engineHoursDirty = 1;

  resetFlightRecord(z);
  t.qnh.inFlight = 0;
  saveQnhBlock(z);
  saveFlightRecordCopies(z);
}

// ------------------------------------------------------------- technical menu

struct TechnicalItem {
  std::string_view label;
  void (*run)(Instrument&);
};
constexpr TechnicalItem TechnicalItems[] = {
    {"Goto ADC display", [](Instrument& z) { showLive(z, drawAdcDisplay); }},
    {"Goto Tarvik monitor", [](Instrument& z) { showLive(z, drawTarvikMonitor); }},
    {"Factory clear",
     [](Instrument& z) {
       if (confirmFactoryClear(z)) factoryClear(z);
     }},
};
constexpr int TechnicalItemCount = static_cast<int>(std::size(TechnicalItems));
constexpr std::uint8_t TechnicalBracketWidth = 38;

void drawTechnicalMenu(Instrument& z, int selected) {
  Screen& s = z.screen;
  s.clearScreen();
  s.drawTextAt(13, 0, "Technical menu");
  for (int i = 0; i < TechnicalItemCount; ++i)
    s.drawTextAt(1, static_cast<std::uint8_t>(2 + i), TechnicalItems[i].label);
  s.drawBracket(static_cast<std::uint8_t>(2 + selected), 0, TechnicalBracketWidth);
}

}  // namespace

void probeTroubleShooter(Instrument& z) {
  Screen& s = z.screen;
  z.main.pageVisible = 0;
  s.bigText = 0;
  s.clearScreen();
  int shown = -1;  // data present when last drawn
  do {
    const int present = z.engine.engineUnitAlive != 0;
    if (present != shown) s.clearScreen();
    shown = present;
    if (present)
      drawUnitData(z);
    else
      s.drawTextAt(0, 5, "No data received from Tarvik");
  } while (waitKeyOrHalfSecond(z) == key::None);
}

void technicalMenu(Instrument& z) {
  Screen& s = z.screen;
  z.tick.halfSecondCount = 0;
  z.main.pageVisible = 0;
  s.bigText = 0;
  int selected = 0;
  for (;;) {
    drawTechnicalMenu(z, selected);
    const std::uint8_t key = waitKey(z);
    if (key == key::None || key == key::Menu) return;
    if (key == key::Next) selected = (selected + 1) % TechnicalItemCount;
    if (key == key::Prev) selected = (selected + TechnicalItemCount - 1) % TechnicalItemCount;
    if (key == key::Select) {
      TechnicalItems[selected].run(z);
      z.tick.halfSecondCount = 0;
    }
  }
}

}  // namespace zen
