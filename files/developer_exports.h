// Developer exports: the panel tables of the simulated instrument as Pascal
// source for the firmware build (item locations and options, engine-monitor
// and primary-flight page presets), and the default settings image file.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "firmware/core/settings.h"

namespace zen {

struct Instrument;

inline constexpr char ItemLocationsFile[] = "Itemlocations.pas";
inline constexpr char E2ItemLocationsFile[] = "E2Itemlocations.pas";
inline constexpr char PresetFileExtension[] = "pas";

// Engine-monitor items in export order.
inline constexpr std::array<int, 11> EngineMonitorItems{3, 4, 5, 9, 10, 11, 12, 6, 7, 8, 13};

// Both location tables and the options under names that start with prefix
// ("" for Itemlocations.pas, "E2" for E2Itemlocations.pas).
std::string itemLocationsSource(const Settings& settings, std::string_view prefix);

// Page preset arrays; page 0 is page 1.
std::string engineMonitorPresetSource(const Settings& settings, int page, std::string_view arrayName);
std::string flightPresetSource(const Settings& settings, int page, std::string_view arrayName);

// The chosen file with the default extension when it has none.
std::filesystem::path presetFilePath(const std::filesystem::path& chosen);
// The array is named after the file: its name without the folder and the
// last four characters (".pas").
std::string presetArrayName(const std::filesystem::path& file);

struct ExportFailure {
  std::filesystem::path file;
  std::string reason;
};

// Text files are replaced atomically; on failure the file is left as it was.
std::optional<ExportFailure> writeSourceFile(const std::filesystem::path& file, std::string_view text);
// Writes Itemlocations.pas, then E2Itemlocations.pas, into the folder; stops at the first failure.
std::optional<ExportFailure> saveItemLocations(const Settings& settings, const std::filesystem::path& folder);

}  // namespace zen
