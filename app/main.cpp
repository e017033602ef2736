// The simulator program: the main window, with the program folder taken from
// --data-dir or the executable's own folder.
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <csignal>

#include "host/qt/main_window.h"

namespace {

// Ctrl-C or a termination request closes the window like the user would, so
// the clock memory and SM.INI are still written.
int signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
  const char byte = 1;
  [[maybe_unused]] auto written = ::write(signalPipe[0], &byte, 1);
}

void closeOnTerminationSignals(QWidget& window) {
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, &window);
  QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
    char byte;
    [[maybe_unused]] auto got = ::read(signalPipe[1], &byte, 1);
    window.close();
  });
  struct sigaction action {};
  action.sa_handler = onTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Corvalen Orvex Zenara");
  // The firmware may still be running when the last window closes; the main
  // window quits once it has stopped and the files are written.
  QApplication::setQuitOnLastWindowClosed(false);

  QCommandLineParser parser;
  parser.setApplicationDescription("Panel designer and simulator for the Corvalen Orvex Zenara");
  parser.addHelpOption();
  QCommandLineOption dataDir("data-dir", "Folder of e2.rom, RTC.ram, logo.bin and SM.INI.", "DIR");
  QCommandLineOption zoom("zoom", "Integer zoom of the main window.", "N", "1");
  QCommandLineOption switchOn("switch-on", "Switch the instrument on at start.");
  QCommandLineOption snapshot(
      "snapshot", "Save a picture of the main window to FILE (PNG) after --snapshot-after ms.", "FILE");
  QCommandLineOption snapshotAfter("snapshot-after", "Delay of --snapshot in milliseconds.", "MS", "4000");
  parser.addOptions({dataDir, zoom, switchOn, snapshot, snapshotAfter});
  parser.process(app);

  const QString folder =
      parser.isSet(dataDir) ? QDir(parser.value(dataDir)).absolutePath() : QApplication::applicationDirPath();
  zen::TForm1::Options options;
  options.programFolder = folder.toStdString();
  options.zoom = std::clamp(parser.value(zoom).toInt(), 1, 6);
  zen::TForm1 window(options);
  QObject::connect(&window, &zen::TForm1::finished, &app, &QApplication::quit, Qt::QueuedConnection);
  closeOnTerminationSignals(window);
  window.show();
  if (parser.isSet(snapshot)) {
    QTimer::singleShot(parser.value(snapshotAfter).toInt(), &window,
                       [&window, file = parser.value(snapshot)] { window.grab().save(file); });
  }
  if (parser.isSet(switchOn)) QTimer::singleShot(0, &window, &zen::TForm1::Button1Click);
  return app.exec();
}
