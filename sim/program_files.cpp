#include "sim/program_files.h"

#include <filesystem>
#include <optional>
#include <utility>

#include "firmware/core/instrument.h"
#include "sim/atomic_file.h"

namespace zen {

namespace {

// The file's first maxBytes, or nothing when it is absent or unreadable.
std::optional<std::vector<std::uint8_t>> readProgramFile(Instrument& z, const char* name,
                                                         std::size_t maxBytes, bool* unreadable = nullptr) {
  const std::filesystem::path path = z.host->programFolder() / name;
  ReadResult result = readFilePrefix(path, maxBytes);
  if (result.missing) return std::nullopt;
  if (result.error) {
    if (unreadable) *unreadable = true;
    z.host->reportFileError(path, *result.error);
    return std::nullopt;
  }
  return std::move(result.bytes);
}

}  // namespace

ProgramFilesRead loadProgramFiles(Instrument& z, LogoStore& logo) {
  ProgramFilesRead read;
  // A short file replaces only the bytes it has.
  bool e2Unreadable = false;
  if (auto e2 = readProgramFile(z, "e2.rom", SettingsImage::Size, &e2Unreadable)) z.e2.write(0, *e2);
  z.keepE2File = e2Unreadable;
  if (auto rtc = readProgramFile(z, "RTC.ram", ClockRam::Size, &read.clockRamUnreadable))
    z.rtc.write(0, *rtc);

  logo.customLogo = false;
  logo.logoLength = BuiltInLogoLength;
  if (auto bytes = readProgramFile(z, "logo.bin", MaxLogoBytes)) {
    logo.bytes = std::move(*bytes);
    logo.logoLength = static_cast<std::uint16_t>(logo.bytes.size());
    logo.customLogo = true;
  }
  return read;
}

bool saveClockRam(Instrument& z) {
  const std::filesystem::path path = z.host->programFolder() / "RTC.ram";
  if (auto error = writeFileAtomically(path, z.rtc.bytes)) {
    z.host->reportFileError(path, *error);
    return false;
  }
  return true;
}

}  // namespace zen
