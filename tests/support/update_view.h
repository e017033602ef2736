// The update window as the firmware update drives it, with its 5 ms and 1 s
// timers (Timer3, Timer2) on the virtual clock.
#pragma once

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "link/firmware_update.h"
#include "sim/virtual_host.h"

namespace zen::test {

struct RecordingUpdateView : FirmwareUpdateView {
  explicit RecordingUpdateView(VirtualHost& host) : host(host) {}
  void clearLines() override { lines.clear(); }
  void addLine(const std::string& line) override { lines.push_back(line); }
  void setGaugeMaximum(int maximum) override { gaugeMaximum = maximum; }
  void setGauge(int position) override { gauge = position; }
  void enableButtons(bool updateNow, bool full) override { updateNowEnabled = updateNow, fullEnabled = full; }
  void runTimers(bool on) override {
    timersOn = on;
    if (!on) return;
    ++generation;
    repeat(generation, Timer::Receiver);
    repeat(generation, Timer::Second);
  }
  enum class Timer { Receiver, Second };
  void repeat(int g, Timer timer) {
    const double period = timer == Timer::Receiver ? 5 : 1000;
    host.repeat(host.nowMs() + period, period, [this, g, timer] {
      if (g != generation || !timersOn) return false;
      timer == Timer::Receiver ? update->timer3Tick() : update->timer2Tick();
      return true;
    });
  }
  bool has(const std::string& line) const { return std::ranges::find(lines, line) != lines.end(); }

  VirtualHost& host;
  FirmwareUpdate* update = nullptr;
  std::vector<std::string> lines;
  int gauge = -1, gaugeMaximum = -1, generation = 0;
  bool updateNowEnabled = false, fullEnabled = false, timersOn = false;
};

}  // namespace zen::test
