// The once-a-second work of the background pass: time of day, the flight,
// trip and engine timers, and the clock-RAM copies of their records.
#pragma once

namespace zen {

struct Instrument;

// Clock registers 2..6 into z.time.clock; the year bits also into the QNH block.
void readTimeOfDay(Instrument& z);

// Runs when the tick has flagged a new second: sets secondTick, reads the
// clock and dims the backlight.
void startSecond(Instrument& z);
// Flight, trip and engine timers, the hold-off and the periodic trip save.
void advanceTimers(Instrument& z);
// New flight maxima, then every record marked dirty is saved.
void updateFlightMaxima(Instrument& z);
void saveDirtyRecords(Instrument& z);

void saveTripRecord(Instrument& z);
void saveEngineHoursRecord(Instrument& z);
// The flight record into both clock copies, as a new record starts.
void saveFlightRecordCopies(Instrument& z);

}  // namespace zen
