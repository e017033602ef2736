// "Engine type quick select": the recommended engine settings and gauge
// positions of a known engine, put on the page the pilot chooses.
#include <algorithm>

#include "firmware/core/instrument.h"
#include "firmware/core/keys.h"
#include "firmware/core/settings_store.h"
#include "firmware/instruments/derived_settings.h"
#include "firmware/instruments/panel.h"
#include "firmware/instruments/screen_presets.h"
#include "firmware/menus/menu_engine.h"
#include "firmware/menus/screen_lists.h"

namespace zen {

namespace {

static_assert(SettingsItemTable[settings_item::EngineBlockLast + 1].address -
                      SettingsItemTable[settings_item::EngineBlockFirst].address ==
                  EngineSettingsBlockSize,
              "an engine preset's block fills the engine settings items exactly");

constexpr std::uint8_t ListColumn = 2;
constexpr std::uint8_t BracketColumn = 1;
constexpr std::uint8_t BracketWidth = 38;

std::uint8_t engineRow(int engine) { return static_cast<std::uint8_t>(engine * 2 + MenuFirstRow); }

void drawEngineList(Instrument& z, int selected) {
  Screen& s = z.screen;
  s.clearScreen();
  s.drawTextAt(11, 0, "Engine quick select");
  for (int n = 0; n < EngineTypeCount; ++n)
    s.drawTextAt(ListColumn, engineRow(n), EngineTypeNames[static_cast<std::size_t>(n)]);
  markField(z, engineRow(selected), BracketColumn, BracketWidth, true);
}

bool confirmEngine(Instrument& z, std::string_view name) {
  ShortText engine("the ");
  engine.append(name);
  engine.append(" engine ?");
  const ScreenLine question[] = {{0, 4, "Do you want to set engine monitoring"},
                                 {0, 6, "to the recommended settings for"},
                                 {0, 8, engine},
                                 {0, 12, "Press \"+\" for yes, \"-\" for no"},
                                 {0, 28, "Note: you may need to set rev counter"}};
  return askYesNo(z, question);
}

// Items 41 to 53 in image order, as the preset stores them.
void storeEngineSettings(Instrument& z, std::span<const std::uint8_t> block) {
  for (int item = settings_item::EngineBlockFirst; item <= settings_item::EngineBlockLast; ++item) {
    const auto field = itemBytes(z.settings, item);
    std::copy_n(block.begin(), field.size(), field.begin());
    block = block.subspan(field.size());
  }
}

void applyEngine(Instrument& z, int engine) {
  if (!confirmEngine(z, EngineTypeNames[static_cast<std::size_t>(engine)])) return;
  const int page = selectTargetPage(z);
  if (page == PageCancelled) return;
  const int preset = engine + (page == 1 ? 0 : EngineTypeCount);
  const auto block = enginePresetSettingsBlock(preset);
  if (!block.empty()) {
    storeEngineSettings(z, block);
    // The pulses per revolution and the limits feed the rev counter factor
    // and the bar scales; stale ones would misread RPM until a restart.
    recomputeDerivedSettings(z);
  }
  applyScreenPreset(z, enginePresetItems(preset), page);
  z.host->yieldToHost();
  clampItemPositions(z);
  saveAllSettings(z);
}

}  // namespace

void engineQuickSelect(Instrument& z) {
  int selected = 0;
  z.screen.bigText = 1;
  for (;;) {
    drawEngineList(z, selected);
    const std::uint8_t code = waitKey(z);
    markField(z, engineRow(selected), BracketColumn, BracketWidth, false);
    switch (code) {
      case key::None:
      case key::Menu:
        return;
      case key::Select:
        applyEngine(z, selected);
        return;
      case key::Next:
        selected = selected == EngineTypeCount - 1 ? 0 : selected + 1;
        break;
      case key::Prev:
        selected = selected == 0 ? EngineTypeCount - 1 : selected - 1;
        break;
      default:
        break;
    }
  }
}

}  // namespace zen
