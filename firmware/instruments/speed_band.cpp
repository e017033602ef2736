// The airspeed band from the stall speed (bottom) to the never-exceed speed
// (top), with a marker at the indicated airspeed.
#include <algorithm>

#include "firmware/core/instrument.h"
#include "firmware/instruments/dials.h"
#include "firmware/instruments/flight_instruments.h"
#include "firmware/instruments/panel_items.h"

namespace zen {

namespace {

// Walls two pixels thick around 19 pixels of band, so "VNE" stands clear of both.
constexpr int BandRight = 22;
constexpr int BandBottom = 118;
constexpr int BandSpan = 112;  // pixels from the stall speed up to the never-exceed speed
constexpr int LegendX = 3;
constexpr int MarkerLeft = 3;
constexpr int MarkerRight = 19;

// The band has a scale only when Vne lies above Vs.
bool hasScale(const Settings& set) { return set.neverExceedSpeed > set.stallSpeed; }

int limitedSpeed(const Settings& set, int speed) {
  return std::clamp(speed, static_cast<int>(set.stallSpeed), static_cast<int>(set.neverExceedSpeed));
}

// Pixel row of a speed on the band; needs hasScale.
int bandRow(const Settings& set, int row, int speed) {
  const int span = set.neverExceedSpeed - set.stallSpeed;
  return row - (limitedSpeed(set, speed) - set.stallSpeed) * BandSpan / span + BandSpan;
}

void legend(Screen& s, int x, int y, std::string_view text) {
  moveTo(s, x + LegendX, y);
  s.textBuffer.assign(text);
  s.drawSmallText();
}

// Drawn and taken away by toggling, so the legends under it survive.
void toggleMarker(Screen& s, const ItemPlace& p, int y) {
  s.lineWidth = 1;
  const int centre = std::clamp(y, p.row + 3, p.row + BandBottom - 3);
  for (int dy = -1; dy <= 1; ++dy) {
    moveTo(s, p.x + MarkerLeft, centre + dy);
    s.lineToggle(p.x + MarkerRight, centre + dy);
  }
}

}  // namespace

void setupSpeedBand(Instrument& z) {
  Screen& s = z.screen;
  PenGuard guard(s);
  const ItemPlace p = placeOf(s);
  const Settings& set = z.settings;
  s.lineWidth = 2;
  drawFrame(s, p.x + 1, p.row + 1, p.x + BandRight, p.row + BandBottom);
  legend(s, p.x, p.row + 2, "VNE");
  legend(s, p.x, p.row + 110, "VS");
  if (!hasScale(set)) return;
  legend(s, p.x, bandRow(set, p.row, set.flapSpeed) - 3, "VF");
  legend(s, p.x, bandRow(set, p.row, set.manoeuvringSpeed) - 3, "VNO");
}

void speedBandFrame(Instrument& z) {
  if (!loadItemLocation(z, flight_item::SpeedBand)) return;
  const Settings& set = z.settings;
  if (!hasScale(set)) return;
  const int speed = limitedSpeed(set, z.air.indicatedAirspeed);
  std::int32_t& cache = z.flight.bandSpeed;
  if (speed == cache) return;
  Screen& s = z.screen;
  PenGuard guard(s);
  const ItemPlace p = placeOf(s);
  s.drawColour = 1;
  if (cache != NothingDrawn) toggleMarker(s, p, bandRow(set, p.row, cache));
  toggleMarker(s, p, bandRow(set, p.row, speed));
  cache = speed;
}

void forgetSpeedBand(Instrument& z) { z.flight.bandSpeed = NothingDrawn; }

}  // namespace zen
