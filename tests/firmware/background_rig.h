// Runs background passes against a bare instrument in simulated time: each
// pass takes passMicros, the 25 ms tick fires on schedule, and key changes
// happen at given milliseconds.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "firmware/core/background.h"
#include "firmware/core/firmware.h"
#include "firmware/core/instrument.h"
#include "tests/support/fake_host.h"

namespace zen::test {

struct KeyEvent {
  double ms;
  std::uint8_t code;
  std::uint8_t step;
};

class BackgroundRig {
 public:
  BackgroundRig() {
    host.onYield = [this](YieldKind) { advance(); };
    z.keyBits = 0xFF;
    backgroundPass(z);  // every key is seen up once, which arms the latches
  }

  void at(double ms, std::function<void()> action) { actions_.emplace(toMicros(ms), std::move(action)); }
  void press(double ms, int bit) { at(ms, [this, bit] { z.keyBits &= static_cast<std::uint8_t>(~(1u << bit)); }); }
  void release(double ms, int bit) { at(ms, [this, bit] { z.keyBits |= static_cast<std::uint8_t>(1u << bit); }); }

  // Passes until the given time; returns every key event with its time.
  std::vector<KeyEvent> runUntil(double ms) {
    std::vector<KeyEvent> events;
    while (now_ < toMicros(ms)) {
      backgroundPass(z);
      if (z.main.keyCode) events.push_back({now_ / 1000.0, z.main.keyCode, z.keys.repeatStep});
    }
    return events;
  }
  std::vector<KeyEvent> runFor(double ms) { return runUntil(nowMs() + ms); }
  double nowMs() const { return now_ / 1000.0; }

  FakeHost host;
  Instrument z{host};
  std::uint64_t passMicros = 1000;

 private:
  static std::uint64_t toMicros(double ms) { return static_cast<std::uint64_t>(ms * 1000.0 + 0.5); }
  void advance() {
    now_ += passMicros;
    while (nextTick_ <= now_) {
      firmwareTick(z);
      nextTick_ += 25000;
    }
    while (!actions_.empty() && actions_.begin()->first <= now_) {
      auto action = std::move(actions_.begin()->second);
      actions_.erase(actions_.begin());
      action();
    }
  }

  std::uint64_t now_ = 0;
  std::uint64_t nextTick_ = 25000;
  std::multimap<std::uint64_t, std::function<void()>> actions_;
};

}  // namespace zen::test
