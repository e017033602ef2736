// What every host of the simulated instrument does, with or without a window:
// the 25 ms clock, switching on once, key presses, and stopping promptly.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "firmware/core/host_interface.h"
#include "firmware/core/instrument.h"
#include "host/program_files.h"

namespace zen {

// Thrown out of yieldToHost to unwind a firmware that does not finish after
// the host asked it to stop (for example a dialog waiting for a key).
struct FirmwareStopped {};

class SimulationHost : public Host {
 public:
  SimulationHost();
  ~SimulationHost() override;

  Instrument& instrument() { return *instrument_; }
  const Instrument& instrument() const { return *instrument_; }

  // Loads e2.rom, RTC.ram and logo.bin from the program folder.
  void loadFiles();
  // The 25 ms clock (Timer1Timer).
  void clockTick();
  // Switches the instrument on at most once per run; returns when the firmware stopped.
  void switchOn();
  bool firmwareRunning() const { return firmwareRunning_; }
  bool firmwareActive() const { return firmwareActive_; }
  // Asks the firmware to stop; from then on its waits see time run fast.
  void requestStop();
  bool stopRequested() const { return stopRequested_; }
  // Writes what must survive the run (RTC.ram); hosts add their own files.
  virtual void saveOnExit();

  void pressKey(int bit) {
    instrument_->keyBits = static_cast<std::uint8_t>(instrument_->keyBits & ~(1u << bit));
  }
  void releaseKey(int bit) {
    instrument_->keyBits = static_cast<std::uint8_t>(instrument_->keyBits | (1u << bit));
  }

  const LogoStore& logo() const { return logo_; }
  std::uint8_t linkReplyTicks = 0;
  std::uint16_t frameTickCount = 0;

 protected:
  // Called by yieldToHost implementations first; returns true when the call is
  // already handled (the firmware is being stopped).
  bool yieldWhileStopping(YieldKind kind);

 private:
  std::unique_ptr<Instrument> instrument_;
  LogoStore logo_;
  bool firmwareRunning_ = false;
  bool firmwareActive_ = false;
  bool stopRequested_ = false;
  std::uint32_t ticksSinceStop_ = 0;
};

}  // namespace zen
