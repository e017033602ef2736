// Settings file in the classic Windows INI layout. Users carry their SM.INI
// over from older installations and edit it by hand, so every line the
// program does not change is written back exactly as it was read.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zen {

class IniFile {
 public:
  // A missing file is not an error: it yields an empty file, as on first run.
  std::optional<std::string> load(const std::filesystem::path& path);
  void parse(std::string_view text);

  // Section and key names match regardless of ASCII letter case; the first
  // matching section and key win, as with the Windows profile functions.
  std::optional<std::string> readString(std::string_view section, std::string_view key) const;
  // Falls back to defaultValue unless the value is a plain decimal number that fits.
  int readInteger(std::string_view section, std::string_view key, int defaultValue) const;

  // The value is cut at its first line break, which would otherwise split the line.
  void writeString(std::string_view section, std::string_view key, std::string_view value);
  void writeInteger(std::string_view section, std::string_view key, int value);

  // Always CRLF line ends, as the file's Windows readers expect.
  std::string text() const;
  std::optional<std::string> save(const std::filesystem::path& path) const;

 private:
  struct Entry {
    std::size_t line;
    std::string_view key;
    std::string_view value;
  };
  std::optional<std::size_t> findSection(std::string_view section) const;
  // Index one past the section's last line.
  std::size_t sectionEnd(std::size_t header) const;
  std::optional<Entry> findKey(std::size_t header, std::string_view key) const;

  bool bom_ = false;
  std::vector<std::string> lines_;
};

// The entry in folder whose name equals name regardless of ASCII case
// (an exact match is preferred), else folder / name.
std::filesystem::path findFileNoCase(const std::filesystem::path& folder, std::string_view name);

}  // namespace zen
