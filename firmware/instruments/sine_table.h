// The one sine table of every dial: sin(angle) x 255 in 1-degree steps for
// 0..89 degrees, extended to the whole circle by symmetry.
#pragma once

#include <array>
#include <cstdint>

namespace zen {

// Rounded to the nearest integer, except 48 degrees, which the instrument has always drawn with 189.
// clang-format off
inline constexpr std::array<std::uint8_t, 90> SineTable{
      0,   4,   9,  13,  18,  22,  27,  31,  35,  40,   // 0
     44,  49,  53,  57,  62,  66,  70,  75,  79,  83,   // 10
     87,  91,  96, 100, 104, 108, 112, 116, 120, 124,   // 20
    128, 131, 135, 139, 143, 146, 150, 153, 157, 160,   // 30
    164, 167, 171, 174, 177, 180, 183, 186, 189, 192,   // 40
    195, 198, 201, 204, 206, 209, 211, 214, 216, 219,   // 50
    221, 223, 225, 227, 229, 231, 233, 235, 236, 238,   // 60
    240, 241, 243, 244, 245, 246, 247, 248, 249, 250,   // 70
    251, 252, 253, 253, 254, 254, 254, 255, 255, 255};  // 80
// clang-format on
inline constexpr int SineAmplitude = 255;

// Division rounding toward minus infinity, and the remainder that goes with
// it: never negative for a positive divisor.
constexpr int floorDiv(long long value, int divisor) {
  const long long q = value / divisor;
  return static_cast<int>((value % divisor != 0 && ((value < 0) != (divisor < 0))) ? q - 1 : q);
}
constexpr int floorMod(long long value, int divisor) {
  return static_cast<int>(value - static_cast<long long>(floorDiv(value, divisor)) * divisor);
}

// Any angle in degrees, reduced into 0..359 before the table is read.
constexpr int sine(long long degrees) {
  const int a = floorMod(degrees, 360);
  const int r = a % 90;
  const int quadrant = a / 90;
  const int magnitude = (quadrant % 2 == 0) ? SineTable[r] : (r == 0 ? SineAmplitude : SineTable[90 - r]);
  return quadrant < 2 ? magnitude : -magnitude;
}
constexpr int cosine(long long degrees) { return sine(degrees + 90); }

// A point on a dial: angle clockwise from the top, radius about 255 / divisor.
struct DialPoint {
  int x;
  int y;
};
constexpr DialPoint dialPoint(int centreX, int centreY, long long degrees, int divisor) {
  return {centreX + sine(degrees) / divisor, centreY - cosine(degrees) / divisor};
}

}  // namespace zen
