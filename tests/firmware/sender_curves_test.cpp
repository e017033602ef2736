#include "firmware/core/sender_curves.h"

#include <gtest/gtest.h>

#include "firmware/core/settings.h"

namespace zen {
namespace {

struct CurveCase {
  const char* name;
  SenderCurve curve;
  std::uint16_t step;
  std::uint16_t reading;
  std::uint16_t expected;
};

TEST(SenderCurveTest, ConvertsAlongTheCurveAndBeyondItsEnds) {
  constexpr SenderCurve userDefault{1000, 900, 800, 700, 600, 500, 400, 300, 200};
  constexpr SenderCurve flat{};
  constexpr SenderCurve erased{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
  constexpr SenderCurve risingTail{1000, 900, 800, 700, 600, 500, 400, 100, 300};
  const CurveCase cases[] = {
      {"A first point", StandardNtcCurve, 20, 1638, 20},
      {"A second point", StandardNtcCurve, 20, 945, 40},
      {"A colder than curve", StandardNtcCurve, 20, 1700, 0},
      {"A between points", StandardNtcCurve, 20, 1000, 39},
      {"A last point", StandardNtcCurve, 20, 28, 180},
      {"A below last point", StandardNtcCurve, 20, 10, 180},
      {"A zero", StandardNtcCurve, 20, 0, 180},
      {"B last point", KvrNtcCurve, 10, 140, 100},
      {"B extrapolated", KvrNtcCurve, 10, 80, 110},
      {"C extrapolated", WestachCurve, 20, 50, 192},
      {"user extrapolated", userDefault, 20, 150, 190},
      {"flat user curve", flat, 20, 0, 180},
      {"flat user curve, above", flat, 20, 5, 0},
      {"erased user curve", erased, 20, 0, 180},
      {"user curve rising at its end", risingTail, 20, 50, 180},
  };
  for (const CurveCase& c : cases)
    EXPECT_EQ(curveTemperature(c.curve, c.step, c.reading), c.expected) << c.name;
}

TEST(SenderCurveTest, LinearProbe) {
  const std::pair<std::uint16_t, std::uint16_t> cases[] = {
      {2400, 20}, {5000, 0}, {0, 0}, {2230, 0}, {4698, 300}, {4699, 0}, {0xFFFF, 0}};
  for (auto [reading, expected] : cases) EXPECT_EQ(linearTemperature(reading), expected) << reading;
}

TEST(SenderCurveTest, ProbeTypeSelectsConversion) {
  Settings s;
  s.userProbeCurve = {1000, 900, 800, 700, 600, 500, 400, 300, 200};
  EXPECT_EQ(convertSender(s, probe_type::StandardNtc, 945), 40);
  EXPECT_EQ(convertSender(s, probe_type::KvrNtc, 140), 100);
  EXPECT_EQ(convertSender(s, probe_type::KvrPrecision, 2400), 20);
  EXPECT_EQ(convertSender(s, probe_type::Programmable, 900), 40);
  EXPECT_EQ(convertSender(s, probe_type::Westach, 2184), 40);
  for (std::uint8_t notASender : {0, 1, 7, 255}) EXPECT_FALSE(convertSender(s, notASender, 900).has_value());
}

TEST(OilPressureSenderTest, WalksSegmentsAndScales) {
  struct Case {
    std::uint8_t senderType;
    bool rising;  // option bit 15
    std::uint16_t reading;
    std::uint16_t expected;
  };
  const Case cases[] = {
      {4, true, 0, 0},         // below the first point
      {4, true, 100, 8},       // scaled 131: 8 tenths into the first segment
      {4, false, 100, 92},
      {4, true, 338, 44},      // scaled 468: four segments and 4 tenths
      {4, true, 2000, 100},    // past the last point
      {4, true, 4095, 100},    // open sender
      {4, false, 0xFFFF, 0},
      {0, true, 338, 44},      // unknown types read like the default
      {200, true, 338, 44},
      {1, true, 100, 50},      // k = 2000: scaled 526
  };
  for (const Case& c : cases) {
    Settings s;
    s.oilSenderType = c.senderType;
    s.oilPressureScale = 100;
    if (c.rising) s.toggleOption(15);
    EXPECT_EQ(oilPressureFromSender(s, c.reading), c.expected)
        << "type " << int(c.senderType) << " reading " << c.reading;
  }
}

}  // namespace
}  // namespace zen
