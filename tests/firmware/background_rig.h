// Runs background passes against a bare instrument in simulated time: each
// pass takes 1 ms, the 25 ms tick fires on schedule, and test actions run at
// given milliseconds.
#pragma once

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
  std::uint8_t code, step;
};

class BackgroundRig {
 public:
  BackgroundRig() {
    host.onYield = [this](YieldKind) { advance(); };
    z.keyBits = 0xFF;
    backgroundPass(z);  // every key seen up once arms the latches
  }
  void at(double ms, std::function<void()> action) { actions_.emplace(ms, std::move(action)); }
  void press(double ms, int bit) {
    at(ms, [this, bit] { z.keyBits &= static_cast<std::uint8_t>(~(1u << bit)); });
  }
  void release(double ms, int bit) {
    at(ms, [this, bit] { z.keyBits |= static_cast<std::uint8_t>(1u << bit); });
  }

  std::vector<KeyEvent> runUntil(double ms) {
    std::vector<KeyEvent> events;
    while (nowMs_ < ms) {
      backgroundPass(z);
      if (z.main.keyCode) events.push_back({nowMs_, z.main.keyCode, z.keys.repeatStep});
    }
    return events;
  }
  std::vector<KeyEvent> runFor(double ms) { return runUntil(nowMs_ + ms); }

  FakeHost host;
  Instrument z{host};

 private:
  void advance() {
    nowMs_ += 1;
    for (; nextTickMs_ <= nowMs_; nextTickMs_ += 25) firmwareTick(z);
    while (!actions_.empty() && actions_.begin()->first <= nowMs_) {
      auto action = std::move(actions_.begin()->second);
      actions_.erase(actions_.begin());
      action();
    }
  }
  double nowMs_ = 0, nextTickMs_ = 25;
  std::multimap<double, std::function<void()>> actions_;
};

}  // namespace zen::test
