#include "sim/simulation_host.h"

#include "firmware/core/firmware.h"
#include "firmware/core/settings_store.h"
#include "sim/atomic_file.h"

namespace zen {

SimulationHost::SimulationHost() : instrument_(std::make_unique<Instrument>(*this)) {}

SimulationHost::~SimulationHost() = default;

void SimulationHost::loadFiles() {
  removeStaleTemporaries(programFolder());
  filesRead_ = loadProgramFiles(*instrument_, logo_);
  Screen& screen = instrument_->screen;
  screen.useCustomLogo = logo_.customLogo;
  screen.customLogo =
      std::span<const std::uint8_t>(logo_.bytes.data(), logo_.customLogo ? logo_.logoLength : 0);
}

void SimulationHost::clockTick() {
  firmwareTick(*instrument_);
  ++frameTickCount;
  if (linkReplyTicks > 0) --linkReplyTicks;
  if (frameTickCount >= EngineFramePeriodTicks) {
    frameTickCount = 0;
    buildEngineFrames(*instrument_);
  }
  if (onClockTick) onClockTick();
}

void SimulationHost::switchOn() {
  // Once the window is closing the instrument is not switched on any more.
  if (firmwareRunning_ || stopRequested_) return;
  firmwareRunning_ = true;
  firmwareActive_ = true;
  try {
    firmwareStart(*instrument_);
  } catch (const FirmwareStopped&) {
    // Unwound on purpose after a stop request.
  } catch (...) {
    firmwareActive_ = false;
    throw;
  }
  firmwareActive_ = false;
}

void SimulationHost::requestStop() {
  stopRequested_ = true;
  instrument_->tick.stopFirmware = 1;
}

bool SimulationHost::idlePoll(bool eventRan) {
  if (eventRan) {
    idlePolls_ = 0;
    return false;
  }
  if (++idlePolls_ < IdlePollsBeforeSleep) return false;
  idlePolls_ = 0;
  return true;
}

bool SimulationHost::saveOnExit() {
  // A file that could not be read is never overwritten.
  if (filesRead_.clockRamUnreadable) return true;
  return saveClockRam(*instrument_);
}

std::optional<std::string> SimulationHost::replaceFile(const std::filesystem::path& file,
                                                       std::span<const std::uint8_t> bytes) {
  return writeFileAtomically(file, bytes);
}

}  // namespace zen
