// Runs the real firmware on the virtual-time host and returns what its screen
// shows at a given simulated time: for documenting panels and for tests that
// look at whole screens. Every file the firmware writes meanwhile goes to a
// temporary program folder that is removed afterwards.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "hardware/hardware.h"
#include "hardware/screen.h"
#include "sim/scenario.h"

namespace zen {

struct Instrument;

struct RenderOptions {
  // The settings image; none: the built-in defaults. A short image replaces
  // only the bytes it has of an all-zero one, like a short e2.rom.
  std::optional<std::vector<std::uint8_t>> settingsImage;
  // Runs on the fresh instrument once its settings image is in place, before
  // switch-on; a panel file is applied here.
  std::function<void(Instrument&)> prepare;

  int page = 1;  // 1 or 2
  // Pressure window bars 1 (static) and 2 (pitot), positions as the window
  // shows them (its first-run positions when unset).
  std::array<std::optional<std::uint16_t>, 2> pressureBars{};
  // Engine unit bars 1..21; setting any switches the simulated unit on.
  std::array<std::optional<std::uint16_t>, 21> engineBars{};
  // The attitude sensor, switched on with these values when set.
  struct Attitude {
    std::int32_t bank = 0, pitch = 0, heading = 0, turnRate = 0, slip = 0;
  };
  std::optional<Attitude> attitude;

  // Played from switch-on, in order, every ScenarioStepMs; each sets only
  // the inputs it has columns for.
  std::vector<std::shared_ptr<ScenarioPlayer>> scenarios;
  // Screens taken on the way, at these times (before atSeconds).
  std::vector<double> frameSeconds;
  std::function<void(std::size_t, const Screen&)> onFrame;

  double atSeconds = 5;  // long enough for the welcome screen to give way to the panel
  struct Key {
    double seconds;
    int bit;  // key_bit::Menu ..
  };
  std::vector<Key> keys;  // each held for KeyHoldMs
  // Runs on the instrument at atSeconds, as the screen is taken (to save its panel).
  std::function<void(Instrument&)> atEnd;
  static constexpr double KeyHoldMs = 100;
};

// The screen at options.atSeconds. Throws HardwareFault when the firmware
// oversteps the simulated hardware.
std::unique_ptr<Screen> renderScreen(const RenderOptions& options);

}  // namespace zen
