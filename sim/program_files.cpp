#include "sim/program_files.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "firmware/core/instrument.h"
#include "firmware/core/settings_store.h"
#include "firmware/core/settings_table.h"
#include "sim/atomic_file.h"

namespace zen {

namespace {

struct ProgramFile {
  std::filesystem::path path;
  std::vector<std::uint8_t> bytes;
  std::uintmax_t size = 0;
};

// The file's first maxBytes, or nothing when it is absent or unreadable.
std::optional<ProgramFile> readProgramFile(Instrument& z, const char* name, std::size_t maxBytes,
                                           bool* unreadable = nullptr) {
  const std::filesystem::path path = z.host->programFolder() / name;
  ReadResult result = readFilePrefix(path, maxBytes);
  if (result.missing) return std::nullopt;
  if (result.error) {
    if (unreadable) *unreadable = true;
    z.host->reportFileError(path, *result.error);
    return std::nullopt;
  }
  return ProgramFile{path, std::move(result.bytes), result.size};
}

// A memory file of another size: said at start, and kept before its first rewrite.
void noteOddSize(ProgramFilesRead& read, const ProgramFile& file, std::size_t memorySize) {
  if (file.size == memorySize) return;
  const std::string name = file.path.filename().string();
  const std::string size = std::to_string(memorySize);
  std::string text = "it is " + std::to_string(file.size) + " bytes, not " + size + ": ";
  text += file.size > memorySize ? "only the first " + size + " are used"
                                 : "the memory beyond them starts as zeros";
  text +=
      "; the whole file is kept as " + name + ".orig (or .orig.2 and on, if taken) before it is first saved";
  read.notices.push_back({file.path, text});
  read.keepBeforeRewrite.push_back(file.path);
}

}  // namespace

ProgramFilesRead loadProgramFiles(Instrument& z, LogoStore& logo) {
  ProgramFilesRead read;
  // A short file replaces only the bytes it has.
  bool e2Unreadable = false;
  if (auto e2 = readProgramFile(z, "e2.rom", SettingsImage::Size, &e2Unreadable)) {
    z.e2.write(0, e2->bytes);
    noteOddSize(read, *e2, SettingsImage::Size);
  }
  z.keepE2File = e2Unreadable;
  if (auto rtc = readProgramFile(z, "RTC.ram", ClockRam::Size, &read.clockRamUnreadable)) {
    z.rtc.write(0, rtc->bytes);
    noteOddSize(read, *rtc, ClockRam::Size);
  }

  logo.customLogo = false;
  logo.logoLength = BuiltInLogoLength;
  if (auto file = readProgramFile(z, "logo.bin", MaxLogoBytes)) {
    if (file->size > MaxLogoBytes)
      read.notices.push_back({file->path, "it is " + std::to_string(file->size) + " bytes: only the first " +
                                              std::to_string(MaxLogoBytes) + " are used"});
    logo.bytes = std::move(file->bytes);
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
  if (auto error = z.host->replaceFile(path, z.rtc.bytes)) {
    z.host->reportFileError(path, *error);
    return false;
  }
  return true;
}

FolderCheck prepareProgramFolder(const std::filesystem::path& folder) {
  FolderCheck check;
  auto unusable = [&](const std::string& why) {
    check.readable = check.writable = false;
    check.notice = why + ": nothing is read from it or saved in it in this run";
    check.refusal = "not saved: the program folder cannot be used (" + why + ")";
    return check;
  };
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(folder, ec);
  if (ec && ec != std::errc::no_such_file_or_directory) return unusable(ec.message());
  if (std::filesystem::exists(status)) {
    if (!std::filesystem::is_directory(status)) return unusable("it is not a folder");
    // access() rather than the permission bits: a read-only mount says no too.
    if (::access(folder.c_str(), W_OK) != 0) {
      const std::string why = std::error_code(errno, std::generic_category()).message();
      check.writable = false;
      check.notice = why + ": the program cannot write into this folder, so nothing is saved in this run";
      check.refusal = "not saved: the program folder is not writable (" + why + ")";
    }
    return check;
  }
  // "DIR/" names DIR, whose parent is one up.
  const std::filesystem::path parent =
      folder.has_filename() ? folder.parent_path() : folder.parent_path().parent_path();
  if (!std::filesystem::is_directory(parent, ec))
    return unusable("the program folder does not exist, nor does " + parent.string());
  if (!std::filesystem::create_directory(folder, ec) && ec)
    return unusable("cannot create it: " + ec.message());
  check.created = true;
  check.notice = "the program folder did not exist; it has been created";
  return check;
}

}  // namespace zen
