#include "firmware/menus/fuel_tank_setup.h"

#include "firmware/core/instrument.h"
#include "firmware/core/keys.h"
#include "firmware/core/settings_store.h"
#include "firmware/instruments/air_data.h"
#include "firmware/instruments/display_format.h"
#include "firmware/menus/menu_engine.h"
#include "firmware/menus/value_entries.h"

namespace zen {

namespace {

using TankTable = std::array<std::uint16_t, 7>;

// Selection 0 is the capacity, 1 to 6 the sender readings at 0 % to 100 %.
constexpr int Capacity = 0;
constexpr int LastPoint = 6;
constexpr int CapacityLowest = 5, CapacityHighest = 999;
constexpr int ReadingHighest = 4095;
constexpr std::uint8_t BracketWidth = 4;
constexpr std::uint8_t ReadingWidth = 4;

// Readings strictly rising, or strictly falling from the empty to the full point.
bool slopeConsistent(const TankTable& t) {
  const bool falling = t[1] > t[LastPoint];
  for (int k = 1; k < LastPoint; ++k)
    if (falling ? t[k] <= t[k + 1] : t[k] >= t[k + 1]) return false;
  return true;
}

class TankSetup {
 public:
  TankSetup(Instrument& z, TankTable& table, char tankDigit)
      : z_(z), table_(table), digit_(tankDigit), selected_(z.time.qnh.tankPointIndex) {}

  void run();

 private:
  std::uint16_t reading() const { return levelSenderCounts(z_, digit_ == '1' ? 1 : 2); }
  std::uint8_t bracketRow() const { return static_cast<std::uint8_t>(selected_ * 2 + 4); }
  std::uint8_t bracketColumn() const { return selected_ == Capacity ? 21 : 34; }
  void draw();
  void showReading();
  void change();
  // True when the dialog may close: the table passed, or the pilot dropped the edits.
  bool leave();

  Instrument& z_;
  TankTable& table_;
  const char digit_;
  std::uint8_t& selected_;
};

void TankSetup::draw() {
  Screen& s = z_.screen;
  s.clearScreen();
  s.bigText = 1;
  ShortText title("Fuel tank ");
  title.push(static_cast<std::uint8_t>(digit_));
  title.append(" setup. Sender reads");
  s.drawTextAt(1, 0, title);
  showReading();

  ShortText capacity("Fuel tank ");
  capacity.push(static_cast<std::uint8_t>(digit_));
  capacity.append(" capacity: ");
  appendFuelQuantity(z_, capacity, table_[0]);
  s.drawTextAt(1, 4, capacity);
  for (int point = 0; point < LastPoint; ++point) {
    ShortText line("Level sender reading at ");
    appendFuelQuantity(z_, line, static_cast<std::uint32_t>(point) * 20 * table_[0] / 100);
    line.append(" is ");
    line.append(rightJustified(table_[static_cast<std::size_t>(point + 1)], ReadingWidth));
    s.drawTextAt(1, static_cast<std::uint8_t>(point * 2 + 6), line);
  }

  if (selected_ == Capacity) {
    s.drawTextAt(1, 20, "Use +/- to change fuel tank capacity");
  } else {
    s.drawTextAt(1, 20, "Prev/Next to select calibration point");
    s.drawTextAt(1, 22, "+/- to change calibration value");
    s.drawTextAt(1, 24, "Select to transfer current sender");
    s.drawTextAt(1, 26, "reading to calibration point");
  }
  markField(z_, bracketRow(), bracketColumn(), BracketWidth, true);
}

void TankSetup::showReading() { z_.screen.drawTextAt(33, 0, rightJustified(reading(), ReadingWidth)); }

void TankSetup::change() {
  const bool up = z_.main.keyCode == key::Plus;
  std::uint16_t& v = table_[selected_];
  const int highest = selected_ == Capacity ? CapacityHighest : ReadingHighest;
  const int lowest = selected_ == Capacity ? CapacityLowest : 0;
  v = static_cast<std::uint16_t>(up ? stepUp(z_, v, lowest, highest, highest)
                                    : stepDown(z_, v, lowest, highest, lowest));
}

bool TankSetup::leave() {
  if (slopeConsistent(table_)) return true;
  const ScreenLine lines[] = {{2, 6, "Slope error - press select to cancel"},
                              {7, 8, "or any other key to correct"}};
  showLines(z_, lines);
  if (waitKey(z_, NoIdleLimit) != key::Select) return false;
  // Only this table goes back: the pilot number chosen in the Main Menu is
  // saved when that menu closes and must not be dropped with the table.
  loadSettingsItem(z_, digit_ == '1' ? settings_item::Tank1Calibration : settings_item::Tank2Calibration);
  return true;
}

// No idle time-out: filling a tank step by step takes longer.
void TankSetup::run() {
  selected_ = Capacity;
  z_.air.levelSmoothing = 0;  // the pilot calibrates against the raw readings
  for (;;) {
    draw();
    const std::uint8_t code = waitKey(z_, NoIdleLimit, [this] { showReading(); });
    markField(z_, bracketRow(), bracketColumn(), BracketWidth, false);
    switch (code) {
      case key::Menu:
        if (leave()) {
          // Also after dropped edits: the gauges must not stay unsmoothed until power-off.
          restartLevelSmoothing(z_);
          return;
        }
        break;
      case key::Next:
        selected_ = selected_ == LastPoint ? Capacity : static_cast<std::uint8_t>(selected_ + 1);
        break;
      case key::Prev:
        selected_ = selected_ == Capacity ? LastPoint : static_cast<std::uint8_t>(selected_ - 1);
        break;
      case key::Plus:
      case key::Minus:
        change();
        break;
      case key::Select:
        if (selected_ != Capacity) table_[selected_] = reading();
        break;
      default:
        break;
    }
  }
}

}  // namespace

void fuelTankSetup(Instrument& z, std::array<std::uint16_t, 7>& table, char tankDigit) {
  z.screen.clearScreen();
  z.screen.bigText = 1;
  if (refuseInFlight(z)) return;
  TankSetup(z, table, tankDigit).run();
}

}  // namespace zen
