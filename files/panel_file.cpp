#include "files/panel_file.h"

#include "sim/atomic_file.h"

namespace zen {

namespace {

// Longer files are read up to their panel; what follows is not looked at.
constexpr std::size_t ReadLimit = PanelFileLength;

std::uint16_t word(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

std::string tooShort(const std::string& name, std::size_t size) {
  return "The panel file " + name + " ends after " + std::to_string(size) + " of its " +
         std::to_string(PanelFileLength) + " bytes. Nothing was loaded.";
}

}  // namespace

std::vector<std::uint8_t> encodePanelFile(const PanelSettings& panel) {
  std::vector<std::uint8_t> bytes(PanelFileLength);
  bytes[0] = PanelLayoutVersion & 0xFF;
  bytes[1] = PanelLayoutVersion >> 8;
  bytes[2] = imageLength & 0xFF;
  bytes[3] = imageLength >> 8;
  std::copy(panel.begin(), panel.end(), bytes.begin() + PanelFileHeaderLength);
  return bytes;
}

PanelRead decodePanelFile(std::span<const std::uint8_t> bytes, const std::string& name) {
  if (bytes.size() < 2) return {std::nullopt, tooShort(name, bytes.size())};
  if (word(bytes, 0) != PanelLayoutVersion) return {std::nullopt, IncompatibleVersionMessage};
  if (bytes.size() < PanelFileHeaderLength) return {std::nullopt, tooShort(name, bytes.size())};
  if (word(bytes, 2) != imageLength) return {std::nullopt, IncompatibleLengthMessage};
  if (bytes.size() < PanelFileLength) return {std::nullopt, tooShort(name, bytes.size())};
  PanelSettings panel;
  std::copy_n(bytes.begin() + PanelFileHeaderLength, panel.size(), panel.begin());
  if (auto problem = panelSettingsProblem(panel))
    return {std::nullopt,
            "The panel file " + name + " has an invalid value: " + *problem + ". Nothing was loaded."};
  return {panel, {}};
}

std::optional<std::string> writePanelFile(const PanelSettings& panel, const std::filesystem::path& file) {
  if (auto error = writeFileAtomically(file, encodePanelFile(panel)))
    return "Cannot write the panel file " + file.string() + ": " + *error;
  return std::nullopt;
}

std::optional<std::string> savePanelFile(Instrument& z, const std::filesystem::path& file) {
  return writePanelFile(panelSettingsOf(z), file);
}

PanelRead readPanelFile(const std::filesystem::path& file) {
  const ReadResult read = readFilePrefix(file, ReadLimit);
  if (read.missing) return {std::nullopt, "Cannot open the panel file " + file.string() + ": no such file"};
  if (read.error) return {std::nullopt, "Cannot read the panel file " + file.string() + ": " + *read.error};
  return decodePanelFile(read.bytes, file.string());
}

std::optional<std::string> loadPanelFile(Instrument& z, const std::filesystem::path& file) {
  const PanelRead read = readPanelFile(file);
  if (!read.panel) return read.message;
  applyPanelSettings(z, *read.panel);
  return std::nullopt;
}

}  // namespace zen
