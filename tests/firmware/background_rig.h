// Runs background passes against a bare instrument in simulated time: each
// pass takes 1 ms, the 25 ms tick fires on schedule, and test actions run at
// given milliseconds (after a tick due at the same time).
#pragma once

#include <functional>
#include <vector>

#include "firmware/core/background.h"
#include "firmware/core/firmware.h"
#include "firmware/core/instrument.h"
#include "sim/simulated_clock.h"
#include "tests/support/fake_host.h"

namespace zen::test {

struct KeyEvent {
  double ms;
  std::uint8_t code, step;
};

class BackgroundRig {
 public:
  BackgroundRig() {
    host.onYield = [this](YieldKind) { clock_.advanceTo(clock_.now() + 1000); };
    z.keyBits = 0xFF;
    backgroundPass(z);  // every key seen up once arms the latches
  }
  void at(double ms, std::function<void()> action) {
    clock_.at(SimulatedClock::micros(ms), std::move(action));
  }
  void press(double ms, int bit) {
    at(ms, [this, bit] { z.keyBits &= static_cast<std::uint8_t>(~(1u << bit)); });
  }
  void release(double ms, int bit) {
    at(ms, [this, bit] { z.keyBits |= static_cast<std::uint8_t>(1u << bit); });
  }

  std::vector<KeyEvent> runUntil(double ms) {
    std::vector<KeyEvent> events;
    while (clock_.now() < SimulatedClock::micros(ms)) {
      backgroundPass(z);
      if (z.main.keyCode) events.push_back({nowMs(), z.main.keyCode, z.keys.repeatStep});
    }
    return events;
  }
  std::vector<KeyEvent> runFor(double ms) { return runUntil(nowMs() + ms); }
  double nowMs() const { return static_cast<double>(clock_.now()) / 1000; }

  FakeHost host;
  Instrument z{host};

 private:
  SimulatedClock clock_{25000, [this] { firmwareTick(z); }};
};

}  // namespace zen::test
