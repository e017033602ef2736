// The settings image (E2) operations the firmware calls, the clock chip and
// the analogue channels. Every "write" replaces e2.rom in the program folder;
// built images go there too, never to the working folder.
#pragma once

#include <cstdint>
#include <span>

#include "firmware/core/host_interface.h"
#include "firmware/core/settings_table.h"
#include "hardware/hardware.h"

namespace zen {

struct Instrument;

// --- settings image ---
void loadAllSettings(Instrument& z);
void loadSettingsItem(Instrument& z, int item);  // back from the image, unsaved edits dropped
void saveAllSettings(Instrument& z);
void saveSettingsItem(Instrument& z, int item, const void* source, std::size_t count);
void writeSettingsBytes(Instrument& z, std::size_t address, const void* source, std::size_t count);
std::uint8_t readSettingsByte(const Instrument& z, std::size_t address);
void readLogRecord(Instrument& z, std::size_t address);  // into z.time.logRecord
std::size_t itemToTransfer(Instrument& z, int item);     // into transferBuffer, returns its size
void transferToItem(Instrument& z, int item);
void buildImageFromVariables(Instrument& z);  // also writes "CurrentE2.bin"
// The image built from the working variables, apart from the live one: 0xFF
// outside the items, as in a freshly built image.
SettingsImage imageFromSettings(const Settings& settings);
void buildImageFromDefaults(Instrument& z, bool keepOnly);
// The defaults image apart from the live one (the altimeter tape scale keeps
// its current value), and that image written to e2.rom in the program folder
// with the live image left alone.
SettingsImage imageFromDefaults(const Settings& current);
void writeDefaultSettingsFile(Instrument& z);
bool testOption(const Instrument& z, int bit);
void toggleOption(Instrument& z, int bit);
// Writes the whole image to e2.rom (replacing it atomically); reports failures to the host.
void writeSettingsFile(Instrument& z);

// --- clock chip ---
void readClock(Instrument& z, void* destination, std::size_t offset, std::size_t count);
void writeClock(Instrument& z, const void* source, std::size_t offset, std::size_t count);
std::uint8_t toBcd(int value);
// The clock chip's date and time: the computer's, moved by what was set.
LocalTime clockTime(const Instrument& z);
// Sets the chip's date and time (a day past the month's end becomes its
// last day) and refreshes the time registers.
void setClockTime(Instrument& z, LocalTime time);
int daysInMonth(int year, int month);

// --- analogue channels ---
void readAdc(Instrument& z, int channel);  // sets z.adc.adcResult

// --- engine unit --- (host clock, once a second)
void buildEngineFrames(Instrument& z);
// The pulse period the simulated unit reports for a "Rev counter" bar position.
std::uint16_t simulatedPulsePeriod(std::uint16_t rpmBar);

}  // namespace zen
