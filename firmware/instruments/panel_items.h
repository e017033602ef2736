// The 79 panel items: names, kinds and size rules, and the per-page access to
// the three panel tables (itemOptions, page1Locations, page2Locations).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "firmware/core/settings.h"
#include "firmware/instruments/panel_state.h"

namespace zen {

struct Instrument;

inline constexpr int FirstLabelItem = 49;
inline constexpr int LabelSlotCount = 30;  // items 49..78; 69..78 are spares
inline constexpr int LastInstrumentItem = 38;

enum class ItemKind : std::uint8_t {
  AirDataIndicator,  // tape, box or dial by style
  EgtGauge,
  ChtGauge,
  RevCounter,
  FixedSize,
  TurnOrSlipBar,  // double height with style bit 0
  Heading,
  Readout,  // height 8, or 16 with style bit 0
  Legend,
  Label,
  Spare,
};

struct PanelItemInfo {
  std::string_view name;  // as stored, shown in design mode and the designer
  ItemKind kind;
  std::uint8_t width;  // base size; the kind's rule adjusts it by style
  std::uint16_t height;
};

extern const std::array<PanelItemInfo, PanelItemCount> PanelItems;

// A length byte and up to 6 characters in a 7-byte slot.
struct LabelText {
  std::uint8_t length = 0;
  std::array<char, 6> chars{};
  std::string_view text() const { return {chars.data(), length}; }
};
static_assert(sizeof(LabelText) == 7);

// Indexed by item - 49; the spare slots 20..29 are empty.
extern const std::array<LabelText, LabelSlotCount> LabelTexts;

std::string_view itemName(int item);

// The items that the dial arrangement places with an air data indicator: its
// label, its unit legend, and the readout in its face with that readout's
// label. They are items of their own, so a style change of the indicator
// leaves them where they are. Empty for every other item.
std::span<const std::uint8_t> itemsPlacedWith(int item);

// Per page access; page 0 is page 1. Indices outside 0..78 read as hidden.
bool itemVisibleOn(const Instrument& z, int item, int page);
std::uint8_t itemStyleOn(const Instrument& z, int item, int page);
ItemLocation& itemLocationOn(Instrument& z, int item, int page);

// The same for activePage. Visibility takes the index modulo 128.
bool itemVisible(const Instrument& z, int item);
std::uint8_t itemStyle(const Instrument& z, int item);
void setItemStyle(Instrument& z, int item, std::uint8_t style);

// Sets the drawing origin and textColumn to the item's place on activePage;
// false, changing nothing, when the item is hidden there.
bool loadItemLocation(Instrument& z, int item);
// Keeps the origin and puts the item's place into the second origin.
bool loadItemSecondLocation(Instrument& z, int item);

// Size of the item in its activePage style, into itemWidth and itemHeight.
// Spare entries measure 0 x 0.
void measureItem(Instrument& z, int item);

void registerFrameRoutine(Instrument& z, FrameRoutine routine);
void registerIfVisible(Instrument& z, int item, FrameRoutine routine);

}  // namespace zen
