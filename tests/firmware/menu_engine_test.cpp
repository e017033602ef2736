// The menu engine on test tables: scrolling, wrap, edit and direct entries,
// the centred layout, nested menus, time-out and closeMenus, the accelerating
// "+" key.
#include "firmware/menus/menu_engine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "firmware/instruments/derived_settings.h"
#include "tests/firmware/menu_rig.h"

namespace zen {
namespace {

using test::MenuRig;

// Test entries act on these; each test starts them afresh.
std::uint16_t valueA = 0, valueB = 0;
std::vector<int> edits;

void showA(Instrument&, ShortText& v) { v.assign(std::to_string(valueA)); }
void showB(Instrument&, ShortText& v) { v.assign(std::to_string(valueB)); }
void editA(Instrument& z) { editWord(z, valueA, 0, 30000); }
void editB(Instrument& z) {
  editWord(z, valueB, 0, 30000);
  edits.push_back(valueB);
}

std::vector<std::string> labels(int count) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back("Entry " + std::to_string(i));
  return names;
}

std::vector<MenuEntry> entriesNamed(const std::vector<std::string>& names) {
  std::vector<MenuEntry> entries;
  for (const std::string& name : names) entries.push_back({name});
  return entries;
}

struct ScrollCase {
  int count;
  std::string keys;
  int top;       // entry on the first line
  int selected;  // entry shown in inverse video
};

TEST(MenuEngine, ScrollsTwelveLinesAndWrapsAtBothEnds) {
  const ScrollCase cases[] = {
      {20, "", 0, 0},
      {20, "NNNNNNNNNNN", 0, 11},
      {20, "NNNNNNNNNNNN", 1, 12},
      {20, "NNNNNNNNNNNNNNNNNNNN", 0, 0},  // from the last entry back to the first
      {20, "P", 8, 19},
      {20, "PP", 7, 18},
      {3, "P", 0, 2},
      {3, "PN", 0, 0},
  };
  for (const ScrollCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.count) + " entries, keys " + c.keys);
    MenuRig rig(MenuRig::Start::Bare);
    const auto names = labels(c.count);
    const auto entries = entriesNamed(names);
    rig.keys(c.keys);
    const int shot = rig.capture();
    rig.keys("M");
    rig.runBare([&] { runMenu(rig.z, {"Scroll", entries}); });

    const int lines = std::min(c.count, MenuVisibleLines);
    for (int line = 0; line < MenuVisibleLines; ++line) {
      const test::TextLine& text = rig.shot(shot).line(line);
      if (line >= lines) {
        EXPECT_EQ(text, "") << "line " << line;
        continue;
      }
      const int entry = c.top + line;
      EXPECT_EQ(text, names[static_cast<std::size_t>(entry)]) << "line " << line;
      EXPECT_EQ(text.inverse.find('^') != std::string::npos, entry == c.selected) << "line " << line;
    }
  }
}

struct EditCase {
  std::string keys;
  std::uint16_t a, b;
};

TEST(MenuEngine, DirectEntriesEditAtOnceEditEntriesOnlyAfterSelect) {
  const MenuEntry entries[] = {
      {"Direct: ", showA, Direct, editA, editA},
      {"Edited: ", showB, Edit, editB, editB},
      {"Other"},
  };
  const EditCase cases[] = {
      {"+", 101, 200},      {"--", 98, 200},   {"N+", 100, 200},
      {"NS+", 100, 201},    {"NS-", 100, 199}, {"NS+S+", 100, 201},  // Select leaves edit mode
      {"NS+N+", 100, 201},                                           // so does Next
      {"NS+PN+", 100, 201},                                          // and Prev
  };
  for (const EditCase& c : cases) {
    SCOPED_TRACE("keys " + c.keys);
    valueA = 100, valueB = 200;
    MenuRig rig(MenuRig::Start::Bare);
    rig.keys(c.keys).keys("M");
    rig.runBare([&] { runMenu(rig.z, {"Edit", entries}); });
    EXPECT_EQ(valueA, c.a);
    EXPECT_EQ(valueB, c.b);
  }
}

TEST(MenuEngine, EditModeInvertsOnlyTheValue) {
  const MenuEntry entries[] = {{"Edited: ", showB, Edit, editB, editB}};
  valueB = 42;
  MenuRig rig(MenuRig::Start::Bare);
  const int selected = rig.capture();
  const int editing = rig.keys("S").capture();
  rig.keys("M");
  rig.runBare([&] { runMenu(rig.z, {"Edit", entries}); });
  EXPECT_EQ(rig.shot(selected).line(0), "Edited: 42");
  EXPECT_EQ(rig.shot(selected).line(0).inverse, std::string(10, '^'));
  EXPECT_EQ(rig.shot(editing).line(0).inverse, std::string(8, ' ') + "^^");
}

TEST(MenuEngine, CentredLayoutPlacesTitleLabelAndValue) {
  const MenuEntry entries[] = {
      {"Nine char"},            // 9 + 0 characters: from column 19 - 4
      {"Ab: ", showA, Direct},  // 4 + 3 characters: from column 19 - 3
  };
  valueA = 123;
  MenuRig rig(MenuRig::Start::Bare);
  const int shot = rig.capture();
  rig.keys("M");
  rig.runBare([&] { runMenu(rig.z, {"Centred title", entries, MenuLayout::Centred}); });
  const test::Shot& s = rig.shot(shot);
  EXPECT_EQ(s.row(0), std::string(14, ' ') + "Centred title");
  EXPECT_EQ(s.line(0), std::string(16, ' ') + "Nine char ");
  EXPECT_EQ(s.line(0).inverse, std::string(15, ' ') + std::string(11, '^'));  // the blanks too
  EXPECT_EQ(s.line(1), std::string(17, ' ') + "Ab: 123");
}

// A three-level tree: the parent opens the child, the child the grandchild.
void runGrandchild(Instrument& z) {
  static const MenuEntry entries[] = {{"Grandchild entry"}};
  runMenu(z, {"Grandchild", entries});
}
void closeEverything(Instrument& z) { z.main.closeMenus = 1; }
void runChild(Instrument& z) {
  static const MenuEntry entries[] = {{"Child entry", nullptr, runGrandchild},
                                      {"Close all", nullptr, closeEverything}};
  runMenu(z, {"Child", entries});
}
const MenuEntry ParentEntries[] = {{"Open child", nullptr, runChild}};

TEST(MenuEngine, MenuKeyLeavesOneLevelAndTheParentRedraws) {
  MenuRig rig(MenuRig::Start::Bare);
  const int child = rig.keys("S").capture();
  const int parent = rig.keys("M").capture();
  const int stillParent = rig.wait(1000).capture();
  rig.keys("M");
  double returnedAt = 0;
  rig.runBare([&] {
    runMenu(rig.z, {"Parent", ParentEntries});
    returnedAt = rig.host.nowMs();
  });
  EXPECT_EQ(rig.shot(child).row(0), std::string(18, ' ') + "Child");
  EXPECT_EQ(rig.shot(parent).row(0), std::string(17, ' ') + "Parent");
  EXPECT_EQ(rig.shot(parent).line(0), "Open child");
  EXPECT_EQ(rig.shot(stillParent).row(0), rig.shot(parent).row(0));
  EXPECT_GE(returnedAt, rig.t - 2 * MenuRig::ClickMs);  // only the second Menu key closed it
  EXPECT_EQ(rig.z.screen.bigText, 0);
}

TEST(MenuEngine, IdleTimeOutUnwindsEveryLevel) {
  MenuRig rig(MenuRig::Start::Bare, 500);
  rig.keys("S").keys("S");  // parent -> child -> grandchild
  const double lastKey = rig.t - MenuRig::ClickMs;
  double returnedAt = 0;
  rig.runBare([&] {
    runMenu(rig.z, {"Parent", ParentEntries});
    returnedAt = rig.host.nowMs();
  });
  // 200 half-seconds after the last key, not 200 more per level.
  EXPECT_GT(returnedAt - lastKey, 100000);
  EXPECT_LT(returnedAt - lastKey, 101500);
}

TEST(MenuEngine, CloseMenusReturnsFromEveryLevelAtOnce) {
  MenuRig rig(MenuRig::Start::Bare);
  rig.keys("S N S");  // "Close all" in the child
  const double lastKey = rig.t;
  double returnedAt = 0;
  rig.runBare([&] {
    runMenu(rig.z, {"Parent", ParentEntries});
    returnedAt = rig.host.nowMs();
  });
  EXPECT_LT(returnedAt, lastKey);
}

// Holding "+": one step per repeat, 10 from the 11th repeat, 100 from the 31st,
// each result a multiple of its step; a new press starts again at 1.
TEST(MenuEngine, HeldPlusAcceleratesAndANewPressStartsAgain) {
  const MenuEntry entries[] = {{"Edited: ", showB, Edit, editB, editB}};
  valueB = 3;
  edits.clear();
  MenuRig rig(MenuRig::Start::Bare);
  rig.keys("S").hold(key_bit::Plus, 11000).keys("+").keys("M");
  rig.runBare([&] { runMenu(rig.z, {"Hold", entries}); });

  ASSERT_GE(edits.size(), 36u);  // 10 s of repeats at 4 a second
  std::vector<int> expected;
  int v = 3;
  auto step = [&](int d) { expected.push_back(v = (v + d) / d * d); };
  step(1);  // the press
  for (int repeat = 1; expected.size() < edits.size() - 1; ++repeat)
    step(repeat <= 10 ? 1 : repeat <= 30 ? 10 : 100);
  step(1);  // the new press
  EXPECT_EQ(edits, expected);
}

}  // namespace
}  // namespace zen
