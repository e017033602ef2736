// The only way the firmware reaches the desktop it runs in.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace zen {

struct LocalTime {
  int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// Poll: the firmware is waiting for something to happen (a tick, a key), so
// the host may sleep until its next event. Delay: the firmware is burning
// time in a counted loop and expects the call to return quickly.
enum class YieldKind { Poll, Delay };

// Thrown out of yieldToHost once the host stops, to unwind the firmware at
// once. Firmware code never catches it (nor catch (...)), so no wait loop,
// timer or "save on return" runs after the stop.
struct FirmwareStopped {};

class Host {
 public:
  virtual ~Host() = default;
  // Lets timer ticks, key clicks and window commands run, then returns.
  virtual void yieldToHost(YieldKind kind) = 0;
  void yieldToHost() { yieldToHost(YieldKind::Poll); }
  // A counted loop of Delay yields with nothing else in it. A host may pass
  // the same time in fewer steps, as long as everything due happens as often.
  virtual void delayYields(std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i) yieldToHost(YieldKind::Delay);
  }
  virtual void setAlarmLed(bool lit) = 0;
  // Folder of e2.rom, RTC.ram, logo.bin and SM.INI.
  virtual std::filesystem::path programFolder() const = 0;
  // Replaces a program file in one step: a crash never leaves half of it.
  // The system's error text on failure, the old file then left as it was.
  virtual std::optional<std::string> replaceFile(const std::filesystem::path& file,
                                                 std::span<const std::uint8_t> bytes) = 0;
  // A program file could not be read or written; the step was abandoned.
  virtual void reportFileError(const std::filesystem::path& file, const std::string& systemMessage) = 0;
  // The computer's local date and time, for the simulated clock chip.
  virtual LocalTime localTime() const = 0;
};

}  // namespace zen
