// The menu engine: constant menu tables driven by one routine, the editing
// helpers every value entry uses, and the one wait loop that every menu,
// dialog and setup screen runs while it waits for a key.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "firmware/core/instrument.h"
#include "firmware/core/keys.h"
#include "hardware/short_text.h"

namespace zen {

// Half-seconds without a key after which a menu or dialog gives up (about 100 s);
// the time-out then unwinds every open level back to the panel.
inline constexpr std::uint8_t MenuIdleLimit = 200;
inline constexpr int MenuVisibleLines = 12;
inline constexpr int MenuFirstRow = 4;  // rows 0..3 hold the title

using MenuAction = void (*)(Instrument&);
// Writes the entry's current value; an empty value is not drawn.
using ShowAction = void (*)(Instrument&, ShortText& value);

void startEditing(Instrument& z);  // the standard select action: "+" and "-" now edit
void directMarker(Instrument& z);  // never run; see Direct
// Select slot values besides a plain action or none.
inline constexpr MenuAction Edit = &startEditing;
inline constexpr MenuAction Direct = &directMarker;  // "+" and "-" act without edit mode

struct MenuEntry {
  std::string_view label;  // value labels are blank-filled to 25 characters
  ShowAction show = nullptr;
  MenuAction select = nullptr;  // an action, Edit, Direct or none
  MenuAction increase = nullptr;
  MenuAction decrease = nullptr;
};

// ValuesRight: labels at column 0 and each value ending at the last column (the enable lists).
enum class MenuLayout { Plain, Centred, ValuesRight };

struct Menu {
  std::string_view title;
  std::span<const MenuEntry> entries;  // 1 to 255
  MenuLayout layout = MenuLayout::Plain;
};

// Shows the menu until Menu is pressed, the idle time-out passes or
// closeMenus is set. A Menu key stays in keyCode so the parent redraws; a
// time-out leaves none, so the parent times out too.
void runMenu(Instrument& z, const Menu& menu);

// --- waits ---

struct MenuTurn {
  std::uint8_t key = 0;     // z.main.keyCode of this turn
  bool halfSecond = false;  // the half-second work ran in this turn
};
// One turn of every menu and dialog loop: the background pass (host time,
// sensors, timers, keys) and, each half second, the frame computation.
MenuTurn menuTurn(Instrument& z);
// Waits for a key; returns it (also left in keyCode), or 0 once more than
// idleLimit half-seconds have passed without one. refresh() runs after each
// half-second's work (a screen that shows live values).
template <typename Refresh>
std::uint8_t waitKey(Instrument& z, std::uint8_t idleLimit, Refresh&& refresh) {
  z.tick.halfSecondCount = 0;
  for (;;) {
    const MenuTurn turn = menuTurn(z);
    if (turn.key != key::None) {
      z.tick.halfSecondCount = 0;
      return turn.key;
    }
    if (turn.halfSecond) refresh();
    if (z.tick.halfSecondCount > idleLimit) return key::None;
  }
}
std::uint8_t waitKey(Instrument& z, std::uint8_t idleLimit = MenuIdleLimit);
// An idle limit halfSecondCount never passes: the wait lasts until a key.
inline constexpr std::uint8_t NoIdleLimit = 255;
// For screens that refresh live: waits for a key or the next half second's
// work; returns the key, or 0 when the half second came first.
std::uint8_t waitKeyOrHalfSecond(Instrument& z);

// --- dialogs ---

struct ScreenLine {
  ScreenLine(std::uint8_t c, std::uint8_t r, std::string_view t) : column(c), row(r), text(t) {}
  ScreenLine(std::uint8_t c, std::uint8_t r, const ShortText& t) : column(c), row(r), text(t) {}
  std::uint8_t column;
  std::uint8_t row;
  ShortText text;
};
// Clears the screen and prints the lines at double height.
void showLines(Instrument& z, std::span<const ScreenLine> lines);
// A confirmation: the question, then "+" means yes and any other key (or the time-out) no.
bool askYesNo(Instrument& z, std::span<const ScreenLine> question);
// In flight, explains that the function must wait and returns true after a key.
bool refuseInFlight(Instrument& z);
// The selection bracket around a field, drawn or erased. It lives on the
// graphics layer, so a dialog erases it before a menu redraws its text.
void markField(Instrument& z, std::uint8_t row, std::uint8_t column, std::uint8_t width, bool shown);

// --- value editing (by the current key and its repeat step) ---

int stepUp(const Instrument& z, int value, int lowest, int highest, int wrapTo);
int stepDown(const Instrument& z, int value, int lowest, int highest, int wrapTo);

enum class AtEnds { Wrap, Clamp };
// "+" or "-" (the current key) on a setting; other keys change nothing.
void editSetting(Instrument& z, std::uint8_t& setting, int lowest, int highest, AtEnds ends);
void editSetting(Instrument& z, std::uint16_t& setting, int lowest, int highest, AtEnds ends);
inline void editByte(Instrument& z, std::uint8_t& setting, int lowest, int highest) {
  editSetting(z, setting, lowest, highest, AtEnds::Wrap);
}
inline void editWord(Instrument& z, std::uint16_t& setting, int lowest, int highest) {
  editSetting(z, setting, lowest, highest, AtEnds::Wrap);
}
// By one whatever the repeat step, stopping at the ends.
int nudge(const Instrument& z, int value, int lowest, int highest);

}  // namespace zen
