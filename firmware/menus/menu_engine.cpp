#include "firmware/menus/menu_engine.h"

#include <algorithm>

#include "firmware/core/background.h"
#include "firmware/core/keys.h"
#include "firmware/core/settings_store.h"
#include "firmware/core/utilities.h"
#include "firmware/instruments/air_data.h"
#include "firmware/instruments/derived_settings.h"

namespace zen {

void startEditing(Instrument& z) { z.menus.editMode = 1; }
void directMarker(Instrument&) {}

// ------------------------------------------------------------------ waits

MenuTurn menuTurn(Instrument& z) {
  backgroundPass(z);
  MenuTurn turn;
  // The tick asks the outer loop for its half-second pass; while a menu owns
  // the screen that pass does not run, so the menu does the computation.
  if (z.tick.leaveMainLoop) {
    z.tick.leaveMainLoop = 0;
    updateInstruments(z);
    turn.halfSecond = true;
  }
  turn.key = z.main.keyCode;
  return turn;
}

std::uint8_t waitKey(Instrument& z, std::uint8_t idleLimit) {
  return waitKey(z, idleLimit, [] {});
}

std::uint8_t waitKeyOrHalfSecond(Instrument& z) {
  for (;;) {
    const MenuTurn turn = menuTurn(z);
    if (turn.key != key::None) {
      z.tick.halfSecondCount = 0;
      return turn.key;
    }
    if (turn.halfSecond) return key::None;
  }
}

// ---------------------------------------------------------------- dialogs

void showLines(Instrument& z, std::span<const ScreenLine> lines) {
  Screen& s = z.screen;
  s.clearScreen();
  s.bigText = 1;
  for (const ScreenLine& line : lines) s.drawTextAt(line.column, line.row, line.text);
}

bool askYesNo(Instrument& z, std::span<const ScreenLine> question) {
  showLines(z, question);
  return waitKey(z) == key::Plus;
}

bool refuseInFlight(Instrument& z) {
  if (!z.time.qnh.inFlight) return false;
  const ScreenLine lines[] = {{10, 3, "This function is not"}, {10, 5, "available in flight"}};
  showLines(z, lines);
  waitKey(z);
  return true;
}

void markField(Instrument& z, std::uint8_t row, std::uint8_t column, std::uint8_t width, bool shown) {
  Screen& s = z.screen;
  const std::uint8_t colour = s.drawColour;
  s.drawColour = shown ? 1 : 0;
  s.drawBracket(row, column, width);
  s.drawColour = colour;
}

// ----------------------------------------------------------------- editing

int stepUp(const Instrument& z, int value, int lowest, int highest, int wrapTo) {
  return zen::stepUp(value, lowest, highest, wrapTo, z.keys.repeatStep);
}

int stepDown(const Instrument& z, int value, int lowest, int highest, int wrapTo) {
  return zen::stepDown(value, lowest, highest, wrapTo, z.keys.repeatStep);
}

namespace {

template <typename T>
void editBy(Instrument& z, T& setting, int lowest, int highest, AtEnds ends) {
  const int v = setting;
  if (z.main.keyCode == key::Plus)
    setting = static_cast<T>(stepUp(z, v, lowest, highest, ends == AtEnds::Wrap ? lowest : highest));
  else if (z.main.keyCode == key::Minus)
    setting = static_cast<T>(stepDown(z, v, lowest, highest, ends == AtEnds::Wrap ? highest : lowest));
}

}  // namespace

void editSetting(Instrument& z, std::uint8_t& setting, int lowest, int highest, AtEnds ends) {
  editBy(z, setting, lowest, highest, ends);
}

void editSetting(Instrument& z, std::uint16_t& setting, int lowest, int highest, AtEnds ends) {
  editBy(z, setting, lowest, highest, ends);
}

int nudge(const Instrument& z, int value, int lowest, int highest) {
  if (z.main.keyCode == key::Plus) return std::min(value + 1, highest);
  if (z.main.keyCode == key::Minus) return std::max(value - 1, lowest);
  return value;
}

// -------------------------------------------------------------------- runMenu

namespace {

class MenuRun {
 public:
  MenuRun(Instrument& z, const Menu& menu)
      : z_(z),
        menu_(menu),
        count_(static_cast<int>(menu.entries.size())),
        lines_(std::min(count_, MenuVisibleLines)) {}

  void run();

 private:
  void draw();
  void drawLine(int line);
  // Acts on the key; false when the menu is left. Whatever an action changed,
  // the values computed from the settings follow at once.
  bool act(std::uint8_t code);
  void next();
  void previous();

  Instrument& z_;
  const Menu& menu_;
  const int count_;
  const int lines_;
  int top_ = 0;
  int selected_ = 0;
};

void MenuRun::draw() {
  Screen& s = z_.screen;
  z_.main.redrawRequest = 0;
  s.clearTextLayer();
  s.bigText = 1;
  s.drawTextAt(static_cast<std::uint8_t>(20 - menu_.title.size() / 2), 0, menu_.title);
  for (int line = 0; line < lines_; ++line) drawLine(line);
}

void MenuRun::drawLine(int line) {
  Screen& s = z_.screen;
  const int e = top_ + line;
  const MenuEntry& entry = menu_.entries[static_cast<std::size_t>(e)];
  const bool centred = menu_.layout == MenuLayout::Centred;
  z_.menus.drawIndex = static_cast<std::uint8_t>(e);
  if (!z_.menus.editMode) s.inverseText = e == selected_;

  ShortText value;
  if (entry.show) entry.show(z_, value);
  const int column = centred ? 19 - static_cast<int>(entry.label.size() + value.size()) / 2 : 0;
  // Centred lines carry a blank on each side, which shows in inverse video.
  ShortText label;
  if (centred) label.push(' ');
  label.append(entry.label);
  if (centred) (value.size() > 0 ? value : label).push(' ');
  const auto row = static_cast<std::uint8_t>(line * 2 + MenuFirstRow);
  s.drawTextAt(static_cast<std::uint8_t>(std::max(column, 0)), row, label);
  if (value.size() > 0) {
    s.inverseText = e == selected_;
    if (menu_.layout == MenuLayout::ValuesRight)
      s.setTextPosition(static_cast<std::uint8_t>(TextBytesPerRow - value.size()), row);
    s.textBuffer = value;
    s.drawText();
  }
  s.inverseText = 0;
}

void MenuRun::next() {
  if (selected_ < count_ - 1) {
    ++selected_;
    if (selected_ > MenuVisibleLines - 1) top_ = selected_ - (MenuVisibleLines - 1);
  } else {
    selected_ = 0;
    top_ = 0;
  }
}

void MenuRun::previous() {
  if (selected_ > 0) {
    --selected_;
    top_ = selected_ < MenuVisibleLines ? 0 : selected_ - (MenuVisibleLines - 1);
  } else {
    selected_ = count_ - 1;
    top_ = selected_ < MenuVisibleLines ? 0 : count_ - MenuVisibleLines;
  }
}

bool MenuRun::act(std::uint8_t code) {
  MenuState& m = z_.menus;
  const MenuEntry& entry = menu_.entries[static_cast<std::size_t>(selected_)];
  switch (code) {
    case key::Menu:
      return false;
    case key::Select:
      if (m.editMode) {
        m.editMode = 0;
      } else if (entry.select && entry.select != Direct) {
        m.selectedIndex = static_cast<std::uint8_t>(selected_);
        entry.select(z_);
        recomputeDerivedSettings(z_);
      }
      break;
    case key::Next:
      m.editMode = 0;
      next();
      break;
    case key::Prev:
      m.editMode = 0;
      previous();
      break;
    case key::Plus:
    case key::Minus:
      if (entry.select == Direct || m.editMode) {
        m.selectedIndex = static_cast<std::uint8_t>(selected_);
        const MenuAction action = code == key::Plus ? entry.increase : entry.decrease;
        if (action) action(z_);
        recomputeDerivedSettings(z_);
      }
      break;
    default:
      break;
  }
  return true;
}

void MenuRun::run() {
  Screen& s = z_.screen;
  s.clearScreen();
  z_.tick.halfSecondCount = 0;
  z_.main.pageVisible = 0;
  z_.menus.editMode = 0;
  draw();
  for (;;) {
    const MenuTurn turn = menuTurn(z_);
    if (turn.halfSecond && turn.key == key::None) continue;
    if (turn.key != key::None && !act(turn.key)) break;
    if (z_.main.closeMenus) break;
    // A submenu or dialog that returned on its own time-out leaves no key.
    if (z_.main.keyCode != key::None) {
      z_.main.keyCode = key::None;
      z_.tick.halfSecondCount = 0;
      draw();
    } else {
      if (z_.main.redrawRequest) draw();
      if (z_.tick.halfSecondCount > MenuIdleLimit) break;
    }
  }
  s.bigText = 0;
}

}  // namespace

void runMenu(Instrument& z, const Menu& menu) {
  if (menu.entries.empty()) return;
  MenuRun(z, menu).run();
}

}  // namespace zen
