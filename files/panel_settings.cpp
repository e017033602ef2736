#include "files/panel_settings.h"

#include <algorithm>

#include "firmware/core/instrument.h"
#include "firmware/core/settings_store.h"
#include "firmware/instruments/derived_settings.h"
#include "firmware/instruments/panel.h"

namespace zen {

namespace {

// Values the instrument counts with or divides by. Anything else a panel
// carries is drawn or compared as it is, whatever its value.
struct ValueRule {
  int item;
  std::size_t offset;  // within the item
  std::size_t width;   // bytes, little-endian
  unsigned low, high;
  const char* name;
};

constexpr ValueRule ValueRules[] = {
    {9, 0, 1, 0, 6, "registration length"},
    {13, 0, 2, 1, 65535, "tank 1 capacity"},
    {14, 0, 2, 1, 65535, "tank 2 capacity"},
    {30, 0, 1, 1, 255, "fuel flow scale"},
    {31, 0, 1, 1, 255, "rev counter scale"},
    {35, 0, 2, 1, 65535, "rotor pulses per 10 revs"},
    {36, 0, 2, 1, 65535, "engine 100% RPM"},
    {37, 0, 2, 1, 65535, "rotor 100% RPM"},
    {41, 0, 1, 0, 12, "EGT channels"},
    {42, 0, 1, 0, 13, "CHT channels"},
    {51, 0, 1, 1, 255, "rev counter pulses per 10 revs"},
    {57, 0, 2, 1, 65535, "oil pressure max"},
    {58, 0, 1, 1, 255, "fuel pressure range"},
};

std::size_t panelOffset(int item) { return settingsItem(item).address - PanelSettingsOffset; }

}  // namespace

PanelSettings panelSettingsOf(Instrument& z) {
  PanelSettings panel{};
  for (int item = FirstPanelItem; item < SettingsItemCount; ++item) {
    const std::size_t size = itemToTransfer(z, item);
    std::copy_n(z.transferBuffer.begin(), size,
                panel.begin() + static_cast<std::ptrdiff_t>(panelOffset(item)));
  }
  return panel;
}

std::optional<std::string> panelSettingsProblem(const PanelSettings& panel) {
  for (const ValueRule& rule : ValueRules) {
    const std::size_t at = panelOffset(rule.item) + rule.offset;
    unsigned value = 0;
    for (std::size_t i = rule.width; i-- > 0;) value = (value << 8) | panel[at + i];
    if (value < rule.low || value > rule.high)
      return std::string(rule.name) + " " + std::to_string(value) + " (allowed " + std::to_string(rule.low) +
             " to " + std::to_string(rule.high) + ")";
  }
  return std::nullopt;
}

void applyPanelSettings(Instrument& z, const PanelSettings& panel) {
  // In item order: item 40 ends with the EGT count, and item 41 then sets it again.
  for (int item = FirstPanelItem; item < SettingsItemCount; ++item) {
    const auto from = panel.begin() + static_cast<std::ptrdiff_t>(panelOffset(item));
    std::copy_n(from, settingsItem(item).size, z.transferBuffer.begin());
    transferToItem(z, item);
  }
  clampItemPositions(z);
  recomputeDerivedSettings(z);
}

void writePanelSettings(SettingsImage& image, const PanelSettings& panel) {
  image.write(PanelSettingsOffset, panel);
}

}  // namespace zen
