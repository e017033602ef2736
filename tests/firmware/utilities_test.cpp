#include "firmware/core/utilities.h"

#include <gtest/gtest.h>

#include <cmath>

#include "firmware/core/instrument.h"
#include "tests/support/fake_host.h"

namespace zen {
namespace {

TEST(UtilitiesTest, IntegerSquareRootIsTheFloorEverywhere) {
  for (std::uint32_t v = 0; v <= 0xFFFF; ++v)
    ASSERT_EQ(integerSquareRoot(static_cast<std::uint16_t>(v)),
              static_cast<std::uint16_t>(std::sqrt(double(v))))
        << v;
}

struct StepCase {
  bool up;
  int value, lowest, highest, wrapTo, step, expected;
};

TEST(UtilitiesTest, EditorStepsTruncateButNeverLeaveTheRange) {
  const StepCase cases[] = {
      {true, 15, 0, 100, 0, 10, 20},  // snapped to the step
      {true, 250, 1, 250, 1, 10, 1},  // the wrap to 1 would truncate to 0
      {false, 15, 5, 100, 5, 10, 5},  // a clamped minimum of 5 would become 0
      {true, 1190, 200, 1200, 1200, 100, 1200},
      {true, 250, 10, 250, 250, 100, 250},  // a clamp never steps back below its bound
      {true, 8, 0, 8, 8, 10, 8},
      {false, 59, 59, 100, 100, 1, 100},    // wrap down to the top
      {false, 99, 99, 140, 140, 100, 100},  // the wrap target is truncated, in range
      {true, 65530, 0, 65535, 0, 10, 0},    // no 16-bit overflow past the bound
      {false, 5, 0, 100, 95, 10, 90},       // below 0 wraps instead of underflowing
      {false, 7, 0, 10, 0, 0, 6},           // a step never set counts as 1
  };
  for (const StepCase& c : cases) {
    const int got = c.up ? stepUp(c.value, c.lowest, c.highest, c.wrapTo, c.step)
                         : stepDown(c.value, c.lowest, c.highest, c.wrapTo, c.step);
    EXPECT_EQ(got, c.expected) << (c.up ? "up from " : "down from ") << c.value << " step " << c.step;
  }
}

TEST(UtilitiesTest, TankContentsForRisingAndFallingSenders) {
  const std::array<std::uint16_t, 7> rising{60, 100, 200, 300, 400, 500, 600};
  const std::array<std::uint16_t, 7> falling{60, 600, 500, 400, 300, 200, 100};
  for (auto [reading, level] : {std::pair{250, 18}, {100, 0}, {150, 6}, {599, 59}, {4095, 60}})
    EXPECT_EQ(tankContents(rising, reading), level) << reading;
  for (auto [reading, level] : {std::pair{450, 18}, {600, 0}, {100, 60}, {150, 54}})
    EXPECT_EQ(tankContents(falling, reading), level) << reading;
  EXPECT_EQ(tankContents({60, 0, 0, 0, 0, 0, 0}, 1), 0);
}

TEST(UtilitiesTest, TrueAirspeedAndDerivedLimits) {
  // 1.75 % per 1000 ft, the product in 32 bits: fast aircraft do not wrap.
  struct Case {
    std::uint16_t indicated, altitude, expected;
  };
  for (const Case c :
       {Case{100, 10000, 117}, Case{400, 10000, 470}, Case{400, 65535, 858}, Case{65535, 65535, 65535}})
    EXPECT_EQ(trueAirspeedOf(c.indicated, c.altitude), c.expected) << c.indicated << " at " << c.altitude;

  test::FakeHost host;
  Instrument z{host};
  Settings& s = z.settings;
  s.oilTempHigh = 135, s.oilPressureHigh = 80, s.egtLimit = 65535, s.chtLimit = 250, s.coolantHigh = 95;
  s.mapRange = 3;
  const DerivedLimits d = derivedLimits(z);
  EXPECT_EQ(d.oilTempScale, 155);
  EXPECT_EQ(d.oilPressureScale, 92);
  EXPECT_EQ(d.egtScale, 65535);
  EXPECT_EQ(d.chtScale, 287);
  EXPECT_EQ(d.coolantScale, 109);
  EXPECT_EQ(d.manifoldSpan, 400);
}

}  // namespace
}  // namespace zen
