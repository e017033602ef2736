// Flight start and end, automatic or from the menus, and the flight log ring
// in the settings image.
#pragma once

#include <cstdint>

namespace zen {

struct Instrument;

namespace flight_log {
inline constexpr std::uint16_t FirstSlot = 768;
inline constexpr std::uint16_t LastSlot = 4080;
inline constexpr std::uint16_t SlotSize = 16;
inline constexpr int SlotCount = 208;
inline constexpr std::uint8_t FreeMarker = 0xFF;
}  // namespace flight_log

inline constexpr int RpmGaugeItem = 5;

// Whether a log slot holds a flight. A slot that starts with the free marker
// is free; one with day 0 (a blank settings memory) was never written.
bool logSlotHoldsFlight(const Instrument& z, std::uint16_t address);

// Whether the RPM gauge is on the page in its two-needle style, which then
// decides flight start and end instead of the airspeed.
bool rpmGaugeDecidesFlight(const Instrument& z);

// A new current-flight record: takeoff now, no time yet, the current speed
// and altitude as maxima.
void resetFlightRecord(Instrument& z);

// Starts or ends a flight by airspeed or by the RPM gauge (option bit 6).
void detectFlightStartEnd(Instrument& z);

// The slot before the first free one; with none free, the last slot.
std::uint16_t newestLogSlot(const Instrument& z);

// At start-up: a flight the clock memory still has running, though the log's
// newest record is that flight (the program stopped between writing the log
// and the clock memory), is over; it is not logged a second time.
void closeFlightAlreadyLogged(Instrument& z);

}  // namespace zen
