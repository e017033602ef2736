// Simulated time for the virtual host and the test rigs: a periodic tick and
// one-off actions at given microseconds, run in time order. A tick and an
// action due at the same moment run tick first; actions due together run in
// the order they were scheduled.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <utility>

namespace zen {

class SimulatedClock {
 public:
  static constexpr std::uint64_t Never = std::numeric_limits<std::uint64_t>::max();
  // Test schedules are written in milliseconds; a negative time means now.
  static std::uint64_t micros(double ms) {
    return ms <= 0 ? 0 : static_cast<std::uint64_t>(ms * 1000.0 + 0.5);
  }

  SimulatedClock(std::uint64_t tickPeriodMicros, std::function<void()> tick)
      : tickPeriod_(tickPeriodMicros), nextTick_(tickPeriodMicros), tick_(std::move(tick)) {}

  void at(std::uint64_t micros, std::function<void()> action) {
    actions_.emplace(std::make_pair(micros, sequence_++), Action{std::move(action), {}, 0});
  }
  // Runs action at micros and every periodMicros after that for as long as
  // it returns true. Each run comes after what the previous run scheduled.
  void every(std::uint64_t micros, std::uint64_t periodMicros, std::function<bool()> action) {
    actions_.emplace(std::make_pair(micros, sequence_++),
                     Action{{}, std::move(action), std::max<std::uint64_t>(periodMicros, 1)});
  }

  // Runs everything due up to micros, then stands there. Returns whether
  // anything ran. An action may schedule more, or move time on itself.
  bool advanceTo(std::uint64_t micros) {
    bool ran = false;
    for (;;) {
      const std::uint64_t action = nextAction();
      if (nextTick_ <= micros && nextTick_ <= action) {
        now_ = nextTick_;
        nextTick_ += tickPeriod_;
        tick_();
      } else if (action <= micros) {
        now_ = action;
        auto node = actions_.extract(actions_.begin());
        Action& due = node.mapped();
        if (due.period == 0) {
          due.once();
        } else if (due.repeating()) {
          // The same node goes back in: a 5 ms timer allocates nothing per run.
          node.key() = std::make_pair(action + due.period, sequence_++);
          actions_.insert(std::move(node));
        }
      } else {
        break;
      }
      ran = true;
    }
    if (micros > now_) now_ = micros;
    return ran;
  }

  std::uint64_t now() const { return now_; }
  std::uint64_t nextAction() const { return actions_.empty() ? Never : actions_.begin()->first.first; }
  std::uint64_t nextEvent() const { return std::min(nextTick_, nextAction()); }

 private:
  std::uint64_t tickPeriod_;
  std::uint64_t nextTick_;
  std::uint64_t now_ = 0;
  std::uint64_t sequence_ = 0;
  struct Action {
    std::function<void()> once;
    std::function<bool()> repeating;
    std::uint64_t period;  // 0: once
  };
  std::function<void()> tick_;
  std::map<std::pair<std::uint64_t, std::uint64_t>, Action> actions_;
};

}  // namespace zen
