#include "host/virtual_host.h"

#include <ctime>
#include <random>

namespace zen {

namespace {

std::filesystem::path makeTemporaryFolder() {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto path = std::filesystem::temp_directory_path() / ("zenara-" + std::to_string(random()));
    std::error_code error;
    if (std::filesystem::create_directory(path, error)) return path;
  }
  throw std::runtime_error("cannot create a temporary program folder");
}

std::uint64_t toMicros(double ms) { return ms <= 0 ? 0 : static_cast<std::uint64_t>(ms * 1000.0 + 0.5); }

}  // namespace

VirtualHost::VirtualHost() : VirtualHost(Options{}) {}

VirtualHost::VirtualHost(Options options) : options_(std::move(options)) {
  if (options_.programFolder.empty()) {
    folder_ = makeTemporaryFolder();
    ownsFolder_ = true;
  } else {
    folder_ = options_.programFolder;
  }
  if (options_.loadFiles) loadFiles();
}

VirtualHost::~VirtualHost() {
  if (ownsFolder_) {
    std::error_code error;
    std::filesystem::remove_all(folder_, error);
  }
}

void VirtualHost::at(double ms, std::function<void()> action) {
  events_.emplace(std::make_pair(toMicros(ms), sequence_++), std::move(action));
}

void VirtualHost::pressKey(double ms, int bit) {
  at(ms, [this, bit] { keyDown(bit); });
}

void VirtualHost::releaseKey(double ms, int bit) {
  at(ms, [this, bit] { keyUp(bit); });
}

void VirtualHost::clickKey(double ms, int bit, double holdMs) {
  pressKey(ms, bit);
  releaseKey(ms + holdMs, bit);
}

void VirtualHost::closeAt(double ms) {
  at(ms, [this] { close(); });
}

void VirtualHost::setEngineBar(double ms, int bar, std::uint16_t position) {
  at(ms,
     [this, bar, position] { instrument().sim.engineBars.at(static_cast<std::size_t>(bar - 1)) = position; });
}

void VirtualHost::setPressureBar(double ms, int bar, std::uint16_t position) {
  at(ms, [this, bar, position] {
    instrument().sim.pressureBars.at(static_cast<std::size_t>(bar - 1)) = position;
  });
}

void VirtualHost::switchEngineUnit(double ms, bool on) {
  at(ms, [this, on] { instrument().sim.engineUnitOn = on; });
}

void VirtualHost::close() {
  if (closed_) return;
  closed_ = true;
  requestStop();
  // Before switch-on there is nothing to wait for.
  if (!firmwareActive()) saveOnExit();
}

void VirtualHost::advanceTo(std::uint64_t micros) {
  // Ticks and actions run in time order; an action at the same time as a tick runs after it.
  for (;;) {
    std::uint64_t nextEvent = events_.empty() ? UINT64_MAX : events_.begin()->first.first;
    if (nextTickMicros_ <= micros && nextTickMicros_ <= nextEvent) {
      nowMicros_ = nextTickMicros_;
      nextTickMicros_ += 25000;
      clockTick();
      continue;
    }
    if (nextEvent <= micros) {
      nowMicros_ = nextEvent;
      auto node = events_.extract(events_.begin());
      node.mapped()();
      continue;
    }
    break;
  }
  nowMicros_ = micros;
}

void VirtualHost::run() {
  switchOn();
  if (closed_) saveOnExit();
}

void VirtualHost::advance(double ms) { advanceTo(nowMicros_ + toMicros(ms)); }

void VirtualHost::yieldToHost(YieldKind kind) {
  ++yieldCount_;
  if (yieldWhileStopping(kind)) return;
  advanceTo(nowMicros_ + options_.microsPerYield);
  if (!closed_ && nowMicros_ >= options_.closeAfterMs * 1000) close();
}

void VirtualHost::setAlarmLed(bool lit) {
  alarmLed_ = lit;
  alarmLedHistory_.emplace_back(nowMs(), lit);
}

void VirtualHost::reportFileError(const std::filesystem::path& file, const std::string& systemMessage) {
  fileErrors_.emplace_back(file, systemMessage);
}

LocalTime VirtualHost::localTime() const {
  std::tm start{};
  start.tm_year = options_.startTime.year - 1900;
  start.tm_mon = options_.startTime.month - 1;
  start.tm_mday = options_.startTime.day;
  start.tm_hour = options_.startTime.hour;
  start.tm_min = options_.startTime.minute;
  start.tm_sec = options_.startTime.second;
  const std::time_t t = timegm(&start) + static_cast<std::time_t>(nowMicros_ / 1000000);
  std::tm now{};
  gmtime_r(&t, &now);
  return {now.tm_year + 1900, now.tm_mon + 1, now.tm_mday, now.tm_hour, now.tm_min, now.tm_sec};
}

}  // namespace zen
