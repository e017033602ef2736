// The main window's everyday commands: the question at close, new settings
// from the defaults, zoom and window places across a restart, the port
// line of a first start, Help and Quit.
#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

#include "desktop/desktop_commands.h"
#include "desktop/main_window.h"
#include "desktop/sensor_windows.h"
#include "files/panel_file.h"
#include "link/qt/cp210x_bridge.h"
#include "sim/program_files.h"
#include "support/main_window_rig.h"
#include "support/panel_samples.h"
#include "support/test_files.h"

using namespace zen;

namespace {

using Bytes = std::vector<std::uint8_t>;

SettingsImage imageOf(const Bytes& bytes) {
  SettingsImage image;
  std::copy(bytes.begin(), bytes.end(), image.bytes.begin());
  return image;
}

struct Rig : test::MainWindowRig {
  Rig() : MainWindowRig({"/nonexistent/tty"}) {}
  void trigger(const char* action) { window->findChild<QAction*>(action)->trigger(); }
  Instrument& z() { return window->instrument(); }
  // Switches on and runs the scenario once the panel pages show.
  void switchedOn(const std::function<void()>& scenario) {
    QTimer::singleShot(0, window.get(), &TForm1::Button1Click);
    QTimer::singleShot(3000, window.get(), scenario);
  }
  bool finishes() {
    return QTest::qWaitFor([&] { return finished->count() == 1; }, 20000);
  }
};

TForm1::Options optionsFor(const std::filesystem::path& folder, Dialogs& dialogs, UsbBridge& usb) {
  return {folder, 0, &dialogs, &usb};
}

}  // namespace

class DesktopCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  // The question comes only for a loaded panel that e2.rom does not hold;
  // Save writes exactly the running settings, Discard and a termination
  // request leave e2.rom, Cancel keeps the window.
  void closeAsksOnlyForUnsavedPanels() {
    struct Case {
      const char* name;
      bool load;
      std::vector<int> answers;  // to the questions, in turn: 0 Save, 1 Discard, 2 Cancel
      bool bySignal;
      bool saved;
    };
    const Case cases[] = {
        {"nothing loaded", false, {}, false, false},
        {"loaded, Save", true, {0}, false, true},
        {"loaded, Discard", true, {1}, false, false},
        {"loaded, Cancel, Discard", true, {2, 1}, false, false},
        {"loaded, terminated", true, {}, true, false},
    };
    for (const Case& c : cases) {
      Rig rig;
      writeDefaultSettingsIfMissing(rig.folder);
      const Bytes defaults = test::readBytes(rig.folder / "e2.rom");
      const std::filesystem::path pcf = rig.folder / "sample.pcf";
      test::makeSamplePanel(rig.z());
      QVERIFY(!savePanelFile(rig.z(), pcf));
      rig.dialogs.answerOpen(QString::fromStdString(pcf.string()));
      for (int answer : c.answers) rig.dialogs.answerAsk(answer);
      rig.switchedOn([&] {
        if (c.load) rig.trigger("Loadpanellayout1");
        QVERIFY(rig.window->windowTitle().startsWith(c.load ? "sample.pcf* - Corvalen" : "Corvalen"));
        for (std::size_t i = 1; i < c.answers.size(); ++i) {
          rig.window->close();  // cancelled
          QVERIFY(rig.window->isVisible());
        }
        c.bySignal ? rig.window->requestTermination() : (void)rig.window->close();
      });
      QVERIFY2(rig.finishes(), c.name);
      QCOMPARE(rig.dialogs.questions().size(), static_cast<qsizetype>(c.answers.size()));
      for (const QString& question : rig.dialogs.questions())
        QVERIFY(question.startsWith("Save the panel into e2.rom? | The panel loaded from " +
                                    QString::fromStdString(pcf.string())) &&
                question.contains(QString::fromStdString((rig.folder / "e2.rom").string())));
      const Bytes e2 = test::readBytes(rig.folder / "e2.rom");
      QVERIFY2(c.saved ? imageHoldsSettings(imageOf(e2), rig.z().settings) && e2 != defaults : e2 == defaults,
               c.name);
    }
  }

  // Asked first; then the defaults, calibration included, run and are in e2.rom.
  void newSettingsFromDefaults() {
    Rig rig;
    test::writeBytes(rig.folder / "e2.rom", Bytes(SettingsImage::Size, 0));
    rig.dialogs.answerAsk(1);
    rig.dialogs.answerAsk(0);
    rig.switchedOn([&] {
      rig.trigger("NewSettingsFromDefaults1");
      QCOMPARE(test::readBytes(rig.folder / "e2.rom"), Bytes(SettingsImage::Size, 0));
      QCOMPARE(int(rig.z().settings.airspeedFactor), 0);
      rig.trigger("NewSettingsFromDefaults1");
      QCOMPARE(rig.window->desktopCommands()->statusText(),
               "Saved the settings in " + QString::fromStdString((rig.folder / "e2.rom").string()));
      // A saved panel file names the window; the settings match e2.rom, so nothing is marked unsaved.
      const QString pcf = QString::fromStdString((rig.folder / "mine.pcf").string());
      rig.dialogs.answerSave(pcf);
      rig.trigger("Savepanellayout1");
      QCOMPARE(rig.window->desktopCommands()->statusText(), "Saved the panel in " + pcf);
      QVERIFY(rig.window->windowTitle().startsWith("mine.pcf - Corvalen"));
      rig.window->close();
    });
    QVERIFY(rig.finishes());
    QCOMPARE(rig.dialogs.questions().size(), 2);
    const SettingsImage e2 = imageOf(test::readBytes(rig.folder / "e2.rom"));
    QVERIFY(e2.bytes == imageFromDefaults(Settings{}).bytes);
    QVERIFY(imageHoldsSettings(e2, rig.z().settings));
    QVERIFY(rig.z().settings.airspeedFactor != 0);
  }

  void zoomAndPlacesSurviveARestart() {
    QTemporaryDir dir;
    const std::filesystem::path folder = dir.path().toStdString();
    test::RecordingDialogs dialogs;
    dialogs.allowAnything();
    NoUsbBridge usb;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    {
      TForm1 window(optionsFor(folder, dialogs, usb));
      // The offscreen screen is 800 x 600: two thirds of it hold zoom 1 only.
      QCOMPARE(window.zoom(), 1);
      window.findChild<QAction*>("Zoom3")->trigger();
      QCOMPARE(window.centralWidget()->size(), QSize(615 * 3, 426 * 3));
      QCOMPARE(window.findChild<QWidget*>("Image2")->geometry(), QRect(147 * 3, 88 * 3, 330 * 3, 250 * 3));
      window.show();
      window.move(screen.topLeft() + QPoint(30, 40));
      window.pressureWindow()->show();
      window.pressureWindow()->move(screen.topLeft() + QPoint(120, 70));
      QSignalSpy finished(&window, &TForm1::finished);
      window.close();
      QTRY_COMPARE(finished.count(), 1);
    }
    {
      TForm1 window(optionsFor(folder, dialogs, usb));
      QCOMPARE(window.zoom(), 3);
      QVERIFY(window.findChild<QAction*>("Zoom3")->isChecked());
      QCOMPARE(window.pos(), screen.topLeft() + QPoint(30, 40));
      QCOMPARE(window.pressureWindow()->pos(), screen.topLeft() + QPoint(120, 70));
      window.requestTermination();
    }
    // A place on a screen that is gone comes back onto this one.
    const Bytes bytes = test::readBytes(folder / "SM.INI");
    std::string ini(bytes.begin(), bytes.end());
    ini.replace(ini.find("PressureLeft="), 13, "PressureLeft=-9");
    std::ofstream(folder / "SM.INI", std::ios::binary) << ini;
    TForm1 window(optionsFor(folder, dialogs, usb));
    QVERIFY(screen.contains(window.pressureWindow()->pos()));
  }

  void zoomAndPlaceRules() {
    const QSize client(615, 426), frame(0, 50);
    QCOMPARE(DesktopCommands::fittingZoom({800, 600}, client, frame), 1);
    QCOMPARE(DesktopCommands::fittingZoom({1920, 1050}, client, frame), 1);
    QCOMPARE(DesktopCommands::fittingZoom({2560, 1400}, client, frame), 2);
    QCOMPARE(DesktopCommands::fittingZoom({3840, 2110}, client, frame), 3);
    QCOMPARE(DesktopCommands::fittingZoom({7680, 4320}, client, frame), 4);
    const QList<QRect> screens{{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
    const QSize size(600, 400);
    struct Case {
      QPoint pos, expected;
    };
    for (const Case& c :
         {Case{{100, 100}, {100, 100}}, Case{{2500, 600}, {2500, 600}}, Case{{-5000, 100}, {0, 100}},
          Case{{3180, 100}, {1320, 100}}, Case{{300, 1070}, {300, 680}}, Case{{300, -30}, {300, 0}}})
      QCOMPARE(DesktopCommands::onScreen(c.pos, size, screens), c.expected);
  }

  // No port chosen yet: no message, a status line instead. Help and Quit.
  void firstStartHelpAndQuit() {
    QTemporaryDir dir;
    const std::filesystem::path folder = dir.path().toStdString();
    std::ofstream(folder / "SM.INI") << "[Devices]\r\nCOM1=/nonexistent/tty\r\n";
    test::RecordingDialogs dialogs;
    NoUsbBridge usb;
    TForm1 window({folder, 1, &dialogs, &usb});
    window.show();
    QTest::qWait(50);
    QVERIFY(dialogs.shown().isEmpty());
    QCOMPARE(window.desktopCommands()->portStatusText(), QString(DesktopCommands::NoPortStatus));

    dialogs.allowAnything();
    for (const char* help : {"HelpKeyboardkeys", "HelpProgramfiles", "HelpAbout"})
      window.findChild<QAction*>(help)->trigger();
    QCOMPARE(dialogs.shown().size(), 3);
    QVERIFY(dialogs.shown()[0].contains("\nMENU: M or Esc\nSELECT: Enter\n"));
    QVERIFY(dialogs.shown()[1].contains(dir.path()));
    QVERIFY(dialogs.shown()[2].contains("Simulated firmware version 260607X"));

    QAction* quit = window.findChild<QAction*>("Quit1");
    QCOMPARE(quit->shortcut(), QKeySequence("Ctrl+Q"));
    QSignalSpy finished(&window, &TForm1::finished);
    quit->trigger();
    QTRY_COMPARE(finished.count(), 1);
    // Still no port chosen for the next start.
    const Bytes ini = test::readBytes(folder / "SM.INI");
    QVERIFY(std::string(ini.begin(), ini.end()).find("PORT=") == std::string::npos);
  }
};

QTEST_MAIN(DesktopCommandsTest)
#include "test_desktop_commands.moc"
