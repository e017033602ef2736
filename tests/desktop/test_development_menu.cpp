// The development menu's commands on a running simulator: each writes its
// file, through the dialogs, and reports what it could not write.
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

#include "desktop/development_menu.h"
#include "desktop/main_window.h"
#include "files/developer_exports.h"
#include "files/panel_settings.h"
#include "firmware/core/instrument.h"
#include "firmware/core/settings_store.h"
#include "support/fake_instrument.h"
#include "support/recording_dialogs.h"
#include "support/screen_probe.h"
#include "support/test_files.h"

using namespace zen;

namespace {

std::string readText(const std::filesystem::path& path) {
  const auto bytes = test::readBytes(path);
  return {bytes.begin(), bytes.end()};
}

struct Rig {
  explicit Rig(const QString& device = "/nonexistent/tty") {
    std::ofstream(folder / "SM.INI") << "[General]\r\nPORT=1\r\n[Devices]\r\nCOM1=" << device.toStdString()
                                     << "\r\n";
    std::ofstream(folder / "QMXTRV.K47");
    dialogs.expect("Comms port COM1 is not available, please use \"setup\" to choose an available port.");
    window = std::make_unique<TForm1>(TForm1::Options{folder, 1, &dialogs, nullptr});
  }
  void trigger(const char* name) { window->developmentMenu()->findChild<QAction*>(name)->trigger(); }
  Instrument& z() { return window->instrument(); }

  QTemporaryDir dir;
  std::filesystem::path folder = dir.path().toStdString();
  test::RecordingDialogs dialogs;
  std::unique_ptr<TForm1> window;
};

}  // namespace

class DevelopmentMenuTest : public QObject {
  Q_OBJECT

 private slots:
  void exportsNeedTheRunningSimulationButTheE2RomFileDoesNot() {
    Rig rig;
    QStringList captions;
    for (QAction* a : rig.window->developmentMenu()->actions()) captions << a->text();
    QCOMPARE(captions,
             (QStringList{"Save EMS page 1", "Save EMS page 2", "Save PFlight page 1", "Save PFlight page 2",
                          "Save positions", "Make E2 ROM file", "Dump RAM"}));
    rig.dialogs.expect(SimulationNotRunningMessage);
    for (const char* name : {"Button9", "Button12", "Button6"}) rig.trigger(name);
    QCOMPARE(rig.dialogs.shown().count(SimulationNotRunningMessage), 3);
    QVERIFY(!std::filesystem::exists(rig.folder / ItemLocationsFile));
    rig.z().e2.bytes.fill(0x11);
    rig.trigger("Button7");
    const auto e2 = test::readBytes(rig.folder / "e2.rom");
    QCOMPARE(e2.at(4095), std::uint8_t(0xFF));
    QTRY_VERIFY(rig.dialogs.allExpectedShown());
  }

  // A fresh folder: no e2.rom, so the image in memory is empty until the defaults are made.
  void defaultsMadeBeforeSwitchOnAreThePanelShown() {
    Rig rig;
    rig.trigger("Button7");
    const auto e2 = test::readBytes(rig.folder / "e2.rom");
    QVERIFY(std::equal(e2.begin(), e2.end(), rig.z().e2.bytes.begin()));
    QSignalSpy finished(rig.window.get(), &TForm1::finished);
    bool empty = true;
    QTimer::singleShot(0, rig.window.get(), &TForm1::Button1Click);
    QTimer::singleShot(3000, rig.window.get(), [&] {
      empty = test::textCellMatches(rig.z().screen, 9, 80, "No instruments enabled", true);
      rig.window->close();
    });
    QVERIFY(QTest::qWaitFor([&] { return finished.count() == 1; }, 20000));
    QVERIFY(!empty);
    QVERIFY(std::equal(e2.begin(), e2.begin() + imageLength, rig.z().e2.bytes.begin()));
  }

  void everyExportWritesItsFileOnTheRunningSimulator() {
    Rig rig;
    buildImageFromDefaults(rig.z(), true);
    QTemporaryDir elsewhere;
    const std::filesystem::path other = elsewhere.path().toStdString();
    const auto missing = other / "gone" / "PF.pas";
    rig.dialogs.answerSave(QString::fromStdString((other / "ENG1").string()));
    rig.dialogs.answerSave(QString::fromStdString((other / "ENG2.pas").string()));
    rig.dialogs.answerSave(QString::fromStdString((other / "PF1.pas").string()));
    rig.dialogs.answerSave(QString::fromStdString(missing.string()));
    rig.dialogs.answerSave(QString());  // cancelled
    QSignalSpy finished(rig.window.get(), &TForm1::finished);
    rig.window->show();
    QTimer::singleShot(0, rig.window.get(), &TForm1::Button1Click);
    QStringList shown;
    QTimer::singleShot(3500, rig.window.get(), [&] {
      for (const char* name : {"Button9", "Button11", "Button10", "Button12", "Button12", "Button6"})
        rig.trigger(name);
      shown = rig.dialogs.shown();
      rig.window->close();
    });
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);

    const Settings& s = rig.z().settings;
    QCOMPARE(readText(other / "ENG1.pas"), engineMonitorPresetSource(s, 0, "ENG1"));
    QCOMPARE(readText(other / "ENG2.pas"), engineMonitorPresetSource(s, 1, "ENG2"));
    QCOMPARE(readText(other / "PF1.pas"), flightPresetSource(s, 0, "PF1"));
    QCOMPARE(readText(rig.folder / ItemLocationsFile), itemLocationsSource(s, ""));
    QCOMPARE(readText(rig.folder / E2ItemLocationsFile), itemLocationsSource(s, "E2"));
    // The loaded panel, not an empty one.
    QVERIFY(readText(rig.folder / ItemLocationsFile).find("(X:15;Y:0)") != std::string::npos);
    QCOMPARE(shown.size(), 2);
    QVERIFY(shown[1].startsWith(QString::fromStdString(missing.string()) + ": "));
  }

  void viewRamShowsTheInstrumentsByteOrKeepsItsText() {
    // The fake answers Read RAM with the low byte of each address.
    test::FakeInstrument fake;
    QVERIFY(!fake.device().isEmpty());
    Rig rig(fake.device());
    rig.trigger("DumpRAM1");
    TForm9* form = rig.window->developmentCommands()->viewRamWindow();
    QVERIFY(form->isVisible());
    QCOMPARE(form->windowTitle(), QString("View RAM"));
    QCOMPARE(form->button()->text(), QString("Button1"));
    QCOMPARE(form->edit()->text(), QString("Edit1"));
    form->button()->click();
    QCOMPARE(form->edit()->text(), QString("77"));
    QTRY_COMPARE(fake.count("read-ram 0277 1"), 1);

    form->edit()->setText("kept");
    fake.command("fault no-reply");
    QTest::qWait(300);
    QElapsedTimer clock;
    clock.start();
    form->button()->click();
    QCOMPARE(form->edit()->text(), QString("kept"));
    // Five tries, 50 ticks each.
    QVERIFY2(clock.elapsed() > 5 * 1200, qPrintable(QString::number(clock.elapsed())));
  }
};

QTEST_MAIN(DevelopmentMenuTest)
#include "test_development_menu.moc"
