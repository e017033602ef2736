#include "sim/virtual_host.h"

#include <algorithm>
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

}  // namespace

VirtualHost::VirtualHost() : VirtualHost(Options{}) {}

VirtualHost::VirtualHost(Options options)
    : options_(std::move(options)), clock_(ClockTickMs * 1000, [this] { clockTick(); }) {
  if (options_.programFolder.empty()) {
    setProgramFolder(makeTemporaryFolder());
    ownsFolder_ = true;
  } else {
    setProgramFolder(options_.programFolder);
  }
  if (options_.loadFiles) loadFiles();
  // The safety stop of a test that forgot to close.
  closeAt(static_cast<double>(options_.closeAfterMs));
}

VirtualHost::~VirtualHost() {
  if (ownsFolder_) {
    std::error_code error;
    std::filesystem::remove_all(programFolder(), error);
  }
}

void VirtualHost::at(double ms, std::function<void()> action) {
  clock_.at(SimulatedClock::micros(ms), std::move(action));
}

void VirtualHost::repeat(double firstMs, double periodMs, std::function<bool()> action) {
  clock_.every(SimulatedClock::micros(firstMs), SimulatedClock::micros(periodMs), std::move(action));
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

void VirtualHost::every(double startMs, double periodMs, double endMs, std::function<void(double)> action) {
  if (startMs > endMs || periodMs <= 0) return;
  repeat(startMs, periodMs, [startMs, periodMs, endMs, n = 0, action = std::move(action)]() mutable {
    action(startMs + n * periodMs);
    ++n;
    return startMs + n * periodMs <= endMs;
  });
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

void VirtualHost::run() {
  switchOn();
  if (closed_) saveOnExit();
}

void VirtualHost::advance(double ms) { clock_.advanceTo(clock_.now() + SimulatedClock::micros(ms)); }

void VirtualHost::yieldToHost(YieldKind kind) {
  countYield();
  unwindIfStopping();
  const bool ran = clock_.advanceTo(clock_.now() + options_.microsPerYield);
  if (kind == YieldKind::Poll && idlePoll(ran)) clock_.advanceTo(clock_.nextEvent());
  unwindIfStopping();
}

// The same steps of microsPerYield as that many yields, but taken up to the
// next event at once: events run at the same step, and a stop ends the
// delay at the step it happened in.
void VirtualHost::delayYields(std::uint32_t count) {
  const std::uint64_t step = options_.microsPerYield;
  while (count > 0) {
    unwindIfStopping();
    const std::uint64_t now = clock_.now();
    const std::uint64_t next = clock_.nextEvent();
    std::uint64_t steps = 1;
    if (next > now)
      steps = step == 0 ? count : std::min<std::uint64_t>(count, (next - now + step - 1) / step);
    countYield(steps);
    clock_.advanceTo(now + steps * step);
    count -= static_cast<std::uint32_t>(steps);
    unwindIfStopping();
  }
}

void VirtualHost::setAlarmLed(bool lit) {
  alarmLed_ = lit;
  alarmLedHistory_.emplace_back(nowMs(), lit);
}

void VirtualHost::reportFileError(const std::filesystem::path& file, const std::string& systemMessage) {
  fileErrors_.emplace_back(file, systemMessage);
}

void VirtualHost::reportNotice(const std::filesystem::path& file, const std::string& text) {
  notices_.push_back({file, text});
}

LocalTime VirtualHost::localTime() const {
  std::tm start{};
  start.tm_year = options_.startTime.year - 1900;
  start.tm_mon = options_.startTime.month - 1;
  start.tm_mday = options_.startTime.day;
  start.tm_hour = options_.startTime.hour;
  start.tm_min = options_.startTime.minute;
  start.tm_sec = options_.startTime.second;
  const std::time_t t = timegm(&start) + static_cast<std::time_t>(clock_.now() / 1000000);
  std::tm now{};
  gmtime_r(&t, &now);
  return {now.tm_year + 1900, now.tm_mon + 1, now.tm_mday, now.tm_hour, now.tm_min, now.tm_sec};
}

}  // namespace zen
