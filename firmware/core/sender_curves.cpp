#include "firmware/core/sender_curves.h"

#include <algorithm>

#include "firmware/core/option_bits.h"
#include "firmware/core/settings.h"

namespace zen {

std::uint16_t curveTemperature(const SenderCurve& r, std::uint16_t step, std::uint16_t reading) {
  const std::uint32_t s = step;
  const std::uint32_t a = reading;
  if (r[0] < a) return 0;  // colder than the curve reaches
  for (int i = 1; i <= 8; ++i) {
    if (r[i] < a) {
      // r[i - 1] >= a > r[i]: the divisor is never 0.
      return static_cast<std::uint16_t>(20 + i * s - s * (a - r[i]) / (r[i - 1] - r[i]));
    }
  }
  // Past the last point: extrapolate along the last segment, unless it is
  // flatter than one count per degree (curve A, or a flat or rising user
  // curve); then the reading stays at the last point.
  std::uint32_t result = 20 + 8 * s;
  const std::uint32_t perDegree = (s != 0 && r[7] > r[8]) ? (r[7] - r[8]) / s : 0;
  if (perDegree != 0) result += (r[8] - a) / perDegree;
  return static_cast<std::uint16_t>(std::min<std::uint32_t>(result, 0xFFFF));
}

std::uint16_t linearTemperature(std::uint16_t reading) {
  const std::int32_t t = reading * 10 / 82;
  if (t >= 573) return 0;
  return static_cast<std::uint16_t>(std::max(t - 272, 0));
}

std::optional<std::uint16_t> convertSender(const Settings& s, std::uint8_t probeType, std::uint16_t reading) {
  switch (probeType) {
    case probe_type::StandardNtc:
      return curveTemperature(StandardNtcCurve, 20, reading);
    case probe_type::KvrNtc:
      return curveTemperature(KvrNtcCurve, 10, reading);
    case probe_type::KvrPrecision:
      return linearTemperature(reading);
    case probe_type::Programmable:
      return curveTemperature(s.userProbeCurve, 20, reading);
    case probe_type::Westach:
      return curveTemperature(WestachCurve, 20, reading);
    default:
      return std::nullopt;
  }
}

namespace {

// The sender's factor is 100000 / its resistance, rounded: 2000, 1000, 667,
// 500, ... for types 1, 2, 3, 4. Types outside the menu's range read as type 4.
constexpr std::uint32_t oilSenderFactor(std::uint32_t type) {
  if (type < 1 || type > OilSenderTypes) type = 4;
  const std::uint32_t ohms = type * OilSenderOhmsPerType;
  return (100000 + ohms / 2) / ohms;
}
constexpr std::array<std::uint32_t, 10> OilSenderPoints{150, 255, 335, 430, 520, 605, 680, 755, 830, 895};
constexpr std::uint32_t OilSenderFloor = 50;
constexpr std::uint32_t FullSender = 100;  // every segment passed

// Position along the sender's curve in percent of its full travel.
std::uint32_t oilSenderPercent(const Settings& s, std::uint16_t reading) {
  // At or above the converter's full scale the sender reads open: the ratio
  // is unbounded, so the walk passes every segment.
  if (reading >= 4095) return FullSender;
  const std::uint64_t ratio = std::uint64_t{reading} * 1000 / (4095 - reading);
  const std::uint32_t k = oilSenderFactor(s.oilSenderType);
  const std::uint64_t scaled = ratio * k / 95;
  if (scaled < OilSenderFloor) return 0;
  std::uint32_t value = 0;
  std::uint64_t lower = OilSenderFloor;
  for (std::uint32_t upper : OilSenderPoints) {
    if (scaled < upper) return value + static_cast<std::uint32_t>(10 * (scaled - lower) / (upper - lower));
    value += 10;
    lower = upper;
  }
  return value;
}

}  // namespace

std::uint16_t oilPressureFromSender(const Settings& s, std::uint16_t reading) {
  const std::uint32_t percent = oilSenderPercent(s, reading);
  const std::uint32_t full = s.oilPressureScale;
  const std::uint32_t part = percent * full / 100;
  return static_cast<std::uint16_t>(s.testOption(option::OilSenderRising) ? part : full - part);
}

}  // namespace zen
