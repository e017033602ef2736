// "Enable screen items" and "Alarm enable setup": one line per panel item or
// alarm with its state at the right; Select steps the state of the line.
#include <array>
#include <string_view>

#include "firmware/core/alarm_bits.h"
#include "firmware/core/instrument.h"
#include "firmware/core/settings_store.h"
#include "firmware/instruments/panel_items.h"
#include "firmware/menus/menu_engine.h"
#include "firmware/menus/screen_lists.h"

namespace zen {

namespace {

// ------------------------------------------------------------- screen items

// The page bits of an item's options byte; the style bits beside them stay.
constexpr std::uint8_t Page1Bit = 0x01;
constexpr std::uint8_t Page2Bit = 0x10;
constexpr std::uint8_t PageBits = Page1Bit | Page2Bit;

void showItemPages(Instrument& z, ShortText& value) {
  switch (z.settings.itemOptions[z.menus.drawIndex] & PageBits) {
    case 0:
      value.assign("No display");
      break;
    case Page1Bit:
      value.assign("Page 1");
      break;
    case Page2Bit:
      value.assign("Page 2");
      break;
    default:
      value.assign("Page 1+2");
      break;
  }
}

// None, page 1, page 2, both, none again.
void stepItemPages(Instrument& z) {
  std::uint8_t& options = z.settings.itemOptions[z.menus.selectedIndex];
  const std::uint8_t pages = options & PageBits;
  const std::uint8_t next = pages == 0          ? Page1Bit
                            : pages == Page1Bit ? Page2Bit
                            : pages == Page2Bit ? PageBits
                                                : 0;
  options = static_cast<std::uint8_t>((options & ~PageBits) | next);
}

const std::array<MenuEntry, PanelItemCount>& itemEntries() {
  static const auto entries = [] {
    std::array<MenuEntry, PanelItemCount> list{};
    for (int item = 0; item < PanelItemCount; ++item)
      list[static_cast<std::size_t>(item)] = {itemName(item), showItemPages, stepItemPages};
    return list;
  }();
  return entries;
}

// ------------------------------------------------------------- alarms

// Line n stands for bit n of alarmEnables.
static_assert(alarm::Egt == 1 << 0 && alarm::RotorSpeed == 1 << 15);

void showAlarmEnabled(Instrument& z, ShortText& value) {
  value.assign((z.settings.alarmEnables >> z.menus.drawIndex) & 1u ? "Enabled" : "Disabled");
}

void toggleAlarm(Instrument& z) {
  z.settings.alarmEnables =
      static_cast<std::uint16_t>(z.settings.alarmEnables ^ (1u << z.menus.selectedIndex));
}

constexpr MenuEntry alarmLine(std::string_view label) { return {label, showAlarmEnabled, toggleAlarm}; }

constexpr MenuEntry AlarmEntries[] = {
    alarmLine("EGT alarm"),
    alarmLine("CHT alarm"),
    alarmLine("Oil pressure high alarm"),
    alarmLine("Oil pressure low alarm"),
    alarmLine("Oil temp. high alarm"),
    alarmLine("Oil temp. low alarm"),
    alarmLine("Coolant temp. high alarm"),
    alarmLine("Coolant temp. Low alarm"),
    alarmLine("Fuel level 1 low alarm"),
    alarmLine("Fuel level 2 low alarm"),
    alarmLine("ASI below Vs alarm"),
    alarmLine("ASI above Vne alarm"),
    alarmLine("Altitude alarm"),
    alarmLine("ICE warn alarm"),
    alarmLine("Fuel pressure alarm"),
    alarmLine("Rotor speed alarm"),
};
static_assert(std::size(AlarmEntries) == 16);

}  // namespace

void enableScreenItems(Instrument& z) {
  runMenu(z, {"Screen items enable", itemEntries(), MenuLayout::ValuesRight});
  saveSettingsItem(z, settings_item::ItemOptions, &z.settings.itemOptions, sizeof z.settings.itemOptions);
}

const Menu& alarmEnableMenu() {
  static constexpr Menu menu{"Alarm enable setup", AlarmEntries, MenuLayout::ValuesRight};
  return menu;
}

void alarmEnableSetup(Instrument& z) {
  runMenu(z, alarmEnableMenu());
  saveSettingsItem(z, settings_item::AlarmEnables, &z.settings.alarmEnables, sizeof z.settings.alarmEnables);
}

}  // namespace zen
