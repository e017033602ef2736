#include "firmware/core/key_scanner.h"

#include <gtest/gtest.h>

#include "tests/firmware/background_rig.h"

namespace zen::test {
namespace {

TEST(KeyScannerTest, OneCodePerPressUntilTheKeyRepeats) {
  struct Case {
    int bit;
    bool designMode;
    double holdMs;
    std::uint8_t code;  // 0: no event
  };
  const Case cases[] = {
      {0, false, 3000, 1}, {1, false, 3000, 2}, {2, false, 900, 3}, {3, false, 900, 4}, {4, false, 900, 5},
      {5, false, 900, 6},  {6, false, 900, 0},  {7, false, 900, 0}, {6, true, 900, 7},  {7, true, 900, 8},
  };
  for (const Case& c : cases) {
    BackgroundRig rig;
    rig.z.main.designMode = c.designMode;
    rig.z.settings.backlightSetting = 77;
    rig.press(100, c.bit);
    rig.release(100 + c.holdMs, c.bit);
    const auto events = rig.runUntil(3500);
    ASSERT_EQ(events.size(), c.code ? 1u : 0u) << "bit " << c.bit << " design " << c.designMode;
    if (c.code) {
      EXPECT_EQ(events[0].code, c.code);
    }
    EXPECT_EQ(rig.z.display.backlightLevel, c.code ? 77 : 0);  // only a key event wakes the backlight
  }
}

TEST(KeyScannerTest, HeldNextRepeatsAfterOneSecondThenEvery250msWithGrowingStep) {
  BackgroundRig rig;
  rig.press(100, 2);
  const auto events = rig.runUntil(100 + 1000 + 34 * 250 + 100);
  ASSERT_EQ(events.size(), 1u + 35u);
  EXPECT_EQ(events[0].ms, 100);
  // 40 ticks from the press; the tick phase decides the last 25 ms.
  EXPECT_GE(events[1].ms - events[0].ms, 975);
  EXPECT_LE(events[1].ms - events[0].ms, 1000);
  for (std::size_t i = 1; i < events.size(); ++i) {
    EXPECT_EQ(events[i].code, 3);
    EXPECT_EQ(events[i].step, i <= 10 ? 1 : i <= 30 ? 10 : 100) << "repeat " << i;
    if (i > 1) {
      EXPECT_EQ(events[i].ms - events[i - 1].ms, 250);
    }
  }
}

TEST(KeyScannerTest, NewPressNeedsAllKeysUpForFivePasses) {
  const std::pair<double, std::size_t> gaps[] = {{2, 1}, {4, 1}, {5, 2}, {20, 2}};  // ms (= passes), events
  for (auto [gap, expected] : gaps) {
    BackgroundRig rig;
    rig.press(100, 2);
    rig.release(200, 2);
    rig.press(200 + gap, 3);
    EXPECT_EQ(rig.runUntil(600).size(), expected) << "gap " << gap;
  }
  BackgroundRig rig;  // a second key while the first is held
  rig.press(100, 2);
  rig.press(300, 3);
  EXPECT_EQ(rig.runUntil(500).size(), 1u);
}

TEST(KeyScannerTest, MenuBeatsPlusInOnePass) {
  BackgroundRig rig;
  rig.at(100, [&] { rig.z.keyBits = static_cast<std::uint8_t>(~0x11); });
  const auto events = rig.runUntil(300);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].code, 1);
}

TEST(KeyScannerTest, UpAndDownMoveContrastWithinRangeAndKeepIt) {
  struct Case {
    std::uint8_t start;
    int bit;
    double holdMs;
    std::uint8_t expected;
  };
  const Case cases[] = {
      {60, 6, 100, 59}, {60, 7, 100, 61},  {44, 6, 100, 44}, {85, 7, 100, 85},
      {0, 7, 100, 44},  {60, 7, 1800, 65},  // the press, then repeats 1.0, 1.25, 1.5 and 1.75 s after it
  };
  for (const Case& c : cases) {
    BackgroundRig rig;
    rig.z.display.contrast = c.start;
    rig.press(100, c.bit);
    rig.release(100 + c.holdMs, c.bit);
    EXPECT_TRUE(rig.runUntil(2500).empty());
    EXPECT_EQ(rig.z.display.contrast, c.expected) << int(c.start) << " bit " << c.bit;
    EXPECT_EQ(rig.z.rtc.bytes[42], c.expected);
  }
}

}  // namespace
}  // namespace zen::test
