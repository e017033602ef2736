#include "files/developer_exports.h"

#include <cstdio>
#include <span>

#include "firmware/core/settings_table.h"
#include "sim/atomic_file.h"

namespace zen {

namespace {

constexpr int EntriesPerLine = 10;
constexpr int FlightItemCount = 28;   // items 0, 1, 2 and 14..38
constexpr int FlightLabelCount = 20;  // items 49..68
constexpr int FirstFlightLabel = 49;

std::array<int, FlightItemCount> flightItems() {
  std::array<int, FlightItemCount> items{0, 1, 2};
  for (int i = 3; i < FlightItemCount; ++i) items[i] = 11 + i;
  return items;
}

// Ten entries to a line, each followed by "," except the very last.
template <typename Entry>
void appendTable(std::string& out, std::string_view header, int count, Entry entry) {
  out += header;
  out += '\n';
  for (int i = 0; i < count; ++i) {
    out += entry(i);
    if (i + 1 < count) out += ',';
    if ((i + 1) % EntriesPerLine == 0 || i + 1 == count) out += '\n';
  }
  out += ");\n";
}

std::string locationEntry(const ItemLocation& place) {
  return "(X:" + std::to_string(place.column) + ";Y:" + std::to_string(place.row) + ")";
}

bool shownOn(std::uint8_t options, int page) { return (options & (page == 0 ? 0x01 : 0x10)) != 0; }

const std::array<ItemLocation, PanelItemCount>& locationsOf(const Settings& s, int page) {
  return page == 0 ? s.page1Locations : s.page2Locations;
}

// Hidden: n,0,   shown: n,$NN,column,row,
std::string itemRecord(const Settings& s, int page, int item, int number) {
  const std::uint8_t options = s.itemOptions[item];
  if (!shownOn(options, page)) return std::to_string(number) + ",0,\n";
  const int nibble = page == 0 ? (options & 0x0F) : (options >> 4);
  char hex[4];
  std::snprintf(hex, sizeof hex, "%02X", nibble);
  const ItemLocation& place = locationsOf(s, page)[item];
  return std::to_string(number) + ",$" + hex + "," + std::to_string(place.column) + "," +
         std::to_string(place.row) + ",\n";
}

// Array elements of one record.
int recordLength(const Settings& s, int page, int item) { return shownOn(s.itemOptions[item], page) ? 4 : 2; }

void appendBytes(std::string& out, std::span<const std::uint8_t> bytes) {
  for (std::uint8_t b : bytes) out += std::to_string(b) + ",";
}

}  // namespace

std::string itemLocationsSource(const Settings& s, std::string_view prefix) {
  const std::string name(prefix);
  std::string out;
  for (int page = 0; page < 2; ++page) {
    const auto& places = locationsOf(s, page);
    appendTable(
        out,
        name + "ItemLocation" + std::to_string(page + 1) + ": array[0..NumberOfItems-1] of TItemLocation = (",
        PanelItemCount, [&](int i) { return locationEntry(places[i]); });
    out += '\n';
  }
  appendTable(out, name + "ItemOptions: array[0..NumberOfItems-1] of byte = (", PanelItemCount,
              [&](int i) { return std::to_string(s.itemOptions[i]); });
  return out;
}

std::string engineMonitorPresetSource(const Settings& s, int page, std::string_view arrayName) {
  int count = 0;
  for (int item : EngineMonitorItems) count += recordLength(s, page, item);

  // Settings items 41..53 as the image stores them: 24 bytes on three lines.
  std::string settingsLines;
  auto line = [&](int first, int last) {
    for (int n = first; n <= last; ++n) appendBytes(settingsLines, itemBytes(s, n));
    settingsLines += '\n';
  };
  line(41, 46);
  line(47, 51);
  line(52, 53);

  std::string out = std::string(arrayName) + ": array[0.." + std::to_string(count + 26) + "] of byte = (\n";
  out += "24, //engine monitor setting size\n";
  out += settingsLines;
  out += "11, //11 engine monitor items\n";
  for (int item : EngineMonitorItems) out += itemRecord(s, page, item, item);
  out += "$FF);\n\n";
  return out;
}

std::string flightPresetSource(const Settings& s, int page, std::string_view arrayName) {
  const auto items = flightItems();
  int count = 0;
  for (int item : items) count += recordLength(s, page, item);
  for (int label = 0; label < FlightLabelCount; ++label)
    count += recordLength(s, page, FirstFlightLabel + label);

  std::string out = std::string(arrayName) + ": array[0.." + std::to_string(count + 2) + "] of byte = (\n";
  out += "28, //28 items\n";
  for (int item : items) out += itemRecord(s, page, item, item);
  out += "20, //20 labels\n";
  for (int label = 0; label < FlightLabelCount; ++label)
    out += itemRecord(s, page, FirstFlightLabel + label, label);
  out += "$FF);\n\n";
  return out;
}

std::filesystem::path presetFilePath(const std::filesystem::path& chosen) {
  if (chosen.has_extension()) return chosen;
  std::filesystem::path withExtension = chosen;
  withExtension += std::string(".") + PresetFileExtension;
  return withExtension;
}

std::string presetArrayName(const std::filesystem::path& file) {
  const std::string name = file.filename().string();
  return name.size() > 4 ? name.substr(0, name.size() - 4) : std::string();
}

std::optional<ExportFailure> writeSourceFile(const std::filesystem::path& file, std::string_view text) {
  const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  if (auto error = writeFileAtomically(file, bytes)) return ExportFailure{file, *error};
  return std::nullopt;
}

std::optional<ExportFailure> saveItemLocations(const Settings& s, const std::filesystem::path& folder) {
  if (auto failure = writeSourceFile(folder / ItemLocationsFile, itemLocationsSource(s, ""))) return failure;
  return writeSourceFile(folder / E2ItemLocationsFile, itemLocationsSource(s, "E2"));
}

}  // namespace zen
