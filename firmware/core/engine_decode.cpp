#include "firmware/core/engine_decode.h"

#include <algorithm>

#include "firmware/core/instrument.h"
#include "firmware/core/option_bits.h"
#include "firmware/core/sender_curves.h"
#include "firmware/core/utilities.h"
#include "firmware/instruments/panel.h"
#include "firmware/instruments/panel_items.h"

namespace zen {

namespace {

constexpr std::uint8_t AliveHalfSeconds = 6;

// Little-endian fields of a link block, in order.
template <std::size_t N>
class FieldReader {
 public:
  explicit FieldReader(const std::array<std::uint8_t, N>& bytes) : bytes_(bytes) {}
  std::uint8_t u8() { return bytes_[pos_++]; }
  std::uint16_t u16() {
    const std::uint16_t lo = u8();
    return static_cast<std::uint16_t>(lo | (u8() << 8));
  }
  std::uint32_t u32() {
    const std::uint32_t lo = u16();
    return lo | (std::uint32_t{u16()} << 16);
  }

 private:
  const std::array<std::uint8_t, N>& bytes_;
  std::size_t pos_ = 0;
};

void decodeSenders(Instrument& z) {
  EngineData& e = z.engine;
  struct SenderInput {
    int input;  // byte of the probe type setting
    int word;   // of the type 2 frame
    std::uint16_t EngineData::*target;
  };
  static constexpr SenderInput Inputs[] = {
      {4, 5, &EngineData::headTemperature1},
      {5, 10, &EngineData::headTemperature2},
      {6, 5, &EngineData::coolantTemperature},
      {7, 4, &EngineData::oilTemperature},
  };
  for (const SenderInput& in : Inputs) {
    if (auto t = convertSender(z.settings, z.settings.probeTypes[in.input], e.engineInputs[in.word]))
      e.*in.target = *t;
  }
  e.headTemperatureCopy = {e.headTemperature1, e.headTemperature2};
}

void takeSensorFrame(Instrument& z) {
  EngineData& e = z.engine;
  const FrameSlot<23>& f = e.frames.type2;
  for (int i = 0; i < 11; ++i) e.engineInputs[i] = f.field(i);
  for (int i = 0; i < 4; ++i) storeThermocouple(z, i, f.field(i));
  decodeSenders(z);
  if (!z.settings.testOption(option::FuelPressureFromLevel2)) e.fuelPressureInput = e.engineInputs[5];
  // The sender curve is walked only for a gauge that shows it.
  if (itemVisible(z, OilPressureGaugeItem))
    e.oilPressure = oilPressureFromSender(z.settings, e.engineInputs[6]);
}

void takeFuelFlowFrame(Instrument& z) {
  const Settings& s = z.settings;
  EngineData& e = z.engine;
  TripRecord& trip = z.time.trip;
  const FrameSlot<5>& f = e.frames.type1;
  const bool senderA = s.testOption(option::FlowTurbine);
  std::uint32_t count;
  if (senderA) {
    count = f.field(0);
  } else {
    count = f.field(1);
    if (count > 1000) count = 0;
    if (s.testOption(option::InjectorHigh)) count = 1000 - count;
  }
  const std::uint8_t interval = e.engineFrameInterval;
  if (interval == 0 || interval == 255) {  // no measured interval yet
    e.fuelFlow = 0;
    return;
  }
  trip.fuelRemaining = count > trip.fuelRemaining ? 0 : trip.fuelRemaining - count;
  trip.fuelUsed += count;
  e.fuelFlow = fuelFlowOf(count, interval, flowPulsesPerLitre(s));
  refreshFuelTotaliser(z);
}

void takeExtraChannelsFrame(Instrument& z) {
  EngineData& e = z.engine;
  const FrameSlot<13>& f = e.frames.type5;
  e.fuelLevel2Input = f.field(4);
  if (z.settings.testOption(option::FuelPressureFromLevel2)) e.fuelPressureInput = f.field(4);
  e.manifoldInput = f.field(5);
  for (int i = 0; i < 4; ++i) storeThermocouple(z, 8 + i, f.field(i));
}

template <std::size_t N>
bool takeIfArrived(FrameSlot<N>& slot, std::uint8_t type) {
  if (slot.bytes[0] != type) return false;
  slot.bytes[0] = 0;
  return true;
}

bool takeEngineFrames(Instrument& z) {
  EngineFrames& f = z.engine.frames;
  bool any = false;
  if (takeIfArrived(f.type2, 2)) {
    takeSensorFrame(z);
    any = true;
  }
  if (takeIfArrived(f.type1, 1)) {
    takeFuelFlowFrame(z);
    any = true;
  }
  if (takeIfArrived(f.type3, 3)) {
    z.engine.engineSpeedValue = f.type3.field(0);
    any = true;
  }
  if (takeIfArrived(f.type4, 4)) {
    for (int i = 0; i < 4; ++i) storeThermocouple(z, 4 + i, f.type4.field(i));
    any = true;
  }
  if (takeIfArrived(f.type5, 5)) {
    takeExtraChannelsFrame(z);
    any = true;
  }
  return any;
}

void takePrimaryBlock(Instrument& z) {
  EngineData& e = z.engine;
  AirDataState& air = z.air;
  FieldReader read(e.primaryBlock.bytes);
  air.altitudeFeet = static_cast<std::int32_t>(read.u32());
  air.altitudeShown = static_cast<std::uint16_t>(std::clamp<std::int32_t>(air.altitudeFeet, 0, 0xFFFF));
  z.time.qnh.qnhX8 = static_cast<std::uint16_t>(read.u16() * 8);
  // Sent signed; anything above 32000 is a descent, everything else (0 too) a climb.
  const std::uint16_t vertical = read.u16();
  const bool descending = vertical > 32000;
  air.verticalSpeed = descending ? 65536 - vertical : vertical;
  air.climbing = descending ? 0 : 1;
  air.indicatedAirspeed = read.u16();
  air.airspeedByte = static_cast<std::uint8_t>(std::min<std::uint16_t>(air.indicatedAirspeed, 255));
  air.ambientTemperature = read.u8();
  z.time.flight.minutes = read.u8();
  z.time.flight.hours = read.u8();
  z.time.qnh.inFlight = read.u8();
  e.engineDataLost = read.u8();
  e.linkStaticCounts = read.u16();
}

void takeSenderBlock(Instrument& z) {
  FieldReader read(z.engine.senderBlock.bytes);
  for (int i = 0; i < 12; ++i) storeThermocouple(z, i, read.u16());
}

void takeSecondaryBlock(Instrument& z) {
  EngineData& e = z.engine;
  AirDataState& air = z.air;
  FieldReader read(e.secondaryBlock.bytes);
  e.oilTemperature = read.u16();
  e.oilPressure = read.u16();
  e.coolantTemperature = read.u16();
  e.headTemperatureCopy[0] = read.u16();
  e.headTemperatureCopy[1] = read.u16();
  air.engineRpm = read.u16();
  air.manifoldPressure = read.u16();
  air.fuelPressure = read.u8();
  air.rotorRpm = read.u16();
  air.supplyVoltage = read.u8();
  e.linkSpareWord = read.u16();
  e.fuelFlow = read.u16();
  air.tank1Contents = read.u16();
  air.tank2Contents = read.u16();
  e.fuelRemainingUnits = read.u16();
}

// One block per pass keeps the pass short while the link delivers all three.
void takeLinkBlocks(Instrument& z) {
  EngineData& e = z.engine;
  if (e.primaryBlock.arrived) {
    e.primaryBlock.arrived = 0;
    takePrimaryBlock(z);
    e.engineUnitAlive = AliveHalfSeconds;
    if (e.noDataFeedMark) {
      e.noDataFeedMark = 0;
      redrawPage(z);
    }
  } else if (e.senderBlock.arrived) {
    e.senderBlock.arrived = 0;
    takeSenderBlock(z);
  } else if (e.secondaryBlock.arrived) {
    e.secondaryBlock.arrived = 0;
    takeSecondaryBlock(z);
  }
  if (e.engineUnitAlive == 0 && !e.noDataFeedMark) {
    e.noDataFeedMark = 1;
    redrawPage(z);
  }
}

}  // namespace

std::uint16_t thermocoupleValue(const Settings& s, int index, std::uint16_t raw) {
  const bool headChannel = index >= s.egtCount();
  const bool jType = s.probeTypes[0] == probe_type::JType;
  return (headChannel && jType) ? static_cast<std::uint16_t>(std::uint32_t{raw} * 1000 / 1324) : raw;
}

void storeThermocouple(Instrument& z, int index, std::uint16_t raw) {
  z.engine.thermocouples[index] = thermocoupleValue(z.settings, index, raw);
}

std::uint16_t fuelFlowOf(std::uint32_t pulses, std::uint8_t frameInterval, std::uint32_t pulsesPerLitre) {
  // An uncalibrated sender: pulses are counted, but there is no volume to show.
  if (pulsesPerLitre == 0 || frameInterval == 0) return 0;
  return saturate16(std::uint64_t{pulses} * (14400000u / frameInterval) / pulsesPerLitre);
}

std::uint32_t flowPulsesPerLitre(const Settings& s) {
  return s.testOption(option::FlowTurbine) ? s.flowKFactor : s.flowKFactor * 10u;
}

void refreshFuelTotaliser(Instrument& z) {
  const Settings& s = z.settings;
  EngineData& e = z.engine;
  const std::uint32_t remaining = z.time.trip.fuelRemaining;
  const std::uint32_t k = flowPulsesPerLitre(s);
  if (k == 0) {
    e.fuelRemainingTenths = 0;
    e.fuelRemainingUnits = 0;
    return;
  }
  e.fuelRemainingTenths =
      static_cast<std::uint32_t>(std::min<std::uint64_t>(std::uint64_t{remaining} * 10 / k, 0xFFFFFFFF));
  std::uint16_t units = saturate16(remaining / k);
  if (s.tankMode == 1) {
    if (units > s.tank1Calibration[0])
      units = s.tank1Calibration[0];
    else if (units > s.tank2Calibration[0])
      units = s.tank2Calibration[0];
  }
  e.fuelRemainingUnits = units;
}

void clearEngineValues(Instrument& z) {
  EngineData& e = z.engine;
  e.thermocouples = {};
  e.fuelFlow = 0;
  e.headTemperature1 = e.headTemperature2 = 0;
  e.headTemperatureCopy = {};
  e.coolantTemperature = 0;
  e.oilTemperature = 0;
  e.oilPressure = 0;
  e.engineSpeedValue = NoEngineSpeed;
  e.engineDataLost = 1;
}

void receiveEngineData(Instrument& z) {
  EngineData& e = z.engine;
  if (e.slaveMode) {
    takeLinkBlocks(z);
  } else if (e.engineUnitAlive > 0) {
    if (takeEngineFrames(z)) e.engineDataLost = 0;
  }
  if (e.engineUnitAlive == 0) clearEngineValues(z);
}

}  // namespace zen
