// What the flight instruments last drew, so each frame redraws only what
// changed. A page redraw resets every cache to "nothing drawn".
#pragma once

#include <cstdint>

#include "hardware/short_text.h"

namespace zen {

// Marks a cache that holds nothing: no real value equals it.
inline constexpr std::int32_t NothingDrawn = INT32_MIN;

// The scrolling label strips of a tape.
struct TapeCache {
  std::int32_t index = NothingDrawn;
  std::int32_t offset = NothingDrawn;
};

// The hands or needle of a round dial, in 4-degree steps.
struct HandCache {
  std::int32_t first = NothingDrawn;
  std::int32_t second = NothingDrawn;
};

// Altimeter and airspeed indicator share their drawing; vertical speed adds the chevrons.
struct AirDataIndicatorCache {
  std::int32_t value = NothingDrawn;  // the input value last handled
  ShortText text;                     // the value text as printed
  bool textDrawn = false;
  bool alarmShown = false;  // the value blinks for an alarm
  TapeCache tape;
  HandCache hands;
};

struct VerticalSpeedCache {
  AirDataIndicatorCache shown;
  std::int32_t chevrons = 0;  // chevrons on the screen
  std::int8_t direction = 0;  // 1 climbing, -1 descending, 0 nothing drawn
};

struct AttitudeCache {
  std::int32_t bank = NothingDrawn;
  std::int32_t pitch = NothingDrawn;
  bool noImuShown = false;
};

struct FlightState {
  AirDataIndicatorCache altimeter;
  AirDataIndicatorCache airspeed;
  VerticalSpeedCache verticalSpeed;
  std::int32_t bandSpeed = NothingDrawn;  // limited airspeed of the band marker
  AttitudeCache attitude;
  std::int32_t turnNeedle = NothingDrawn;   // needle offset from the centre tick
  std::int32_t slipBall = NothingDrawn;     // ball offset
  std::int32_t heading = NothingDrawn;      // heading as printed
  std::int32_t roseHeading = NothingDrawn;  // heading of the letters on the rose
};

}  // namespace zen
