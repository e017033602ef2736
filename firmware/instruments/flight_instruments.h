// The flight instruments, items 0, 1, 2 and 14 to 18: set-up at page redraw,
// per-frame refresh, and the reset of their last-drawn caches.
#pragma once

namespace zen {

struct Instrument;

namespace flight_item {
inline constexpr int Altimeter = 0;
inline constexpr int Airspeed = 1;
inline constexpr int VerticalSpeed = 2;
inline constexpr int SpeedBand = 14;
inline constexpr int Attitude = 15;
inline constexpr int TurnRate = 16;
inline constexpr int Slip = 17;
inline constexpr int Heading = 18;
}  // namespace flight_item

// Vertical speeds beyond it show as it.
inline constexpr int VerticalSpeedShownLimit = 2000;

void setupAltimeter(Instrument& z);
void altimeterFrame(Instrument& z);
void forgetAltimeter(Instrument& z);

void setupAirspeed(Instrument& z);
void airspeedFrame(Instrument& z);
void forgetAirspeed(Instrument& z);

void setupVerticalSpeed(Instrument& z);
void verticalSpeedFrame(Instrument& z);
void forgetVerticalSpeed(Instrument& z);

void setupSpeedBand(Instrument& z);
void speedBandFrame(Instrument& z);
void forgetSpeedBand(Instrument& z);

void setupAttitude(Instrument& z);
void attitudeFrame(Instrument& z);  // also drawAttitude, run when fresh sensor data arrives
void forgetAttitude(Instrument& z);

void setupTurnRate(Instrument& z);
void turnRateFrame(Instrument& z);
void forgetTurnRate(Instrument& z);

void setupSlip(Instrument& z);
void slipFrame(Instrument& z);
void forgetSlip(Instrument& z);

void setupHeading(Instrument& z);
void headingFrame(Instrument& z);
void forgetHeading(Instrument& z);

}  // namespace zen
