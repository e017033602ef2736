// zenara-render: runs the instrument's firmware headless in simulated time
// and writes its screen as a PNG, to document panels. Needs no display.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QGuiApplication>
#include <QStringList>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "designer/qt/panel_sheet_pdf.h"
#include "files/panel_file.h"
#include "files/panel_overlaps.h"
#include "firmware/core/firmware_state.h"
#include "firmware/core/instrument.h"
#include "firmware/core/keys.h"
#include "hardware/hardware.h"
#include "sim/atomic_file.h"
#include "sim/qt/command_line.h"
#include "sim/qt/screen_image.h"
#include "sim/scenario.h"
#include "sim/screen_render.h"

namespace {

struct KeyName {
  const char* name;
  int bit;
};
constexpr std::array<KeyName, 8> KeyNames = {{{"Menu", zen::key_bit::Menu},
                                              {"Select", zen::key_bit::Select},
                                              {"Next", zen::key_bit::Next},
                                              {"Prev", zen::key_bit::Prev},
                                              {"Plus", zen::key_bit::Plus},
                                              {"Minus", zen::key_bit::Minus},
                                              {"Up", zen::key_bit::Up},
                                              {"Down", zen::key_bit::Down}}};

constexpr double MaxSeconds = 3600;

// A bad argument: the message says which and why.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

long wholeNumber(const QString& option, const QString& text, long low, long high) {
  bool ok = false;
  const long value = text.toLong(&ok);
  if (!ok || value < low || value > high)
    throw UsageError(QStringLiteral("%1: expected a whole number from %2 to %3, got \"%4\"")
                         .arg(option)
                         .arg(low)
                         .arg(high)
                         .arg(text)
                         .toStdString());
  return value;
}

double seconds(const QString& option, const QString& text, double low = 0, double high = MaxSeconds) {
  bool ok = false;
  const double value = text.toDouble(&ok);
  if (!ok || !(value >= low) || value > high)
    throw UsageError(QStringLiteral("%1: expected seconds from %2 to %3, got \"%4\"")
                         .arg(option)
                         .arg(low)
                         .arg(high)
                         .arg(text)
                         .toStdString());
  return value;
}

// Engineering values held from switch-on: a one-row scenario, so they go
// through the same conversions as a scenario's.
std::shared_ptr<zen::ScenarioPlayer> heldValues(const std::vector<std::pair<std::string, double>>& values) {
  zen::Scenario held;
  zen::Scenario::Row row;
  for (const auto& [name, value] : values) {
    held.columns.push_back(*zen::scenarioColumn(name));
    row.values.push_back(value);
  }
  row.line = 1;
  held.rows.push_back(row);
  return std::make_shared<zen::ScenarioPlayer>(std::move(held));
}

int keyBit(const QString& name) {
  for (const KeyName& key : KeyNames)
    if (name == QLatin1String(key.name)) return key.bit;
  throw UsageError(("--keys: unknown key \"" + name + "\" (keys: Menu Select Next Prev Plus Minus Up Down)")
                       .toStdString());
}

std::vector<zen::RenderOptions::Key> keyList(const QString& text) {
  std::vector<zen::RenderOptions::Key> keys;
  for (const QString& item : text.split(',', Qt::SkipEmptyParts)) {
    const qsizetype colon = item.indexOf(':');
    if (colon < 0) throw UsageError(("--keys: expected SECONDS:KEY, got \"" + item + "\"").toStdString());
    keys.push_back({seconds("--keys", item.left(colon).trimmed()), keyBit(item.mid(colon + 1).trimmed())});
  }
  return keys;
}

void engineBar(zen::RenderOptions& o, const QString& text) {
  const qsizetype equals = text.indexOf('=');
  if (equals < 0) throw UsageError(("--engine: expected N=POS, got \"" + text + "\"").toStdString());
  const int bar = static_cast<int>(wholeNumber("--engine bar", text.left(equals), 1, 21));
  const long position = wholeNumber(QStringLiteral("--engine %1=").arg(bar), text.mid(equals + 1), 0,
                                    zen::EngineBarMaximum[static_cast<std::size_t>(bar - 1)]);
  o.engineBars[static_cast<std::size_t>(bar - 1)] = static_cast<std::uint16_t>(position);
}

}  // namespace

// The sheet's text needs fonts, and fonts a GUI application; the offscreen
// platform needs no display.
std::unique_ptr<QCoreApplication> application(int& argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::string_view(argv[i]).starts_with("--sheet")) {
      if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
      return std::make_unique<QGuiApplication>(argc, argv);
    }
  return std::make_unique<QCoreApplication>(argc, argv);
}

int main(int argc, char** argv) {
  zen::reportUncaughtErrors("zenara-render");
  const auto running = application(argc, argv);
  QCoreApplication& app = *running;
  QCoreApplication::setApplicationName("zenara-render");

  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Runs the Orvex Zenara firmware in simulated time and writes its screen as a PNG.\n"
      "Example: zenara-render --page 2 --engine 20=52 --at 8 -o page2.png");
  parser.addHelpOption();
  const QCommandLineOption output({"o", "output"}, "The PNG to write, e.g. -o panel.png.", "OUT.png");
  const QCommandLineOption e2(
      "e2", "Settings image to use, e.g. --e2 e2.rom (default: the built-in defaults).", "FILE");
  const QCommandLineOption pcf(
      "pcf", "Panel file to show on top of the settings, e.g. --pcf cruise.pcf --page 2.", "FILE");
  const QCommandLineOption page("page", "Panel page to show, 1 or 2, e.g. --page 2.", "1|2", "1");
  const QCommandLineOption staticCounts(
      "static", "Static pressure bar position 0..4095 as the pressure window shows it, e.g. --static 1012.",
      "POS");
  const QCommandLineOption pitotCounts(
      "pitot", "Pitot pressure bar position 0..4095 as the pressure window shows it, e.g. --pitot 3000.",
      "POS");
  const QCommandLineOption altitudeFt(
      "altitude-ft",
      "Altitude in feet at 1013 hPa, through the firmware's own conversion, e.g. --altitude-ft 2000.", "FT");
  const QCommandLineOption iasMph("ias-mph", "Indicated airspeed in mph, e.g. --ias-mph 90.", "MPH");
  const QCommandLineOption rpm("rpm", "Engine speed in rpm; switches the engine unit on, e.g. --rpm 5200.",
                               "RPM");
  const QCommandLineOption scenario(
      "scenario", "Flight scenario CSV to play from switch-on, e.g. --scenario circuit.csv --at 300.",
      "FILE");
  const QCommandLineOption frames(
      "frames", "With --scenario: write the screen every --every seconds as DIR/frame-00000.png ...", "DIR");
  const QCommandLineOption every("every", "Seconds between --frames, e.g. --every 0.25 (default 1).",
                                 "SECONDS", "1");
  const QCommandLineOption engine(
      "engine", "Engine unit bar N (1..21) at POS; switches the unit on. Repeatable, e.g. --engine 20=52.",
      "N=POS");
  const QCommandLineOption bank("bank", "Bank angle -180..179 degrees, e.g. --bank -30.", "DEG");
  const QCommandLineOption pitch("pitch", "Pitch angle -90..90 degrees, e.g. --pitch 5.", "DEG");
  const QCommandLineOption heading("heading", "Heading 0..359 degrees, e.g. --heading 270.", "DEG");
  const QCommandLineOption turn("turn", "Rate of turn -200..200, e.g. --turn 30.", "RATE");
  const QCommandLineOption slip("slip", "Slip -56..56, e.g. --slip 10.", "SLIP");
  const QCommandLineOption at("at", "Simulated seconds after switch-on to show, e.g. --at 5 (default 5).",
                              "SECONDS", "5");
  const QCommandLineOption keys("keys",
                                "Bezel key presses, e.g. --keys 3.0:Menu,4.5:Select "
                                "(keys: Menu Select Next Prev Plus Minus Up Down).",
                                "LIST");
  const QCommandLineOption zoom("zoom", "Each screen pixel as N x N pixels, 1..16, e.g. --zoom 2.", "N", "1");
  const QCommandLineOption savePcf(
      "save-pcf",
      "Also write the panel as it stands at --at (after the --keys) as a panel file, e.g. --save-pcf my.pcf.",
      "FILE");
  const QCommandLineOption version({"v", "version"},
                                   "Print the program and firmware versions, e.g. zenara-render --version.");
  const QCommandLineOption check(
      "check",
      "Print the items that overlap on either page; exit status 1 when any do, e.g. --check --pcf my.pcf.");
  const QCommandLineOption sheet(
      "sheet",
      "Write the panel sheet of both pages and the settings as a PDF, e.g. --sheet panel.pdf --pcf my.pcf.",
      "OUT.pdf");
  parser.addOptions({output, e2,   pcf,   page,    staticCounts, pitotCounts, altitudeFt, iasMph, rpm,
                     engine, bank, pitch, heading, turn,         slip,        scenario,   frames, every,
                     at,     keys, zoom,  savePcf, version,      check,       sheet});
  zen::parseCommandLineOrExit(parser, app, "zenara-render");  // --help and errors end here

  if (parser.isSet(version)) {
    std::printf("zenara-render %s\nfirmware %s\n", ZENARA_VERSION, zen::FirmwareVersion);
    return 0;
  }
  try {
    if (!parser.positionalArguments().isEmpty())
      throw UsageError(
          ("unexpected argument \"" + parser.positionalArguments().first() + "\"").toStdString());
    if (!parser.isSet(output) && !parser.isSet(frames) && !parser.isSet(check) && !parser.isSet(sheet))
      throw UsageError("-o OUT.png (or --frames DIR, --check or --sheet) is required");
    if (parser.isSet(frames) && !parser.isSet(scenario)) throw UsageError("--frames needs --scenario FILE");

    zen::RenderOptions o;
    if (parser.isSet(e2)) {
      const std::string file = parser.value(e2).toStdString();
      zen::ReadResult read = zen::readFilePrefix(file, zen::SettingsImage::Size);
      if (read.missing) throw UsageError("--e2: " + file + ": no such file");
      if (read.error) throw UsageError("--e2: " + file + ": " + *read.error);
      o.settingsImage = std::move(read.bytes);
    }
    if (parser.isSet(pcf)) {
      const zen::PanelRead read = zen::readPanelFile(parser.value(pcf).toStdString());
      if (!read.panel) {
        std::fprintf(stderr, "zenara-render: %s\n", read.message.c_str());
        return 1;
      }
      o.prepare = [panel = *read.panel](zen::Instrument& z) { zen::writePanelSettings(z.e2, panel); };
    }
    o.page = static_cast<int>(wholeNumber("--page", parser.value(page), 1, 2));
    if (parser.isSet(staticCounts))
      o.pressureBars[0] = static_cast<std::uint16_t>(
          wholeNumber("--static", parser.value(staticCounts), 0, zen::PressureBarMaximum));
    if (parser.isSet(pitotCounts))
      o.pressureBars[1] = static_cast<std::uint16_t>(
          wholeNumber("--pitot", parser.value(pitotCounts), 0, zen::PressureBarMaximum));
    std::string scenarioName;
    std::shared_ptr<zen::ScenarioPlayer> player;
    if (parser.isSet(scenario)) {
      scenarioName = parser.value(scenario).toStdString();
      zen::ScenarioRead read = zen::readScenarioFile(scenarioName);
      if (!read.scenario) {
        std::fprintf(stderr, "zenara-render: %s\n", read.message.c_str());
        return 1;
      }
      player = std::make_shared<zen::ScenarioPlayer>(std::move(*read.scenario));
      o.scenarios.push_back(player);
    }
    std::vector<std::pair<std::string, double>> held;
    if (parser.isSet(altitudeFt))
      held.emplace_back("altitude_ft", wholeNumber("--altitude-ft", parser.value(altitudeFt), -1000, 60000));
    if (parser.isSet(iasMph))
      held.emplace_back("ias_mph", wholeNumber("--ias-mph", parser.value(iasMph), 0, 999));
    if (parser.isSet(rpm)) {
      held.emplace_back("rpm", wholeNumber("--rpm", parser.value(rpm), 0, 9999));
      held.emplace_back("engine_on", 1);
    }
    std::shared_ptr<zen::ScenarioPlayer> heldPlayer;
    if (!held.empty()) {
      heldPlayer = heldValues(held);
      o.scenarios.push_back(heldPlayer);
    }
    for (const QString& bar : parser.values(engine)) engineBar(o, bar);
    if (parser.isSet(bank) || parser.isSet(pitch) || parser.isSet(heading) || parser.isSet(turn) ||
        parser.isSet(slip)) {
      zen::RenderOptions::Attitude a;
      auto angle = [&](const QCommandLineOption& option, const char* name, long low, long high) {
        return parser.isSet(option)
                   ? static_cast<std::int32_t>(wholeNumber(name, parser.value(option), low, high))
                   : 0;
      };
      a.bank = angle(bank, "--bank", -180, 179);
      a.pitch = angle(pitch, "--pitch", -90, 90);
      a.heading = angle(heading, "--heading", 0, 359);
      a.turnRate = angle(turn, "--turn", -200, 200);
      a.slip = angle(slip, "--slip", -56, 56);
      o.attitude = a;
    }
    o.atSeconds = seconds("--at", parser.value(at), 0, player ? zen::MaxScenarioSeconds : MaxSeconds);
    std::filesystem::path frameFolder;
    std::optional<std::string> frameError;
    if (parser.isSet(frames)) {
      if (parser.isSet(at) || parser.isSet(output) || parser.isSet(savePcf))
        throw UsageError("--frames covers the whole scenario: leave out --at, -o and --save-pcf");
      const double step = seconds("--every", parser.value(every), 0.01, zen::MaxScenarioSeconds);
      frameFolder = parser.value(frames).toStdString();
      std::error_code error;
      std::filesystem::create_directories(frameFolder, error);
      if (error) {
        std::fprintf(stderr, "zenara-render: %s: %s\n", frameFolder.c_str(), error.message().c_str());
        return 1;
      }
      const double duration = player->scenario().duration();
      const auto count = static_cast<std::size_t>(std::floor(duration / step + 1e-9)) + 1;
      for (std::size_t i = 0; i < count; ++i) o.frameSeconds.push_back(static_cast<double>(i) * step);
      o.atSeconds = o.frameSeconds.back();
    }
    if (parser.isSet(keys)) o.keys = keyList(parser.value(keys));
    const int scale = static_cast<int>(wholeNumber("--zoom", parser.value(zoom), 1, zen::MaxImageZoom));

    if (parser.isSet(sheet)) {
      const QString source = parser.isSet(pcf)  ? parser.value(pcf)
                             : parser.isSet(e2) ? parser.value(e2)
                                                : QStringLiteral("the built-in defaults");
      const zen::SheetOrigin origin{source.toStdString(),
                                    QDate::currentDate().toString(Qt::ISODate).toStdString(),
                                    std::string("zenara-render ") + ZENARA_VERSION};
      const std::string out = parser.value(sheet).toStdString();
      if (auto error = zen::writePanelSheetPdf(zen::panelSheetDocument(o, origin), out)) {
        std::fprintf(stderr, "zenara-render: %s: %s\n", out.c_str(), error->c_str());
        return 1;
      }
    }
    std::optional<std::string> panelError;
    std::vector<std::string> overlaps;
    o.atEnd = [&, file = parser.value(savePcf).toStdString()](zen::Instrument& z) {
      if (parser.isSet(savePcf)) panelError = zen::savePanelFile(z, file);
      if (parser.isSet(check)) overlaps = zen::overlapReport(z);
    };
    std::size_t framesWritten = 0;
    if (!o.frameSeconds.empty()) {
      o.onFrame = [&](std::size_t i, const zen::Screen& shown) {
        if (frameError) return;
        char name[32];
        std::snprintf(name, sizeof name, "frame-%05zu.png", i);
        const std::filesystem::path file = frameFolder / name;
        if (auto error = zen::writeScreenPng(shown, file, scale))
          frameError = file.string() + ": " + *error;
        else
          ++framesWritten;
      };
    }
    const auto screen = zen::renderScreen(o);
    for (const auto& p : {player, heldPlayer})
      if (p)
        for (const std::string& report : p->applier().takeReports())
          std::fprintf(stderr, "zenara-render: %s: %s\n", p == player ? scenarioName.c_str() : "held value",
                       report.c_str());
    if (frameError) {
      std::fprintf(stderr, "zenara-render: %s\n", frameError->c_str());
      return 1;
    }
    if (framesWritten != o.frameSeconds.size()) {
      std::fprintf(stderr, "zenara-render: wrote %zu of %zu frames in %s\n", framesWritten,
                   o.frameSeconds.size(), frameFolder.c_str());
      return 1;
    }
    if (!o.frameSeconds.empty()) std::printf("%zu frames in %s\n", framesWritten, frameFolder.c_str());
    if (panelError) {
      std::fprintf(stderr, "zenara-render: %s\n", panelError->c_str());
      return 1;
    }
    if (parser.isSet(output)) {
      const std::string out = parser.value(output).toStdString();
      if (auto error = zen::writeScreenPng(*screen, out, scale)) {
        std::fprintf(stderr, "zenara-render: %s: %s\n", out.c_str(), error->c_str());
        return 1;
      }
    }
    if (parser.isSet(check)) {
      for (const std::string& line : overlaps) std::printf("%s\n", line.c_str());
      if (!overlaps.empty()) return 1;
      std::printf("No overlaps\n");
    }
  } catch (const UsageError& e) {
    std::fprintf(stderr, "zenara-render: %s\nTry zenara-render --help.\n", e.what());
    return 2;
  } catch (const zen::HardwareFault& fault) {
    std::fprintf(stderr, "zenara-render: the simulated instrument stopped: %s\n", fault.what());
    return 1;
  }
  return 0;
}
