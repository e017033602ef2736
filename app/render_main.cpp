// zenara-render: runs the instrument's firmware headless in simulated time
// and writes its screen as a PNG, to document panels. Needs no display.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QGuiApplication>
#include <QStringList>
#include <array>
#include <cstdio>
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

double seconds(const QString& option, const QString& text) {
  bool ok = false;
  const double value = text.toDouble(&ok);
  if (!ok || value < 0 || value > MaxSeconds)
    throw UsageError(QStringLiteral("%1: expected seconds from 0 to %2, got \"%3\"")
                         .arg(option)
                         .arg(MaxSeconds)
                         .arg(text)
                         .toStdString());
  return value;
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
  const QCommandLineOption staticCounts("static", "Static pressure reading 0..4095, e.g. --static 3346.",
                                        "COUNTS");
  const QCommandLineOption pitotCounts("pitot", "Pitot pressure reading 0..4095, e.g. --pitot 1200.",
                                       "COUNTS");
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
  parser.addOptions({output, e2, pcf, page, staticCounts, pitotCounts, engine, bank, pitch, heading, turn,
                     slip, at, keys, zoom, savePcf, version, check, sheet});
  zen::parseCommandLineOrExit(parser, app, "zenara-render");  // --help and errors end here

  if (parser.isSet(version)) {
    std::printf("zenara-render %s\nfirmware %s\n", ZENARA_VERSION, zen::FirmwareVersion);
    return 0;
  }
  try {
    if (!parser.positionalArguments().isEmpty())
      throw UsageError(
          ("unexpected argument \"" + parser.positionalArguments().first() + "\"").toStdString());
    if (!parser.isSet(output) && !parser.isSet(check) && !parser.isSet(sheet))
      throw UsageError("-o OUT.png is required");

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
      o.staticCounts =
          static_cast<std::uint16_t>(wholeNumber("--static", parser.value(staticCounts), 0, 4095));
    if (parser.isSet(pitotCounts))
      o.pitotCounts = static_cast<std::uint16_t>(wholeNumber("--pitot", parser.value(pitotCounts), 0, 4095));
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
    o.atSeconds = seconds("--at", parser.value(at));
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
    const auto screen = zen::renderScreen(o);
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
