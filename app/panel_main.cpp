// zenara-panel: panel transfer with a real instrument from the command line,
// for installers. The same checks, status lines and files as the simulator's
// "Connect" menu, without a window.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSerialPort>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <string>

#include "files/panel_file.h"
#include "firmware/core/firmware_state.h"
#include "firmware/core/instrument.h"
#include "firmware/core/settings_store.h"
#include "link/connection_check.h"
#include "link/link.h"
#include "link/panel_transfer.h"
#include "link/qt/qt_link.h"
#include "link/qt/serial_line.h"
#include "sim/qt/command_line.h"
#include "sim/qt/program_folder.h"
#include "sim/qt/qt_host.h"

namespace {

constexpr char Program[] = "zenara-panel";
constexpr int Failed = 1;
constexpr int Usage = 2;

void say(std::FILE* to, const std::string& text) {
  std::fprintf(to, "%s\n", text.c_str());
  std::fflush(to);
}

void complain(const std::string& text) { say(stderr, std::string(Program) + ": " + text); }

// Status lines on standard output, messages on standard error.
class ConsoleReport : public zen::TransferReport {
 public:
  void openStatus() override {}
  void statusLine(const std::string& text) override { say(stdout, text); }
  void closeStatus() override {}
  void message(const std::string& text) override { complain(text); }
  void result(const std::string& text) override { say(stdout, text); }
};

class LineTransport : public zen::LinkTransport {
 public:
  explicit LineTransport(zen::SerialLine& line) : line_(line) {}
  bool isOpen() const override { return line_.isOpen(); }
  bool write(std::span<const std::uint8_t> bytes) override { return line_.write(bytes); }
  std::string lineName() const override { return line_.device().toStdString(); }

 private:
  zen::SerialLine& line_;
};

// The simulator's saved settings from e2.rom; without one, the defaults when
// allowed. False, after saying why, when there is nothing to use.
bool loadSavedSettings(zen::QtHost& host, const int& fileErrors, bool defaultsWhenMissing) {
  const int errorsBefore = fileErrors;
  zen::Instrument& z = host.instrument();
  const std::filesystem::path e2 = host.programFolder() / "e2.rom";
  std::error_code error;
  const bool present = std::filesystem::exists(e2, error);
  if (error) {
    complain(e2.string() + ": " + error.message());
    return false;
  }
  if (present) {
    host.loadFiles();
  } else if (defaultsWhenMissing) {
    zen::buildImageFromDefaults(z, true);
  } else {
    complain("there is no " + e2.string() + " to send; name a panel file with --pcf FILE");
    return false;
  }
  zen::loadAllSettings(z);
  return fileErrors == errorsBefore;
}

}  // namespace

int main(int argc, char** argv) {
  zen::reportUncaughtErrors(Program);
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(Program);

  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Reads the panel of an Orvex Zenara over its serial link (upload), writes a panel into it "
      "(download), or asks it to identify itself (identify).\n"
      "Examples:\n"
      "  zenara-panel download --port /dev/ttyUSB0 --pcf cruise.pcf\n"
      "  zenara-panel upload --port /dev/ttyUSB0 --pcf from-aircraft.pcf\n"
      "  zenara-panel identify --port /dev/ttyUSB0");
  parser.addHelpOption();
  parser.addPositionalArgument("command",
                               "upload (instrument to computer), download (computer to instrument), or "
                               "identify (test the connection).",
                               "upload|download|identify");
  const QCommandLineOption port("port", "Serial device of the instrument, e.g. --port /dev/ttyUSB0.",
                                "DEVICE");
  const QCommandLineOption pcf(
      "pcf",
      "Panel file: download sends it, e.g. --pcf cruise.pcf; upload saves the instrument's panel to it, "
      "e.g. --pcf from-aircraft.pcf. Without it, both use the simulator's e2.rom in the data folder.",
      "FILE");
  const QCommandLineOption dataDir(
      "data-dir",
      "Folder of e2.rom, E2DataDownload.bin and CurrentE2.bin (default: the simulator's, beside the "
      "program or, once installed, in the user's data folder), e.g. --data-dir ~/zenara.",
      "DIR");
  const QCommandLineOption version({"v", "version"},
                                   "Print the program and firmware versions, e.g. zenara-panel --version.");
  parser.addOptions({port, pcf, dataDir, version});
  zen::parseCommandLineOrExit(parser, app, "zenara-panel");
  if (parser.isSet(version)) {
    std::printf("zenara-panel %s\nfirmware %s\n", ZENARA_VERSION, zen::FirmwareVersion);
    return 0;
  }

  const QStringList positional = parser.positionalArguments();
  const QString command = positional.value(0);
  if (positional.size() != 1 || (command != "upload" && command != "download" && command != "identify")) {
    complain("expected one command, upload or download (or identify)\nTry zenara-panel --help.");
    return Usage;
  }
  if (!parser.isSet(port)) {
    complain("--port DEVICE is required\nTry zenara-panel --help.");
    return Usage;
  }

  zen::QtHost host(zen::chooseProgramFolder(parser.value(dataDir)).path);
  int fileErrors = 0;
  host.onFileError = [&](const std::filesystem::path& file, const std::string& reason) {
    ++fileErrors;
    complain(file.string() + ": " + reason);
  };
  host.onNotice = [](const std::filesystem::path& file, const std::string& text) {
    complain(file.string() + ": " + text);
  };
  QTimer clock;
  clock.setTimerType(Qt::PreciseTimer);
  QObject::connect(&clock, &QTimer::timeout, [&host] { host.clockTick(); });
  clock.start(25);

  zen::Instrument& z = host.instrument();
  if (command == "download") {
    if (parser.isSet(pcf)) {
      const zen::PanelRead read = zen::readPanelFile(parser.value(pcf).toStdString());
      if (!read.panel) {
        complain(read.message);
        return Failed;
      }
      zen::applyPanelSettings(z, *read.panel);
    } else if (!loadSavedSettings(host, fileErrors, false)) {
      return Failed;
    }
  }

  zen::SerialLine line;
  const QString device = parser.value(port);
  if (!line.open(device)) {
    complain("cannot open " + device.toStdString() + ": " + line.port()->errorString().toStdString());
    return Failed;
  }
  line.onLost = [&](const QString& reason) {
    complain("the link on " + device.toStdString() + " was lost: " + reason.toStdString());
  };
  zen::QtLinkWaiter waiter;
  zen::Link link(host, waiter);
  LineTransport transport(line);
  link.setTransport(&transport);
  line.onReceived = [&link](std::span<const std::uint8_t> bytes) { link.receive(bytes); };

  if (command == "identify") {
    const zen::ConnectionCheck check = zen::checkConnection(link, device.toStdString());
    if (!check.connected) {
      complain(check.text);
      return Failed;
    }
    say(stdout, check.text);
    return 0;
  }
  ConsoleReport report;
  zen::TransferContext t{link, report, host, true};
  if (command == "download") {
    const bool done = zen::downloadPanel(t, z.settings);
    // Finish waits for no reply; SerialLine::write has already drained it from the port.
    // CurrentE2.bin that could not be written is a failure too, though the panel went out.
    return done && fileErrors == 0 ? 0 : Failed;
  }

  const auto panel = zen::uploadPanel(t);
  if (!panel) return Failed;
  if (parser.isSet(pcf)) {
    const std::string file = parser.value(pcf).toStdString();
    if (auto error = zen::writePanelFile(*panel, file)) {
      complain(*error);
      return Failed;
    }
    say(stdout, "Panel saved to " + file);
    // E2DataDownload.bin that could not be written was reported above.
    return fileErrors == 0 ? 0 : Failed;
  }
  // Into the simulator's settings: its calibration and flight log stay as they are.
  if (!loadSavedSettings(host, fileErrors, true)) return Failed;
  zen::applyPanelSettings(z, *panel);
  zen::saveAllSettings(z);
  if (fileErrors) return Failed;
  say(stdout, "Panel applied to " + (host.programFolder() / "e2.rom").string());
  return 0;
}
