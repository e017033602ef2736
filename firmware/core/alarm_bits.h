// Bits of alarmEnables (settings item 54), one per alarm or limit mark; the
// engine alarms use the same bits in activeAlarms and newAlarms.
#pragma once

#include <cstdint>

namespace zen::alarm {

inline constexpr std::uint16_t Egt = 0x0001;
inline constexpr std::uint16_t Cht = 0x0002;
inline constexpr std::uint16_t OilPressureHigh = 0x0004;
inline constexpr std::uint16_t OilPressureLow = 0x0008;
inline constexpr std::uint16_t OilTempHigh = 0x0010;
inline constexpr std::uint16_t OilTempLow = 0x0020;
inline constexpr std::uint16_t CoolantHigh = 0x0040;
inline constexpr std::uint16_t CoolantLow = 0x0080;
inline constexpr std::uint16_t Tank1LowMark = 0x0100;
inline constexpr std::uint16_t Tank2LowMark = 0x0200;
inline constexpr std::uint16_t LowAirspeed = 0x0400;
inline constexpr std::uint16_t HighAirspeed = 0x0800;
inline constexpr std::uint16_t Altitude = 0x1000;
inline constexpr std::uint16_t IceWarning = 0x2000;
inline constexpr std::uint16_t FuelPressureMark = 0x4000;
inline constexpr std::uint16_t RotorSpeed = 0x8000;

}  // namespace zen::alarm
