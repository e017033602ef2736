#include "firmware/instruments/flight_tapes.h"

#include "firmware/instruments/dials.h"
#include "firmware/instruments/display_format.h"
#include "firmware/instruments/sine_table.h"
#include "hardware/screen.h"

namespace zen {

// clang-format off
const std::array<TapeLayout, 2> AltimeterTapes{{
    {54, {{{32, 0}, {4, 4}, {0, 112}, {-4, 4}, {-32, 0}, {-4, -4}, {0, -44}, {-50, 0}, {0, -24}, {50, 0},
           {0, -44}, {4, -4}}},
     50, 90, 7, 1},
    {4, {{{32, 0}, {4, 4}, {0, 44}, {50, 0}, {0, 24}, {-50, 0}, {0, 44}, {-4, 4}, {-32, 0}, {-4, -4},
          {0, -112}, {4, -4}}},
     0, 40, 1, 6},
}};

const std::array<TapeLayout, 2> AirspeedTapes{{
    {4, {{{20, 0}, {4, 4}, {0, 44}, {20, 0}, {0, 24}, {-20, 0}, {0, 44}, {-4, 4}, {-20, 0}, {-4, -4},
          {0, -112}, {4, -4}}},
     0, 30, 1, 1},
    {24, {{{20, 0}, {4, 4}, {0, 112}, {-4, 4}, {-20, 0}, {-4, -4}, {0, -44}, {-20, 0}, {0, -24}, {20, 0},
           {0, -44}, {4, -4}}},
     20, 48, 3, 1},
}};
// clang-format on

namespace {

constexpr int StripLines = 46;  // each half of the tape between the outline and the window
constexpr int LabelPitch = 9;
constexpr int LabelsPerStrip = 7;  // six in view and, above the window, one scrolling in
constexpr int UpperStripRow = 1;
constexpr int LowerStripRow = TapeWindowBottom + 1;
// In the work bitmap the strips have one label pitch of room above their
// visible part, so copying from row (9 - offset) moves them down by offset.
constexpr int NearestUpperLabelTop = StripLines + 2;

void composeLabel(Screen& s, const TapeScale& scale, int label, int top) {
  if (label < 0) return;
  s.workText(rightJustified(static_cast<std::uint32_t>(label * scale.step), scale.labelDigits), top);
}

}  // namespace

TapePosition tapePosition(long long value, const TapeScale& scale) {
  return {floorDiv(value, scale.step) + 1, floorMod(value, scale.step) / scale.divisor};
}

void drawTapeOutline(Screen& s, int x, int row, const TapeLayout& layout) {
  s.lineWidth = 2;
  int penX = x + layout.outlineStartX;
  int penY = row;
  moveTo(s, penX, penY);
  for (const OutlineStep& step : layout.outline) {
    penX += step.dx;
    penY += step.dy;
    lineToPoint(s, penX, penY);
  }
  for (int windowRow : {TapeWindowTop, TapeWindowBottom}) {
    moveTo(s, x + layout.windowLeft, row + windowRow);
    lineToPoint(s, x + layout.windowRight, row + windowRow);
  }
}

void drawTapeLabels(Screen& s, std::uint8_t column, int row, const TapeScale& scale, TapePosition at) {
  const auto strips = static_cast<std::uint8_t>(scale.strips);
  const auto firstRow = static_cast<std::uint8_t>(LabelPitch - at.offset);

  // Upper half: the labels from the window upwards.
  s.clearWork();
  for (int k = 0; k < LabelsPerStrip; ++k)
    composeLabel(s, scale, at.index + k, NearestUpperLabelTop - LabelPitch * k);
  s.copyWorkToText(column, static_cast<std::uint8_t>(row + UpperStripRow), strips, firstRow, StripLines);

  // Lower half: the labels below the window; the gap they leave at the top
  // closes when the index moves on.
  s.clearWork();
  for (int k = 1; k < LabelsPerStrip; ++k) composeLabel(s, scale, at.index - k, LabelPitch * k);
  s.copyWorkToText(column, static_cast<std::uint8_t>(row + LowerStripRow), strips, firstRow, StripLines);
}

}  // namespace zen
