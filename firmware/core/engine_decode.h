// Engine values from the remote engine unit's frames, or from the master
// instrument's link blocks on a dual-panel slave.
#pragma once

#include <cstdint>

namespace zen {

struct Instrument;

inline constexpr int OilPressureGaugeItem = 11;

// Takes what arrived since the last pass; clears everything once the unit
// has been silent for three seconds.
void receiveEngineData(Instrument& z);

// Stores thermocouple channel `index`, converting J-type CHT channels.
void storeThermocouple(Instrument& z, int index, std::uint16_t raw);

void clearEngineValues(Instrument& z);

struct Settings;
// Thermocouple channel `index` as stored: J-type CHT channels converted.
std::uint16_t thermocoupleValue(const Settings& s, int index, std::uint16_t raw);
// Fuel flow in hundredths of a litre per hour from the pulses of one frame
// interval (25 ms ticks).
std::uint16_t fuelFlowOf(std::uint32_t pulses, std::uint8_t frameInterval, std::uint32_t pulsesPerLitre);
// Flow sender pulses per litre: the K-factor for a turbine sender, ten times
// it for an injector.
std::uint32_t flowPulsesPerLitre(const Settings& s);
// The totaliser's remaining fuel in tenths and whole litres, from the pulses
// left (TripRecord), as the tank contents use it.
void refreshFuelTotaliser(Instrument& z);

}  // namespace zen
