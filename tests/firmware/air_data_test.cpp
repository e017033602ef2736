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
  // Channel 0 reads 4095 minus the static bar, channel 3 likewise from the pitot bar.
  void staticCounts(std::uint16_t counts) { z.sim.pressureBars[0] = static_cast<std::uint16_t>(4095 - counts); }
  void pitotCounts(std::uint16_t counts) { z.sim.pressureBars[1] = static_cast<std::uint16_t>(4095 - counts); }
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
    std::uint16_t counts;
    std::int8_t offset;
    std::int32_t feet;
  };
  const Case cases[] = {
      {3346, 0, 0},     {3280, 0, 495},    {3213, 0, 998},    {3212, 0, 1007},   {2180, 0, 10000},
      {3366, -20, 0},   {3356, 0, -70},    {3446, 0, -700},   {3447, 0, 0},      {302, 0, 39000 + 999},
      {300, 0, 40058},  {0, 0, 48881},     {10, -20, 0},
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

TEST(AirData, AltitudeLookupKeepsTheSegmentSlope) {
  EXPECT_EQ(lookUpAltitude(3346).slope, 751);
  EXPECT_EQ(lookUpAltitude(3400).slope, 751);  // above the top
  EXPECT_EQ(lookUpAltitude(3212).slope, 775);
  EXPECT_EQ(lookUpAltitude(303).slope, 2941);
  EXPECT_EQ(lookUpAltitude(301).slope, 2941);  // below the last point: extrapolated on segment 39
  EXPECT_EQ(lookUpAltitude(301).value, 2941 * 35 / 100 + 39700);
}

TEST(AirData, QnhMovesTheAltitudeByThreeAndAHalfFeetPerEighthHectopascal) {
  struct Case {
    std::uint16_t qnhX8;
    std::int32_t feet;
  };
  for (const Case c : {Case{8112, 28}, Case{8096, -28}, Case{8105, 3}, Case{8103, -3}, Case{8472, 1288},
                       Case{7688, -700}}) {
    SCOPED_TRACE(testing::Message() << "qnhX8 " << c.qnhX8);
    AirRig rig;
    rig.z.time.qnh.qnhX8 = c.qnhX8;
    rig.frame(true);
    EXPECT_EQ(rig.a.altitudeFeet, c.feet);
  }
  // At the 16-bit edge: a QNH set far too low holds -700 ft instead of wrapping to some 64000 ft.
  EXPECT_EQ(qnhCorrected(700, 7688), 0);
  EXPECT_EQ(qnhCorrected(1456, 7688), 0);
  EXPECT_EQ(qnhCorrected(1457, 7688), 1);
  EXPECT_EQ(qnhCorrected(49581, 8472), 49581 + 1288);
}

TEST(AirData, AltitudeJumpIsFollowedSlowlyThenSnappedOnTheSecondFrame) {
  AirRig rig;
  rig.frame(true);
  EXPECT_EQ(rig.a.altitudeFeet, 0);
  rig.frame();
  EXPECT_EQ(rig.a.altitudeJumpCount, 0);

  rig.staticCounts(3213);  // 998 ft
  rig.frame();
  EXPECT_EQ(rig.a.altitudeJumpCount, 1);
  EXPECT_EQ(rig.a.altitudeFeet, (700 * 8 * 7 + 1698 * 8) / 8 / 8 - 700);
  rig.frame();
  EXPECT_EQ(rig.a.altitudeFeet, 998);
  EXPECT_EQ(rig.a.altitudeFilter, 1698u * 8);
  EXPECT_EQ(rig.a.fastFollow, 0);  // lasts one frame

  // Within 25 ft the filter only eases toward the new value.
  rig.staticCounts(3210);  // 1023 ft
  rig.frame();
  EXPECT_EQ(rig.a.altitudeJumpCount, 0);
  EXPECT_EQ(rig.a.altitudeFeet, (1698 * 8 * 7 + 1723 * 8) / 8 / 8 - 700);
}

TEST(AirData, AirspeedFromPitotCounts) {
  struct Case {
    std::uint16_t counts;
    std::uint16_t zero;
    std::uint8_t factor;
    std::uint16_t ias;
  };
  const Case cases[] = {
      {500, 0, 100, 100}, {600, 100, 100, 100}, {50, 100, 100, 0}, {12, 0, 100, 0},   // sqrt 15 reads 0
      {13, 0, 100, 16},   {500, 0, 150, 150},   {500, 0, 0, 0},    {3276, 0, 100, 255},
      {3277, 0, 100, 255}, {4095, 0, 100, 255},  {4095, 0, 200, 510},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "counts " << c.counts << " zero " << c.zero);
    AirRig rig;
    rig.z.settings.airspeedZero = c.zero;
    rig.z.settings.airspeedFactor = c.factor;
    rig.pitotCounts(c.counts);
    rig.frame(true);
    EXPECT_EQ(rig.a.indicatedAirspeed, c.ias);
    EXPECT_EQ(rig.a.airspeedByte, std::min<int>(c.ias, 255));
  }
}

TEST(AirData, AirspeedNeverFallsBackAtTheTopOfTheSixteenBitSquare) {
  std::uint16_t previous = 0;
  for (int counts = 3200; counts <= 4095; ++counts) {
    const std::uint16_t ias = indicatedAirspeedOf(static_cast<std::uint16_t>(counts), 100);
    EXPECT_GE(ias, previous) << "counts " << counts;
    previous = ias;
  }
  EXPECT_EQ(previous, 255);

  // A full-scale pitot held for many frames must not wrap the 16-bit filter.
  AirRig rig;
  rig.pitotCounts(4095);
  rig.frame(true);
  for (int n = 0; n < 50; ++n) rig.frame();
  EXPECT_EQ(rig.a.pitotFilter, 4095 * 4);
  EXPECT_EQ(rig.a.indicatedAirspeed, 255);
}

TEST(AirData, TrueAirspeedAndAirDistance) {
  AirRig rig;
  rig.staticCounts(2180);  // 10000 ft
  rig.pitotCounts(500);    // 100 mph
  rig.z.time.trip.flightTotal = 1000;
  rig.frame(true);
  EXPECT_EQ(rig.a.trueAirspeed, 117);
  EXPECT_EQ(rig.z.time.trip.flightTotal, 1117u);
  rig.frame();
  EXPECT_EQ(rig.z.time.trip.flightTotal, 1234u);
}

TEST(AirData, VerticalSpeedAndGlideRatio) {
  struct Case {
    std::uint16_t zero;
    std::uint16_t factor;
    std::int32_t verticalSpeed;
    std::uint8_t climbing;
    std::int32_t glide;
  };
  // Channel reads 2048 at 0 ft (slope 751); TAS 100 mph is 8800 ft/min.
  const Case cases[] = {
      {2048, 100, 0, 0, 0},          {2148, 100, 1137, 1, 77},   {1948, 100, 1137, 0, 77},
      {2053, 100, 56, 1, 999},       {2148, 50, 568, 1, 154},    {2048 + 1000, 100, 9999, 1, 8},
      {2148, 65535, 9999, 1, 8},
  };
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

TEST(AirData, SteadyAltimeterPullsTheClimbZeroOntoIt) {
  // The sensor reads a climb (zero above the reading) or a descent while the altimeter stands still.
  {
    AirRig rig;
    rig.climbCounts(2048, 2058);
    rig.frame(true);
    for (int n = 0; n < 150; ++n) rig.frame();
    EXPECT_EQ(rig.a.climbDrift, 100);  // held at its limit
    // The drift brings the reading to 2058; the filter settles one count short of it.
    EXPECT_EQ(rig.a.verticalSpeed, 751 / 66);
  }
  {
    AirRig rig;
    rig.climbCounts(2048, 2038);
    rig.frame(true);
    for (int n = 0; n < 150; ++n) rig.frame();
    EXPECT_EQ(rig.a.climbDrift, -100);
    EXPECT_EQ(rig.a.verticalSpeed, 0);
  }
}

TEST(AirData, VoltageAndTemperatureConversions) {
  EXPECT_EQ(supplyVoltageOf(1000), 144);
  EXPECT_EQ(supplyVoltageOf(1792), 254);
  EXPECT_EQ(supplyVoltageOf(1793), 255);
  EXPECT_EQ(supplyVoltageOf(1800), 255);  // 25.6 V: out of range, not a byte wrapped to 0
  EXPECT_EQ(supplyVoltageOf(3999), 255);
  EXPECT_EQ(supplyVoltageOf(4000), 255);
  EXPECT_EQ(supplyVoltageOf(4001), 255);
  EXPECT_EQ(ambientTemperatureOf(2400, 0), 143);
  EXPECT_EQ(ambientTemperatureOf(2400, -10), 133);
  EXPECT_EQ(ambientTemperatureOf(4001, 0), 0);  // no reading
  EXPECT_EQ(ambientTemperatureOf(0, 0), 1);     // held at the scale's ends, never "no reading"
  EXPECT_EQ(ambientTemperatureOf(4000, 0), 255);

  AirRig rig;
  rig.z.settings.temperatureOffset = 5;
  rig.frame();
  EXPECT_EQ(rig.a.supplyVoltage, 144);  // the simulator's fixed channels
  EXPECT_EQ(rig.a.ambientTemperature, 148);
}

TEST(AirData, TankContentsFromLevelsOrTotaliser) {
  AirRig rig;
  Settings& s = rig.z.settings;
  s.tank1Calibration = {60, 100, 200, 300, 400, 500, 600};
  s.tank2Calibration = {80, 600, 500, 400, 300, 200, 100};  // falling sender
  rig.z.engine.engineInputs[7] = 250;
  rig.z.engine.fuelLevel2Input = 4001;
  rig.z.engine.fuelRemainingUnits = 33;
  rig.frame();
  EXPECT_EQ(rig.a.tank1Contents, 18);
  EXPECT_EQ(rig.a.tank1Absent, 0);
  EXPECT_EQ(rig.a.tank2Absent, 1);
  EXPECT_EQ(rig.a.tank2Contents, 0);

  s.tankMode = 2;
  rig.z.engine.fuelLevel2Input = 250;
  rig.frame();
  EXPECT_EQ(rig.a.tank2Contents, 33);

  // Smoothing follows a level step by 1/32 per frame.
  rig.a.levelSmoothing = 1;
  rig.a.level1Filter = 250u * 32;
  rig.z.engine.engineInputs[7] = 700;
  rig.frame();
  EXPECT_EQ(rig.a.level1Filter, (250u * 32 * 31 + 700u * 32) >> 5);
  EXPECT_EQ(rig.a.tank1Contents, 19);  // 264 counts
  for (int n = 0; n < 400; ++n) rig.frame();
  EXPECT_EQ(rig.a.tank1Contents, 60);
}

TEST(AirData, RangeAndEndurance) {
  struct Case {
    std::uint8_t rangeTanks;
    std::uint16_t flow;
    std::uint8_t alive;
    std::uint16_t range, endurance;
  };
  // Tank 1 holds 18, tank 2 holds 12; TAS 100.
  const Case cases[] = {
      {0, 200, 6, 900, 540},      {1, 200, 6, 600, 360},  {2, 200, 6, 1500, 900}, {0, 0, 6, 65535, 65535},
      {0, 200, 0, 65535, 65535},  {0, 1, 6, 65535, 65535},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "tanks " << int(c.rangeTanks) << " flow " << c.flow);
    AirRig rig;
    Settings& s = rig.z.settings;
    s.tank1Calibration = {60, 100, 200, 300, 400, 500, 600};
    s.tank2Calibration = {60, 100, 200, 300, 400, 500, 600};
    s.rangeTanks = c.rangeTanks;
    rig.z.engine.engineInputs[7] = 250;
    rig.z.engine.fuelLevel2Input = 200;
    rig.z.engine.fuelFlow = c.flow;
    rig.z.engine.engineUnitAlive = c.alive;
    rig.pitotCounts(500);
    rig.frame(true);  // the range uses the previous frame's TAS
    rig.frame();
    EXPECT_EQ(rig.a.fuelRange, c.range);
    EXPECT_EQ(rig.a.fuelEndurance, c.endurance);
  }
  AirRig empty;
  empty.z.engine.fuelFlow = 200;
  empty.z.engine.engineUnitAlive = 6;
  empty.frame();
  EXPECT_EQ(empty.a.fuelRange, 0);
  EXPECT_EQ(empty.a.fuelEndurance, 0);
}

TEST(AirData, EngineAndRotorSpeed) {
  struct Case {
    std::uint16_t period;
    std::uint16_t rpm;
  };
  for (const Case c : {Case{300, 5195}, Case{30000, 51}, Case{30001, 0}, Case{NoEngineSpeed, 0},
                       Case{155, 9999}, Case{0, 0}}) {
    AirRig rig;
    rig.z.engine.rpmFactor = (6000 / 60) * 15586;
    rig.z.engine.engineSpeedValue = c.period;
    rig.frame();
    EXPECT_EQ(rig.a.engineRpm, c.rpm) << "period " << c.period;
  }

  struct RotorCase {
    std::uint16_t scale, period, pulses;
    std::uint8_t noSignal;
    std::uint16_t rpm;
  };
  for (const RotorCase c : {RotorCase{10, 3000, 0, 0, 312}, RotorCase{10, 3000, 0, 1, 0}, RotorCase{0, 3000, 0, 0, 0},
                            RotorCase{10, 0, 0, 0, 0}, RotorCase{300, 0, 100, 1, 402}}) {
    AirRig rig;
    rig.z.settings.rotorScale = c.scale;
    rig.z.engine.rotorPeriod = c.period;
    rig.z.engine.rotorPulses = c.pulses;
    rig.z.engine.rotorNoSignal = c.noSignal;
    rig.frame();
    EXPECT_EQ(rig.a.rotorRpm, c.rpm) << "scale " << c.scale << " period " << c.period;
  }
}

TEST(AirData, ManifoldAndFuelPressureNeedLiveEngineData) {
  AirRig rig;
  EngineData& e = rig.z.engine;
  e.engineUnitAlive = 6;
  e.manifoldInput = 833;  // + 180 = 1013
  rig.a.manifoldFilter = 1013u * 4;
  e.fuelPressureInput = 2048;
  rig.z.settings.fuelPressureRange = 100;
  rig.frame();
  EXPECT_EQ(rig.a.manifoldPressure, 1013 * 100 / 163);
  EXPECT_EQ(rig.a.fuelPressure, 0);  // fuel pressure item not shown

  rig.z.settings.itemOptions[13] = 0x01;
  rig.frame();
  EXPECT_EQ(rig.a.fuelPressure, 50);
  e.fuelPressureInput = static_cast<std::uint16_t>(-2048);
  rig.frame();
  EXPECT_EQ(rig.a.fuelPressure, 0);
  e.fuelPressureInput = 30000;
  rig.frame();
  EXPECT_EQ(rig.a.fuelPressure, 255);

  e.manifoldInput = 170;
  rig.z.settings.manifoldOffset = -3;  // 167: below the sensor's floor
  rig.frame();
  EXPECT_EQ(rig.a.manifoldPressure, 0);

  e.manifoldInput = 833;
  e.engineUnitAlive = 0;
  rig.frame();
  EXPECT_EQ(rig.a.manifoldPressure, 0);
  EXPECT_EQ(rig.a.fuelPressure, 0);
}

TEST(AirData, TakeoffRollIsMeasuredFromFirstMovementTo50FeetUp) {
  AirRig rig;
  rig.frame(true);
  rig.a.takeoffState = 1;
  rig.a.takeoffReferenceAltitude = 0;
  rig.frame();
  EXPECT_EQ(rig.a.takeoffState, 1);
  rig.pitotCounts(500);
  rig.frame(true);
  EXPECT_EQ(rig.a.takeoffState, 2);
  EXPECT_EQ(rig.z.main.redrawRequest, 1);
  rig.z.main.redrawRequest = 0;
  rig.frame();
  rig.frame();
  EXPECT_EQ(rig.a.takeoffRollCount, 200u);
  rig.staticCounts(3340);  // 45 ft
  rig.frame(true);
  EXPECT_EQ(rig.a.takeoffState, 2);
  rig.staticCounts(3338);  // 60 ft
  rig.frame(true);
  EXPECT_EQ(rig.a.takeoffState, 3);
  EXPECT_EQ(rig.a.takeoffRollCount, 300u);
  EXPECT_EQ(rig.z.main.redrawRequest, 1);
}

TEST(AirData, SlaveKeepsItsReceivedValuesAndStillDerivesTrueAirspeed) {
  AirRig rig;
  rig.z.engine.slaveMode = 1;
  rig.a.indicatedAirspeed = 100;
  rig.a.altitudeShown = 10000;
  rig.a.altitudeFeet = 10000;
  rig.staticCounts(3346);
  rig.frame();
  EXPECT_EQ(rig.a.altitudeFeet, 10000);
  EXPECT_EQ(rig.a.indicatedAirspeed, 100);
  EXPECT_EQ(rig.a.trueAirspeed, 117);
}

TEST(AirData, RunningEngineKeepsTheBacklightUp) {
  AirRig rig;
  rig.z.settings.backlightSetting = 40;
  rig.z.engine.rpmFactor = 1558600;
  rig.z.engine.engineSpeedValue = 300;
  rig.frame();
  EXPECT_EQ(rig.z.display.dimTimer, 255);
  EXPECT_EQ(rig.z.display.backlightLevel, 40);

  rig.z.settings.displayMode = 2;
  rig.z.display.backlightLevel = 255;
  rig.frame();
  EXPECT_EQ(rig.z.display.backlightLevel, 255);
}

TEST(AirData, DualPanelMasterAsksForItsTransmissions) {
  AirRig rig;
  rig.z.settings.optionBits = (1u << 18) | (1u << 9);
  rig.frame();
  EXPECT_EQ(rig.a.masterTransmitRequest, 1);
  EXPECT_EQ(rig.a.staticCounts, 3346);
}

}  // namespace
}  // namespace zen
