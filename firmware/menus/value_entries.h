// Building blocks of the value editor menus: each kind of entry is a small
// constant description, and the menu table names the show, select, increase
// and decrease actions made from it.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "firmware/core/instrument.h"
#include "firmware/instruments/display_format.h"
#include "firmware/menus/menu_engine.h"

namespace zen {

// Values in the units the pilot chose, each followed by its unit symbol.
void appendTemperature(const Instrument& z, ShortText& text, int celsius, std::size_t width = 0);
void appendSpeed(const Instrument& z, ShortText& text, std::uint32_t mph);
void appendAltitude(const Instrument& z, ShortText& text, std::uint32_t feet);
void appendFuelQuantity(const Instrument& z, ShortText& text, std::uint32_t litres);
void appendPressure(const Instrument& z, ShortText& text, std::uint32_t tenthsOfBar);
// Manifold pressure in the MAP unit (settings item 55) as the gauge shows it, without a symbol.
void appendManifoldPressure(const Instrument& z, ShortText& text, std::uint32_t millibar);

// One bit of optionBits, toggled by Select.
struct OptionEntry {
  int bit;
  std::string_view set, clear;
};

template <const OptionEntry& E>
void showOption(Instrument& z, ShortText& value) {
  value.assign(z.settings.testOption(E.bit) ? E.set : E.clear);
}

template <const OptionEntry& E>
void toggleOptionEntry(Instrument& z) {
  z.settings.toggleOption(E.bit);
}

template <const OptionEntry& E>
constexpr MenuEntry optionLine(std::string_view label) {
  return {label, showOption<E>, toggleOptionEntry<E>};
}

// Three choices in two bits: the first bit set is the first choice, else the
// second bit picks one of the other two. Select inverts the second bit while
// the first is clear, then the first, so every other press returns to the
// first choice.
struct ThreeWayEntry {
  int first, second;
  std::string_view firstText, secondSet, secondClear;
};

template <const ThreeWayEntry& E>
void showThreeWay(Instrument& z, ShortText& value) {
  const Settings& s = z.settings;
  value.assign(s.testOption(E.first) ? E.firstText : s.testOption(E.second) ? E.secondSet : E.secondClear);
}

template <const ThreeWayEntry& E>
void stepThreeWay(Instrument& z) {
  if (!z.settings.testOption(E.first)) z.settings.toggleOption(E.second);
  z.settings.toggleOption(E.first);
}

// A byte setting whose Select steps first..last and back to first; texts[v - first] shows it.
struct ChoiceEntry {
  std::uint8_t Settings::*field;
  std::uint8_t first, last;
  std::span<const std::string_view> texts;
};

template <const ChoiceEntry& E>
void showChoice(Instrument& z, ShortText& value) {
  const int index = z.settings.*E.field - E.first;
  // A value from a damaged image has no text.
  value.assign(index >= 0 && index < static_cast<int>(E.texts.size())
                   ? E.texts[static_cast<std::size_t>(index)]
                   : std::string_view("?"));
}

template <const ChoiceEntry& E>
void stepChoice(Instrument& z) {
  std::uint8_t& v = z.settings.*E.field;
  v = v >= E.last || v < E.first ? E.first : static_cast<std::uint8_t>(v + 1);
}

// A byte or word setting edited with "+" and "-" by the key's repeat step.
template <typename T>
struct RangeEntry {
  T Settings::*field;
  int lowest, highest;
  AtEnds ends;
};

template <const auto& E>
void editRange(Instrument& z) {
  editSetting(z, z.settings.*E.field, E.lowest, E.highest, E.ends);
}

template <const auto& E>
constexpr MenuEntry rangeLine(std::string_view label, ShowAction show) {
  return {label, show, Edit, editRange<E>, editRange<E>};
}

// Settings shown as a plain number, or as a pressure.
template <auto Field>
void showField(Instrument& z, ShortText& value) {
  value = decimalText(z.settings.*Field);
}

template <auto Field>
void showPressureField(Instrument& z, ShortText& value) {
  appendPressure(z, value, z.settings.*Field);
}

}  // namespace zen
