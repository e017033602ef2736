// Shared by the fuzz harnesses: reading the fuzzer's bytes as fields, one
// program folder per fuzzer process, a host that saves in memory, and a
// fatal check.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include "firmware/core/firmware.h"
#include "firmware/core/instrument.h"
#include "firmware/core/keys.h"
#include "firmware/core/settings_store.h"
#include "firmware/instruments/air_data.h"
#include "firmware/instruments/derived_settings.h"
#include "firmware/instruments/panel.h"
#include "sim/virtual_host.h"
#include "support/temporary_folder.h"

// A broken promise of the code under test: report it and stop, so the
// fuzzer keeps the input.
#define FUZZ_REQUIRE(condition)                                                                \
  do {                                                                                         \
    if (!(condition)) {                                                                        \
      std::fprintf(stderr, "%s:%d: requirement failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                            \
    }                                                                                          \
  } while (0)

namespace zen::fuzz {

// The fuzzer's bytes, taken from the front; past the end everything reads 0.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : bytes_(data, size) {}
  bool empty() const { return bytes_.empty(); }
  std::size_t size() const { return bytes_.size(); }
  std::uint8_t byte() {
    if (bytes_.empty()) return 0;
    const std::uint8_t b = bytes_[0];
    bytes_ = bytes_.subspan(1);
    return b;
  }
  std::uint16_t u16() { return static_cast<std::uint16_t>(byte() | byte() << 8); }
  std::uint32_t u32() { return u16() | static_cast<std::uint32_t>(u16()) << 16; }
  // Up to n bytes: fewer when the input ends first.
  std::span<const std::uint8_t> take(std::size_t n) {
    const auto part = bytes_.first(std::min(n, bytes_.size()));
    bytes_ = bytes_.subspan(part.size());
    return part;
  }
  std::span<const std::uint8_t> rest() { return take(bytes_.size()); }

 private:
  std::span<const std::uint8_t> bytes_;
};

// A program folder that lives as long as the fuzzer process, so runs do not
// create and remove a folder each. It is in memory (/dev/shm) where the
// system has that: the files' code runs as on disk, without waiting for it.
inline const std::filesystem::path& programFolder() {
  static test::TemporaryFolder folder = [] {
    std::error_code error;
    const std::filesystem::path memory = "/dev/shm";
    return std::filesystem::is_directory(memory, error) && ::access(memory.c_str(), W_OK) == 0
               ? test::TemporaryFolder(memory)
               : test::TemporaryFolder();
  }();
  return folder.path();
}

// Empties the program folder, so each run starts from only the files it puts there.
inline void clearProgramFolder() {
  for (const auto& entry : std::filesystem::directory_iterator(programFolder()))
    std::filesystem::remove_all(entry.path());
}

// A host on that folder that stops by itself after runMs simulated milliseconds.
inline VirtualHost::Options hostOptions(double runMs, bool loadFiles = false) {
  VirtualHost::Options options;
  options.programFolder = programFolder();
  options.loadFiles = loadFiles;
  options.closeAfterMs = static_cast<std::uint64_t>(runMs);
  return options;
}

// A virtual-time host whose saves (RTC.ram every few seconds and at close,
// e2.rom) land in memory: the firmware sees a save that worked, and a
// fuzzer run spends no time syncing a disk nor leaves files for the next.
class MemoryHost : public VirtualHost {
 public:
  using VirtualHost::VirtualHost;
  std::optional<std::string> replaceFile(const std::filesystem::path& file,
                                         std::span<const std::uint8_t> bytes) override {
    saved[file].assign(bytes.begin(), bytes.end());
    return std::nullopt;
  }
  std::map<std::filesystem::path, std::vector<std::uint8_t>> saved;
};

// The switched-on instrument: settings loaded from its image and checked,
// the page drawn. The start-up's screens and pauses (over 100000 yields)
// are left out.
inline void switchOn(Instrument& z) {
  loadAllSettings(z);
  recomputeDerivedSettings(z);
  clampItemPositions(z);
  z.keyBits = NoKeysPressed;
  z.engine.engineSpeedValue = NoEngineSpeed;
  z.engine.engineFrameAge = 255;
  z.engine.noDataFeedMark = 1;
  redrawPage(z);
}

// The firmware's own main loop, instrument pass and page drawing until the
// host closes.
inline void showPages(VirtualHost& host) {
  Instrument& z = host.instrument();
  while (!z.tick.stopFirmware) {
    z.main.pageVisible = 1;
    mainLoop(z);
    updateInstruments(z);
    drawPageItems(z);
  }
}

// Switched on with the settings in its image, then showing its pages: a
// fuzzer run takes well under a millisecond.
inline void runPages(VirtualHost& host) {
  switchOn(host.instrument());
  showPages(host);
}

// The same for an instrument that, apart from its settings image and shown
// page, is as the host made it. Switching on does the same work for every
// input with that image and page, so it runs once and later inputs copy the
// result. The copies are kept in instruments made once, so a run leaves no
// new allocation behind (libFuzzer would run it again looking for a leak).
inline void runPagesSwitchedOnOnce(VirtualHost& host) {
  struct Kept {
    decltype(SettingsImage::bytes) image;
    std::uint8_t page;
    std::unique_ptr<Instrument> instrument;  // its host is never used: only its state is copied
  };
  static constexpr std::size_t MaxKept = 64;
  static std::vector<Kept> kept;
  static std::size_t next = 0;
  Instrument& z = host.instrument();
  const auto& image = z.e2.bytes;
  for (const Kept& k : kept) {
    if (k.page == z.main.activePage && k.image == image) {
      z.copyStateFrom(*k.instrument);
      showPages(host);
      return;
    }
  }
  if (kept.capacity() < MaxKept) kept.reserve(MaxKept);
  if (kept.size() < MaxKept) kept.push_back({{}, 0, std::make_unique<Instrument>(host)});
  Kept& slot = kept[next];
  next = (next + 1) % MaxKept;
  // Switching on never yields, so doing it in place is doing it on a fresh instrument.
  const std::uint64_t yields = host.yieldCount();
  switchOn(z);
  FUZZ_REQUIRE(host.yieldCount() == yields);
  slot.image = image;
  slot.page = z.main.activePage;
  slot.instrument->copyStateFrom(z);
  showPages(host);
}

}  // namespace zen::fuzz
