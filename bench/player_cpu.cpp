// Processor time of the window playing the circuit at x16: the main window
// with the default panel switched on, the player at its fastest, measured
// over 20 s of play (user plus system time of the whole process).
//   QT_QPA_PLATFORM=offscreen build/bench/zenara_player_cpu   (or under xvfb-run)
#include <sys/resource.h>

#include <QAction>
#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <fstream>

#include "desktop/main_window.h"
#include "desktop/scenario_window.h"
#include "firmware/core/settings_store.h"
#include "link/usb_bridge.h"

namespace {

class QuietDialogs : public zen::Dialogs {
 public:
  void showMessage(const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
  QString openFileName(const QString&, const QString&) override { return {}; }
  QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
};

double processorSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](timeval t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QTemporaryDir folder;
  const std::filesystem::path path = folder.path().toStdString();
  {
    const zen::SettingsImage defaults = zen::imageFromDefaults(zen::Settings{});
    std::ofstream(path / "e2.rom", std::ios::binary)
        .write(reinterpret_cast<const char*>(defaults.bytes.data()), defaults.bytes.size());
    // No serial port at all: the measurement is the player's.
    std::ofstream(path / "SM.INI", std::ios::binary)
        << "[General]\r\nPORT=1\r\n[Devices]\r\nCOM1=/dev/null\r\n";
  }
  QuietDialogs dialogs;
  zen::NoUsbBridge noUsb;
  zen::TForm1 window(zen::TForm1::Options{path, 1, &dialogs, &noUsb, nullptr, {}});
  window.show();
  QTimer::singleShot(0, &window, &zen::TForm1::Button1Click);

  constexpr int WarmUpMs = 6000, MeasureMs = 20000;
  double startCpu = 0;
  std::chrono::steady_clock::time_point startWall;
  QTimer::singleShot(WarmUpMs, &window, [&] {
    window.findChild<QAction*>("Playflightscenario1")->trigger();
    auto* player = window.findChild<zen::ScenarioWindow*>();
    if (!player->load(ZENARA_SOURCE_DIR "/examples/circuit.csv")) std::exit(1);
    player->setSpeed(16);
    player->play();
    startCpu = processorSeconds();
    startWall = std::chrono::steady_clock::now();
  });
  QTimer::singleShot(WarmUpMs + MeasureMs, &window, [&] {
    const double cpu = processorSeconds() - startCpu;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - startWall).count();
    const double scenario = window.findChild<zen::ScenarioWindow*>()->time();
    std::printf("x16: %.1f %% of one core (%.2f s processor time in %.1f s; scenario at %.0f s)\n",
                100 * cpu / wall, cpu, wall, scenario);
    window.close();
  });
  QObject::connect(&window, &zen::TForm1::finished, &app, &QCoreApplication::quit, Qt::QueuedConnection);
  return app.exec();
}
