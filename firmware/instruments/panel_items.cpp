#include "firmware/instruments/panel_items.h"

#include "firmware/core/instrument.h"

namespace zen {

namespace {

using enum ItemKind;

constexpr PanelItemInfo unused{"Unused entry", Spare, 0, 0};

constexpr LabelText label(std::string_view text) {
  LabelText slot;
  slot.length = static_cast<std::uint8_t>(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) slot.chars[i] = text[i];
  return slot;
}

}  // namespace

// Readouts and labels carry their height rule in the kind; their height here is the single-height one.
const std::array<PanelItemInfo, PanelItemCount> PanelItems{{
    {"Altitude indicator", AirDataIndicator, 92, 122},        // 0
    {"Air Speed indicator", AirDataIndicator, 50, 122},       // 1
    {"Vertical speed indicator", AirDataIndicator, 56, 120},  // 2
    {"EGT gauge", EgtGauge, 79, 20},                          // 3
    {"CHT gauge", ChtGauge, 79, 20},                          // 4
    {"RPM gauge", RevCounter, 60, 73},                        // 5
    {"Fuel Flow gauge", FixedSize, 62, 28},                   // 6
    {"Tank 1 level gauge", FixedSize, 62, 28},                // 7
    {"Tank 2 level gauge", FixedSize, 62, 28},                // 8
    {"Coolant temperature gauge", FixedSize, 63, 28},         // 9
    {"Oil temperature gauge", FixedSize, 63, 28},             // 10
    {"Oil pressure gauge", FixedSize, 63, 28},                // 11
    {"Manifold pressure gauge", FixedSize, 63, 28},           // 12
    {"Fuel pressure gauge", FixedSize, 63, 28},               // 13
    {"VSpeed indicator", FixedSize, 23, 122},                 // 14
    {"Attitude indicator", FixedSize, 80, 56},                // 15
    {"Rate of turn indicator", TurnOrSlipBar, 78, 8},         // 16
    {"Slip indicator", TurnOrSlipBar, 78, 8},                 // 17
    {"Compass/heading", Heading, 32, 16},                     // 18
    {"Density altimeter", Readout, 48, 8},                    // 19
    {"Ambient air pressure", Readout, 48, 8},                 // 20
    {"Current time", Readout, 40, 8},                         // 21
    {"Flight time", Readout, 40, 8},                          // 22
    {"Glide/climb ratio", Readout, 48, 8},                    // 23
    {"Ambient temperature", Readout, 40, 8},                  // 24
    {"Air distance", Readout, 32, 8},                         // 25
    {"Voltage", Readout, 40, 8},                              // 26
    {"Maintenance timer", Readout, 32, 8},                    // 27
    {"Hobbs meter", Readout, 56, 8},                          // 28
    {"Fuel range", Readout, 40, 8},                           // 29
    {"Fuel endurance", Readout, 40, 8},                       // 30
    {"Local pressure (QNH)", Readout, 40, 8},                 // 31
    {"True airspeed (TAS)", Readout, 24, 8},                  // 32
    {"Stopwatch", Readout, 40, 8},                            // 33
    {"Altimeter label", Legend, 36, 8},                       // 34
    {"ASI label", Legend, 30, 8},                             // 35
    {"VSI label", Legend, 18, 8},                             // 36
    {"G-Force", Readout, 24, 8},                              // 37
    {"ICE warn", Readout, 64, 8},                             // 38
    unused,                                                   // 39
    unused,                                                   // 40
    unused,                                                   // 41
    unused,                                                   // 42
    unused,                                                   // 43
    unused,                                                   // 44
    unused,                                                   // 45
    unused,                                                   // 46
    unused,                                                   // 47
    unused,                                                   // 48
    {"Density alt label", Label, 0, 8},                       // 49
    {"Air pressure label", Label, 0, 8},                      // 50
    {"Time label", Label, 0, 8},                              // 51
    {"Flight time label", Label, 0, 8},                       // 52
    {"G/C rate label", Label, 0, 8},                          // 53
    {"Ambient temp label", Label, 0, 8},                      // 54
    {"Air distance label", Label, 0, 8},                      // 55
    {"Voltage label", Label, 0, 8},                           // 56
    {"Stopwatch label", Label, 0, 8},                         // 57
    {"Maintenance label", Label, 0, 8},                       // 58
    {"Hobbs label", Label, 0, 8},                             // 59
    {"Fuel range label", Label, 0, 8},                        // 60
    {"Fuel endurance label", Label, 0, 8},                    // 61
    {"Altimeter label", Label, 0, 8},                         // 62
    {"ASI label", Label, 0, 8},                               // 63
    {"TAS label", Label, 0, 8},                               // 64
    {"QNH label", Label, 0, 8},                               // 65
    {"VSI label", Label, 0, 8},                               // 66
    {"GForce label", Label, 0, 8},                            // 67
    {"ICE label", Label, 0, 8},                               // 68
    unused,                                                   // 69
    unused,                                                   // 70
    unused,                                                   // 71
    unused,                                                   // 72
    unused,                                                   // 73
    unused,                                                   // 74
    unused,                                                   // 75
    unused,                                                   // 76
    unused,                                                   // 77
    unused,                                                   // 78
}};

const std::array<LabelText, LabelSlotCount> LabelTexts{{
    label("DALT"),    // 49
    label("BARO"),    // 50
    label("TIME"),    // 51
    label("FLIGHT"),  // 52
    label("GCR"),     // 53
    label("TEMP"),    // 54
    label("TRIP"),    // 55
    label("VOLT"),    // 56
    label("STW"),     // 57
    label("MAINT"),   // 58
    label("HOBBS"),   // 59
    label("RANGE"),   // 60
    label("BINGO"),   // 61
    label("ALT"),     // 62
    label("ASI"),     // 63
    label("TAS"),     // 64
    label("QNH"),     // 65
    label("VSI"),     // 66
    label("GFORCE"),  // 67
    label("ICE"),     // 68
}};

namespace {

bool validItem(int item) { return item >= 0 && item < PanelItemCount; }

std::uint8_t visibilityBit(int page) { return page == 0 ? 0x01 : 0x10; }

// Sizes depend on the channel counts only for the bar gauges: one 8-pixel row per channel.
std::uint16_t barGaugeHeight(int channels) { return static_cast<std::uint16_t>(8 * channels + 20); }

}  // namespace

std::string_view itemName(int item) { return validItem(item) ? PanelItems[item].name : std::string_view{}; }

namespace {
constexpr std::array<std::uint8_t, 4> PlacedWithAltimeter{62, 34, 65, 31};  // "ALT", feet, "QNH", QNH
constexpr std::array<std::uint8_t, 4> PlacedWithAirspeed{63, 35, 64, 32};   // "ASI", mph, "TAS", TAS
constexpr std::array<std::uint8_t, 2> PlacedWithVerticalSpeed{66, 36};      // "VSI", fpm
}  // namespace

std::span<const std::uint8_t> itemsPlacedWith(int item) {
  switch (item) {
    case 0:
      return PlacedWithAltimeter;
    case 1:
      return PlacedWithAirspeed;
    case 2:
      return PlacedWithVerticalSpeed;
    default:
      return {};
  }
}

bool itemVisibleOn(const Instrument& z, int item, int page) {
  return validItem(item) && (z.settings.itemOptions[item] & visibilityBit(page)) != 0;
}

std::uint8_t itemStyleOn(const Instrument& z, int item, int page) {
  if (!validItem(item)) return 0;
  const std::uint8_t options = z.settings.itemOptions[item];
  return page == 0 ? (options >> 1) & 7 : (options >> 5) & 7;
}

ItemLocation& itemLocationOn(Instrument& z, int item, int page) {
  auto& table = page == 0 ? z.settings.page1Locations : z.settings.page2Locations;
  return table[validItem(item) ? item : 0];
}

bool itemVisible(const Instrument& z, int item) { return itemVisibleOn(z, item & 0x7F, z.main.activePage); }

std::uint8_t itemStyle(const Instrument& z, int item) { return itemStyleOn(z, item, z.main.activePage); }

void setItemStyle(Instrument& z, int item, std::uint8_t style) {
  if (!validItem(item)) return;
  std::uint8_t& options = z.settings.itemOptions[item];
  style &= 7;
  if (z.main.activePage == 0)
    options = static_cast<std::uint8_t>((options & ~0x0E) | (style << 1));
  else
    options = static_cast<std::uint8_t>((options & ~0xE0) | (style << 5));
}

bool loadItemLocation(Instrument& z, int item) {
  if (!itemVisible(z, item)) return false;
  const ItemLocation& place = itemLocationOn(z, item, z.main.activePage);
  z.screen.originX = static_cast<std::uint16_t>(place.column * 8);
  z.screen.originY = place.row;
  z.screen.textColumn = place.column;
  return true;
}

bool loadItemSecondLocation(Instrument& z, int item) {
  if (!itemVisible(z, item)) return false;
  const ItemLocation& place = itemLocationOn(z, item, z.main.activePage);
  z.panel.secondOriginX = static_cast<std::uint16_t>(place.column * 8);
  z.panel.secondOriginY = place.row;
  return true;
}

void measureItem(Instrument& z, int item) {
  std::uint8_t width = 0;
  std::uint16_t height = 0;
  if (validItem(item)) {
    const PanelItemInfo& info = PanelItems[item];
    const std::uint8_t style = itemStyle(z, item);
    const bool styleBit0 = (style & 1) != 0;
    width = info.width;
    height = info.height;
    switch (info.kind) {
      case AirDataIndicator:
        if ((style & 3) == 2) {
          height = 24;
        } else if ((style & 3) == 3) {
          width = 92;
          height = 112;
        }
        break;
      case EgtGauge:
        if (!styleBit0) height = barGaugeHeight(z.settings.egtCount());
        break;
      case ChtGauge:
        // 13 and above is the two-probe liquid-cooled head arrangement.
        if (!styleBit0) height = z.settings.chtCount < 13 ? barGaugeHeight(z.settings.chtCount) : 36;
        break;
      case RevCounter:
        if ((style & 3) == 1) {
          height = 28;
        } else if ((style & 3) >= 2) {
          width = 102;
          height = 122;
        }
        break;
      case TurnOrSlipBar:
        if (styleBit0) height = 16;
        break;
      case Heading:
        if (styleBit0) width = height = 56;
        break;
      case Readout:
        if (styleBit0) height = 16;
        break;
      case Label:
        width = static_cast<std::uint8_t>(6 * LabelTexts[item - FirstLabelItem].length + (styleBit0 ? 4 : 0));
        break;
      case FixedSize:
      case Legend:
      case Spare:
        break;
    }
  }
  z.panel.itemWidth = width;
  z.panel.itemHeight = height;
}

void registerFrameRoutine(Instrument& z, FrameRoutine routine) {
  PanelState& p = z.panel;
  if (p.frameRoutineCount < p.frameRoutines.size()) p.frameRoutines[p.frameRoutineCount++] = routine;
}

void registerIfVisible(Instrument& z, int item, FrameRoutine routine) {
  if (itemVisible(z, item)) registerFrameRoutine(z, routine);
}

}  // namespace zen
