#include "firmware/core/engine_decode.h"

#include <gtest/gtest.h>

#include <vector>

#include "firmware/core/option_bits.h"
#include "firmware/core/sender_curves.h"
#include "firmware/core/settings_store.h"
#include "firmware/instruments/derived_settings.h"
#include "sim/virtual_host.h"
#include "tests/firmware/background_rig.h"

namespace zen::test {
namespace {

template <std::size_t N>
void arrive(Instrument& z, FrameSlot<N>& slot, std::uint8_t type, std::vector<std::uint16_t> fields) {
  slot.bytes[0] = type;
  for (std::size_t i = 0; i < fields.size(); ++i) slot.setField(static_cast<int>(i), fields[i]);
  z.engine.engineUnitAlive = 6;
}

TEST(EngineDecodeTest, SensorFrameFillsThermocouplesAndSenderTemperatures) {
  FakeHost host;
  Instrument z{host};
  Settings& s = z.settings;
  s.egtCount() = 2;
  s.probeTypes = {1, 0, 0, 0, 2, 2, 3, 2};  // J-type heads; NTC senders, KVR coolant
  s.itemOptions[OilPressureGaugeItem] = 0x01;
  s.oilSenderType = 4;
  s.oilPressureScale = 100;
  s.toggleOption(15);
  z.engine.engineDataLost = 1;
  arrive(z, z.engine.frames.type2, 2, {1324, 1324, 1324, 2648, 945, 1638, 100, 7, 0, 0, 432});
  receiveEngineData(z);
  const EngineData& e = z.engine;
  EXPECT_EQ(e.frames.type2.bytes[0], 0);
  EXPECT_EQ(e.engineDataLost, 0);
  EXPECT_EQ(e.thermocouples, (std::array<std::uint16_t, 12>{1324, 1324, 1000, 2000}));
  EXPECT_EQ(e.oilTemperature, 40);
  EXPECT_EQ(e.headTemperature1, 20);
  EXPECT_EQ(e.coolantTemperature, 22);
  EXPECT_EQ(e.headTemperatureCopy[1], 60);
  EXPECT_EQ(e.fuelPressureInput, 1638);
  EXPECT_EQ(e.oilPressure, 8);

  z.main.activePage = 1;  // the gauge is not on page 2: its sender is left alone
  arrive(z, z.engine.frames.type2, 2, {0, 0, 0, 0, 0, 0, 338});
  receiveEngineData(z);
  EXPECT_EQ(e.oilPressure, 8);
}

TEST(EngineDecodeTest, FuelFlowAndTotaliser) {
  struct Case {
    const char* name;
    std::uint32_t options;
    std::uint16_t a, b;
    std::uint8_t interval;
    std::uint16_t kFactor;
    std::uint32_t remainingBefore;
    std::uint16_t flow;
    std::uint32_t remainingAfter;
  };
  const std::uint32_t senderA = 1u << 4, inverted = 1u << 11;
  const Case cases[] = {
      {"sender A", senderA, 100, 0, 40, 7000, 10000, 5142, 9900},
      {"sender B", 0, 0, 100, 40, 700, 10000, 5142, 9900},
      {"B out of range", 0, 0, 1001, 40, 700, 10000, 0, 10000},
      {"B inverted", inverted, 0, 100, 40, 700, 10000, 46285, 9100},
      {"B inverted, out of range", inverted, 0, 2000, 40, 700, 10000, 51428, 9000},
      {"no interval yet", senderA, 100, 0, 0, 7000, 10000, 0, 10000},
      {"interval unknown", senderA, 100, 0, 255, 7000, 10000, 0, 10000},
      {"K-factor 0", senderA, 100, 0, 40, 0, 10000, 0, 9900},
      {"tank runs dry", senderA, 100, 0, 40, 7000, 50, 5142, 0},
      {"saturates", senderA, 0xFFFF, 0, 1, 1, 0, 0xFFFF, 0},
  };
  for (const Case& c : cases) {
    FakeHost host;
    Instrument z{host};
    z.engine.engineFrameInterval = c.interval;
    z.settings.optionBits = c.options;
    z.settings.flowKFactor = c.kFactor;
    z.time.trip.fuelRemaining = c.remainingBefore;
    arrive(z, z.engine.frames.type1, 1, {c.a, c.b});
    receiveEngineData(z);
    EXPECT_EQ(z.engine.fuelFlow, c.flow) << c.name;
    EXPECT_EQ(std::uint32_t{z.time.trip.fuelRemaining}, c.remainingAfter) << c.name;
  }
}

TEST(EngineDecodeTest, SpeedThermocoupleAndExtraChannelFrames) {
  for (bool levelPort : {false, true}) {  // option bit 17: fuel pressure on the level 2 port
    FakeHost host;
    Instrument z{host};
    Settings& s = z.settings;
    s.egtCount() = 6;
    s.probeTypes[0] = probe_type::JType;
    if (levelPort) s.toggleOption(17);
    EngineFrames& f = z.engine.frames;
    arrive(z, f.type2, 2, {0, 0, 0, 0, 0, 777});
    arrive(z, f.type3, 3, {4321});
    arrive(z, f.type4, 4, {1324, 1324, 2648, 2648});
    arrive(z, f.type5, 5, {100, 200, 1324, 2648, 555, 1013});
    receiveEngineData(z);
    const EngineData& e = z.engine;
    EXPECT_EQ(e.engineSpeedValue, 4321);
    EXPECT_EQ(e.thermocouples,
              (std::array<std::uint16_t, 12>{0, 0, 0, 0, 1324, 1324, 2000, 2000, 75, 151, 1000, 2000}));
    EXPECT_EQ(e.fuelLevel2Input, 555);
    EXPECT_EQ(e.manifoldInput, 1013);
    EXPECT_EQ(e.fuelPressureInput, levelPort ? 555 : 777) << levelPort;
    for (std::uint8_t type : {f.type3.bytes[0], f.type4.bytes[0], f.type5.bytes[0]}) EXPECT_EQ(type, 0);
  }
}

TEST(EngineDecodeTest, RemainingFuelInTenthsAndLimitedWholeUnits) {
  struct Case {
    std::uint8_t tankMode;
    std::uint16_t tank1Capacity, tank2Capacity, units;
  };
  // 12345 pulses at K 100: 1234 tenths, 123 whole units before the limit.
  const Case cases[] = {
      {1, 100, 50, 100}, {1, 200, 50, 50},  {1, 200, 150, 123},
      {1, 123, 10, 10},  {0, 100, 50, 123}, {2, 100, 50, 123},
  };
  for (const Case& c : cases) {
    FakeHost host;
    Instrument z{host};
    Settings& s = z.settings;
    s.toggleOption(4);
    s.flowKFactor = 100;
    s.tankMode = c.tankMode;
    s.tank1Calibration[0] = c.tank1Capacity;
    s.tank2Calibration[0] = c.tank2Capacity;
    z.engine.engineFrameInterval = 40;
    z.time.trip.fuelRemaining = 12345 + 7;
    z.time.trip.fuelUsed = 1000;
    arrive(z, z.engine.frames.type1, 1, {7, 0});
    receiveEngineData(z);
    SCOPED_TRACE(testing::Message() << "mode " << int(c.tankMode) << " tanks " << c.tank1Capacity << "/"
                                    << c.tank2Capacity);
    EXPECT_EQ(std::uint32_t{z.time.trip.fuelUsed}, 1007u);
    EXPECT_EQ(z.engine.fuelRemainingTenths, 1234u);
    EXPECT_EQ(z.engine.fuelRemainingUnits, c.units);
  }
}

TEST(EngineDecodeTest, ValuesClearAboutThreeSecondsAfterTheUnitStops) {
  VirtualHost host;
  Instrument& z = host.instrument();
  host.at(0, [&] {
    z.sim.engineUnitOn = true;
    z.sim.engineBars[0] = 640;  // TC 1
  });
  host.at(4000, [&] {  // just after a frame set
    EXPECT_EQ(z.engine.thermocouples[0], 640);
    EXPECT_EQ(z.engine.engineDataLost, 0);
    z.sim.engineUnitOn = false;
  });
  host.at(6900, [&] { EXPECT_EQ(z.engine.thermocouples[0], 640); });
  host.at(7100, [&] {
    EXPECT_EQ(z.engine.thermocouples[0], 0);
    EXPECT_EQ(z.engine.engineSpeedValue, NoEngineSpeed);
    EXPECT_EQ(z.engine.engineDataLost, 1);
  });
  host.closeAt(7200);
  host.run();
}

TEST(EngineDecodeTest, SlaveTakesOneLinkBlockPerPassAndTracksTheDataFeed) {
  FakeHost host;
  Instrument z{host};
  EngineData& e = z.engine;
  z.settings.optionBits = 1u << option::DualPanel;  // and not the master
  e.slaveMode = e.noDataFeedMark = 1;
  const std::uint8_t primary[17] = {0x88, 0xFF, 0xFF, 0xFF, 0xF5, 0x03, 0xD4, 0xFE,
                                    0x2C, 0x01, 140,  12,   3,    1,    0};
  std::copy(std::begin(primary), std::end(primary), e.primaryBlock.bytes.begin());
  e.senderBlock.bytes[1] = 0x10;
  e.secondaryBlock.bytes[10] = 0x50, e.secondaryBlock.bytes[11] = 0x14;  // engine rpm 5200
  e.secondaryBlock.bytes[27] = 0x01;                                     // remaining units 256
  e.primaryBlock.arrived = e.senderBlock.arrived = e.secondaryBlock.arrived = 1;

  receiveEngineData(z);
  EXPECT_EQ(z.air.altitudeFeet, -120);
  EXPECT_EQ(z.air.altitudeShown, 0);
  EXPECT_EQ(std::uint16_t{z.time.qnh.qnhX8}, 8104);
  EXPECT_EQ(z.air.verticalSpeed, 300);
  EXPECT_EQ(z.air.climbing, 0);
  EXPECT_EQ(z.air.airspeedByte, 255);
  EXPECT_EQ(z.time.flight.hours, 3);
  EXPECT_EQ(e.noDataFeedMark, 0);
  const std::uint16_t expectedTc[] = {0, 0x1000, 0x1000};
  const std::uint16_t expectedRpm[] = {0, 0, 5200};
  for (int pass = 0; pass < 3; ++pass) {
    if (pass) receiveEngineData(z);
    EXPECT_EQ(e.thermocouples[0], expectedTc[pass]) << pass;
    EXPECT_EQ(z.air.engineRpm, expectedRpm[pass]) << pass;
  }
  EXPECT_EQ(e.fuelRemainingUnits, 256);

  e.engineUnitAlive = 0;  // the master went silent
  receiveEngineData(z);
  EXPECT_EQ(e.noDataFeedMark, 1);
  EXPECT_EQ(e.engineDataLost, 1);
}

TEST(EngineDecodeTest, SlaveVerticalSpeedIsNegativeOnlyAbove32000) {
  struct Case {
    std::uint16_t sent;
    std::int32_t speed;
    std::uint8_t climbing;
  };
  for (const Case c : {Case{0, 0, 1}, Case{300, 300, 1}, Case{32000, 32000, 1}, Case{32001, 33535, 0},
                       Case{65236, 300, 0}, Case{65535, 1, 0}}) {
    FakeHost host;
    Instrument z{host};
    z.engine.slaveMode = 1;
    z.air.climbing = c.climbing ? 0 : 1;
    z.engine.primaryBlock.bytes[6] = static_cast<std::uint8_t>(c.sent & 0xFF);
    z.engine.primaryBlock.bytes[7] = static_cast<std::uint8_t>(c.sent >> 8);
    z.engine.primaryBlock.arrived = 1;
    receiveEngineData(z);
    EXPECT_EQ(z.air.verticalSpeed, c.speed) << c.sent;
    EXPECT_EQ(z.air.climbing, c.climbing) << c.sent;
  }
}

// Blank or erased settings and extreme frame fields give defined values, never a fault.
TEST(EngineDecodeTest, BlankAndErasedSettingsNeverFault) {
  for (std::uint8_t fill : {0x00, 0xFF}) {
    for (std::uint16_t field : {0x0000, 0xFFFF}) {
      for (std::uint8_t interval : {0, 1, 255}) {
        SCOPED_TRACE(testing::Message()
                     << "image " << int(fill) << " field " << field << " interval " << int(interval));
        BackgroundRig rig;
        Instrument& z = rig.z;
        z.e2.bytes.fill(fill);
        loadAllSettings(z);
        recomputeDerivedSettings(z);
        auto fields = [field](std::size_t n) { return std::vector<std::uint16_t>(n, field); };
        auto feed = [&] {
          arrive(z, z.engine.frames.type1, 1, fields(2)), arrive(z, z.engine.frames.type2, 2, fields(11));
          arrive(z, z.engine.frames.type3, 3, fields(1)), arrive(z, z.engine.frames.type4, 4, fields(4));
          arrive(z, z.engine.frames.type5, 5, fields(6));
          z.engine.engineFrameInterval = interval;
          z.air.indicatedAirspeed = z.air.engineRpm = z.air.rotorRpm = field;
        };
        for (double ms : {10, 1010, 2010}) rig.at(ms, feed);
        rig.at(1500, [&] { z.keyBits = 0x00; });
        z.time.flight.minutes = 5;
        ASSERT_NO_THROW(rig.runUntil(3000));
        ASSERT_NO_THROW(startFlight(z));
        z.time.flight.minutes = 5;
        ASSERT_NO_THROW(endFlight(z));
        if (interval != 1 || z.settings.flowKFactor == 0) {
          EXPECT_EQ(z.engine.fuelFlow, 0);
        }
      }
    }
  }
}

}  // namespace
}  // namespace zen::test
