// The panel commands of the main window's File and Connect menus, and the
// zenara-panel program, with zenara-fake-instrument on a pseudo-terminal.
#include <QAction>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <functional>

#include "desktop/development_menu.h"
#include "desktop/main_window.h"
#include "desktop/panel_commands.h"
#include "files/panel_file.h"
#include "support/fake_host.h"
#include "support/fake_instrument.h"
#include "support/main_window_rig.h"
#include "support/panel_program.h"
#include "support/panel_samples.h"
#include "support/screen_probe.h"
#include "support/test_files.h"

using namespace zen;
using test::allItems;
using test::readBytes;
using Bytes = std::vector<std::uint8_t>;
using Items = std::vector<Bytes>;

namespace {

// Items 0..6 as they were, 7..64 as the panel's.
Items expectedItems(const Items& before, const Items& panel) {
  Items items = panel;
  std::copy(before.begin(), before.begin() + FirstPanelItem, items.begin());
  return items;
}

Bytes panelPart(const Bytes& e2) {
  return {e2.begin() + 4 + PanelSettingsOffset, e2.begin() + 4 + imageLength};
}

struct Rig : test::MainWindowRig {
  explicit Rig(const QString& device = "/nonexistent/tty") : MainWindowRig({device}) {}
  void trigger(const char* action) { window->findChild<QAction*>(action)->trigger(); }
  Instrument& z() { return window->instrument(); }
  QStringList status() const { return window->panelCommands()->statusWindow()->lines(); }
  bool statusShown() const { return window->panelCommands()->statusWindow()->isVisible(); }
  // Runs the scenario once the instrument is on, then closes the window.
  bool whileSwitchedOn(const std::function<void()>& scenario) {
    QTimer::singleShot(0, window.get(), &TForm1::Button1Click);
    QTimer::singleShot(3000, window.get(), [&] {
      scenario();
      window->close();
    });
    return QTest::qWaitFor([&] { return finished->count() == 1; }, 90000);
  }
};

using Run = test::PanelRun;
using test::zenaraPanel;

int linesStartingWith(test::FakeInstrument& fake, const QString& start) {
  const QStringList lines = fake.lines();
  return static_cast<int>(
      std::count_if(lines.begin(), lines.end(), [&](const QString& l) { return l.startsWith(start); }));
}

}  // namespace

class PanelCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void fileCommandsSaveLoadAndRefuse() {
    Rig rig;
    rig.trigger("Savepanellayout1");
    QCOMPARE(rig.dialogs.shown().last(), QString(SimulationNotRunningMessage));
    QVERIFY(rig.dialogs.asked().isEmpty());

    const auto file = rig.folder / "cruise.pcf";
    QVERIFY(rig.whileSwitchedOn([&] {
      Instrument& z = rig.z();
      test::makeSamplePanel(z);
      const Items panel = allItems(z);
      rig.dialogs.answerSave(QString::fromStdString((rig.folder / "cruise").string()));
      rig.trigger("Savepanellayout1");
      QCOMPARE(readBytes(file).size(), PanelFileLength);

      test::loadDefaults(z);
      test::makeOwnCalibration(z);
      const Items before = allItems(z);
      z.screen.clearScreen();
      rig.dialogs.answerOpen(QString::fromStdString(file.string()));
      rig.trigger("Loadpanellayout1");
      QVERIFY(allItems(z) == expectedItems(before, panel));
      QVERIFY(test::ink(z.screen) > 500);  // the page was drawn again

      Bytes spoiled = readBytes(file);
      spoiled[0] = 2;
      test::writeBytes(rig.folder / "old.pcf", spoiled);
      test::loadDefaults(z);
      const Items defaults = allItems(z);
      rig.dialogs.answerOpen(QString::fromStdString((rig.folder / "old.pcf").string()));
      rig.trigger("Loadpanellayout1");
      rig.dialogs.answerOpen(QString());  // cancelled
      rig.trigger("Loadpanellayout1");
      QVERIFY(allItems(z) == defaults);
    }));
    QCOMPARE(rig.dialogs.shown().last(), QString(IncompatibleVersionMessage));
    const QString save = QString(PanelCommands::SaveTitle) + " | " + PanelCommands::Filter;
    const QString load = QString(PanelCommands::LoadTitle) + " | " + PanelCommands::Filter;
    QCOMPARE(rig.dialogs.asked(), (QStringList{save, load, load, load}));
    QCOMPARE(
        save,
        QString("Enter filename to save panel configuration file as | Panel configuration file (*.pcf)"));
  }

  void windowTransfersWithTheFakeInstrument() {
    QTemporaryDir unitDir;
    const QString unitE2 = unitDir.filePath("unit.bin");
    test::FakeInstrument fake({"--e2", unitE2});
    QVERIFY(!fake.device().isEmpty());
    Rig rig(fake.device());
    QVERIFY(rig.whileSwitchedOn([&] {
      Instrument& z = rig.z();
      test::makeSamplePanel(z);
      const Items panel = allItems(z);
      const PanelSettings sent = panelSettingsOf(z);
      rig.trigger("DownloadpaneltoOrvex1");
      QCOMPARE(rig.status().size(), 72 + 74 + 1);  // written, read back, and the result
      QVERIFY(rig.statusShown());
      QVERIFY(rig.status().last().startsWith("The panel was written"));
      QVERIFY(panelPart(readBytes(unitE2.toStdString())) == Bytes(sent.begin(), sent.end()));
      QCOMPARE(linesStartingWith(fake, "write-e2"), 36);
      QTRY_COMPARE(fake.count("finish"), 1);

      test::loadDefaults(z);
      test::makeOwnCalibration(z);
      const Items before = allItems(z);
      rig.trigger("UploadpanelfromOrvex1");
      QCOMPARE(rig.status().size(), 74 + 1);
      QVERIFY(rig.statusShown());
      QVERIFY(allItems(z) == expectedItems(before, panel));
      QCOMPARE(readBytes(rig.folder / UploadFileName).size(), UploadLength);

      // A write that gets no answer: five tries, the failure, and Finish all the same.
      fake.command("fault no-reply 3");
      rig.trigger("DownloadpaneltoOrvex1");
      QCOMPARE(rig.status().last(), QString("Data program failed"));
      QVERIFY(rig.statusShown());
      QTRY_COMPARE(fake.count("finish"), 2);
      QCOMPARE(fake.count("fault no-reply"), 5);
      rig.dialogs.answerAsk(1);  // the uploaded panel is not kept
    }));
    QCOMPARE(rig.dialogs.questions().size(), 1);
    QVERIFY(rig.dialogs.unexpected().isEmpty());
    // One word at the end of each transfer: what went where, or what to check.
    const QStringList shown = rig.dialogs.shown();
    QCOMPARE(shown.size(), 3);
    const QString line = "COM1 (" + fake.device() + ")";
    QVERIFY2(shown[0].startsWith("The panel was written into the instrument on " + line),
             qPrintable(shown[0]));
    QVERIFY2(shown[1].startsWith("The panel was read from the instrument on " + line), qPrintable(shown[1]));
    QVERIFY2(shown[2].contains("switched on"), qPrintable(shown[2]));
  }

  // The fake answers nothing, so each request waits its five tries.
  void aBusyLinkSaysWhyNothingHappened() {
    test::FakeInstrument fake({"--fault", "no-reply"});
    Rig rig(fake.device());
    QVERIFY(rig.whileSwitchedOn([&] {
      QTimer::singleShot(300, [&] { rig.trigger("UploadpanelfromOrvex1"); });
      rig.window->developmentCommands()->viewRamWindow()->button()->click();
      QTimer::singleShot(300, [&] { rig.trigger("DownloadpaneltoOrvex1"); });
      rig.trigger("UploadpanelfromOrvex1");
    }));
    QCOMPARE(fake.count("identify"), Link::Tries);
    const QStringList shown = rig.dialogs.shown();
    QCOMPARE(shown.size(), 3);
    QVERIFY2(shown[0].startsWith("The link to the instrument is busy"), qPrintable(shown[0]));
    QCOMPARE(shown[1], QString(PanelCommands::BusyMessage));
    QVERIFY2(shown[2].startsWith("Cannot connect to instrument"), qPrintable(shown[2]));
  }

  void commandLineCarriesAPanelBothWays() {
    QTemporaryDir work;
    const std::filesystem::path folder = work.path().toStdString();
    test::FakeHost host;
    Instrument source(host);
    test::makeSamplePanel(source);
    QCOMPARE(savePanelFile(source, folder / "sample.pcf"), std::nullopt);
    // The simulator's settings, with a flight in its log.
    Instrument simulator(host);
    test::loadDefaults(simulator);
    for (std::size_t i = 768; i < 784; ++i) simulator.e2.bytes[i] = static_cast<std::uint8_t>(i);
    test::writeBytes(folder / "e2.rom", Bytes(simulator.e2.bytes.begin(), simulator.e2.bytes.end()));

    test::FakeInstrument fake({"--e2", work.filePath("unit.bin")});
    const QString dataDir = work.path();
    const QStringList common{"--port", fake.device(), "--data-dir", dataDir};
    const Run down = zenaraPanel(QStringList{"download", "--pcf", work.filePath("sample.pcf")} + common);
    QCOMPARE(down.exitCode, 0);
    QCOMPARE(down.out.size(), 72 + 74 + 1);
    QCOMPARE(down.out.first(), QString("Programming data at 00AH"));
    QVERIFY2(down.out.last().startsWith("The panel was written into the instrument on " + fake.device()),
             qPrintable(down.out.last()));
    QTRY_COMPARE(fake.count("finish"), 1);

    const Run up = zenaraPanel(QStringList{"upload", "--pcf", work.filePath("back.pcf")} + common);
    QCOMPARE(up.exitCode, 0);
    QCOMPARE(up.out.first(), QString("Requesting data from 000H"));
    QVERIFY(readBytes(folder / "back.pcf") == readBytes(folder / "sample.pcf"));

    // Without a panel file the upload goes into e2.rom, keeping calibration and log.
    QCOMPARE(zenaraPanel(QStringList{"upload"} + common).exitCode, 0);
    const Bytes e2 = readBytes(folder / "e2.rom");
    const Bytes expected(simulator.e2.bytes.begin(), simulator.e2.bytes.end());
    QVERIFY(Bytes(e2.begin() + 768, e2.end()) == Bytes(expected.begin() + 768, expected.end()));
    QVERIFY(Bytes(e2.begin(), e2.begin() + PanelSettingsOffset) ==
            Bytes(expected.begin(), expected.begin() + PanelSettingsOffset));
    QVERIFY(Bytes(e2.begin() + PanelSettingsOffset, e2.begin() + imageLength) ==
            panelPart(readBytes(work.filePath("unit.bin").toStdString())));

    // Another model is refused before its memory is touched.
    test::FakeInstrument other({"--ident", "XY260607001"});
    const Run refused = zenaraPanel({"upload", "--port", other.device(), "--data-dir", dataDir});
    QCOMPARE(refused.exitCode, 1);
    QVERIFY2(refused.err.contains("Incompatible instrument connected..."), qPrintable(refused.err));
    QCOMPARE(linesStartingWith(other, "read-e2"), 0);

    // Every option comes with an example.
    const QString help = zenaraPanel({"--help"}).out.join(' ').simplified();
    for (const char* option : {"--port", "--pcf", "--data-dir"})
      QVERIFY2(help.contains(QString("e.g. ") + option + " "), option);
  }
};

QTEST_MAIN(PanelCommandsTest)
#include "test_panel_commands.moc"
