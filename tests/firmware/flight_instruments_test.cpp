// Each flight instrument alone on a bare panel, by style.
#include "firmware/instruments/flight_instruments.h"

#include <gtest/gtest.h>

#include <string>

#include "firmware/core/alarm_bits.h"
#include "firmware/core/option_bits.h"
#include "firmware/instruments/panel.h"
#include "firmware/instruments/sine_table.h"
#include "tests/firmware/panel_rig.h"
#include "tests/support/screen_probe.h"

namespace zen {
namespace {

using test::textCellMatches;

// One item on page 1 at (column, row), in feet and mph, after a page redraw.
struct FlightRig : test::PanelRig {
  FlightRig(int item, std::uint8_t style, std::uint8_t column = 0, std::uint8_t row = 0) {
    z.settings.optionBits = (1u << option::AltitudeFeet) | (1u << option::SpeedMiles);
    show(item, 0, style, column, row);
    redrawPage(z);
  }
  void redraw() { redrawPage(z); }
  // Pixels written by one frame.
  std::uint64_t frame() {
    const std::uint64_t before = z.screen.pixelWrites();
    drawPageItems(z);
    return z.screen.pixelWrites() - before;
  }
  bool ink(int x, int y) const { return z.screen.graphicsPixel(x, y) == GraphicsPixel::Black; }
  bool textInk(int x, int y) const { return z.screen.textPixel(x, y) == TextPixel::Black; }
};

// The same item drawn at two values gives the same picture on the graphics layer.
template <typename Set>
bool sameDrawing(int item, std::uint8_t style, Set&& setA, Set&& setB) {
  FlightRig a(item, style), b(item, style);
  setA(a.z);
  setB(b.z);
  a.frame();
  b.frame();
  return test::sameGraphics(a.z.screen, b.z.screen);
}

// ---------------------------------------------------------------- altimeter

TEST(AltimeterTape, LabelsLevelWithTheWindowAtAStepAndFourPixelsLowerFiftyFeetOn) {
  for (std::uint8_t style : {0, 1}) {
    SCOPED_TRACE(testing::Message() << "style " << int(style));
    FlightRig rig(0, style, 2, 10);
    const int row = 10;
    const int left = 16 + (style == 0 ? 56 : 8);
    auto inkInRow = [&](int y) {
      for (int x = left; x < left + 32; ++x)
        if (rig.textInk(x, y)) return true;
      return false;
    };
    rig.z.air.altitudeFeet = 1000;
    rig.frame();
    EXPECT_TRUE(inkInRow(row + 46));  // "1100" rests on the window's top line
    EXPECT_FALSE(inkInRow(row + 72));
    EXPECT_TRUE(inkInRow(row + 73));  // "1000" hangs from its bottom line
    std::vector<bool> before;
    for (int y = row + 1; y <= row + 118; ++y)
      for (int x = left; x < left + 32; ++x) before.push_back(rig.textInk(x, y));

    rig.z.air.altitudeFeet = 1050;
    rig.frame();
    for (auto [from, to] : {std::pair{row + 1, row + 42}, std::pair{row + 73, row + 114}})
      for (int y = from; y <= to; ++y)
        for (int x = left; x < left + 32; ++x)
          ASSERT_EQ(rig.textInk(x, y + 4), before[(y - row - 1) * 32 + (x - left)]) << x << "," << y;
  }
}

TEST(AltimeterDial, BelowZeroTheHandsStandWhereTheyDoTenThousandFeetUp) {
  auto at = [](std::int32_t feet) { return [feet](Instrument& z) { z.air.altitudeFeet = feet; }; };
  EXPECT_TRUE(sameDrawing(0, 3, at(-28), at(9972)));
  EXPECT_TRUE(sameDrawing(0, 3, at(-10000), at(0)));
  EXPECT_FALSE(sameDrawing(0, 3, at(-28), at(0)));
}

// ---------------------------------------------------------------- airspeed

TEST(AirspeedDial, OneTurnCoversTheRangeOfTheScale) {
  struct Case {
    std::uint8_t scale;
    std::uint16_t range;
  };
  for (const Case c : {Case{0, 80}, Case{1, 100}, Case{5, 400}, Case{9, 400}}) {
    SCOPED_TRACE(testing::Message() << "scale " << int(c.scale));
    auto at = [c](std::uint16_t mph) {
      return [c, mph](Instrument& z) {
        z.settings.asiScale = c.scale;
        z.air.indicatedAirspeed = mph;
      };
    };
    EXPECT_TRUE(sameDrawing(1, 3, at(c.range), at(0)));
    EXPECT_TRUE(sameDrawing(1, 3, at(c.range + 30), at(30)));
    EXPECT_FALSE(sameDrawing(1, 3, at(c.range / 2), at(0)));
  }
}

// Altitude limit 1000 ft, Vs 40 and Vne 120 mph; boxed values, figures on row 3.
TEST(AirDataAlarms, ValuesBlinkOnlyWhileEnabledAndTheirConditionHolds) {
  struct Case {
    int item;
    std::int32_t value;
    std::uint8_t inFlight;
    std::uint16_t enables;
    bool blinks;
  };
  const std::uint16_t notAltitude = 0xFFFF & ~alarm::Altitude;
  const Case cases[] = {
      {0, 1000, 0, alarm::Altitude, true},    {0, 1500, 0, alarm::Altitude, true},
      {0, 999, 0, alarm::Altitude, false},    {0, -28, 0, alarm::Altitude, false},
      {0, 1000, 0, notAltitude, false},       {1, 40, 1, alarm::LowAirspeed, true},
      {1, 40, 0, alarm::LowAirspeed, false},  {1, 41, 1, alarm::LowAirspeed, false},
      {1, 121, 0, alarm::HighAirspeed, true}, {1, 120, 0, alarm::HighAirspeed, false},
      {1, 121, 0, alarm::LowAirspeed, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "item " << c.item << " at " << c.value << ", enables " << c.enables);
    FlightRig rig(c.item, 2);
    Settings& set = rig.z.settings;
    set.altitudeAlarm = 1000;
    set.stallSpeed = 40;
    set.neverExceedSpeed = 120;
    set.alarmEnables = c.enables;
    rig.z.time.qnh.inFlight = c.inFlight;
    rig.z.air.altitudeFeet = c.value;
    rig.z.air.indicatedAirspeed = static_cast<std::uint16_t>(c.value);
    const int column = c.item == 0 ? 3 : 2;
    const std::string blank(c.item == 0 ? 5 : 3, static_cast<char>(largeDigitUpper(13)));
    rig.frame();
    EXPECT_FALSE(textCellMatches(rig.z.screen, column, 3, blank, false));
    rig.z.tick.secondPhase = 1;
    EXPECT_EQ(rig.frame() > 0, c.blinks);  // an unchanged value without alarm draws nothing
    EXPECT_EQ(textCellMatches(rig.z.screen, column, 3, blank, false), c.blinks);
    rig.z.tick.secondPhase = 0;
    EXPECT_EQ(rig.frame() > 0, c.blinks);
    EXPECT_FALSE(textCellMatches(rig.z.screen, column, 3, blank, false));
  }
}

// A flight that ends during a blank phase shows the steady speed again.
TEST(AirDataAlarms, TheValueReturnsWhenTheAlarmEndsDuringABlankPhase) {
  FlightRig rig(1, 2);
  rig.z.settings.stallSpeed = 40;
  rig.z.settings.alarmEnables = alarm::LowAirspeed;
  rig.z.time.qnh.inFlight = 1;
  rig.z.air.indicatedAirspeed = 30;
  rig.z.tick.secondPhase = 1;
  rig.frame();
  const std::string blank(3, static_cast<char>(largeDigitUpper(13)));
  ASSERT_TRUE(textCellMatches(rig.z.screen, 2, 3, blank, false));
  rig.z.time.qnh.inFlight = 0;
  rig.frame();
  EXPECT_FALSE(textCellMatches(rig.z.screen, 2, 3, blank, false));
}

// ---------------------------------------------------------------- vertical speed

TEST(VerticalSpeedText, TensOfFeetOrHundredthsOfMetresLimitedTo2000) {
  struct Case {
    std::int32_t fpm;
    bool climbing;
    bool feet;
    std::string text;  // right-justified, then the unit symbol
  };
  const Case cases[] = {{1234, true, true, "+1230\xAB"},  {5, false, true, "   -0\xAB"},
                        {9999, true, true, "+2000\xAB"},  {500, true, false, " +2.50\xAA"},
                        {10, false, false, " -0.05\xAA"}, {2500, false, false, "-10.00\xAA"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    FlightRig rig(2, 0, 1, 0);
    if (!c.feet) rig.z.settings.optionBits &= ~(1u << option::AltitudeFeet);
    rig.z.air.verticalSpeed = c.fpm;
    rig.z.air.climbing = c.climbing;
    rig.frame();
    EXPECT_TRUE(textCellMatches(rig.z.screen, 1, c.climbing ? 75 : 32, c.text, true));
  }
}

TEST(VerticalSpeedChevrons, StackStopsAtTheTablesEndAndTurnsWithTheDirection) {
  auto climb = [](std::int32_t fpm) {
    return [fpm](Instrument& z) {
      z.air.verticalSpeed = fpm;
      z.air.climbing = 1;
    };
  };
  EXPECT_TRUE(sameDrawing(2, 0, climb(1928), climb(1920)));
  EXPECT_TRUE(sameDrawing(2, 1, climb(9999), climb(1920)));
  EXPECT_FALSE(sameDrawing(2, 0, climb(1700), climb(1920)));

  FlightRig rig(2, 0);
  climb(1000)(rig.z);
  rig.frame();
  EXPECT_TRUE(rig.ink(0, 48));
  rig.z.air.climbing = 0;
  rig.frame();
  for (int y = 0; y < 72; ++y)
    for (int x = 0; x < 56; ++x) ASSERT_FALSE(rig.ink(x, y)) << x << "," << y;
  EXPECT_TRUE(rig.ink(0, 72));
  EXPECT_TRUE(textCellMatches(rig.z.screen, 0, 75, "      ", true));
}

TEST(VerticalSpeedDial, PinsAtFortyOneStepsFromZero) {
  auto at = [](std::int32_t fpm, std::uint8_t climbing) {
    return [=](Instrument& z) {
      z.air.verticalSpeed = fpm;
      z.air.climbing = climbing;
    };
  };
  EXPECT_TRUE(sameDrawing(2, 3, at(2000, 1), at(9999, 1)));
  EXPECT_TRUE(sameDrawing(2, 3, at(2000, 0), at(5000, 0)));
  FlightRig rig(2, 3);
  at(2500, 1)(rig.z);
  rig.frame();
  const DialPoint tip = dialPoint(46, 46, 4 * (45 + 41), 8);
  EXPECT_TRUE(rig.ink(tip.x, tip.y));
}

// ---------------------------------------------------------------- airspeed band

TEST(SpeedBand, MarkerStandsByTheSpeedAndOnlyWhenVneIsAboveVs) {
  struct Case {
    std::uint16_t vs, vne, mph;
    int markerRow;  // -1: no marker
  };
  const Case cases[] = {
      {40, 152, 96, 56}, {40, 152, 20, 112}, {40, 152, 200, 3}, {120, 120, 100, -1}, {150, 100, 120, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "Vs " << c.vs << " Vne " << c.vne << " at " << c.mph);
    FlightRig rig(14, 0);
    rig.z.settings.stallSpeed = c.vs;
    rig.z.settings.neverExceedSpeed = c.vne;
    rig.z.settings.flapSpeed = 80;
    rig.redraw();
    rig.z.air.indicatedAirspeed = c.mph;
    const bool wasInk = c.markerRow >= 0 && rig.ink(11, c.markerRow);
    const std::uint64_t writes = rig.frame();
    if (c.markerRow < 0) {
      EXPECT_EQ(writes, 0u);
    } else {
      EXPECT_NE(rig.ink(11, c.markerRow), wasInk);
      EXPECT_EQ(rig.frame(), 0u);
    }
  }
}

// ---------------------------------------------------------------- attitude

void feedAttitude(Instrument& z, std::int32_t bank, std::int32_t pitch) {
  z.attitude.attitudeSensorOn = 1;
  z.attitude.attitudeAlive = 255;
  z.attitude.attitudeFresh = 1;
  z.attitude.bank = bank;
  z.attitude.pitch = pitch;
}

TEST(AttitudeHorizon, GroundFillsTheSideTheBankLeavesBelow) {
  struct Case {
    std::int32_t bank, pitch;
    int groundX, groundY, skyX, skyY;
  };
  const Case cases[] = {
      {30, 0, 2, 53, 77, 2},  {-30, 0, 77, 53, 2, 2}, {150, 0, 2, 2, 77, 53},   {-150, 0, 77, 2, 2, 53},
      {0, -40, 2, 2, -1, -1}, {0, 40, -1, -1, 2, 53}, {180, -40, -1, -1, 2, 2}, {180, 40, 2, 53, -1, -1},
      {0, 27, -1, -1, 2, 50},  // the horizon on the bottom row: nothing below it to fill
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "bank " << c.bank << " pitch " << c.pitch);
    FlightRig rig(15, 0, 2, 20);
    feedAttitude(rig.z, c.bank, c.pitch);
    rig.frame();
    if (c.groundX >= 0) {
      EXPECT_TRUE(rig.ink(16 + c.groundX, 20 + c.groundY));
    }
    if (c.skyX >= 0) {
      EXPECT_FALSE(rig.ink(16 + c.skyX, 20 + c.skyY));
    }
  }
}

TEST(AttitudeHorizon, BankIsTakenRoundTheCircleAndTheOverlayInvertsTheGround) {
  auto at = [](std::int32_t bank) { return [bank](Instrument& z) { feedAttitude(z, bank, 5); }; };
  EXPECT_TRUE(sameDrawing(15, 0, at(390), at(30)));
  EXPECT_TRUE(sameDrawing(15, 0, at(-330), at(30)));
  EXPECT_TRUE(sameDrawing(15, 0, at(-180), at(180)));

  FlightRig rig(15, 0);
  feedAttitude(rig.z, 0, 0);
  rig.frame();
  EXPECT_TRUE(rig.ink(30, 8));    // ladder line in the sky
  EXPECT_FALSE(rig.ink(30, 48));  // and on the ground
  EXPECT_TRUE(rig.ink(30, 47));   // the ground beside it
  EXPECT_TRUE(textCellMatches(rig.z.screen, 0, 0, "G ", false));
  // Levelling moves the horizon and marks it; the sensor's aided mode shows as "A".
  rig.z.main.pitchOffset = 3;
  rig.z.attitude.sensorStatus = 0x08;
  rig.frame();
  EXPECT_TRUE(textCellMatches(rig.z.screen, 0, 0, "AP", false));
  EXPECT_FALSE(rig.ink(10, 24));  // the horizon went up 3 rows, to row 25
  EXPECT_TRUE(rig.ink(10, 27));
}

TEST(AttitudeWithoutSensor, NoImuOnceThenErasedWhenDataReturns) {
  FlightRig rig(15, 0, 1, 10);
  rig.z.attitude.slipValue = 20;
  rig.frame();
  EXPECT_TRUE(textCellMatches(rig.z.screen, 1, 10, "No IMU", true));
  EXPECT_EQ(rig.z.attitude.slipValue, 0);
  EXPECT_TRUE(rig.ink(8 + 2, 10 + 53));  // the level horizon's ground
  rig.z.attitude.slipValue = 20;
  EXPECT_EQ(rig.frame(), 0u);  // no flicker, and the slip is left alone
  EXPECT_EQ(rig.z.attitude.slipValue, 20);

  feedAttitude(rig.z, 0, 0);
  rig.frame();
  EXPECT_TRUE(textCellMatches(rig.z.screen, 1, 10, "G     ", false));
  EXPECT_TRUE(textCellMatches(rig.z.screen, 3, 10 + 8, "    ", false));
  EXPECT_EQ(rig.frame(), 0u);

  rig.z.attitude.attitudeSensorOn = 0;  // switched off: the notice comes back
  rig.frame();
  EXPECT_TRUE(textCellMatches(rig.z.screen, 1, 10, "No IMU", true));
}

// ---------------------------------------------------------------- turn, slip, heading

TEST(TurnRate, NeedleFromTheBankWithoutARateGyroAndLimitedBothWays) {
  struct Case {
    std::uint8_t source;
    std::int32_t bank, rate;
    int needleX;
  };
  // The horizon draws a positive bank left wing down: the needle turns left.
  const Case cases[] = {{0, 25, 90, 38 - 15},
                        {1, 100, 0, 38 - 35},
                        {0, -25, 0, 38 + 15},
                        {2, 100, -20, 38 - 10},
                        {2, 0, -500, 38 - 35}};
  for (const Case& c : cases) {
    FlightRig rig(16, 1);
    rig.z.attitude.turnRateSource = c.source;
    rig.z.attitude.bank = c.bank;
    rig.z.attitude.turnRate = c.rate;
    rig.frame();
    for (int y = 1; y <= 14; ++y) EXPECT_TRUE(rig.ink(c.needleX, y)) << c.needleX << "," << y;
  }
}

TEST(Slip, BallSitsByTheSlipAndLeavesNothingBehind) {
  FlightRig rig(17, 0, 2, 30);
  auto ballByte = [&](int x, int y) {
    std::uint8_t b = 0;
    for (int i = 0; i < 8; ++i) b = static_cast<std::uint8_t>(b << 1 | rig.textInk(x + i, y));
    return b;
  };
  rig.z.attitude.slipValue = 1;  // centred: value 0, ball at x + 35
  rig.frame();
  EXPECT_EQ(ballByte(16 + 35, 33), 0xFF);
  rig.z.attitude.slipValue = 100;  // limited to 34
  rig.frame();
  EXPECT_EQ(ballByte(16 + 35, 33), 0x00);
  EXPECT_EQ(ballByte(16 + 69, 33), 0xFF);
  EXPECT_EQ(ballByte(16 + 69, 31), 0x3C);
}

TEST(Heading, DigitsTakeAnyHeadingRoundTheCircle) {
  struct Case {
    std::int32_t heading;
    std::string text;
  };
  for (const Case& c : {Case{0, "000"}, Case{400, "040"}, Case{-10, "350"}, Case{359, "359"}}) {
    FlightRig rig(18, 0, 4, 16);
    rig.z.attitude.heading = c.heading;
    rig.frame();
    EXPECT_TRUE(textCellMatches(rig.z.screen, 4, 16, c.text + "\xB1", true)) << c.heading;
  }
  auto at = [](std::int32_t heading) { return [heading](Instrument& z) { z.attitude.heading = heading; }; };
  EXPECT_TRUE(sameDrawing(18, 1, at(-10), at(350)));
  EXPECT_TRUE(sameDrawing(18, 1, at(720 + 45), at(45)));
}

TEST(Heading, RoseLettersFollowOnlyMovesOfMoreThanTwoDegrees) {
  FlightRig rig(18, 1);
  rig.z.attitude.heading = 90;
  rig.frame();
  rig.z.attitude.heading = 92;
  rig.frame();
  FlightRig fresh(18, 1);
  fresh.z.attitude.heading = 90;
  fresh.frame();
  EXPECT_TRUE(test::sameGraphics(rig.z.screen, fresh.z.screen));
  EXPECT_TRUE(textCellMatches(rig.z.screen, 2, 20, "092", false));
  rig.z.attitude.heading = 93;
  rig.frame();
  EXPECT_FALSE(test::sameGraphics(rig.z.screen, fresh.z.screen));
}

}  // namespace
}  // namespace zen
