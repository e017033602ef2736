#include "firmware/core/key_scanner.h"

#include <gtest/gtest.h>

#include "tests/firmware/background_rig.h"

namespace zen::test {
namespace {

struct PressCase {
  int bit;
  bool designMode;
  std::uint8_t code;  // 0: no event
};

TEST(KeyScannerTest, HeldKeyGivesOneCodeUntilItRepeats) {
  const PressCase cases[] = {
      {0, false, 1}, {1, false, 2}, {2, false, 3}, {3, false, 4}, {4, false, 5},
      {5, false, 6}, {6, false, 0}, {7, false, 0}, {6, true, 7},  {7, true, 8},
  };
  for (const PressCase& c : cases) {
    BackgroundRig rig;
    rig.z.main.designMode = c.designMode;
    rig.press(100, c.bit);
    rig.release(900, c.bit);
    const auto events = rig.runUntil(1500);
    SCOPED_TRACE(testing::Message() << "bit " << c.bit << " design " << c.designMode);
    if (c.code == 0) {
      EXPECT_TRUE(events.empty());
    } else {
      ASSERT_EQ(events.size(), 1u);
      EXPECT_EQ(events[0].code, c.code);
      EXPECT_EQ(events[0].step, 1);
    }
  }
}

TEST(KeyScannerTest, MenuAndSelectNeverRepeat) {
  for (int bit : {0, 1}) {
    BackgroundRig rig;
    rig.press(100, bit);
    EXPECT_EQ(rig.runUntil(5000).size(), 1u) << "bit " << bit;
  }
}

TEST(KeyScannerTest, HeldNextRepeatsAfterOneSecondThenEvery250msWithGrowingStep) {
  BackgroundRig rig;
  rig.press(100, 2);
  const auto events = rig.runUntil(100 + 1000 + 35 * 250);
  ASSERT_EQ(events.size(), 1u + 35u);
  EXPECT_NEAR(events[0].ms, 100, 1);
  // The first repeat counts 40 ticks from the press; the tick phase decides the last 25 ms.
  EXPECT_GE(events[1].ms - events[0].ms, 975);
  EXPECT_LE(events[1].ms - events[0].ms, 1001);
  for (std::size_t i = 1; i < events.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "repeat " << i);
    EXPECT_EQ(events[i].code, 3);
    if (i > 1) EXPECT_NEAR(events[i].ms - events[i - 1].ms, 250, 0.5);
    const int expectedStep = i <= 10 ? 1 : i <= 30 ? 10 : 100;
    EXPECT_EQ(events[i].step, expectedStep);
  }
}

TEST(KeyScannerTest, NewPressIsIgnoredUntilKeysWereUpForFivePasses) {
  struct Case {
    double gapMs;  // passes of 1 ms between release and the next press
    std::size_t events;
  };
  for (const Case c : {Case{2, 1}, Case{4, 1}, Case{6, 2}, Case{20, 2}}) {
    BackgroundRig rig;
    rig.press(100, 2);
    rig.release(200, 2);
    rig.press(200 + c.gapMs, 3);
    EXPECT_EQ(rig.runUntil(600).size(), c.events) << "gap " << c.gapMs;
  }
  // A second key pressed while the first is held gives nothing either.
  BackgroundRig rig;
  rig.press(100, 2);
  rig.press(300, 3);
  rig.release(400, 3);
  EXPECT_EQ(rig.runUntil(500).size(), 1u);
}

TEST(KeyScannerTest, LaterKeyInScanOrderWinsInOnePass) {
  BackgroundRig rig;
  rig.at(100, [&] { rig.z.keyBits = static_cast<std::uint8_t>(~0x11); });  // bits 0 and 4
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
      {60, 6, 100, 59}, {60, 7, 100, 61}, {44, 6, 100, 44}, {85, 7, 100, 85},
      {0, 7, 100, 44},  // never set: pulled into range
      {60, 7, 1800, 65},  // the press, then repeats 1.0, 1.25, 1.5 and 1.75 s after it
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

TEST(KeyScannerTest, KeyEventWakesBacklightWhenDisplayModeAllows) {
  for (std::uint8_t mode : {0, 1, 2}) {
    BackgroundRig rig;
    rig.z.settings.displayMode = mode;
    rig.z.settings.backlightSetting = 77;
    rig.z.display.backlightLevel = 255;
    rig.z.display.dimTimer = 3;
    rig.press(100, 2);
    rig.runUntil(200);
    EXPECT_EQ(rig.z.display.dimTimer, 255);
    EXPECT_EQ(rig.z.display.backlightLevel, mode < 2 ? 77 : 255) << "mode " << int(mode);
  }
}

}  // namespace
}  // namespace zen::test
