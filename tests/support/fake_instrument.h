// Runs zenara-fake-instrument on a pseudo-terminal for window tests: the
// device path it prints, its event lines, and commands on its input.
#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QTest>

namespace zen::test {

class FakeInstrument {
 public:
  explicit FakeInstrument(const QStringList& arguments = {}) {
    process_.setProgram(QStringLiteral(ZENARA_FAKE_INSTRUMENT));
    process_.setArguments(arguments);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start();
    if (process_.waitForStarted(5000) && waitForLineCount(1)) device_ = lines_.takeFirst();
  }
  ~FakeInstrument() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(2000);
  }

  // Empty when the fake could not start.
  const QString& device() const { return device_; }
  void command(const QString& line) { process_.write((line + "\n").toUtf8()); }
  void kill() {
    process_.kill();
    process_.waitForFinished(2000);
  }
  // Event lines so far (identify, read-e2 0040, fault no-reply, ...).
  const QStringList& lines() {
    readLines();
    return lines_;
  }
  int count(const QString& line) { return static_cast<int>(lines().count(line)); }

 private:
  void readLines() {
    while (process_.canReadLine()) lines_ << QString::fromUtf8(process_.readLine()).trimmed();
  }
  bool waitForLineCount(int n) {
    QElapsedTimer clock;
    clock.start();
    for (readLines(); lines_.size() < n && clock.elapsed() < 5000; readLines())
      process_.waitForReadyRead(100);
    return lines_.size() >= n;
  }

  QProcess process_;
  QString device_;
  QStringList lines_;
};

}  // namespace zen::test
