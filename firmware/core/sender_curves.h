// Conversions of resistive sender readings from the engine unit into
// temperatures (degrees C) and oil pressure.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace zen {

struct Settings;

// Readings at 20 + i x step degrees, i = 0..8, falling with temperature.
using SenderCurve = std::array<std::uint16_t, 9>;

inline constexpr SenderCurve StandardNtcCurve{1638, 945, 432, 251, 152, 100, 60, 38, 28};
inline constexpr SenderCurve KvrNtcCurve{1695, 1127, 876, 680, 504, 376, 281, 200, 140};
inline constexpr SenderCurve WestachCurve{2900, 2184, 1720, 1112, 644, 404, 260, 164, 88};

namespace probe_type {
inline constexpr std::uint8_t KType = 0, JType = 1, StandardNtc = 2, KvrNtc = 3, KvrPrecision = 4,
                              Programmable = 5, Westach = 6;
}

// Temperature inputs by their byte of the probe type setting (item 52).
namespace probe_input {
inline constexpr int ChtThermocouple = 0, HeadTemperature1 = 4, HeadTemperature2 = 5, Coolant = 6, Oil = 7;
}

std::uint16_t curveTemperature(const SenderCurve& curve, std::uint16_t step, std::uint16_t reading);
std::uint16_t linearTemperature(std::uint16_t reading);
// Empty for thermocouple and unknown probe types: those inputs are not senders.
std::optional<std::uint16_t> convertSender(const Settings& s, std::uint8_t probeType, std::uint16_t reading);

// Oil pressure sender types 1..OilSenderTypes (item 53) are senders of
// type x OilSenderOhmsPerType ohms.
inline constexpr std::uint8_t OilSenderTypes = 20;
inline constexpr std::uint16_t OilSenderOhmsPerType = 50;

// Oil pressure from the sender reading, in the unit of oilPressureScale (item 57).
std::uint16_t oilPressureFromSender(const Settings& s, std::uint16_t reading);

}  // namespace zen
