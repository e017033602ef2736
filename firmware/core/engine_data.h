// Engine unit frames as received, and the engine values decoded from them.
#pragma once

#include <array>
#include <cstdint>

namespace zen {

// Receive slot of one frame type: a type byte then little-endian 16-bit
// fields. Byte 0 equal to the type marks a complete, unprocessed frame.
// The slot has room for the unit's two trailing bytes after the fields,
// which the Tarvik monitor shows with the frame.
template <std::size_t Length>
struct FrameSlot {
  static constexpr std::size_t FrameLength = Length;
  std::array<std::uint8_t, Length + 2> bytes{};
  std::uint16_t field(int i) const {
    return static_cast<std::uint16_t>(bytes[1 + 2 * i] | (bytes[2 + 2 * i] << 8));
  }
  void setField(int i, std::uint16_t v) {
    bytes[1 + 2 * i] = static_cast<std::uint8_t>(v & 0xFF);
    bytes[2 + 2 * i] = static_cast<std::uint8_t>(v >> 8);
  }
};

struct EngineFrames {
  FrameSlot<5> type1;   // fuel-flow pulses A, B
  FrameSlot<23> type2;  // thermocouples 1..4, words 4..10
  FrameSlot<3> type3;   // engine speed value
  FrameSlot<9> type4;   // thermocouples 5..8
  FrameSlot<13> type5;  // thermocouples 9..12, fuel level 2 / fuel pressure, manifold
};

inline constexpr std::uint16_t NoEngineSpeed = 31000;

// Dual-panel values from the master instrument, as received over the link.
// The link sets `arrived`; the background pass takes the block and clears it.
template <std::size_t Length>
struct LinkBlock {
  std::array<std::uint8_t, Length> bytes{};
  std::uint8_t arrived = 0;
};

struct EngineData {
  EngineFrames frames;
  std::uint8_t engineUnitAlive = 0;      // half seconds left before the values clear
  std::uint8_t engineFrameAge = 0;       // ticks since the last frame set, stops at 255
  std::uint8_t engineFrameInterval = 0;  // ticks between the last two frame sets
  std::uint8_t engineDataLost = 0;
  std::uint16_t gLoad = 0;  // 8.8 fixed point g

  std::array<std::uint16_t, 11> engineInputs{};  // fields of the last type 2 frame
  std::array<std::uint16_t, 12> thermocouples{};
  std::uint16_t engineSpeedValue = 0;  // pulse period from the type 3 frame
  std::uint16_t headTemperature1 = 0;
  std::uint16_t headTemperature2 = 0;
  std::uint16_t coolantTemperature = 0;
  std::uint16_t oilTemperature = 0;
  std::uint16_t oilPressure = 0;
  std::uint16_t fuelPressureInput = 0;
  std::uint16_t fuelLevel2Input = 0;
  std::uint16_t manifoldInput = 0;
  std::uint16_t fuelFlow = 0;
  std::uint32_t fuelRemainingTenths = 0;
  std::uint16_t fuelRemainingUnits = 0;

  // Derived at start-up from the settings.
  std::uint32_t rpmFactor = 0;    // (6000 / pulses setting) x 15586
  std::uint32_t rotorFactor = 0;  // 9375000 / rotor scale

  // Second rev counter input of the instrument itself (absent in the simulator).
  std::uint16_t rotorPeriod = 0;
  std::uint16_t rotorPulses = 0;
  std::uint8_t rotorNoSignal = 0;

  std::uint8_t slaveMode = 0;
  std::uint8_t noDataFeedMark = 0;  // the dual-panel slave shows its no-data screen

  // Head temperatures as the instruments read them; a slave gets them from the master.
  std::array<std::uint16_t, 2> headTemperatureCopy{};

  // The start of the last frame received on the link (address, length,
  // payload), for the Tarvik monitor.
  std::array<std::uint8_t, 20> linkReceiveBlock{};

  LinkBlock<17> primaryBlock;
  LinkBlock<24> senderBlock;
  LinkBlock<28> secondaryBlock;
  std::uint16_t linkStaticCounts = 0;  // master's static pressure counts after its altimeter offset
  std::uint16_t linkSpareWord = 0;     // sent by the master, read by no instrument
};

}  // namespace zen
