#include "sim/qt/qt_host.h"

#include <QAbstractEventDispatcher>
#include <QDateTime>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace zen {

namespace {
// What one counted delay step of the firmware is worth on the desktop: the
// start-up blank pause of 125751 steps then lasts about a quarter second.
constexpr std::chrono::microseconds DelayStep{2};
constexpr std::chrono::milliseconds DelaySlice{10};
}  // namespace

QtHost::QtHost(std::filesystem::path programFolder) { setProgramFolder(std::move(programFolder)); }

bool QtHost::pump(bool wait) {
  QAbstractEventDispatcher* dispatcher = QThread::currentThread()->eventDispatcher();
  if (!dispatcher) return false;
  QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents;
  if (wait) flags |= QEventLoop::WaitForMoreEvents;
  return dispatcher->processEvents(flags);
}

void QtHost::sleepFor(std::chrono::milliseconds duration) {
  QEventLoop loop;
  QTimer::singleShot(duration, &loop, &QEventLoop::quit);
  loop.exec();
}

void QtHost::yieldToHost(YieldKind kind) {
  countYield();
  // A handler that somehow reaches the firmware again must not nest another
  // pump, nor throw through the event dispatcher.
  if (inYield_) return;
  unwindIfStopping();
  letEventsRun(kind);
  unwindIfStopping();
}

void QtHost::letEventsRun(YieldKind kind) {
  inYield_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{inYield_};

  if (kind == YieldKind::Delay) {
    delayDebt_ += DelayStep;
    if (delayDebt_ >= DelaySlice) {
      delayDebt_ -= DelaySlice;
      if (beforeSleep) beforeSleep();
      sleepFor(DelaySlice);
    }
    return;
  }
  if (!idlePoll(pump(false))) return;
  if (beforeSleep) beforeSleep();
  // The 25 ms clock always wakes this up again.
  pump(true);
}

void QtHost::setAlarmLed(bool lit) {
  if (onAlarmLed) onAlarmLed(lit);
}

void QtHost::reportFileError(const std::filesystem::path& file, const std::string& systemMessage) {
  if (onFileError) onFileError(file, systemMessage);
}

void QtHost::reportNotice(const std::filesystem::path& file, const std::string& text) {
  if (onNotice)
    onNotice(file, text);
  else if (onFileError)
    onFileError(file, text);
}

std::optional<std::string> QtHost::replaceFile(const std::filesystem::path& file,
                                               std::span<const std::uint8_t> bytes) {
  auto error = SimulationHost::replaceFile(file, bytes);
  if (!error && onFileWritten) onFileWritten(file, bytes);
  return error;
}

LocalTime QtHost::localTime() const {
  const QDateTime now = QDateTime::currentDateTime();
  const QDate d = now.date();
  const QTime t = now.time();
  return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

}  // namespace zen
