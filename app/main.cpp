// The simulator program: the main window, with the program folder taken from
// --data-dir or the executable's own folder.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTimer>
#include <algorithm>

#include "host/qt/main_window.h"
#include "host/qt/termination.h"

int main(int argc, char** argv) {
  // Ctrl-C or a termination request closes the program like the user would,
  // so the clock memory and SM.INI are still written; from the first moment.
  zen::TerminationSignals::installHandlers();
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
  zen::TerminationSignals termination;
  zen::TForm1::Options options;
  options.programFolder = folder.toStdString();
  options.zoom = std::clamp(parser.value(zoom).toInt(), 1, 6);
  options.termination = &termination;
  zen::TForm1 window(options);
  QObject::connect(&window, &zen::TForm1::finished, &app, &QApplication::quit, Qt::QueuedConnection);
  window.show();
  if (parser.isSet(snapshot)) {
    QTimer::singleShot(parser.value(snapshotAfter).toInt(), &window,
                       [&window, file = parser.value(snapshot)] { window.grab().save(file); });
  }
  if (parser.isSet(switchOn)) QTimer::singleShot(0, &window, &zen::TForm1::Button1Click);
  const int status = app.exec();
  return window.saveFailed() ? 1 : status;
}
