#include "firmware/core/sender_curves.h"

#include <gtest/gtest.h>

#include "firmware/core/settings.h"

namespace zen {
namespace {

TEST(SenderCurveTest, ConvertsAlongTheCurveAndBeyondItsEnds) {
  constexpr SenderCurve user{1000, 900, 800, 700, 600, 500, 400, 300, 200};
  constexpr SenderCurve erased{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
  constexpr SenderCurve risingTail{1000, 900, 800, 700, 600, 500, 400, 100, 300};
  struct Case {
    SenderCurve curve;
    std::uint16_t step, reading, expected;
  };
  const Case cases[] = {
      {StandardNtcCurve, 20, 1638, 20},
      {StandardNtcCurve, 20, 945, 40},
      {StandardNtcCurve, 20, 1700, 0},
      {StandardNtcCurve, 20, 1000, 39},  // between points, rounded towards the colder one
      {StandardNtcCurve, 20, 28, 180},
      {StandardNtcCurve, 20, 0, 180},  // too flat to extrapolate
      {KvrNtcCurve, 10, 140, 100},
      {KvrNtcCurve, 10, 80, 110},
      {WestachCurve, 20, 50, 192},
      {user, 20, 150, 190},
      {SenderCurve{}, 20, 0, 180},
      {SenderCurve{}, 20, 5, 0},
      {erased, 20, 0, 180},
      {risingTail, 20, 50, 180},
  };
  for (const Case& c : cases)
    EXPECT_EQ(curveTemperature(c.curve, c.step, c.reading), c.expected) << c.curve[0] << " at " << c.reading;

  for (auto [reading, expected] : {std::pair{2400, 20}, {5000, 0}, {2230, 0}, {4698, 300}, {4699, 0}})
    EXPECT_EQ(linearTemperature(reading), expected) << reading;

  Settings s;
  s.userProbeCurve = user;
  EXPECT_EQ(convertSender(s, probe_type::Programmable, 900), 40);
  EXPECT_EQ(convertSender(s, probe_type::Westach, 2184), 40);
  EXPECT_EQ(convertSender(s, probe_type::StandardNtc, 945), 40);
  EXPECT_EQ(convertSender(s, probe_type::KvrNtc, 140), 100);  // step 10, not 20
  EXPECT_EQ(convertSender(s, probe_type::KvrPrecision, 2400), 20);
  for (std::uint8_t notASender : {0, 1, 7, 255}) EXPECT_FALSE(convertSender(s, notASender, 900).has_value());
}

TEST(OilPressureSenderTest, WalksSegmentsAndScales) {
  struct Case {
    std::uint8_t senderType;
    bool rising;  // option bit 15
    std::uint16_t reading, expected;
  };
  const Case cases[] = {
      {4, true, 0, 0},       {4, true, 100, 8},     // scaled 131: 8 tenths into the first segment
      {4, false, 100, 92},   {4, true, 338, 44},    // scaled 468: four segments and 4 tenths
      {4, true, 2000, 100},  {4, true, 4095, 100},  // past the last point; open sender
      {4, false, 0xFFFF, 0}, {0, true, 338, 44},    // unknown types read like the default
      {200, true, 338, 44},  {1, true, 100, 50},
  };
  for (const Case& c : cases) {
    Settings s;
    s.oilSenderType = c.senderType;
    s.oilPressureScale = 100;
    if (c.rising) s.toggleOption(15);
    EXPECT_EQ(oilPressureFromSender(s, c.reading), c.expected) << int(c.senderType) << " at " << c.reading;
  }
}

// Every type the menu offers decodes as its resistance: a stiffer sender
// gives less pressure for the same reading.
TEST(OilPressureSenderTest, EveryOfferedTypeHasItsOwnResistance) {
  Settings s;
  s.oilPressureScale = 100;
  s.toggleOption(15);
  std::uint16_t previous = 101;
  for (std::uint8_t type = 4; type <= OilSenderTypes; ++type) {
    s.oilSenderType = type;
    const std::uint16_t pressure = oilPressureFromSender(s, 600);
    EXPECT_LT(pressure, previous) << int(type);
    previous = pressure;
  }
  s.oilSenderType = 8;  // 400 ohms: factor 250, scaled 450
  EXPECT_EQ(oilPressureFromSender(s, 600), 42);
  s.oilSenderType = 20;  // 1000 ohms: factor 100, scaled 180
  EXPECT_EQ(oilPressureFromSender(s, 600), 12);
}

}  // namespace
}  // namespace zen
