// Panel configuration files (.pcf): layout version 1, the item area's length
// (573), then settings items 7 to 64 as the panel carries them; 567 bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "files/panel_settings.h"

namespace zen {

struct Instrument;

inline constexpr std::uint16_t PanelLayoutVersion = 1;
inline constexpr std::size_t PanelFileHeaderLength = 4;
inline constexpr std::size_t PanelFileLength = PanelFileHeaderLength + PanelSettingsLength;  // 567

inline constexpr char IncompatibleVersionMessage[] = "Panel file has an incompatible version number";
inline constexpr char IncompatibleLengthMessage[] = "Panel file has an incompatible length value";

std::vector<std::uint8_t> encodePanelFile(const PanelSettings& panel);

// A panel read and checked whole, or the message that says why it was refused.
struct PanelRead {
  std::optional<PanelSettings> panel;
  std::string message;
};

// `name` is how messages call the file.
PanelRead decodePanelFile(std::span<const std::uint8_t> bytes, const std::string& name);

// Writes the panel to the file, replacing it in one step. Returns the
// message for the user when it could not.
std::optional<std::string> writePanelFile(const PanelSettings& panel, const std::filesystem::path& file);
// The same with the instrument's current panel.
std::optional<std::string> savePanelFile(Instrument& z, const std::filesystem::path& file);

// Reads and checks a whole panel file; nothing is applied here.
PanelRead readPanelFile(const std::filesystem::path& file);

// Reads, checks and then applies a panel file to the instrument; a file that
// is refused changes nothing. Returns the message for the user when refused.
std::optional<std::string> loadPanelFile(Instrument& z, const std::filesystem::path& file);

}  // namespace zen
