// What every host of the simulated instrument does, with or without a window:
// the 25 ms clock, switching on once, key presses, and stopping promptly.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "firmware/core/host_interface.h"
#include "firmware/core/instrument.h"
#include "sim/program_files.h"

namespace zen {

// The instrument's clock (Timer1) ticks every 25 ms.
inline constexpr int ClockTickMs = 25;

class SimulationHost : public Host {
 public:
  SimulationHost();
  ~SimulationHost() override;

  Instrument& instrument() { return instrument_; }
  const Instrument& instrument() const { return instrument_; }

  // Loads e2.rom, RTC.ram and logo.bin from the program folder, after
  // removing what killed saves of earlier runs left behind.
  void loadFiles();
  // A program folder that cannot be used, or another program's: nothing is
  // read from it (unless readable) and nothing written there; every write
  // into it fails with reason. Set before loadFiles.
  void restrictFolder(bool readable, std::string reason);
  bool folderWritable() const { return !writesRefused_; }
  // The 25 ms clock (Timer1Timer).
  void clockTick();
  // Switches the instrument on at most once per run; returns when the firmware stopped.
  void switchOn();
  bool firmwareRunning() const { return firmwareRunning_; }
  bool firmwareActive() const { return firmwareActive_; }
  // Asks the firmware to stop: its next yield unwinds it.
  void requestStop();
  bool stopRequested() const { return stopRequested_; }
  // Writes what must survive the run (RTC.ram, unless it could not be read
  // at start-up or the folder is not this program's); returns false when a
  // write failed.
  bool saveOnExit();

  // The clock chip's RAM is battery-backed: a change to what the firmware
  // keeps there reaches RTC.ram at most this many clock ticks later, and at
  // once when a flight starts or ends, so a crash loses at most that.
  static constexpr int ClockRamSaveTicks = 80;  // 2 s

  void pressKey(int bit) {
    instrument_.keyBits = static_cast<std::uint8_t>(instrument_.keyBits & ~(1u << bit));
  }
  void releaseKey(int bit) {
    instrument_.keyBits = static_cast<std::uint8_t>(instrument_.keyBits | (1u << bit));
  }

  std::optional<std::string> replaceFile(const std::filesystem::path& file,
                                         std::span<const std::uint8_t> bytes) override;
  // Something to tell the user about a program file that is still used.
  virtual void reportNotice(const std::filesystem::path& file, const std::string& text) = 0;

  std::filesystem::path programFolder() const override { return programFolder_; }
  // Firmware yields so far; tests measure idle cost with it.
  std::uint64_t yieldCount() const { return yieldCount_; }

  const LogoStore& logo() const { return logo_; }
  std::uint8_t linkReplyTicks = 0;
  std::uint16_t frameTickCount = 0;
  // Runs after every clock tick; the link watches its line with it.
  std::function<void()> onClockTick;

  // Polls without an event in a row before the host waits for its next event.
  static constexpr int IdlePollsBeforeSleep = 8;

 protected:
  // Set once, in the derived host's constructor.
  void setProgramFolder(std::filesystem::path folder) { programFolder_ = std::move(folder); }
  void countYield(std::uint64_t count = 1) { yieldCount_ += count; }
  // Yield implementations call this before and after letting events run, so
  // a stop requested meanwhile ends the firmware without another statement.
  void unwindIfStopping() const {
    if (stopRequested_ && firmwareActive_) throw FirmwareStopped{};
  }
  // Counts a poll that found nothing (or something) to do; true when the
  // host should now wait for its next event.
  bool idlePoll(bool eventRan);

 private:
  void keepClockRam();

  // In place, not on the heap: a host made on the stack for each fuzzer run
  // reuses that memory instead of faulting in fresh pages.
  Instrument instrument_;
  std::filesystem::path programFolder_;
  std::uint64_t yieldCount_ = 0;
  LogoStore logo_;
  ProgramFilesRead filesRead_;
  bool readsRefused_ = false;
  bool writesRefused_ = false;
  std::string refusal_;
  // RTC.ram as last written or read, from the first byte after the time registers.
  std::array<std::uint8_t, ClockRam::Size> clockRamSaved_{};
  int ticksSinceClockSave_ = ClockRamSaveTicks;
  bool clockSaveFailed_ = false;
  bool firmwareRunning_ = false;
  bool firmwareActive_ = false;
  bool stopRequested_ = false;
  int idlePolls_ = 0;
};

}  // namespace zen
