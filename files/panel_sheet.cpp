#include "files/panel_sheet.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "files/item_styles.h"
#include "files/panel_overlaps.h"
#include "firmware/core/firmware_state.h"
#include "firmware/core/instrument.h"
#include "firmware/core/settings_table.h"
#include "firmware/instruments/panel_items.h"
#include "firmware/instruments/screen_presets.h"
#include "firmware/menus/menu_engine.h"
#include "firmware/menus/screen_lists.h"
#include "firmware/menus/setup_menus.h"
#include "firmware/menus/value_entries.h"

namespace zen {

namespace {

constexpr std::size_t TankPoints = 6;

struct Glyph {
  std::uint8_t code;
  const char* text;
};
// The unit and mark glyphs the setup values use.
constexpr Glyph Glyphs[] = {{158, "ft"},  {159, "mph"},  {160, "°C"},  {161, "°F"},     {162, "l"},
                            {163, "gal"}, {164, "kg"},   {165, "lb"},  {166, "kt"},     {167, "km"},
                            {168, "nm"},  {169, "km/h"}, {170, "m/s"}, {171, "ft/min"}, {172, "mi"},
                            {174, "up"},  {175, "down"}, {176, "psi"}, {177, "°M"},     {178, "°T"}};

std::string trimmedLabel(std::string_view label) {
  std::string text = readableText(label);
  while (!text.empty() && (text.back() == ' ' || text.back() == ':')) text.pop_back();
  return text;
}

std::string shown(const ShortText& value) {
  std::string text =
      readableText(std::string_view(reinterpret_cast<const char*>(value.codes.data()), value.length));
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Every line of a menu as the instrument shows it.
SheetSection menuSection(Instrument& z, std::string title, const Menu& menu) {
  SheetSection section{std::move(title), {}};
  for (std::size_t i = 0; i < menu.entries.size(); ++i) {
    const MenuEntry& entry = menu.entries[i];
    ShortText value;
    z.menus.drawIndex = static_cast<std::uint8_t>(i);
    if (entry.show) entry.show(z, value);
    // The probe points share one label; the value names the temperature.
    section.lines.emplace_back(trimmedLabel(entry.label), shown(value));
  }
  return section;
}

std::string menuValue(const SheetSection& section, std::string_view label) {
  for (const auto& [name, value] : section.lines)
    if (name == label) return value;
  return "---";
}

// The presets whose engine settings are the instrument's; some presets
// differ only in the gauges they show.
std::string engineType(Instrument& z) {
  std::vector<std::uint8_t> block;
  for (int item = settings_item::EngineBlockFirst; item <= settings_item::EngineBlockLast; ++item)
    std::ranges::copy(itemBytes(z.settings, item), std::back_inserter(block));
  std::string names;
  for (int engine = 0; engine < EngineTypeCount; ++engine) {
    bool matches = false;
    for (int preset : {engine, engine + EngineTypeCount}) {
      const auto stored = enginePresetSettingsBlock(preset);
      matches = matches || (!stored.empty() && std::ranges::equal(stored, block));
    }
    if (!matches) continue;
    if (!names.empty()) names += " or ";
    names += EngineTypeNames[static_cast<std::size_t>(engine)];
  }
  return names.empty() ? "Own settings (no engine preset)" : names;
}

SheetSection tankSection(Instrument& z) {
  SheetSection section{"Fuel tanks", {}};
  const std::array<const std::array<std::uint16_t, 7>*, 2> tables = {&z.settings.tank1Calibration,
                                                                     &z.settings.tank2Calibration};
  for (std::size_t tank = 0; tank < tables.size(); ++tank) {
    const auto& table = *tables[tank];
    const std::string name = "Tank " + std::to_string(tank + 1);
    ShortText capacity;
    appendFuelQuantity(z, capacity, table[0]);
    section.lines.emplace_back(name + " capacity", shown(capacity));
    std::string points;
    for (std::size_t point = 0; point < TankPoints; ++point) {
      if (point) points += ", ";
      points += std::to_string(point * 20) + " %: " + std::to_string(table[point + 1]);
    }
    section.lines.emplace_back(name + " sender readings", points);
  }
  return section;
}

// The airspeed band's marks, from the limits as the basic setup shows them.
SheetSection speedSection(const SheetSection& basic) {
  const std::string vs = menuValue(basic, "Stall speed VS"), vf = menuValue(basic, "Flap speed VF"),
                    vno = menuValue(basic, "Manouvering speed Vno"),
                    vne = menuValue(basic, "Never exceed speed Vne");
  return {"Speed limits and colours",
          {{"White arc (flaps)", vs + " to " + vf},
           {"Green arc (normal)", vs + " to " + vno},
           {"Yellow arc (caution)", vno + " to " + vne},
           {"Red line (never exceed)", vne}}};
}

std::vector<SheetItem> pageItems(Instrument& z, int page) {
  std::vector<SheetItem> items;
  for (const ItemBox& box : pageItemBoxes(z, page))
    items.push_back({std::string(itemName(box.item)), styleName(box.item, itemStyleOn(z, box.item, page)),
                     "(" + std::to_string(box.x) + ", " + std::to_string(box.y) + ")"});
  return items;
}

std::string registration(const Settings& s) {
  const std::size_t length = std::min<std::size_t>(s.registration.length, s.registration.chars.size());
  const std::string text(s.registration.chars.data(), length);
  return text.empty() ? "---" : readableText(text);
}

}  // namespace

std::string readableText(std::string_view codes) {
  std::string text;
  for (const char c : codes) {
    const auto code = static_cast<std::uint8_t>(c);
    if (code >= 32 && code < 127) {
      text += c;
      continue;
    }
    const auto glyph = std::ranges::find(Glyphs, code, &Glyph::code);
    if (glyph != std::end(Glyphs)) text += glyph->text;
  }
  return text;
}

SheetDocument panelSheetDocument(RenderOptions options, const SheetOrigin& origin) {
  SheetDocument document;
  for (int page = 1; page <= 2; ++page) {
    options.page = page;
    if (page == 1)
      options.atEnd = [&](Instrument& z) { document.sheet = makePanelSheet(z, origin); };
    else
      options.atEnd = nullptr;
    document.screens[static_cast<std::size_t>(page - 1)] = *renderScreen(options);
  }
  return document;
}

PanelSheet makePanelSheet(Instrument& z, const SheetOrigin& origin) {
  PanelSheet sheet;
  sheet.title = "Corvalen Orvex Zenara panel sheet";
  sheet.identity = {"Instrument",
                    {{"Instrument", "Corvalen Orvex Zenara"},
                     {"Firmware version", FirmwareVersion},
                     {"Registration", registration(z.settings)},
                     {"Made by", origin.program},
                     {"Settings from", origin.source},
                     {"Date", origin.date}}};
  for (int page = 0; page < 2; ++page) sheet.pages[static_cast<std::size_t>(page)] = pageItems(z, page);

  SheetSection engine = menuSection(z, "Engine monitor", engineSetupMenu());
  engine.lines.insert(engine.lines.begin(), {"Engine type", engineType(z)});
  const SheetSection basic = menuSection(z, "Basic settings", basicSetupMenu());
  sheet.settings = {std::move(engine),
                    menuSection(z, "Senders", senderSetupMenu()),
                    menuSection(z, "Units and modes", modeSetupMenu()),
                    menuSection(z, "Alarms", alarmEnableMenu()),
                    tankSection(z),
                    speedSection(basic),
                    basic};
  sheet.overlaps = overlapReport(z);
  return sheet;
}

}  // namespace zen
