// SM.INI as users may leave it: whatever is read and written back reads the
// same, and a value the program writes reads back as written.
//
// Input: one byte choosing the section and key to write, the value up to the
// first 0 byte, then the file's text.
#include <algorithm>
#include <array>
#include <set>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "sim/ini_file.h"

namespace {

// Where the program writes: the port, the slider positions, the device map.
constexpr std::array<std::string_view, 3> Sections = {"General", "settings", "Devices"};
constexpr std::array<std::string_view, 4> Keys = {"PORT", "Slider1", "Slider21", "COM1"};

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool sameName(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

std::string lowered(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// The first MaxNames section and key names the text could hold, as written in
// it, each once whatever its case. A lookup reads the whole file, so checking
// every name of a long file would take time that grows with its square; the
// fuzzer makes a name it wants checked among the first ones.
constexpr std::size_t MaxNames = 16;
std::vector<std::pair<std::string, std::string>> namesIn(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> names;
  std::set<std::pair<std::string, std::string>> seen;
  std::string section;
  while (!text.empty() && names.size() < MaxNames) {
    const std::size_t nl = text.find('\n');
    const std::string_view line = trimmed(text.substr(0, nl));
    text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
    if (line.starts_with('[') && line.find(']') != std::string_view::npos) {
      section = trimmed(line.substr(1, line.find(']') - 1));
    } else if (const std::size_t eq = line.find('='); eq != std::string_view::npos) {
      const std::string key(trimmed(line.substr(0, eq)));
      if (seen.emplace(lowered(section), lowered(key)).second) names.emplace_back(section, key);
    }
  }
  return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zen;
  fuzz::Input in(data, size);
  const std::uint8_t choice = in.byte();
  const auto rest = in.rest();
  const auto zero = std::find(rest.begin(), rest.end(), 0);
  const std::string value(rest.begin(), zero);
  const std::string text(zero == rest.end() ? zero : zero + 1, rest.end());

  IniFile read;
  read.parse(text);
  const std::string written = read.text();
  IniFile reread;
  reread.parse(written);
  FUZZ_REQUIRE(reread.text() == written);
  const auto names = namesIn(text);
  for (const auto& [section, key] : names) {
    FUZZ_REQUIRE(reread.readString(section, key) == read.readString(section, key));
    FUZZ_REQUIRE(reread.readInteger(section, key, -7) == read.readInteger(section, key, -7));
  }

  const std::string_view section = Sections[choice % Sections.size()];
  const std::string_view key = Keys[(choice / Sections.size()) % Keys.size()];
  read.writeString(section, key, value);
  IniFile saved;
  saved.parse(read.text());
  const std::string_view firstLine = std::string_view(value).substr(0, value.find_first_of("\r\n"));
  FUZZ_REQUIRE(saved.readString(section, key) == std::string(trimmed(firstLine)));
  // Nothing else changed.
  for (const auto& [otherSection, otherKey] : names) {
    if (sameName(otherSection, section) && sameName(otherKey, key)) continue;
    FUZZ_REQUIRE(saved.readString(otherSection, otherKey) == reread.readString(otherSection, otherKey));
  }
  return 0;
}
