// The desktop host: the firmware runs nested inside the switch-on command and
// lets the Qt event queue run whenever it yields. Waiting firmware sleeps in
// the event dispatcher instead of spinning, so an idle instrument costs
// almost no processor time.
#pragma once

#include <chrono>
#include <functional>

#include "sim/simulation_host.h"

namespace zen {

class QtHost : public SimulationHost {
 public:
  explicit QtHost(std::filesystem::path programFolder);

  void yieldToHost(YieldKind kind) override;
  using Host::yieldToHost;
  void setAlarmLed(bool lit) override;
  void reportFileError(const std::filesystem::path& file, const std::string& systemMessage) override;
  // Shown like a file error unless onNotice is set.
  void reportNotice(const std::filesystem::path& file, const std::string& text) override;
  LocalTime localTime() const override;
  std::optional<std::string> replaceFile(const std::filesystem::path& file,
                                         std::span<const std::uint8_t> bytes) override;

  std::function<void(bool)> onAlarmLed;
  std::function<void(const std::filesystem::path&, const std::string&)> onFileError;
  std::function<void(const std::filesystem::path&, const std::string&)> onNotice;
  // Called before the host sleeps, so the window shows what the firmware drew.
  std::function<void()> beforeSleep;
  // Called after a file was replaced without error, with what it should now hold.
  std::function<void(const std::filesystem::path&, std::span<const std::uint8_t>)> onFileWritten;

 private:
  bool pump(bool wait);
  void letEventsRun(YieldKind kind);
  void sleepFor(std::chrono::milliseconds duration);

  std::chrono::microseconds delayDebt_{0};
  bool inYield_ = false;
};

}  // namespace zen
