#include "sim/program_files.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <utility>

#include "firmware/core/instrument.h"
#include "firmware/core/settings_store.h"
#include "firmware/core/settings_table.h"
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

DefaultSettingsFile writeDefaultSettingsIfMissing(const std::filesystem::path& folder) {
  DefaultSettingsFile result;
  result.path = folder / "e2.rom";
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  // Anything under that name, even a dangling link, counts as the user's.
  const auto type =
      error ? std::filesystem::file_type::none : std::filesystem::symlink_status(result.path, error).type();
  if (type != std::filesystem::file_type::not_found) {
    if (type == std::filesystem::file_type::none) result.error = error.message();
    return result;
  }
  // A fresh instrument's settings are all zero; the defaults keep that for the items they leave alone.
  const SettingsImage image = imageFromDefaults(Settings{});
  if ((result.error = writeFileAtomically(result.path, image.bytes))) return result;
  const ReadResult back = readFilePrefix(result.path, SettingsImage::Size + 1);
  if (back.error)
    result.error = *back.error;
  else if (back.missing || back.bytes != std::vector<std::uint8_t>(image.bytes.begin(), image.bytes.end()))
    result.error = "the file does not hold the settings just written";
  else
    result.written = true;
  return result;
}

bool imageHoldsSettings(const SettingsImage& image, const Settings& settings) {
  // Loaded item by item, so that bytes written twice (the EGT count) compare as the firmware reads them.
  Settings loaded{};
  for (int n = 0; n < SettingsItemCount; ++n) image.read(settingsItem(n).address, itemBytes(loaded, n));
  for (int n = 0; n < SettingsItemCount; ++n) {
    const auto mine = itemBytes(settings, n);
    const auto held = itemBytes(std::as_const(loaded), n);
    if (!std::equal(mine.begin(), mine.end(), held.begin(), held.end())) return false;
  }
  return true;
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
