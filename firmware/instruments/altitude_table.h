// Static pressure sensor counts at every 1000 feet, and the slope of each
// segment, for the altimeter's piecewise-linear lookup.
#pragma once

#include <array>
#include <cstdint>

namespace zen {

inline constexpr int AltitudePoints = 41;

// Counts at 1000 x i feet; they fall with height.
// clang-format off
inline constexpr std::array<std::uint16_t, AltitudePoints> AltitudeCounts{
    3346, 3213, 3084, 2958, 2837, 2719, 2604, 2493, 2385, 2281,  //  0..9
    2180, 2082, 1986, 1894, 1805, 1719, 1635, 1555, 1476, 1401,  // 10..19
    1328, 1257, 1189, 1123, 1059, 997,  938,  880,  825,  772,   // 20..29
    720,  671,  623,  577,  533,  490,  449,  410,  372,  336,   // 30..39
    302,                                                         // 40
};
// clang-format on

// Feet per 100 counts from point i to point i + 1. The slope also scales the
// climb sensor, which follows the air density.
// clang-format off
inline constexpr std::array<std::uint16_t, AltitudePoints> AltitudeSlopes{
    751,  775,  793,  826,  847,  869,  900,  925,  961,  990,   //  0..9
    1020, 1052, 1086, 1111, 1162, 1204, 1234, 1282, 1315, 1369,  // 10..19
    1408, 1470, 1515, 1562, 1612, 1694, 1754, 1785, 1886, 1923,  // 20..29
    2040, 2083, 2173, 2272, 2325, 2439, 2564, 2631, 2857, 2941,  // 30..39
    1695,                                                        // 40
};
// clang-format on

}  // namespace zen
