// Engine quick select, the primary flight presets and the enable lists, keyed
// in as a pilot would; checked on the screen, in memory and in e2.rom.
#include "firmware/menus/screen_lists.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "firmware/instruments/derived_settings.h"
#include "firmware/instruments/panel_items.h"
#include "tests/firmware/menu_rig.h"

namespace zen {
namespace {

using test::MenuRig;
using test::trimmed;

constexpr int EngineItems[] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
bool isEngineItem(int item) { return item >= 3 && item <= 13; }

SettingsImage imageOf(const Settings& s) { return imageFromSettings(s); }

// Compares what the page tools may not touch: the flight and label items on
// both pages, and the engine items on the other page.
void expectOnlyEngineItemsChanged(const Settings& before, const Settings& after, int page) {
  for (int item = 0; item < PanelItemCount; ++item) {
    SCOPED_TRACE("item " + std::to_string(item));
    const std::uint8_t otherPage = page == 1 ? 0xF0 : 0x0F;
    const std::uint8_t kept = isEngineItem(item) ? otherPage : 0xFF;
    EXPECT_EQ(after.itemOptions[item] & kept, before.itemOptions[item] & kept);
    const auto& loc = page == 1 ? after.page2Locations : after.page1Locations;
    const auto& was = page == 1 ? before.page2Locations : before.page1Locations;
    EXPECT_EQ(loc[item].column, was[item].column);
    EXPECT_EQ(loc[item].row, was[item].row);
  }
}

struct QuickSelectCase {
  std::string keys;  // from the engine list on
  std::function<void(const Instrument& z, const Settings& before)> check;
};

TEST(ScreenLists, EngineQuickSelect) {
  auto unchanged = [](const Instrument& z, const Settings& before) {
    EXPECT_EQ(imageOf(z.settings).bytes, imageOf(before).bytes);
  };
  const QuickSelectCase cases[] = {
      {"NNNN S + -",
       [](const Instrument& z, const Settings& before) {
         const Settings& s = z.settings;
         EXPECT_EQ(s.page2Locations[3].column, 30);
         EXPECT_EQ(s.page2Locations[3].row, 188);
         EXPECT_EQ(s.page2Locations[4].column, 19);
         EXPECT_EQ(s.page2Locations[4].row, 196);
         EXPECT_EQ(s.chtCount, 13);
         EXPECT_EQ(s.egtLimit, 850);
         EXPECT_EQ(s.pulsesSetting, 60);
         expectOnlyEngineItemsChanged(before, s, 2);
       }},
      // "Hide all engine items" on page 1: the items go, every setting stays.
      {"P S + +",
       [](const Instrument& z, const Settings& before) {
         for (int item : EngineItems) EXPECT_FALSE(itemVisibleOn(z, item, 0)) << item;
         EXPECT_EQ(z.settings.chtCount, before.chtCount);
         EXPECT_EQ(z.settings.pulsesSetting, before.pulsesSetting);
         expectOnlyEngineItemsChanged(before, z.settings, 1);
       }},
      {"S -", unchanged},    // no at the question
      {"S + M", unchanged},  // any key but "+" and "-" at the page question
      {"S + S", unchanged},
      {"S + N", unchanged},
      {"NN M", unchanged},
  };
  for (const QuickSelectCase& c : cases) {
    SCOPED_TRACE("keys " + c.keys);
    MenuRig rig(MenuRig::Start::Bare);
    Settings before;
    rig.keys(c.keys);
    rig.runBare([&] {
      // Away from the preset, so that every field it writes shows.
      Settings& s = rig.z.settings;
      s.page2Locations[3] = s.page2Locations[4] = {0, 0};
      s.chtCount = 2;
      s.egtLimit = 700;
      s.pulsesSetting = 10;
      recomputeDerivedSettings(rig.z);
      before = s;
      engineQuickSelect(rig.z);
    });
    c.check(rig.z, before);
    // Whatever changed, the values computed from the settings are current.
    const std::uint32_t rpmFactor = rig.z.engine.rpmFactor;
    recomputeDerivedSettings(rig.z);
    EXPECT_EQ(rig.z.engine.rpmFactor, rpmFactor);
  }
}

TEST(ScreenLists, EngineQuickSelectScreensAndSave) {
  MenuRig rig;
  const int list = rig.keys("M P S NNNNN S NNNN").capture();
  const int question = rig.keys("S").capture();
  const int page = rig.keys("+").capture();
  const int back = rig.keys("-").capture();
  rig.keys("M M").run();
  EXPECT_EQ(rig.shot(list).row(0).text, "           Engine quick select");
  EXPECT_EQ(rig.shot(list).row(12).text, "  Rotax912 4xEGT 2xNCHT OP,OT");
  EXPECT_EQ(rig.shot(question).row(8).text, "the Rotax912 4xEGT 2xNCHT OP,OT engine ?");
  EXPECT_EQ(rig.shot(question).row(28).text, "Note: you may need to set rev counter");
  EXPECT_EQ(trimmed(rig.shot(page).row(9)), "\"-\" selects page 2");
  EXPECT_EQ(trimmed(rig.shot(back).row(0)), "System setup");
  EXPECT_EQ(rig.savedItem(42), std::vector<std::uint8_t>{13});
  EXPECT_EQ(rig.savedItem(43), (std::vector<std::uint8_t>{0x52, 0x03}));
}

struct PrimaryCase {
  std::string keys;  // from the Primary flight selection menu on
  int page;          // where the preset lands, 0 none
  int item;
  std::uint8_t nibble;
  ItemLocation location;
};

TEST(ScreenLists, PrimaryFlightPresets) {
  const PrimaryCase cases[] = {
      {"N S + +", 1, 0, 3, {25, 1}},  // IFR: altimeter tape on page 1
      {"NN S + -", 2, 18, 0, {}},     // BLANK: the heading leaves page 2
      {"S + -", 2, 32, 5, {7, 30}},   // VFR: true airspeed on page 2
      {"N S + M", 0, 0, 0, {}},      {"N S -", 0, 0, 0, {}},
  };
  for (const PrimaryCase& c : cases) {
    SCOPED_TRACE("keys " + c.keys);
    MenuRig rig;
    Settings before;
    rig.host.at(rig.t - 100, [&] { before = rig.z.settings; });
    const int question = rig.keys("M P S NNNN S " + c.keys.substr(0, c.keys.find('S') + 1)).capture();
    rig.keys(c.keys.substr(c.keys.find('S') + 1)).keys("M M");
    rig.run();
    EXPECT_EQ(rig.shot(question).row(2).text.find("primary flight "), 0u);
    EXPECT_EQ(rig.shot(question).row(12).text, "Proceed ? +=YES -=NO");
    const Settings& after = rig.z.settings;
    if (c.page == 0) {
      EXPECT_EQ(imageOf(after).bytes, imageOf(before).bytes);
      continue;
    }
    const std::uint8_t options = after.itemOptions[c.item];
    EXPECT_EQ(c.page == 1 ? options & 0x0F : options >> 4, c.nibble);
    if (c.nibble & 1) {
      const ItemLocation at = (c.page == 1 ? after.page1Locations : after.page2Locations)[c.item];
      EXPECT_EQ(at.column, c.location.column);
      EXPECT_EQ(at.row, c.location.row);
    }
    for (int item : EngineItems) {
      EXPECT_EQ(after.itemOptions[item], before.itemOptions[item]) << item;
      EXPECT_EQ(after.page1Locations[item].row, before.page1Locations[item].row) << item;
    }
    EXPECT_EQ(rig.savedItem(64)[c.item], options);
  }
}

TEST(ScreenLists, EnableScreenItemsStepsThePagesAndKeepsTheStyle) {
  // The rate of turn indicator (item 16) starts on page 2 with a style bit set.
  const char* steps[] = {"Page 2", "Page 1+2", "No display", "Page 1", "Page 2"};
  for (int presses = 0; presses < 5; ++presses) {
    SCOPED_TRACE(presses);
    MenuRig rig;
    std::uint8_t before = 0;
    rig.host.at(rig.t - 100, [&] { before = rig.z.settings.itemOptions[16]; });
    rig.keys("M P S NNN S " + std::string(16, 'N')).keys(std::string(static_cast<std::size_t>(presses), 'S'));
    const int shot = rig.capture();
    rig.keys("M M M").run();
    const test::TextLine& line = rig.shot(shot).line(11);  // scrolled: the selection is on the last line
    EXPECT_EQ(line.text.substr(0, 22), "Rate of turn indicator");
    const std::string state = steps[presses];
    EXPECT_EQ(line.text.substr(40 - state.size()), state);
    EXPECT_EQ(line.inverse.substr(40 - state.size()), std::string(state.size(), '^'));
    const std::uint8_t saved = rig.savedItem(64)[16];
    EXPECT_EQ(saved & 0xEE, before & 0xEE);
    EXPECT_EQ(itemVisibleOn(rig.z, 16, 0), state == "Page 1" || state == "Page 1+2");
    EXPECT_EQ(itemVisibleOn(rig.z, 16, 1), state == "Page 2" || state == "Page 1+2");
  }
}

TEST(ScreenLists, AlarmEnableSetupInvertsTheLinesBit) {
  MenuRig rig;
  const int first = rig.keys("M P S NNNNNNNN S P").capture();
  const int second = rig.keys("S").capture();
  rig.keys("M M M").run();
  EXPECT_EQ(rig.shot(first).line(11).text, "Rotor speed alarm                Enabled");
  EXPECT_EQ(rig.shot(second).line(11).text, "Rotor speed alarm               Disabled");
  EXPECT_EQ(rig.savedItem(54), (std::vector<std::uint8_t>{0xFF, 0x7F}));
}

}  // namespace
}  // namespace zen
