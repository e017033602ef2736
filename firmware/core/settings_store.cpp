#include "firmware/core/settings_store.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <utility>

#include "firmware/core/instrument.h"

namespace zen {

namespace {

std::span<const std::uint8_t> bytesAt(const void* source, std::size_t count) {
  return {static_cast<const std::uint8_t*>(source), count};
}

void writeImageTo(Instrument& z, const std::filesystem::path& path, const SettingsImage& image) {
  if (auto error = z.host->replaceFile(path, image.bytes)) z.host->reportFileError(path, *error);
}

void writeImageTo(Instrument& z, const std::filesystem::path& path) { writeImageTo(z, path, z.e2); }

// The settings memory's file, unless it held settings that could not be read:
// replacing it would lose them for good.
void writeE2Rom(Instrument& z, const SettingsImage& image) {
  const std::filesystem::path path = z.host->programFolder() / "e2.rom";
  if (z.keepE2File) {
    z.host->reportFileError(
        path, "it could not be read at start-up, so it is left as it is and the settings are not saved");
    return;
  }
  writeImageTo(z, path, image);
}

void copyVariablesToImage(const Settings& settings, SettingsImage& image) {
  // Item 40 ends with egtCount and item 41 is egtCount again, so both image
  // bytes 127 and 128 receive it.
  for (int n = 0; n < SettingsItemCount; ++n)
    image.write(SettingsItemTable[n].address, itemBytes(settings, n));
}

}  // namespace

void loadAllSettings(Instrument& z) {
  // In table order, so egtCount ends up with image byte 128 (item 41), not 127.
  for (int n = 0; n < SettingsItemCount; ++n) loadSettingsItem(z, n);
}

void loadSettingsItem(Instrument& z, int item) {
  z.e2.read(settingsItem(item).address, itemBytes(z.settings, item));
}

void saveAllSettings(Instrument& z) {
  copyVariablesToImage(z.settings, z.e2);
  writeSettingsFile(z);
}

void saveSettingsItem(Instrument& z, int item, const void* source, std::size_t count) {
  z.e2.write(settingsItem(item).address, bytesAt(source, count));
  writeSettingsFile(z);
}

void writeSettingsBytes(Instrument& z, std::size_t address, const void* source, std::size_t count) {
  z.e2.write(address, bytesAt(source, count));
  writeSettingsFile(z);
}

std::uint8_t readSettingsByte(const Instrument& z, std::size_t address) { return z.e2.read(address); }

void readLogRecord(Instrument& z, std::size_t address) { z.e2.read(address, z.time.logRecord); }

std::size_t itemToTransfer(Instrument& z, int item) {
  const auto bytes = itemBytes(std::as_const(z.settings), item);
  std::copy(bytes.begin(), bytes.end(), z.transferBuffer.begin());
  return bytes.size();
}

void transferToItem(Instrument& z, int item) {
  const auto bytes = itemBytes(z.settings, item);
  std::copy_n(z.transferBuffer.begin(), bytes.size(), bytes.begin());
}

SettingsImage imageFromSettings(const Settings& settings) {
  SettingsImage image;
  image.bytes.fill(0xFF);
  copyVariablesToImage(settings, image);
  return image;
}

void buildImageFromVariables(Instrument& z) {
  z.e2 = imageFromSettings(z.settings);
  writeImageTo(z, z.host->programFolder() / "CurrentE2.bin");
}

SettingsImage imageFromDefaults(const Settings& current) {
  SettingsImage image;
  image.bytes.fill(0xFF);
  for (int n = 0; n < SettingsItemCount; ++n) {
    const SettingsItem& entry = SettingsItemTable[n];
    image.write(entry.address, entry.keepsCurrentValue ? itemBytes(current, n) : itemDefault(n));
  }
  return image;
}

void writeDefaultSettingsFile(Instrument& z) { writeE2Rom(z, imageFromDefaults(z.settings)); }

void buildImageFromDefaults(Instrument& z, bool keepOnly) {
  z.e2 = imageFromDefaults(z.settings);
  if (!keepOnly) writeSettingsFile(z);
}

bool testOption(const Instrument& z, int bit) { return z.settings.testOption(bit); }

void toggleOption(Instrument& z, int bit) { z.settings.toggleOption(bit); }

void writeSettingsFile(Instrument& z) { writeE2Rom(z, z.e2); }

// --- clock chip ---

std::uint8_t toBcd(int value) { return static_cast<std::uint8_t>((value / 10) * 16 + value % 10); }

namespace {

using std::chrono::sys_seconds;

sys_seconds toSeconds(const LocalTime& t) {
  using namespace std::chrono;
  const sys_days day{year{t.year} / month{static_cast<unsigned>(t.month)} / static_cast<unsigned>(t.day)};
  return day + hours{t.hour} + minutes{t.minute} + seconds{t.second};
}

LocalTime fromSeconds(sys_seconds s) {
  using namespace std::chrono;
  const sys_days day = floor<days>(s);
  const year_month_day ymd{day};
  const hh_mm_ss time{s - day};
  return {static_cast<int>(ymd.year()),
          static_cast<int>(static_cast<unsigned>(ymd.month())),
          static_cast<int>(static_cast<unsigned>(ymd.day())),
          static_cast<int>(time.hours().count()),
          static_cast<int>(time.minutes().count()),
          static_cast<int>(time.seconds().count())};
}

void writeTimeRegisters(Instrument& z, const LocalTime& now) {
  const std::uint8_t registers[7] = {
      0,
      0,
      toBcd(now.second),
      toBcd(now.minute),
      toBcd(now.hour),
      static_cast<std::uint8_t>(toBcd(now.day) | ((now.year % 4) << 6)),
      toBcd(now.month),
  };
  z.rtc.write(0, registers);
}

}  // namespace

int daysInMonth(int y, int m) {
  using namespace std::chrono;
  return static_cast<int>(static_cast<unsigned>((year{y} / month{static_cast<unsigned>(m)} / last).day()));
}

namespace {

// Kept in the clock RAM, so RTC.ram carries the set time to the next run like
// the battery of a real chip. A value no setting can give (two centuries and
// more) is taken as not set.
constexpr std::int64_t MaxTimeSetOffset = 200LL * 366 * 24 * 3600;

std::int64_t timeSetOffset(const Instrument& z) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | z.rtc.read(clock_offset::TimeSetOffset + i);
  const auto offset = static_cast<std::int64_t>(v);
  return offset >= -MaxTimeSetOffset && offset <= MaxTimeSetOffset ? offset : 0;
}

void setTimeSetOffset(Instrument& z, std::int64_t offset) {
  std::uint8_t bytes[8];
  for (int i = 0; i < 8; ++i)
    bytes[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(offset) >> (8 * i));
  z.rtc.write(clock_offset::TimeSetOffset, bytes);
}

}  // namespace

LocalTime clockTime(const Instrument& z) {
  return fromSeconds(toSeconds(z.host->localTime()) + std::chrono::seconds{timeSetOffset(z)});
}

void setClockTime(Instrument& z, LocalTime time) {
  time.month = std::clamp(time.month, 1, 12);
  time.day = std::clamp(time.day, 1, daysInMonth(time.year, time.month));
  setTimeSetOffset(z, (toSeconds(time) - toSeconds(z.host->localTime())).count());
  writeTimeRegisters(z, time);
}

void readClock(Instrument& z, void* destination, std::size_t offset, std::size_t count) {
  writeTimeRegisters(z, clockTime(z));
  z.rtc.read(offset, {static_cast<std::uint8_t*>(destination), count});
}

void writeClock(Instrument& z, const void* source, std::size_t offset, std::size_t count) {
  z.rtc.write(offset, bytesAt(source, count));
}

// --- analogue channels ---

namespace {

std::uint16_t pressureReading(const Instrument& z, int bar) {
  return pressureBarReading(z.sim.pressureBars[bar]);
}

}  // namespace

void readAdc(Instrument& z, int channel) {
  AnalogChannels& a = z.adc;
  switch (channel) {
    case 0: {
      const std::uint16_t sample = pressureReading(z, 0);
      if (sample != a.lastStaticSample) {
        a.vsiAccumulator = static_cast<std::uint16_t>(a.vsiAccumulator + (sample - a.lastStaticSample));
        a.lastStaticSample = sample;
      }
      a.adcResult = sample;
      break;
    }
    case 1: {
      // A step of the static pressure shows as a climb pulse that halves on every read.
      std::uint16_t v = a.vsiAccumulator;
      if (v < 2048)
        v = static_cast<std::uint16_t>(v + (2048 - v) / 2);
      else
        v = static_cast<std::uint16_t>(v - (v - 2048) / 2);
      a.vsiAccumulator = v;
      a.adcResult = v;
      break;
    }
    case 3:
      a.adcResult = pressureReading(z, 1);
      break;
    case 5:
      a.adcResult = 2400;
      break;
    case 6:
      a.adcResult = 1000;
      break;
    default:  // not fitted: the converter keeps its last result
      break;
  }
}

// --- engine unit ---

namespace {

template <std::size_t Length, std::size_t Fields>
void fillFrame(FrameSlot<Length>& slot, std::uint8_t type, const std::array<std::uint16_t, Fields>& fields) {
  static_assert(Length == 1 + 2 * Fields);
  slot.bytes[0] = type;
  for (std::size_t i = 0; i < Fields; ++i) slot.setField(static_cast<int>(i), fields[i]);
}

}  // namespace

std::uint16_t simulatedPulsePeriod(std::uint16_t rpmBar) {
  // The unit never reports a pulse period below 100.
  return static_cast<std::uint16_t>(std::max(rpmBar * 10, 100));
}

void buildEngineFrames(Instrument& z) {
  if (!z.sim.engineUnitOn) return;
  const SimulatorInputs& s = z.sim;
  EngineFrames& f = z.engine.frames;
  auto bar = [&](int n) { return s.engineBar(n); };

  fillFrame(f.type2, 2,
            std::array<std::uint16_t, 11>{bar(1), bar(2), bar(3), bar(4), bar(15), bar(13), bar(16), bar(18),
                                          0, 0, bar(14)});
  fillFrame(f.type5, 5, std::array<std::uint16_t, 6>{bar(9), bar(10), bar(11), bar(12), bar(19), bar(21)});
  fillFrame(f.type3, 3, std::array<std::uint16_t, 1>{simulatedPulsePeriod(bar(20))});
  fillFrame(f.type4, 4, std::array<std::uint16_t, 4>{bar(5), bar(6), bar(7), bar(8)});
  // Pulses B are not simulated; the field keeps whatever it held.
  f.type1.bytes[0] = 1;
  f.type1.setField(0, bar(17));

  z.engine.engineFrameInterval = z.engine.engineFrameAge;
  z.engine.engineFrameAge = 0;
  z.engine.engineUnitAlive = 6;
  z.engine.gLoad = 260;  // 1.016 g
}

}  // namespace zen
