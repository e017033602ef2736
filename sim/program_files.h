// The files beside the program that hold the simulated instrument's memories
// between runs: e2.rom, RTC.ram and the optional logo.bin.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "hardware/glyphs.h"
#include "hardware/hardware.h"

namespace zen {

struct Instrument;
struct Settings;

inline constexpr std::size_t MaxLogoBytes = 10000;

struct LogoStore {
  std::vector<std::uint8_t> bytes;
  bool customLogo = false;  // logo.bin replaces the built-in logo
  std::uint16_t logoLength = BuiltInLogoLength;

  // The logo the instrument shows: logo.bin when loaded, else the built-in one.
  std::span<const std::uint8_t> startLogo() const {
    if (!customLogo) return BuiltInStartLogo;
    return std::span<const std::uint8_t>(bytes).first(std::min<std::size_t>(logoLength, bytes.size()));
  }
};

// Something the user should know about a file, though nothing failed.
struct FileNotice {
  std::filesystem::path file;
  std::string text;
};

struct ProgramFilesRead {
  bool clockRamUnreadable = false;  // RTC.ram exists but could not be read
  // Files of another size than the memory they fill: the next save would
  // drop what they hold beyond it, so each is kept once before that.
  std::vector<std::filesystem::path> keepBeforeRewrite;
  std::vector<FileNotice> notices;
};

// Start-up loads from the program folder. A missing file skips its step; a
// read error is reported to the host and skips it too.
ProgramFilesRead loadProgramFiles(Instrument& z, LogoStore& logo);

// A new program folder gets an e2.rom holding the built-in default settings,
// so the instrument starts with the default panel and a working calibration;
// an existing e2.rom is left alone. written is set only once the file was
// read back and holds exactly the defaults.
struct DefaultSettingsFile {
  std::filesystem::path path;
  bool written = false;
  std::optional<std::string> error;
};
DefaultSettingsFile writeDefaultSettingsIfMissing(const std::filesystem::path& folder);

// Whether loading the image would give exactly these settings: false once a
// panel load, an upload or a designer change is not yet saved.
bool imageHoldsSettings(const SettingsImage& image, const Settings& settings);

// Writes the clock RAM to RTC.ram, replacing the file; errors are reported.
// Returns whether it was written.
bool saveClockRam(Instrument& z);

// The program folder as found at start: one that is missing is created when
// its parent exists. Never throws.
struct FolderCheck {
  bool readable = true;  // it exists (now) as a folder
  bool writable = true;  // and the program may write into it
  bool created = false;  // missing, and made now: news, not a fault
  std::string notice;    // what to tell the user at start; empty: nothing
  std::string refusal;   // why a file was not written, when not writable
};
FolderCheck prepareProgramFolder(const std::filesystem::path& folder);

}  // namespace zen
