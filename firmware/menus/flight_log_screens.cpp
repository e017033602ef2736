#include "firmware/menus/flight_log_screens.h"

#include <array>

#include "firmware/core/clock_records.h"
#include "firmware/core/flight_log.h"
#include "firmware/core/instrument.h"
#include "firmware/core/keys.h"
#include "firmware/core/option_bits.h"
#include "firmware/core/settings_store.h"
#include "firmware/core/utilities.h"
#include "firmware/instruments/display_format.h"
#include "firmware/menus/menu_engine.h"

namespace zen {

namespace {

// Minutes after ":" or, in hour fraction mode, hundredths of an hour after ".".
void appendMinutes(const Instrument& z, ShortText& text, std::uint8_t minutes) {
  if (z.settings.testOption(option::HourDecimals)) {
    text.push('.');
    appendTwoDigits(text, minutes * 168u / 100);
  } else {
    text.push(':');
    appendTwoDigits(text, minutes);
  }
}

// ------------------------------------------------------------------ flight log

constexpr std::uint16_t PageBytes = 8 * flight_log::SlotSize;
constexpr std::uint16_t LastPage = flight_log::LastSlot + flight_log::SlotSize - PageBytes;
// Half-seconds the empty-log message stays up without a key.
constexpr std::uint8_t EmptyLogHalfSeconds = 6;

std::uint16_t word(const std::array<std::uint8_t, 16>& r, int at) {
  return static_cast<std::uint16_t>(r[at] | (r[at + 1] << 8));
}

void drawLogRecord(Instrument& z, int k) {
  const std::array<std::uint8_t, 16>& r = z.time.logRecord;
  ShortText takeoff("T/O: ");
  appendTwoDigits(takeoff, r[0]);
  takeoff.push('/');
  appendTwoDigits(takeoff, r[1]);
  takeoff.push(' ');
  appendTwoDigits(takeoff, r[2]);
  takeoff.push(':');
  appendTwoDigits(takeoff, r[3]);
  takeoff.push(' ');
  appendTwoDigits(takeoff, r[5]);
  appendMinutes(z, takeoff, r[4]);
  z.screen.drawTextAt(0, static_cast<std::uint8_t>(3 * k), takeoff);

  ShortText maxima("Alt:");
  maxima.append(decimalText(altitudeInDisplayUnit(z, word(r, 8))));
  maxima.push(altitudeUnitSymbol(z));
  maxima.append(" SPD:");
  maxima.append(decimalText(speedInDisplayUnit(z, word(r, 6))));
  maxima.push(speedUnitSymbol(z));
  maxima.append(" Hobbs ");
  appendTwoDigits(maxima, r[12]);
  appendTwoDigits(maxima, r[11]);
  appendMinutes(z, maxima, r[10]);
  if (r[13] != 0) {
    maxima.append(" PC");
    maxima.append(decimalText(r[13]));
  }
  z.screen.drawTextAt(0, static_cast<std::uint8_t>(3 * k + 1), maxima);
}

// Draws the 8 slots from start; false (nothing drawn) when all are free.
bool drawLogPage(Instrument& z, std::uint16_t start) {
  bool any = false;
  for (int k = 0; k < 8; ++k) {
    const std::uint16_t address = static_cast<std::uint16_t>(start + k * flight_log::SlotSize);
    if (!logSlotHoldsFlight(z, address)) continue;
    if (!any) z.screen.clearScreen();
    any = true;
    readLogRecord(z, address);
    drawLogRecord(z, k);
  }
  if (any) z.screen.drawTextAt(7, 29, "Next/Prev to page the log");
  return any;
}

// ------------------------------------------------------------------ aircraft setup

constexpr int RegistrationLength = 6;
constexpr int RegistrationField = 9;
constexpr int FieldCount = RegistrationField + RegistrationLength;
constexpr std::uint8_t MaintenanceHoursLimit = 250;

// A bracket at column c encloses the characters from column c + 1 on, so its
// column is the one before the field's first character.
struct Bracket {
  std::uint8_t row, column, width;
};
constexpr std::array<Bracket, RegistrationField> FieldBrackets{{
    {4, 15, 3},  // year
    {4, 18, 3},  // month
    {4, 21, 3},  // day
    {4, 24, 3},  // hour
    {4, 27, 3},  // minute
    {6, 17, 2},  // Hobbs hundreds: the hours follow without a separator
    {6, 19, 2},  // Hobbs hours
    {6, 22, 3},  // Hobbs minutes
    {8, 19, 4},  // maintenance hours
}};
constexpr std::uint8_t RegistrationColumn = 24;  // after "Aircraft registration: " at column 1

Bracket bracketOf(int field) {
  if (field < RegistrationField) return FieldBrackets[static_cast<std::size_t>(field)];
  return {10, static_cast<std::uint8_t>(RegistrationColumn - 1 + field - RegistrationField), 1};
}

// Select goes to the first field of the next line.
int firstFieldOfNextLine(int field) {
  if (field < 5) return 5;
  if (field < 8) return 8;
  if (field < RegistrationField) return RegistrationField;
  return 0;
}

void markAircraftField(Instrument& z, int field, bool shown) {
  const Bracket b = bracketOf(field);
  markField(z, b.row, b.column, b.width, shown);
}

void drawAircraftSetup(Instrument& z, const Registration& registration) {
  Screen& s = z.screen;
  const LocalTime now = clockTime(z);
  ShortText date("Set date/time: ");
  appendTwoDigits(date, static_cast<std::uint32_t>(now.year % 100));
  date.push('/');
  appendTwoDigits(date, static_cast<std::uint32_t>(now.month));
  date.push('/');
  appendTwoDigits(date, static_cast<std::uint32_t>(now.day));
  date.push(' ');
  appendTwoDigits(date, static_cast<std::uint32_t>(now.hour));
  date.push(':');
  appendTwoDigits(date, static_cast<std::uint32_t>(now.minute));
  s.drawTextAt(1, 4, date);

  const EngineHoursRecord& h = z.time.engineHours;
  ShortText hobbs("Set Hobbs meter: ");
  appendTwoDigits(hobbs, h.hundreds);
  appendTwoDigits(hobbs, h.hours);
  appendMinutes(z, hobbs, h.minutes);
  s.drawTextAt(1, 6, hobbs);

  ShortText maintenance("Maintenance hours: ");
  maintenance.append(rightJustified(h.serviceHours, 3));
  s.drawTextAt(1, 8, maintenance);

  ShortText reg("Aircraft registration: ");
  reg.append(std::string_view(registration.chars.data(), RegistrationLength));
  s.drawTextAt(1, 10, reg);
}

void editDateOrTime(Instrument& z, int field) {
  LocalTime t = clockTime(z);
  std::uint8_t v = 0;
  switch (field) {
    case 0:
      v = static_cast<std::uint8_t>(t.year % 100);
      editByte(z, v, 0, 99);
      t.year = t.year - t.year % 100 + v;
      break;
    case 1:
      v = static_cast<std::uint8_t>(t.month);
      editByte(z, v, 1, 12);
      t.month = v;
      break;
    case 2:
      // The day wraps at the month's own end, so no date that does not exist is set.
      v = static_cast<std::uint8_t>(t.day);
      editByte(z, v, 1, daysInMonth(t.year, t.month));
      t.day = v;
      break;
    case 3:
      v = static_cast<std::uint8_t>(t.hour);
      editByte(z, v, 0, 23);
      t.hour = v;
      break;
    default:
      v = static_cast<std::uint8_t>(t.minute);
      editByte(z, v, 0, 59);
      t.minute = v;
      break;
  }
  setClockTime(z, t);
  readTimeOfDay(z);
}

void editField(Instrument& z, int field, Registration& registration) {
  EngineHoursRecord& h = z.time.engineHours;
  if (field < 5) {
    editDateOrTime(z, field);
  } else if (field < 8) {
    if (field == 5) editByte(z, h.hundreds, 0, 99);
    if (field == 6) editByte(z, h.hours, 0, 99);
    if (field == 7) editByte(z, h.minutes, 0, 59);
    z.time.engineHoursDirty = 1;
  } else if (field == 8) {
    editByte(z, h.serviceHours, 0, MaintenanceHoursLimit);
    h.serviceMinutes = 59;
    z.time.engineHoursDirty = 1;
  } else {
    char& c = registration.chars[static_cast<std::size_t>(field - RegistrationField)];
    const int code = static_cast<unsigned char>(c);
    if (z.main.keyCode == key::Plus) c = static_cast<char>(code >= 127 ? 32 : code + 1);
    if (z.main.keyCode == key::Minus) c = static_cast<char>(code <= 32 ? 127 : code - 1);
  }
}

// The registration as edited: all six characters, those past its length or
// outside the character set as blanks.
Registration editableRegistration(const Registration& stored) {
  Registration r = stored;
  for (int i = 0; i < RegistrationLength; ++i) {
    const int code = static_cast<unsigned char>(r.chars[static_cast<std::size_t>(i)]);
    if (i >= stored.length || code < 32 || code > 127) r.chars[static_cast<std::size_t>(i)] = ' ';
  }
  r.length = RegistrationLength;
  return r;
}

}  // namespace

void viewFlightLog(Instrument& z) {
  Screen& s = z.screen;
  s.clearScreen();
  s.bigText = 0;
  const std::uint16_t newest = newestLogSlot(z);
  if (!logSlotHoldsFlight(z, newest)) {
    s.drawTextAt(12, 14, "No flights logged");
    // Back by itself: the menu below must be drawn again.
    if (waitKey(z, EmptyLogHalfSeconds) == key::None) z.main.redrawRequest = 1;
    return;
  }
  const std::uint16_t firstPage = flight_log::FirstSlot;
  std::uint16_t page = static_cast<std::uint16_t>(firstPage + (newest - firstPage) / PageBytes * PageBytes);
  drawLogPage(z, page);
  for (;;) {
    const std::uint8_t key = waitKey(z);
    std::uint16_t next;
    if (key == key::Next)
      next = page == firstPage ? LastPage : static_cast<std::uint16_t>(page - PageBytes);
    else if (key == key::Prev)
      next = page == LastPage ? firstPage : static_cast<std::uint16_t>(page + PageBytes);
    else
      return;
    // A page without a flight is skipped: the one shown stays.
    if (drawLogPage(z, next)) page = next;
  }
}

void aircraftSetup(Instrument& z) {
  Screen& s = z.screen;
  s.clearScreen();
  z.tick.halfSecondCount = 0;
  z.main.pageVisible = 0;
  s.bigText = 1;
  s.drawTextAt(13, 0, "Aircraft setup");
  Registration registration = editableRegistration(z.settings.registration);
  int field = 0;
  drawAircraftSetup(z, registration);
  markAircraftField(z, field, true);
  for (;;) {
    const std::uint8_t key = waitKeyOrHalfSecond(z);
    if (key == key::None) {
      if (z.tick.halfSecondCount > MenuIdleLimit) break;  // the registration is left as it was
      drawAircraftSetup(z, registration);                 // the clock runs on
      continue;
    }
    markAircraftField(z, field, false);
    switch (key) {
      case key::Menu:
        z.settings.registration = registration;
        saveSettingsItem(z, settings_item::Registration, &z.settings.registration, sizeof(Registration));
        z.host->yieldToHost();
        s.bigText = 0;
        return;
      case key::Next:
        field = (field + 1) % FieldCount;
        break;
      case key::Prev:
        field = (field + FieldCount - 1) % FieldCount;
        break;
      case key::Select:
        field = firstFieldOfNextLine(field);
        break;
      case key::Plus:
      case key::Minus:
        editField(z, field, registration);
        break;
      default:
        break;
    }
    drawAircraftSetup(z, registration);
    markAircraftField(z, field, true);
  }
  s.bigText = 0;
}

}  // namespace zen
