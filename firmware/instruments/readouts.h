// One-line numeric readouts (items 19..33, 37, 38), the unit legends of the
// air-data indicators (34..36) and the engine unit link failure text.
#pragma once

#include <cstddef>

#include "hardware/short_text.h"

namespace zen {

struct Instrument;

inline constexpr int QnhReadoutItem = 31;

// What the readout item shows now (the QNH readout too).
ShortText readoutText(const Instrument& z, int item);
// Per-frame routine of a readout: prints its text only when it changed.
void drawReadout(Instrument& z, int item);
void forgetReadout(Instrument& z, int item);

// The local pressure readout, drawn at page redraw and after each QNH change.
void drawQnhReadout(Instrument& z);
// Static unit legend of item 34, 35 or 36, drawn at page redraw.
void drawUnitLegend(Instrument& z, int item);

// While the engine unit's data is lost, the value text becomes "Tarvik" and
// "Fail  " on alternate frames, cut to the width of the readout.
void substituteLinkFailure(const Instrument& z, ShortText& text, std::size_t width);

}  // namespace zen
