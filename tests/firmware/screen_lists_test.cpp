// Engine quick select, the primary flight presets and the enable lists, keyed
// in as a pilot would; checked on the screen, in memory and in e2.rom.
#include "firmware/menus/screen_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "firmware/instruments/derived_settings.h"
#include "firmware/instruments/panel_items.h"
#include "tests/firmware/menu_rig.h"

namespace zen {
namespace {

using test::MenuRig;
using test::trimmed;

std::pair<int, int> place(ItemLocation at) { return {at.column, at.row}; }

// What a page tool must leave alone: flight items and labels everywhere, and
// engine items on the other page (or everything when no page was chosen).
void expectOnlyEngineItemsOn(int page, const Settings& before, const Settings& after) {
  for (int item = 0; item < PanelItemCount; ++item) {
    const bool engine = item >= 3 && item <= 13;
    const std::uint8_t kept = !engine || page == 0 ? 0xFF : page == 1 ? 0xF0 : 0x0F;
    EXPECT_EQ(after.itemOptions[item] & kept, before.itemOptions[item] & kept) << item;
    EXPECT_TRUE((engine && page == 1) ||
                place(after.page1Locations[item]) == place(before.page1Locations[item]));
    EXPECT_TRUE((engine && page == 2) ||
                place(after.page2Locations[item]) == place(before.page2Locations[item]));
  }
}

TEST(ScreenLists, EngineQuickSelect) {
  const struct {
    std::string keys;  // from the engine list on
    int page;          // 0: nothing may change
  } cases[] = {{"NNNN S + -", 2}, {"P S + +", 1}, {"S -", 0}, {"S + M", 0}, {"S + S", 0}, {"NN M", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE("keys " + c.keys);
    MenuRig rig(MenuRig::Start::Bare);
    Settings before;
    rig.keys(c.keys).runBare([&] {
      Settings& s = rig.z.settings;  // away from the Rotax 912 preset, so that what it writes shows
      s.page2Locations[3] = s.page2Locations[4] = {0, 0};
      s.chtCount = 2;
      s.pulsesSetting = 10;
      recomputeDerivedSettings(rig.z);
      before = s;
      engineQuickSelect(rig.z);
    });
    const Settings& s = rig.z.settings;
    expectOnlyEngineItemsOn(c.page, before, s);
    if (c.page == 2) {
      EXPECT_EQ(place(s.page2Locations[3]), std::make_pair(30, 188));
      EXPECT_EQ(place(s.page2Locations[4]), std::make_pair(19, 196));
      EXPECT_EQ(s.chtCount, 13);
      EXPECT_EQ(s.egtLimit, 850);
    } else {
      EXPECT_EQ(s.chtCount, 2);  // "Hide all engine items" carries no settings
    }
    for (int item = 3; c.page == 1 && item <= 13; ++item) EXPECT_FALSE(itemVisibleOn(rig.z, item, 0)) << item;
    // The new pulses per revolution reach the rev counter at once, not after a restart.
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
  EXPECT_EQ(rig.shot(list).row(12).text, "  Rotax912 4xEGT 2xNCHT OP,OT");
  EXPECT_EQ(rig.shot(question).row(8).text, "the Rotax912 4xEGT 2xNCHT OP,OT engine ?");
  EXPECT_EQ(trimmed(rig.shot(page).row(9)), "\"-\" selects page 2");
  EXPECT_EQ(trimmed(rig.shot(back).row(0)), "System setup");
  EXPECT_EQ(rig.savedItem(43), (std::vector<std::uint8_t>{0x52, 0x03}));  // 850
}

TEST(ScreenLists, PrimaryFlightPresets) {
  const struct {
    std::string open, keys;  // the entry, then the answers
    int page, item, nibble;
  } cases[] = {{"N S", "+ +", 1, 0, 3}, {"NN S", "+ -", 2, 18, 0}, {"N S", "+ M", 0, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.open + " " + c.keys);
    MenuRig rig;
    Settings before;
    rig.host.at(rig.t - 100, [&] { before = rig.z.settings; });
    const int question = rig.keys("M P S NNNN S " + c.open).capture();
    rig.keys(c.keys + " M M").run();
    EXPECT_EQ(rig.shot(question).row(12).text, "Proceed ? +=YES -=NO");
    const Settings& after = rig.z.settings;
    if (c.page == 0) {
      EXPECT_EQ(imageFromSettings(after).bytes, imageFromSettings(before).bytes);
      continue;
    }
    const std::uint8_t options = rig.savedItem(64).at(c.item);
    EXPECT_EQ(c.page == 1 ? options & 0x0F : options >> 4, c.nibble);
    for (int item = 3; item <= 13; ++item)
      EXPECT_EQ(after.itemOptions[item], before.itemOptions[item]) << item;
  }
}

TEST(ScreenLists, EnableScreenItemsStepsThePagesAndKeepsTheStyle) {
  // The rate of turn indicator (item 16) starts on page 2 with a style bit set.
  const std::string steps[] = {"Page 2", "Page 1+2", "No display", "Page 1", "Page 2"};
  for (int presses = 0; presses < 5; ++presses) {
    MenuRig rig;
    std::uint8_t before = 0;
    rig.host.at(rig.t - 100, [&] { before = rig.z.settings.itemOptions[16]; });
    rig.keys("M P S NNN S " + std::string(16, 'N') + std::string(static_cast<std::size_t>(presses), 'S'));
    const int shot = rig.capture();
    rig.keys("M M M").run();
    const test::TextLine& line = rig.shot(shot).line(11);  // scrolled: the selection is the last line
    const std::string& state = steps[presses];
    EXPECT_EQ(line.text, "Rate of turn indicator" + std::string(18 - state.size(), ' ') + state) << presses;
    EXPECT_EQ(rig.savedItem(64).at(16) & 0xEE, before & 0xEE) << presses;
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
