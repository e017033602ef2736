#include "sim/simulation_host.h"

#include <algorithm>

#include "firmware/core/firmware.h"
#include "firmware/core/settings_store.h"
#include "sim/atomic_file.h"

namespace zen {

SimulationHost::SimulationHost() : instrument_(*this) {}

SimulationHost::~SimulationHost() = default;

void SimulationHost::restrictFolder(bool readable, std::string reason) {
  readsRefused_ = !readable;
  writesRefused_ = true;
  refusal_ = std::move(reason);
}

void SimulationHost::loadFiles() {
  if (readsRefused_) return;
  // Another program's temporaries may belong to a save under way.
  if (!writesRefused_) removeStaleTemporaries(programFolder());
  filesRead_ = loadProgramFiles(instrument_, logo_);
  for (const FileNotice& notice : filesRead_.notices) reportNotice(notice.file, notice.text);
  clockRamSaved_ = instrument_.rtc.bytes;
  Screen& screen = instrument_.screen;
  screen.useCustomLogo = logo_.customLogo;
  screen.customLogo =
      std::span<const std::uint8_t>(logo_.bytes.data(), logo_.customLogo ? logo_.logoLength : 0);
}

void SimulationHost::clockTick() {
  firmwareTick(instrument_);
  ++frameTickCount;
  if (linkReplyTicks > 0) --linkReplyTicks;
  if (frameTickCount >= EngineFramePeriodTicks) {
    frameTickCount = 0;
    buildEngineFrames(instrument_);
  }
  keepClockRam();
  if (onClockTick) onClockTick();
}

void SimulationHost::keepClockRam() {
  if (ticksSinceClockSave_ < ClockRamSaveTicks) ++ticksSinceClockSave_;
  if (writesRefused_ || filesRead_.clockRamUnreadable) return;
  const ClockRam& ram = instrument_.rtc;
  // The time registers change every second and come from the computer's clock.
  constexpr std::size_t kept = clock_offset::Control + 7;
  if (std::equal(ram.bytes.begin() + kept, ram.bytes.end(), clockRamSaved_.begin() + kept)) return;
  constexpr std::size_t inFlight = clock_offset::QnhBlock + 2;
  if (ticksSinceClockSave_ < ClockRamSaveTicks && ram.bytes[inFlight] == clockRamSaved_[inFlight]) return;
  ticksSinceClockSave_ = 0;
  const std::filesystem::path path = programFolder() / "RTC.ram";
  if (auto error = replaceFile(path, ram.bytes)) {
    // Said once, not every two seconds; the save at close says it again.
    if (!clockSaveFailed_) reportFileError(path, *error);
    clockSaveFailed_ = true;
    return;
  }
  clockSaveFailed_ = false;
  clockRamSaved_ = ram.bytes;
}

void SimulationHost::switchOn() {
  // Once the window is closing the instrument is not switched on any more.
  if (firmwareRunning_ || stopRequested_) return;
  firmwareRunning_ = true;
  firmwareActive_ = true;
  try {
    firmwareStart(instrument_);
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
  instrument_.tick.stopFirmware = 1;
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
  if (filesRead_.clockRamUnreadable || writesRefused_) return true;
  return saveClockRam(instrument_);
}

std::optional<std::string> SimulationHost::replaceFile(const std::filesystem::path& file,
                                                       std::span<const std::uint8_t> bytes) {
  if (writesRefused_ && file.parent_path() == programFolder()) return refusal_;
  auto& keep = filesRead_.keepBeforeRewrite;
  if (const auto odd = std::find(keep.begin(), keep.end(), file); odd != keep.end()) {
    const KeptCopy kept = keepOriginal(file);
    if (kept.error) return "its original could not be kept before saving: " + *kept.error;
    keep.erase(odd);
  }
  return writeFileAtomically(file, bytes);
}

}  // namespace zen
