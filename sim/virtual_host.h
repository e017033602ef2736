// A deterministic host for tests: simulated time advances a few microseconds
// per firmware yield, the 25 ms clock ticks on schedule, and key presses,
// slider moves and the window close happen at given simulated milliseconds.
// Like the desktop host, firmware that only polls is idle after a few polls;
// then time jumps straight to the next tick or scheduled action.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "sim/simulated_clock.h"
#include "sim/simulation_host.h"

namespace zen {

class VirtualHost : public SimulationHost {
 public:
  struct Options {
    std::filesystem::path programFolder;  // empty: a fresh temporary folder
    std::uint32_t microsPerYield = 4;
    LocalTime startTime{2026, 12, 8, 10, 30, 0};
    // Simulated time after which the host closes the window by itself.
    std::uint64_t closeAfterMs = 10 * 60 * 1000;
    bool loadFiles = true;
  };

  VirtualHost();
  explicit VirtualHost(Options options);
  ~VirtualHost() override;

  // Scheduling, in simulated milliseconds since program start.
  void at(double ms, std::function<void()> action);
  void pressKey(double ms, int bit);
  void releaseKey(double ms, int bit);
  void clickKey(double ms, int bit, double holdMs = 100);
  void closeAt(double ms);
  // `action()` at firstMs and every periodMs after it while it returns true.
  void repeat(double firstMs, double periodMs, std::function<bool()> action);
  // `action(ms)` at startMs and every periodMs after it up to endMs.
  void every(double startMs, double periodMs, double endMs, std::function<void(double)> action);
  // Simulator window controls: engine unit bars 1..21, pressure bars 1..2, the unit's switch.
  void setEngineBar(double ms, int bar, std::uint16_t position);
  void setPressureBar(double ms, int bar, std::uint16_t position);
  void switchEngineUnit(double ms, bool on);
  // Runs the clock and scheduled actions without the firmware (before switch-on).
  void advance(double ms);
  // Runs switch-on; returns when the firmware stopped.
  void run();

  double nowMs() const { return static_cast<double>(clock_.now()) / 1000.0; }
  std::uint64_t nowMicros() const { return clock_.now(); }
  bool closed() const { return closed_; }

  // Host interface.
  void yieldToHost(YieldKind kind) override;
  using Host::yieldToHost;
  void delayYields(std::uint32_t count) override;
  void setAlarmLed(bool lit) override;
  void reportFileError(const std::filesystem::path& file, const std::string& systemMessage) override;
  void reportNotice(const std::filesystem::path& file, const std::string& text) override;
  LocalTime localTime() const override;

  bool alarmLed() const { return alarmLed_; }
  const std::vector<std::pair<double, bool>>& alarmLedHistory() const { return alarmLedHistory_; }
  const std::vector<std::pair<std::filesystem::path, std::string>>& fileErrors() const { return fileErrors_; }
  const std::vector<FileNotice>& notices() const { return notices_; }

  void keyDown(int bit) { SimulationHost::pressKey(bit); }
  void keyUp(int bit) { SimulationHost::releaseKey(bit); }

 private:
  void close();

  Options options_;
  bool ownsFolder_ = false;
  SimulatedClock clock_;
  bool closed_ = false;
  bool alarmLed_ = false;
  std::vector<std::pair<double, bool>> alarmLedHistory_;
  std::vector<std::pair<std::filesystem::path, std::string>> fileErrors_;
  std::vector<FileNotice> notices_;
};

}  // namespace zen
