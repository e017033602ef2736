// The simulator program: the main window, with the program folder taken from
// --data-dir, the executable's own folder, or the user's data folder once
// installed.
#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QImageWriter>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <string_view>

#include "desktop/desktop_commands.h"
#include "desktop/main_window.h"
#include "desktop/scenario_window.h"
#include "desktop/termination.h"
#include "firmware/core/firmware_state.h"
#include "sim/program_files.h"
#include "sim/qt/command_line.h"
#include "sim/qt/program_folder.h"

namespace {

// --help and --version answer without a display.
bool windowWanted(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "-h" || a == "--help" || a == "--help-all" || a == "-v" || a == "--version") return false;
  }
  return true;
}

int usageError(const QString& text) {
  std::fprintf(stderr, "zenara: %s\nTry zenara --help.\n", qPrintable(text));
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // Ctrl-C or a termination request closes the program like the user would,
  // so the clock memory and SM.INI are still written; from the first moment.
  zen::TerminationSignals::installHandlers();
  zen::reportUncaughtErrors("zenara");
  const std::unique_ptr<QCoreApplication> application = windowWanted(argc, argv)
                                                            ? std::make_unique<QApplication>(argc, argv)
                                                            : std::make_unique<QCoreApplication>(argc, argv);
  QCoreApplication& app = *application;
  QCoreApplication::setApplicationName("Corvalen Orvex Zenara");
  // The firmware may still be running when the last window closes; the main
  // window quits once it has stopped and the files are written.
  QGuiApplication::setQuitOnLastWindowClosed(false);

  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Panel designer and simulator for the Corvalen Orvex Zenara.\n"
      "Without --data-dir its files live beside the program, or, once it is installed, in the\n"
      "user's data folder; the File menu shows where.\n"
      "Example: zenara --data-dir ~/zenara --zoom 2 --switch-on");
  parser.addHelpOption();
  QCommandLineOption version({"v", "version"},
                             "Print the program and firmware versions, e.g. zenara --version.");
  QCommandLineOption dataDir(
      "data-dir", "Folder of e2.rom, RTC.ram, logo.bin and SM.INI, e.g. --data-dir ~/zenara.", "DIR");
  QCommandLineOption zoom(
      "zoom",
      QStringLiteral("Integer zoom of the main window, 1..%1, e.g. --zoom 2 (default: as last "
                     "time, or what suits the screen).")
          .arg(zen::DesktopCommands::MaxZoom),
      "N");
  QCommandLineOption switchOn("switch-on", "Switch the instrument on at start, e.g. --switch-on.");
  QCommandLineOption snapshot(
      "snapshot",
      "Save a picture of the main window to FILE (PNG) after --snapshot-after ms, e.g. --snapshot win.png.",
      "FILE");
  QCommandLineOption snapshotAfter(
      "snapshot-after", "Delay of --snapshot in milliseconds, e.g. --snapshot-after 6000.", "MS", "4000");
  QCommandLineOption scenarioUdp(
      "scenario-udp",
      "Take live flight values (scenario columns, one CSV line per datagram) from UDP PORT on the loopback "
      "interface, or ADDRESS:PORT, e.g. --scenario-udp 5500.",
      "[ADDRESS:]PORT");
  QCommandLineOption scenarioColumns(
      "scenario-columns",
      "The columns of --scenario-udp's lines when the feed sends no header line, e.g. "
      "--scenario-columns altitude_ft,ias_mph,rpm.",
      "LIST");
  QCommandLineOption firstRunDefaults(
      "first-run-defaults",
      "When the program folder has no e2.rom, write the built-in default settings into it first, so the "
      "instrument shows the default panel; an existing e2.rom is never touched, e.g. --first-run-defaults.");
  parser.addOptions({version, dataDir, zoom, switchOn, snapshot, snapshotAfter, scenarioUdp, scenarioColumns,
                     firstRunDefaults});
  zen::parseCommandLineOrExit(parser, app, "zenara");  // --help and errors end here

  if (!parser.positionalArguments().isEmpty())
    return usageError("unexpected argument \"" + parser.positionalArguments().first() + "\"");
  if (parser.isSet(version)) {
    std::printf("zenara %s\nfirmware %s\n", ZENARA_VERSION, zen::FirmwareVersion);
    return 0;
  }
  bool ok = false;
  const int zoomFactor = parser.isSet(zoom) ? parser.value(zoom).toInt(&ok) : 0;
  if (parser.isSet(zoom) && (!ok || zoomFactor < 1 || zoomFactor > zen::DesktopCommands::MaxZoom))
    return usageError(QStringLiteral("--zoom: expected a whole number from 1 to %1, got \"%2\"")
                          .arg(zen::DesktopCommands::MaxZoom)
                          .arg(parser.value(zoom)));
  const int snapshotDelay = parser.value(snapshotAfter).toInt(&ok);
  if (!ok || snapshotDelay < 0)
    return usageError("--snapshot-after: expected milliseconds, got \"" + parser.value(snapshotAfter) + "\"");

  std::optional<zen::ListenAddress> live;
  std::optional<zen::ScenarioHeader> liveColumns;
  if (parser.isSet(scenarioUdp)) {
    live = zen::parseListenAddress(parser.value(scenarioUdp));
    if (!live)
      return usageError("--scenario-udp: expected PORT or ADDRESS:PORT, got \"" + parser.value(scenarioUdp) +
                        "\"");
  }
  if (parser.isSet(scenarioColumns)) {
    std::string why;
    liveColumns = zen::parseScenarioHeader(parser.value(scenarioColumns).toStdString(), why);
    if (!liveColumns) return usageError("--scenario-columns: " + QString::fromStdString(why));
    if (!live) return usageError("--scenario-columns needs --scenario-udp");
  }

  const zen::ProgramFolder folder = zen::chooseProgramFolder(parser.value(dataDir));
  const zen::ProgramFolderAccess folderAccess = zen::openProgramFolder(folder.path);
  // Never into a folder another program holds.
  if (parser.isSet(firstRunDefaults) && folderAccess.check.writable) {
    const zen::DefaultSettingsFile defaults = zen::writeDefaultSettingsIfMissing(folder.path);
    if (defaults.error) {
      std::fprintf(stderr, "zenara: %s: %s\n", defaults.path.c_str(), defaults.error->c_str());
      return 1;
    }
    if (defaults.written) {
      std::printf("zenara: no e2.rom yet: wrote the built-in default settings to %s\n",
                  defaults.path.c_str());
      std::fflush(stdout);
    }
  }
  zen::TerminationSignals termination;
  zen::TForm1::Options options;
  options.programFolder = folder.path;
  options.zoom = zoomFactor;
  options.termination = &termination;
  options.folderCheck = folderAccess.check;
  zen::TForm1 window(options);
  QObject::connect(&window, &zen::TForm1::finished, &app, &QCoreApplication::quit, Qt::QueuedConnection);
  window.show();
  if (parser.isSet(snapshot)) {
    QTimer::singleShot(snapshotDelay, &window,
                       [&window, file = parser.value(snapshot)] {
                         // QImageWriter's reason, e.g. a missing folder or a name without .png.
                         QImageWriter writer(file);
                         if (!writer.write(window.grab().toImage()))
                           std::fprintf(stderr, "zenara: the snapshot was not saved to %s: %s\n", qPrintable(file),
                                        qPrintable(writer.errorString()));
                       });
  }
  if (live) {
    if (auto* play = window.findChild<QAction*>("Playflightscenario1")) play->trigger();
    if (auto* player = window.findChild<zen::ScenarioWindow*>())
      player->listen(live->address, live->port, liveColumns);
  }
  if (parser.isSet(switchOn)) QTimer::singleShot(0, &window, &zen::TForm1::Button1Click);
  const int status = app.exec();
  return window.saveFailed() ? 1 : status;
}
