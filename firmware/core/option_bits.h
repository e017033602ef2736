// Bit numbers of optionBits (settings item 7), named by what a set bit means.
#pragma once

namespace zen::option {

inline constexpr int AltitudeFeet = 0;        // else metres
inline constexpr int PressureMillibar = 1;    // QNH in millibar, else inches of mercury
inline constexpr int SpeedMiles = 2;          // mph and statute miles, else by SpeedKilometres
inline constexpr int SpeedKilometres = 3;     // with SpeedMiles clear: km/h and km, else knots and nm
inline constexpr int FlowTurbine = 4;         // turbine flow sender, else an injector by InjectorHigh
inline constexpr int TemperatureCelsius = 5;  // else Fahrenheit
inline constexpr int AutoFlightDetect = 6;    // flights start and end by themselves
inline constexpr int AirDistanceResetAtStart = 7;
inline constexpr int HourDecimals = 8;      // hundredths of an hour, else minutes
inline constexpr int MasterUnit = 9;        // master of a dual panel, else slave
inline constexpr int OilPressurePsi = 10;   // else bar
inline constexpr int InjectorHigh = 11;     // with FlowTurbine clear
inline constexpr int HeadingTrue = 12;      // else magnetic
inline constexpr int FlowFiveDigits = 13;   // fuel flow text of up to 5 characters
inline constexpr int ScanBargraph = 14;     // EGT/CHT bars scan the channels, else the hottest
inline constexpr int OilSenderRising = 15;  // resistance increases with pressure
inline constexpr int RpmPercent = 16;       // two-needle rev counter in percent, else rpm
inline constexpr int FuelPressureFromLevel2 = 17;
inline constexpr int DualPanel = 18;

}  // namespace zen::option
