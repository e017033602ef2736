// The frame computation, fed through the simulated analogue channels and engine values.
#include "firmware/instruments/air_data.h"

#include <gtest/gtest.h>

#include <memory>

#include "firmware/core/instrument.h"
#include "tests/support/fake_host.h"

namespace zen {
namespace {

struct AirRig {
  test::FakeHost host;
  std::unique_ptr<Instrument> instrument = std::make_unique<Instrument>(host);
  Instrument& z = *instrument;
  AirDataState& a = z.air;

  AirRig() {
    z.time.qnh.qnhX8 = 8104;
    z.settings.airspeedFactor = 100;
    z.settings.climbFactor = 100;
    z.engine.engineSpeedValue = NoEngineSpeed;
    staticCounts(3346);
    pitotCounts(0);
    climbCounts(2048, 2048);
  }
  // Channels 0 and 3 read 4095 minus their simulator bar.
  void staticCounts(int counts) { z.sim.pressureBars[0] = static_cast<std::uint16_t>(4095 - counts); }
  void pitotCounts(int counts) { z.sim.pressureBars[1] = static_cast<std::uint16_t>(4095 - counts); }
  // A settled climb channel reading `counts`, against the given zero.
  void climbCounts(std::uint16_t counts, std::uint16_t zero) {
    z.adc.vsiAccumulator = counts;
    z.adc.lastStaticSample = static_cast<std::uint16_t>(4095 - z.sim.pressureBars[0]);
    a.climbFilter = counts * 4u;
    z.settings.climbZero = zero;
  }
  void frame(bool snap = false) {
    if (snap) a.fastFollow = 1;
    updateInstruments(z);
  }
};

TEST(AirData, AltitudeFromStaticCounts) {
  struct Case {
    int counts;
    std::int8_t offset;
    std::int32_t feet;
  };
  const Case cases[] = {
      {3346, 0, 0},    {3280, 0, 495}, {3213, 0, 998},  {3212, 0, 1007}, {2180, 0, 9999},
      {3366, -20, 0},  {3356, 0, -70}, {3446, 0, -700}, {3447, 0, 0},    {302, 0, 39999},
      {300, 0, 40058}, {0, 0, 48881},  {10, -20, 0},  // the offset wraps the counts in 16 bits: far above the
                                                      // table's top
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "counts " << c.counts << " offset " << int(c.offset));
    AirRig rig;
    rig.z.settings.altimeterOffset = c.offset;
    rig.staticCounts(c.counts);
    rig.frame(true);
    EXPECT_EQ(rig.a.altitudeFeet, c.feet);
    EXPECT_EQ(rig.a.altitudeShown, std::max(c.feet, 0));
  }
}

TEST(AirData, QnhMovesTheAltitudeByThreeAndAHalfFeetPerEighthHectopascal) {
  for (const auto& [qnhX8, feet] :
       {std::pair{8112, 28}, {8096, -28}, {8103, -3}, {8472, 1288}, {7688, -700}}) {
    AirRig rig;
    rig.z.time.qnh.qnhX8 = static_cast<std::uint16_t>(qnhX8);
    rig.frame(true);
    EXPECT_EQ(rig.a.altitudeFeet, feet) << "qnhX8 " << qnhX8;
  }
  // At the 16-bit edge a QNH set far too low holds -700 ft instead of wrapping to some 64000 ft.
  EXPECT_EQ(qnhCorrected(1456, 7688), 0);
  EXPECT_EQ(qnhCorrected(1457, 7688), 1);
  EXPECT_EQ(qnhCorrected(49581, 8472), 49581 + 1288);
}

TEST(AirData, AltitudeJumpIsFollowedSlowlyThenSnappedOnTheSecondFrame) {
  AirRig rig;
  rig.frame(true);
  rig.frame();             // the start-up snap counted as a jump; a steady frame clears it
  rig.staticCounts(3213);  // 998 ft
  rig.frame();
  EXPECT_EQ(rig.a.altitudeFeet, (700 * 8 * 7 + 1698 * 8) / 8 / 8 - 700);
  rig.frame();
  EXPECT_EQ(rig.a.altitudeFeet, 998);
  EXPECT_EQ(rig.a.fastFollow, 0);  // lasts one frame

  rig.staticCounts(3210);  // 1023 ft: within 25 ft the filter only eases toward it
  rig.frame();
  rig.frame();
  EXPECT_EQ(rig.a.altitudeJumpCount, 0);
  EXPECT_GT(rig.a.altitudeFeet, 998);
  EXPECT_LT(rig.a.altitudeFeet, 1023);
}

TEST(AirData, AirspeedFromPitotCounts) {
  struct Case {
    int counts;
    std::uint16_t zero;
    std::uint8_t factor;
    std::uint16_t ias;
  };
  const Case cases[] = {
      {500, 0, 100, 100}, {600, 100, 100, 100}, {50, 100, 100, 0},   {12, 0, 100, 0},  // sqrt 15 reads 0
      {13, 0, 100, 16},   {500, 0, 150, 150},   {3276, 0, 100, 255}, {3277, 0, 100, 255}, {4095, 0, 200, 510},
  };
  for (const Case& c : cases) {
    AirRig rig;
    rig.z.settings.airspeedZero = c.zero;
    rig.z.settings.airspeedFactor = c.factor;
    rig.pitotCounts(c.counts);
    rig.frame(true);
    EXPECT_EQ(rig.a.indicatedAirspeed, c.ias) << "counts " << c.counts << " zero " << c.zero;
    EXPECT_EQ(rig.a.airspeedByte, std::min<int>(c.ias, 255));
  }
}

TEST(AirData, AirspeedNeverFallsBackAtTheTopOfTheSixteenBitSquare) {
  std::uint16_t previous = 0;
  for (int counts = 3200; counts <= 4095; ++counts) {
    const std::uint16_t ias = indicatedAirspeedOf(static_cast<std::uint16_t>(counts), 100);
    ASSERT_GE(ias, previous) << "counts " << counts;
    previous = ias;
  }
}

TEST(AirData, TrueAirspeedAddsUpTheAirDistance) {
  AirRig rig;
  rig.staticCounts(2179);  // 10010 ft
  rig.pitotCounts(500);    // 100 mph
  rig.frame(true);
  rig.frame();
  EXPECT_EQ(rig.a.trueAirspeed, 117);
  EXPECT_EQ(std::uint32_t{rig.z.time.trip.flightTotal}, 234u);
}

TEST(AirData, VerticalSpeedAndGlideRatio) {
  struct Case {
    std::uint16_t zero, factor;
    std::int32_t verticalSpeed;
    std::uint8_t climbing;
    std::int32_t glide;
  };
  // The climb channel reads 2048 at 0 ft (slope 751); TAS 100 mph is 8800 ft/min.
  const Case cases[] = {{2048, 100, 0, 0, 0},     {2148, 100, 1137, 1, 77}, {1948, 100, 1137, 0, 77},
                        {2053, 100, 56, 1, 999},  {2148, 50, 568, 1, 154},  {3048, 100, 9999, 1, 8},
                        {2148, 65535, 9999, 1, 8}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "zero " << c.zero << " factor " << c.factor);
    AirRig rig;
    rig.pitotCounts(500);
    rig.climbCounts(2048, c.zero);
    rig.z.settings.climbFactor = c.factor;
    rig.frame(true);
    EXPECT_EQ(rig.a.verticalSpeed, c.verticalSpeed);
    EXPECT_EQ(rig.a.climbing, c.climbing);
    EXPECT_EQ(rig.a.glideRatio, c.glide);
  }
}

TEST(AirData, VoltageAndTemperatureHoldTheEndsOfTheirBytes) {
  for (const auto& [counts, volts] :
       {std::pair{1000, 144}, {1792, 254}, {1800, 255}, {3999, 255}, {4001, 255}})
    EXPECT_EQ(supplyVoltageOf(static_cast<std::uint16_t>(counts)), volts) << "counts " << counts;
  EXPECT_EQ(ambientTemperatureOf(2400, -10), 133);
  EXPECT_EQ(ambientTemperatureOf(4001, 0), 0);  // no reading
  EXPECT_EQ(ambientTemperatureOf(0, 0), 1);     // coldest, yet still a reading
  EXPECT_EQ(ambientTemperatureOf(4000, 0), 255);
}

TEST(AirData, TankContentsFromLevelsOrTotaliser) {
  AirRig rig;
  Settings& s = rig.z.settings;
  s.tank1Calibration = {60, 100, 200, 300, 400, 500, 600};
  rig.z.engine.engineInputs[7] = 250;
  rig.z.engine.fuelLevel2Input = 4001;
  rig.z.engine.fuelRemainingUnits = 33;
  rig.frame();
  EXPECT_EQ(rig.a.tank1Contents, 18);
  EXPECT_EQ(rig.a.tank2Absent, 1);
  s.tankMode = 2;
  rig.frame();
  EXPECT_EQ(rig.a.tank2Contents, 33);
}

TEST(AirData, RangeAndEndurance) {
  struct Case {
    std::uint8_t rangeTanks;
    std::uint16_t flow;
    std::uint8_t alive;
    std::uint16_t range, endurance;
  };
  // Tank 1 holds 18, tank 2 holds 12; the range takes the previous frame's TAS of 100.
  const Case cases[] = {{0, 200, 6, 900, 540},   {1, 200, 6, 600, 360},     {2, 200, 6, 1500, 900},
                        {0, 0, 6, 65535, 65535}, {0, 200, 0, 65535, 65535}, {0, 1, 6, 65535, 65535}};
  for (const Case& c : cases) {
    AirRig rig;
    rig.z.settings.tank1Calibration = rig.z.settings.tank2Calibration = {60, 100, 200, 300, 400, 500, 600};
    rig.z.settings.rangeTanks = c.rangeTanks;
    rig.z.engine.engineInputs[7] = 250;
    rig.z.engine.fuelLevel2Input = 200;
    rig.z.engine.fuelFlow = c.flow;
    rig.z.engine.engineUnitAlive = c.alive;
    rig.pitotCounts(500);
    rig.frame(true);
    rig.frame();
    EXPECT_EQ(rig.a.fuelRange, c.range) << "tanks " << int(c.rangeTanks) << " flow " << c.flow;
    EXPECT_EQ(rig.a.fuelEndurance, c.endurance);
  }
}

TEST(AirData, ZeroDivisorsAndOutOfRangeInputsGiveDefinedValues) {
  AirRig rig;
  EngineData& e = rig.z.engine;
  e.rpmFactor = (6000 / 60) * 15586;
  for (const auto& [period, rpm] : {std::pair{300, 5195}, {155, 9999}, {30001, 0}, {0, 0}}) {
    e.engineSpeedValue = static_cast<std::uint16_t>(period);
    rig.frame();
    EXPECT_EQ(rig.a.engineRpm, rpm) << "period " << period;
  }
  // The second rev counter: no input fitted (no pulse), a zero scale or
  // period read 0; pulses timed over the preset period give 312 rpm.
  struct RotorCase {
    std::uint16_t scale, period, pulses, rpm;
  };
  for (const RotorCase c : {RotorCase{0, 3000, 5, 0}, RotorCase{10, 3000, 0, 0}, RotorCase{10, 3000, 5, 312},
                            RotorCase{10, 0, 5, 0}}) {
    rig.z.settings.rotorScale = c.scale;
    e.rotorPeriod = c.period;
    e.rotorPulses = c.pulses;
    rig.frame();
    EXPECT_EQ(rig.a.rotorRpm, c.rpm) << c.scale << " " << c.period << " " << c.pulses;
  }

  e.engineUnitAlive = 6;
  rig.z.settings.itemOptions[13] = 0x01;
  rig.z.settings.fuelPressureRange = 100;
  for (const auto& [counts, pressure] : {std::pair{2048, 50}, {65536 - 2048, 0}, {30000, 255}}) {
    e.fuelPressureInput = static_cast<std::uint16_t>(counts);
    rig.frame();
    EXPECT_EQ(rig.a.fuelPressure, pressure) << "counts " << counts;
  }
  e.engineUnitAlive = 0;
  rig.frame();
  EXPECT_EQ(rig.a.fuelPressure, 0);
}

}  // namespace
}  // namespace zen
