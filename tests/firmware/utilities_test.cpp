#include "firmware/core/utilities.h"

#include <gtest/gtest.h>

#include <cmath>

#include "firmware/core/instrument.h"
#include "tests/support/fake_host.h"

namespace zen {
namespace {

TEST(UtilitiesTest, IntegerSquareRootIsTheFloorEverywhere) {
  for (std::uint32_t v = 0; v <= 0xFFFF; ++v)
    ASSERT_EQ(integerSquareRoot(static_cast<std::uint16_t>(v)), static_cast<std::uint16_t>(std::sqrt(double(v))))
        << v;
}

TEST(UtilitiesTest, UnitSymbolsFollowTheOptions) {
  test::FakeHost host;
  Instrument z{host};
  struct Case {
    std::uint32_t options;
    std::uint8_t altitude, speed, vertical, temperature, distance, pressure;
  };
  const Case cases[] = {
      {0, 109, 166, 170, 161, 168, 66},
      {1u << 0, 158, 166, 171, 161, 168, 66},
      {1u << 2 | 1u << 3, 109, 159, 170, 161, 172, 66},
      {1u << 3, 109, 169, 170, 161, 167, 66},
      {1u << 5 | 1u << 10, 109, 166, 170, 160, 168, 176},
  };
  for (const Case& c : cases) {
    z.settings.optionBits = c.options;
    SCOPED_TRACE(c.options);
    EXPECT_EQ(altitudeUnitSymbol(z), c.altitude);
    EXPECT_EQ(speedUnitSymbol(z), c.speed);
    EXPECT_EQ(verticalSpeedUnitSymbol(z), c.vertical);
    EXPECT_EQ(temperatureUnitSymbol(z), c.temperature);
    EXPECT_EQ(distanceUnitSymbol(z), c.distance);
    EXPECT_EQ(pressureUnitSymbol(z), c.pressure);
  }
  const std::uint8_t fuel[] = {162, 163, 163, 164, 165, 165};
  for (std::uint8_t unit = 0; unit < 6; ++unit) {
    z.settings.fuelUnit = unit;
    EXPECT_EQ(fuelUnitSymbol(z), fuel[unit]) << int(unit);
  }
  z.settings.optionBits = 0;
  EXPECT_EQ(displayTemperature(z, 100), 212);
  EXPECT_EQ(displayTemperature(z, -40), -40);
  z.settings.toggleOption(5);
  EXPECT_EQ(displayTemperature(z, 100), 100);
}

TEST(UtilitiesTest, EditorStepsSnapAndWrap) {
  EXPECT_EQ(stepUp(5, 100, 0, 1), 6);
  EXPECT_EQ(stepUp(15, 100, 0, 10), 20);
  EXPECT_EQ(stepUp(95, 100, 3, 10), 0);     // past the bound: the wrap value, snapped
  EXPECT_EQ(stepUp(65530, 65535, 0, 10), 0);  // no 16-bit overflow past the bound
  EXPECT_EQ(stepDown(25, 0, 90, 10), 10);
  EXPECT_EQ(stepDown(5, 0, 95, 10), 90);     // would go below 0: wraps
  EXPECT_EQ(stepDown(5, 3, 99, 1), 4);
  EXPECT_EQ(stepUp(7, 100, 0, 0), 8);        // a step never set counts as 1
  EXPECT_EQ(stepDown(7, 0, 0, 0), 6);
}

TEST(UtilitiesTest, TankContentsForRisingAndFallingSenders) {
  const std::array<std::uint16_t, 7> rising{60, 100, 200, 300, 400, 500, 600};
  const std::array<std::uint16_t, 7> falling{60, 600, 500, 400, 300, 200, 100};
  const std::array<std::uint16_t, 7> flat{60, 0, 0, 0, 0, 0, 0};
  const std::pair<std::uint16_t, std::uint16_t> risingCases[] = {
      {250, 18}, {100, 0}, {50, 0}, {150, 6}, {599, 59}, {600, 60}, {4095, 60}};
  for (auto [reading, level] : risingCases) EXPECT_EQ(tankContents(rising, reading), level) << reading;
  const std::pair<std::uint16_t, std::uint16_t> fallingCases[] = {{450, 18}, {600, 0}, {100, 60}, {150, 54}};
  for (auto [reading, level] : fallingCases) EXPECT_EQ(tankContents(falling, reading), level) << reading;
  EXPECT_EQ(tankContents(flat, 0), 0);
  EXPECT_EQ(tankContents(flat, 1), 0);
}

TEST(UtilitiesTest, TrueAirspeedAndDerivedLimits) {
  EXPECT_EQ(trueAirspeedOf(100, 10000), 117);
  EXPECT_EQ(trueAirspeedOf(100, 99), 100);
  EXPECT_EQ(trueAirspeedOf(400, 65535), 400 + 29);  // 400 x 175 kept in 16 bits

  test::FakeHost host;
  Instrument z{host};
  Settings& s = z.settings;
  s.oilTempHigh = 135, s.oilPressureHigh = 80, s.egtLimit = 650, s.chtLimit = 250, s.coolantHigh = 95, s.mapRange = 3;
  const DerivedLimits d = derivedLimits(z);
  EXPECT_EQ(d.oilTempScale, 155);
  EXPECT_EQ(d.oilPressureScale, 92);
  EXPECT_EQ(d.egtScale, 747);
  EXPECT_EQ(d.chtScale, 287);
  EXPECT_EQ(d.coolantScale, 109);
  EXPECT_EQ(d.manifoldSpan, 400);
  s.egtLimit = 65535;
  EXPECT_EQ(derivedLimits(z).egtScale, 65535);
}

}  // namespace
}  // namespace zen
