// The attitude display: a horizon line clipped to the display's window in
// sensor coordinates, the ground filled from a corner, composed in the work
// bitmap and overlaid with the pitch ladder and the aircraft symbol.
#include "firmware/instruments/attitude.h"

#include "firmware/core/instrument.h"
#include "firmware/instruments/dials.h"
#include "firmware/instruments/flight_instruments.h"
#include "firmware/instruments/panel_items.h"
#include "firmware/instruments/sine_table.h"

namespace zen {

namespace {

// The window in horizon coordinates; the level horizon runs through (256, 256).
constexpr int WindowLeft = 216;
constexpr int WindowRight = 295;
constexpr int WindowTop = 228;
constexpr int WindowBottom = 283;
constexpr int HorizonCentre = 256;

enum Outcode { Left = 1, Right = 2, Above = 4, Below = 8 };  // "above" is a smaller y

int outcode(long long x, long long y) {
  int code = 0;
  if (y > WindowBottom)
    code |= Below;
  else if (y < WindowTop)
    code |= Above;
  if (x > WindowRight)
    code |= Right;
  else if (x < WindowLeft)
    code |= Left;
  return code;
}

struct Segment {
  long long x1, y1, x2, y2;
};

// Outcode clipping; false when no part of the segment lies in the window.
bool clipToWindow(Segment& g) {
  int code1 = outcode(g.x1, g.y1);
  int code2 = outcode(g.x2, g.y2);
  // Each pass puts one end on one more edge; a few passes always settle it.
  for (int pass = 0; pass < 16; ++pass) {
    if ((code1 | code2) == 0) return true;
    if (code1 & code2) return false;
    const bool first = code1 != 0;
    const int code = first ? code1 : code2;
    long long x, y;
    if (code & (Below | Above)) {
      y = (code & Below) ? WindowBottom : WindowTop;
      x = g.x1 + (y - g.y1) * (g.x2 - g.x1) / (g.y2 - g.y1);
    } else {
      x = (code & Right) ? WindowRight : WindowLeft;
      y = g.y1 + (x - g.x1) * (g.y2 - g.y1) / (g.x2 - g.x1);
    }
    if (first) {
      g.x1 = x, g.y1 = y, code1 = outcode(x, y);
    } else {
      g.x2 = x, g.y2 = y, code2 = outcode(x, y);
    }
  }
  return false;
}

// The corner of the work bitmap that lies on the ground side for bank a (-180..179).
int groundCorner(int a) {
  if (a > 90) return 0;
  if (a >= 0) return 3;
  if (a < -90) return 1;
  return 2;
}

void drawOverlay(Screen& s, const ItemPlace& p) {
  for (int i = 0; i < 5; ++i) {
    s.lineWidth = i == 2 ? 3 : 1;
    moveTo(s, p.x + 25, p.row + 8 + 10 * i);
    s.lineToggle(p.x + 55, p.row + 8 + 10 * i);
  }
  drawCircle(s, p.x + 40, p.row + 28, 5, true);
  s.lineWidth = 3;
  moveTo(s, p.x + 40, p.row + 28);
  s.lineToggle(p.x + 40, p.row + 17);
}

void drawHorizon(Screen& s, const ItemPlace& p, long long bank, long long pitch) {
  const int a = floorMod(bank + 180, 360) - 180;
  const long long sn = sine(a + 180);
  const long long cs = cosine(a + 180);
  Segment g{HorizonCentre + cs, HorizonCentre + pitch + sn, HorizonCentre - cs, HorizonCentre + pitch - sn};

  s.clearWork();
  s.drawColour = 1;
  const bool visible = clipToWindow(g);
  if (visible) {
    s.setPen(static_cast<std::uint16_t>(g.x1 - WindowLeft), static_cast<std::uint8_t>(g.y1 - WindowTop));
    s.workLineTo(static_cast<int>(g.x2 - WindowLeft), static_cast<int>(g.y2 - WindowTop));
  }
  const int corner = groundCorner(a);
  const bool upright = a >= -90 && a <= 90;
  const bool allGround = upright ? pitch < 0 : pitch > 0;
  if (visible || allGround) s.workFill(corner);

  s.copyWorkToGraphics(p.column, static_cast<std::uint8_t>(p.row));
  drawOverlay(s, p);
}

}  // namespace

void setupAttitude(Instrument& z) {
  Screen& s = z.screen;
  PenGuard guard(s);
  const ItemPlace p = placeOf(s);
  for (int i = 0; i < 5; ++i) {
    s.lineWidth = i == 2 ? 3 : 1;
    moveTo(s, p.x + 25, p.row + 8 + 10 * i);
    lineToPoint(s, p.x + 55, p.row + 8 + 10 * i);
  }
  drawCircle(s, p.x + 40, p.row + 28, 5, false);
  s.lineWidth = 1;
  moveTo(s, p.x + 40, p.row + 28);
  lineToPoint(s, p.x + 40, p.row + 17);
}

void attitudeFrame(Instrument& z) {
  AttitudeState& sensor = z.attitude;
  AttitudeCache& c = z.flight.attitude;
  sensor.attitudeFresh = 0;
  if (!loadItemLocation(z, flight_item::Attitude)) return;
  Screen& s = z.screen;
  PenGuard guard(s);
  const ItemPlace p = placeOf(s);

  // Switched off, or silent until attitudeAlive ran out.
  if (!sensor.attitudeSensorOn || sensor.attitudeAlive == 0) {
    if (c.noImuShown) return;
    sensor.slipValue = 0;
    drawHorizon(s, p, 0, 0);
    printAt(s, p.column, p.row, ShortText("No IMU"), true);
    c = {NothingDrawn, NothingDrawn, true};
    return;
  }
  if (c.noImuShown) {
    printAt(s, p.column, p.row, ShortText("      "), true);
    c.noImuShown = false;
  }
  if (sensor.lastDrawnMarker == 255) {
    c.bank = NothingDrawn;
    sensor.lastDrawnMarker = 0;
  }
  const std::int32_t pitch = sensor.pitch - z.main.pitchOffset;
  if (sensor.bank == c.bank && pitch == c.pitch) return;
  c.bank = sensor.bank;
  c.pitch = pitch;
  drawHorizon(s, p, sensor.bank, pitch);
  ShortText status((sensor.sensorStatus & AidedAttitudeBit) ? "A" : "G");
  status.push(z.main.pitchOffset != 0 ? 'P' : ' ');
  printAt(s, p.column, p.row, status, false);
}

void drawAttitude(Instrument& z) { attitudeFrame(z); }

void forgetAttitude(Instrument& z) { z.flight.attitude = {}; }

}  // namespace zen
