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

TEST(UtilitiesTest, EditorStepsSnapWrapAndNeverDivideByZero) {
  EXPECT_EQ(stepUp(15, 100, 0, 10), 20);
  EXPECT_EQ(stepUp(95, 100, 3, 10), 0);
  EXPECT_EQ(stepUp(65530, 65535, 0, 10), 0);  // no 16-bit overflow past the bound
  EXPECT_EQ(stepDown(5, 0, 95, 10), 90);      // below 0 wraps instead of underflowing
  EXPECT_EQ(stepUp(7, 100, 0, 0), 8);         // a step never set counts as 1
  EXPECT_EQ(stepDown(7, 0, 0, 0), 6);
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
  EXPECT_EQ(trueAirspeedOf(100, 10000), 117);
  EXPECT_EQ(trueAirspeedOf(400, 65535), 400 + 29);  // 400 x 175 kept in 16 bits

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
