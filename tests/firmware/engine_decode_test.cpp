#include "firmware/core/engine_decode.h"

#include <gtest/gtest.h>

#include <vector>

#include "firmware/core/flight_log.h"
#include "firmware/core/utilities.h"
#include "host/settings_store.h"
#include "host/virtual_host.h"
#include "tests/firmware/background_rig.h"

namespace zen::test {
namespace {

class EngineDecodeTest : public testing::Test {
 protected:
  EngineDecodeTest() {
    z.engine.engineUnitAlive = 6;
    z.engine.engineFrameInterval = 40;
  }
  template <std::size_t N>
  void arrive(FrameSlot<N>& slot, std::uint8_t type, std::vector<std::uint16_t> fields) {
    slot.bytes[0] = type;
    for (std::size_t i = 0; i < fields.size(); ++i) slot.setField(static_cast<int>(i), fields[i]);
  }

  FakeHost host;
  Instrument z{host};
};

TEST_F(EngineDecodeTest, SensorFrameFillsThermocouplesAndSenderTemperatures) {
  z.settings.egtCount() = 2;
  z.settings.probeTypes = {1, 0, 0, 0, 2, 2, 3, 2};  // J-type heads; NTC senders, KVR coolant
  z.settings.itemOptions[OilPressureGaugeItem] = 0x01;
  z.settings.oilSenderType = 4;
  z.settings.oilPressureScale = 100;
  z.settings.toggleOption(15);
  z.engine.engineDataLost = 1;
  arrive(z.engine.frames.type2, 2, {1324, 1324, 1324, 2648, 945, 1638, 100, 7, 0, 0, 432});
  receiveEngineData(z);
  const EngineData& e = z.engine;
  EXPECT_EQ(e.frames.type2.bytes[0], 0);
  EXPECT_EQ(e.engineDataLost, 0);
  EXPECT_EQ(e.thermocouples[0], 1324);  // EGT channels stay raw
  EXPECT_EQ(e.thermocouples[2], 1000);
  EXPECT_EQ(e.thermocouples[3], 2000);
  EXPECT_EQ(e.oilTemperature, 40);
  EXPECT_EQ(e.headTemperature1, 20);
  EXPECT_EQ(e.coolantTemperature, 22);
  EXPECT_EQ(e.headTemperature2, 60);
  EXPECT_EQ(e.headTemperatureCopy[1], 60);
  EXPECT_EQ(e.fuelPressureInput, 1638);
  EXPECT_EQ(e.oilPressure, 8);
  EXPECT_EQ(e.engineInputs[7], 7);

  // Page 2 in view without the gauge: the oil pressure is left alone.
  z.main.activePage = 1;
  arrive(z.engine.frames.type2, 2, {0, 0, 0, 0, 0, 0, 338, 0, 0, 0, 0});
  receiveEngineData(z);
  EXPECT_EQ(e.oilPressure, 8);
}

TEST_F(EngineDecodeTest, OtherFramesAndOptionBit17) {
  z.settings.toggleOption(17);
  arrive(z.engine.frames.type3, 3, {1234});
  arrive(z.engine.frames.type4, 4, {5, 6, 7, 8});
  arrive(z.engine.frames.type5, 5, {9, 10, 11, 12, 2222, 3333});
  arrive(z.engine.frames.type2, 2, {0, 0, 0, 0, 0, 1111, 0, 0, 0, 0, 0});
  receiveEngineData(z);
  EXPECT_EQ(z.engine.engineSpeedValue, 1234);
  EXPECT_EQ(z.engine.thermocouples[4], 5);
  EXPECT_EQ(z.engine.thermocouples[11], 12);
  EXPECT_EQ(z.engine.fuelLevel2Input, 2222);
  EXPECT_EQ(z.engine.fuelPressureInput, 2222);
  EXPECT_EQ(z.engine.manifoldInput, 3333);
}

TEST_F(EngineDecodeTest, FuelFlowAndTotaliser) {
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
    FakeHost h;
    Instrument i{h};
    i.engine.engineUnitAlive = 6;
    i.engine.engineFrameInterval = c.interval;
    i.settings.optionBits = c.options;
    i.settings.flowKFactor = c.kFactor;
    i.time.trip.fuelRemaining = c.remainingBefore;
    arrive(i.engine.frames.type1, 1, {c.a, c.b});
    receiveEngineData(i);
    EXPECT_EQ(i.engine.fuelFlow, c.flow) << c.name;
    EXPECT_EQ(i.time.trip.fuelRemaining, c.remainingAfter) << c.name;
  }
}

TEST_F(EngineDecodeTest, RemainingFuelUnitsAreLimitedByTankCapacity) {
  z.settings.toggleOption(4);
  z.settings.flowKFactor = 10;
  z.settings.tankMode = 1;
  z.settings.tank1Calibration[0] = 50;
  z.settings.tank2Calibration[0] = 40;
  const std::pair<std::uint32_t, std::uint16_t> cases[] = {{300, 30}, {450, 40}, {600, 50}};
  for (auto [remaining, units] : cases) {
    z.time.trip.fuelRemaining = remaining;
    arrive(z.engine.frames.type1, 1, {0, 0});
    receiveEngineData(z);
    EXPECT_EQ(z.engine.fuelRemainingUnits, units) << remaining;
    EXPECT_EQ(z.engine.fuelRemainingTenths, remaining);
  }
}

TEST_F(EngineDecodeTest, SilentUnitClearsValuesAndFramesWaitForIt) {
  z.engine.engineUnitAlive = 0;
  z.engine.thermocouples.fill(500);
  z.engine.oilTemperature = 90;
  z.engine.fuelFlow = 700;
  arrive(z.engine.frames.type3, 3, {1234});
  receiveEngineData(z);
  EXPECT_EQ(z.engine.frames.type3.bytes[0], 3);  // not taken
  EXPECT_EQ(z.engine.engineSpeedValue, NoEngineSpeed);
  EXPECT_EQ(z.engine.thermocouples[7], 0);
  EXPECT_EQ(z.engine.oilTemperature, 0);
  EXPECT_EQ(z.engine.fuelFlow, 0);
  EXPECT_EQ(z.engine.engineDataLost, 1);
}

TEST(EngineUnitTest, ValuesClearAboutThreeSecondsAfterTheUnitStops) {
  VirtualHost host;
  Instrument& z = host.instrument();
  host.at(0, [&] {
    z.sim.engineUnitOn = true;
    z.sim.engineBars[0] = 640;  // TC 1
  });
  host.at(4000, [&] {
    EXPECT_EQ(z.engine.thermocouples[0], 640);
    EXPECT_EQ(z.engine.engineDataLost, 0);
    z.sim.engineUnitOn = false;
  });
  host.at(5400, [&] { EXPECT_EQ(z.engine.thermocouples[0], 640); });
  host.at(7100, [&] {
    EXPECT_EQ(z.engine.thermocouples[0], 0);
    EXPECT_EQ(z.engine.engineSpeedValue, NoEngineSpeed);
    EXPECT_EQ(z.engine.engineDataLost, 1);
  });
  host.closeAt(7200);
  host.run();
}

// Link blocks as a master sends them.
class BlockWriter {
 public:
  template <std::size_t N>
  explicit BlockWriter(LinkBlock<N>& block) : bytes_(block.bytes.data()) {
    block.arrived = 1;
  }
  BlockWriter& u8(std::uint8_t v) {
    bytes_[pos_++] = v;
    return *this;
  }
  BlockWriter& u16(std::uint16_t v) { return u8(v & 0xFF).u8(v >> 8); }
  BlockWriter& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }

 private:
  std::uint8_t* bytes_;
  std::size_t pos_ = 0;
};

TEST_F(EngineDecodeTest, SlaveTakesOneLinkBlockPerPassAndTracksTheDataFeed) {
  EngineData& e = z.engine;
  e.slaveMode = 1;
  e.engineUnitAlive = 0;
  e.noDataFeedMark = 1;
  BlockWriter(e.primaryBlock).u32(static_cast<std::uint32_t>(-120)).u16(1013).u16(65536 - 300).u16(300).u8(140)
      .u8(12).u8(3).u8(1).u8(0).u16(3346);
  BlockWriter(e.senderBlock).u16(700).u16(710);
  BlockWriter(e.secondaryBlock).u16(85).u16(45).u16(90).u16(101).u16(102).u16(5200).u16(1013).u8(30)
      .u16(480).u8(138).u16(9).u16(2500).u16(20).u16(21).u16(33);

  receiveEngineData(z);
  EXPECT_EQ(z.air.altitudeFeet, -120);
  EXPECT_EQ(z.air.altitudeShown, 0);
  EXPECT_EQ(z.time.qnh.qnhX8, 8104);
  EXPECT_EQ(z.air.verticalSpeed, 300);
  EXPECT_EQ(z.air.climbing, 0);
  EXPECT_EQ(z.air.indicatedAirspeed, 300);
  EXPECT_EQ(z.air.airspeedByte, 255);
  EXPECT_EQ(z.time.flight.minutes, 12);
  EXPECT_EQ(z.time.flight.hours, 3);
  EXPECT_EQ(z.time.qnh.inFlight, 1);
  EXPECT_EQ(e.linkStaticCounts, 3346);
  EXPECT_EQ(e.engineUnitAlive, 6);
  EXPECT_EQ(e.noDataFeedMark, 0);
  EXPECT_EQ(e.senderBlock.arrived, 1);
  EXPECT_EQ(e.thermocouples[0], 0);

  receiveEngineData(z);
  EXPECT_EQ(e.thermocouples[1], 710);
  EXPECT_EQ(z.air.engineRpm, 0);

  receiveEngineData(z);
  EXPECT_EQ(e.oilTemperature, 85);
  EXPECT_EQ(e.headTemperatureCopy[1], 102);
  EXPECT_EQ(z.air.engineRpm, 5200);
  EXPECT_EQ(z.air.fuelPressure, 30);
  EXPECT_EQ(z.air.rotorRpm, 480);
  EXPECT_EQ(z.air.supplyVoltage, 138);
  EXPECT_EQ(e.fuelFlow, 2500);
  EXPECT_EQ(z.air.tank2Contents, 21);
  EXPECT_EQ(e.fuelRemainingUnits, 33);

  e.engineUnitAlive = 0;  // the master went silent
  receiveEngineData(z);
  EXPECT_EQ(e.noDataFeedMark, 1);
  EXPECT_EQ(e.engineDataLost, 1);
}

// Erased or blank settings and extreme frame fields must give defined values, never a fault.
TEST(EngineSettingsImageTest, BlankAndErasedImagesNeverFault) {
  for (std::uint8_t fill : {0x00, 0xFF}) {
    for (std::uint16_t field : {0x0000, 0xFFFF}) {
      for (std::uint8_t interval : {0, 1, 40, 255}) {
        SCOPED_TRACE(testing::Message() << "image " << int(fill) << " field " << field << " interval "
                                        << int(interval));
        BackgroundRig rig;
        Instrument& z = rig.z;
        z.e2.bytes.fill(fill);
        loadAllSettings(z);
        computeDerivedScaleFactors(z);
        const DerivedLimits limits = derivedLimits(z);
        EXPECT_EQ(limits.manifoldSpan, fill ? 25600 : 100);
        auto feed = [&] {
          EngineFrames& f = z.engine.frames;
          f.type1.bytes.fill(static_cast<std::uint8_t>(field));
          f.type2.bytes.fill(static_cast<std::uint8_t>(field));
          f.type3.bytes.fill(static_cast<std::uint8_t>(field));
          f.type4.bytes.fill(static_cast<std::uint8_t>(field));
          f.type5.bytes.fill(static_cast<std::uint8_t>(field));
          f.type1.bytes[0] = 1, f.type2.bytes[0] = 2, f.type3.bytes[0] = 3, f.type4.bytes[0] = 4;
          f.type5.bytes[0] = 5;
          z.engine.engineUnitAlive = 6;
          z.engine.engineFrameInterval = interval;
          z.air.indicatedAirspeed = field;
          z.air.engineRpm = field;
        };
        for (int second = 0; second < 3; ++second) rig.at(second * 1000 + 10, feed);
        rig.at(1500, [&] { z.keyBits = 0x00; });
        z.time.flight.minutes = 5;
        ASSERT_NO_THROW(rig.runUntil(3000));
        ASSERT_NO_THROW(startFlight(z));
        z.time.flight.minutes = 5;
        ASSERT_NO_THROW(endFlight(z));
        if (interval == 0 || interval == 255 || z.settings.flowKFactor == 0) EXPECT_EQ(z.engine.fuelFlow, 0);
      }
    }
  }
}

}  // namespace
}  // namespace zen::test
