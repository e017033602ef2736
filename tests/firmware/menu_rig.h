// Key scripts on the virtual-time host: keys are clicked one after another
// (100 ms down, 100 ms up), the screen's double-height text rows are captured
// between them, and either the whole instrument runs (switched on, Menu key
// from the panel) or a single menu or dialog runs on the bare instrument.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "firmware/core/background.h"
#include "firmware/core/keys.h"
#include "firmware/core/settings_store.h"
#include "sim/virtual_host.h"
#include "tests/support/screen_probe.h"
#include "tests/support/test_files.h"

namespace zen::test {

// The screen read as text: double-height from every text row 0..28, or
// normal-height rows 0..29 for the screens that use small text.
struct Shot {
  std::array<TextLine, 30> rows;
  const TextLine& row(int textRow) const { return rows.at(static_cast<std::size_t>(textRow)); }
  // Entry lines of a menu start at text row 4.
  const TextLine& line(int menuLine) const { return row(4 + 2 * menuLine); }
};

// A text row without the blanks around it (centred menus pad their lines).
inline std::string trimmed(const TextLine& line) {
  const auto first = line.text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return line.text.substr(first, line.text.find_last_not_of(' ') - first + 1);
}

class MenuRig {
 public:
  static constexpr double ClickMs = 100;  // down, then up for as long
  static constexpr int BlankPauseYields = 251 * 501;

  // Panel: the script starts when the switched-on instrument shows its panel.
  // Bare: it starts at once, for a menu or dialog run without the firmware.
  enum class Start { Panel, Bare };

  // microsPerYield paces the simulated time; long idle scripts use more. A
  // given program folder keeps its e2.rom; otherwise the settings are the defaults.
  explicit MenuRig(Start start = Start::Panel, std::uint32_t microsPerYield = 20,
                   const std::filesystem::path& folder = {})
      : host(VirtualHost::Options{folder, microsPerYield}), z(host.instrument()) {
    if (folder.empty() || !std::filesystem::exists(folder / "e2.rom")) buildImageFromDefaults(z, true);
    // The panel is up after the blank pause and the 2 s welcome.
    t = start == Start::Bare ? 10 : BlankPauseYields * (microsPerYield / 1000.0) + 2600;
  }

  // Clicks the keys in order: M Menu, S Select, N Next, P Prev, + and -; blanks are ignored.
  MenuRig& keys(std::string_view script) {
    for (char c : script) {
      const int bit = bitOf(c);
      if (bit < 0) continue;
      host.clickKey(t, bit, ClickMs);
      t += 2 * ClickMs;
    }
    return *this;
  }
  MenuRig& hold(int bit, double ms) {
    host.clickKey(t, bit, ms);
    t += ms + ClickMs;
    return *this;
  }
  MenuRig& wait(double ms) {
    t += ms;
    return *this;
  }
  // Index of the screen as it stands after the keys so far.
  int capture(bool doubleHeight = true) {
    const int index = static_cast<int>(shots_.size());
    shots_.emplace_back();
    host.at(t, [this, index, doubleHeight] {
      for (int k = 0; k < (doubleHeight ? 29 : 30); ++k)
        shots_[static_cast<std::size_t>(index)].rows[k] = readTextLine(z.screen, k, doubleHeight);
    });
    return index;
  }
  const Shot& shot(int index) const { return shots_.at(static_cast<std::size_t>(index)); }

  // Switches the instrument on and closes the window `afterMs` after the last key.
  void run(double afterMs = 500) {
    host.closeAt(t + afterMs);
    host.run();
  }
  // Runs one menu or dialog on the bare instrument (never switched on), with the settings' defaults.
  void runBare(const std::function<void()>& body) {
    loadAllSettings(z);
    z.keyBits = NoKeysPressed;
    z.screen.drawColour = 1;
    backgroundPass(z);  // every key seen up arms the key latches
    body();
  }

  // The settings item's bytes as e2.rom holds them; empty when there is no file.
  std::vector<std::uint8_t> savedItem(int item) const {
    const auto file = readBytes(host.programFolder() / "e2.rom");
    if (file.size() != sizeof(SettingsImage::bytes)) return {};
    const auto at = file.begin() + SettingsItemTable[item].address;
    return {at, at + SettingsItemTable[item].size};
  }

  VirtualHost host;
  Instrument& z;
  double t = 0;

 private:
  static int bitOf(char c) {
    switch (c) {
      case 'M':
        return key_bit::Menu;
      case 'S':
        return key_bit::Select;
      case 'N':
        return key_bit::Next;
      case 'P':
        return key_bit::Prev;
      case '+':
        return key_bit::Plus;
      case '-':
        return key_bit::Minus;
      default:
        return -1;
    }
  }

  std::vector<Shot> shots_;
};

}  // namespace zen::test
