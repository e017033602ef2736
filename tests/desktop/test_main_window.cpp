// The main window on the offscreen platform: caption, menus, keys, the
// alarm lamp, and closing in every state.
#include <QApplication>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QMenuBar>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

#include "desktop/bezel_keys.h"
#include "desktop/main_window.h"
#include "desktop/termination.h"
#include "sim/ini_file.h"
#include "support/recording_dialogs.h"

using namespace zen;

namespace {

class PresentUsbBridge : public UsbBridge {
 public:
  int deviceCount() override { return 1; }
  int open(int) override {
    opened = true;
    return 0;
  }
  void setBaudRate(std::uint32_t b) override { baud = b; }
  void flushBuffers() override { flushed = true; }
  void close() override { closed = true; }
  bool isOpen() const override { return opened && !closed; }
  bool write(std::span<const std::uint8_t>) override { return isOpen(); }
  bool opened = false, flushed = false, closed = false;
  std::uint32_t baud = 0;
};

std::filesystem::path folderOf(const QTemporaryDir& dir) { return dir.path().toStdString(); }

void writeText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::string readText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Names in the folder that equal name regardless of letter case.
QStringList spellingsOf(const std::filesystem::path& folder, const QString& name) {
  QStringList found;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const QString candidate = QString::fromStdString(entry.path().filename().string());
    if (candidate.compare(name, Qt::CaseInsensitive) == 0) found << candidate;
  }
  return found;
}

// Keeps the start-up free of the port message: COM1 names a device that cannot exist.
void noComPort(const std::filesystem::path& folder) {
  writeText(folder / "SM.INI", "[General]\r\nPORT=1\r\n[Devices]\r\nCOM1=/nonexistent/tty\r\n");
}

// A main window on a fresh program folder. By default COM1 cannot open and
// every message is allowed; tests that check messages set up their own.
struct Rig {
  explicit Rig(const std::string& ini = "", UsbBridge* usb = nullptr) {
    if (ini.empty())
      noComPort(folder);
    else
      writeText(folder / "SM.INI", ini);
    dialogs.allowAnything();
    window = std::make_unique<TForm1>(TForm1::Options{folder, 1, &dialogs, usb});
  }
  QTemporaryDir dir;
  std::filesystem::path folder = folderOf(dir);
  test::RecordingDialogs dialogs;
  std::unique_ptr<TForm1> window;
};

// Switches the instrument on, closes the window after closeAfterMs and
// returns how long the close took.
qint64 switchOnAndClose(TForm1& window, int closeAfterMs) {
  QSignalSpy finished(&window, &TForm1::finished);
  window.show();
  QElapsedTimer clock;
  QTimer::singleShot(0, &window, &TForm1::Button1Click);
  QTimer::singleShot(closeAfterMs, &window, [&] {
    clock.start();
    window.close();
  });
  if (!QTest::qWaitFor([&] { return finished.count() == 1; }, 10000)) return -1;
  return clock.elapsed();
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void captionWithoutUsb() {
    QTemporaryDir dir;
    noComPort(folderOf(dir));
    test::RecordingDialogs dialogs;
    dialogs.expect("Comms port COM1 is not available, please use \"setup\" to choose an available port.");
    TForm1 window({folderOf(dir), 1, &dialogs, nullptr});
    QCOMPARE(window.windowTitle(), QString("Corvalen Orvex Zenara panel designer. Firmware version 260607X"));
    QVERIFY(!window.usbMode());
    // Once the window shows, not before.
    QVERIFY(dialogs.shown().isEmpty());
    window.show();
    QTRY_VERIFY(dialogs.allExpectedShown());
  }

  void captionWithUsbAndNoComPort() {
    QTemporaryDir dir;
    noComPort(folderOf(dir));
    test::RecordingDialogs dialogs;  // no port message: the port is not opened at all
    PresentUsbBridge usb;
    TForm1 window({folderOf(dir), 1, &dialogs, &usb});
    QVERIFY(window.windowTitle().endsWith(" USB"));
    QVERIFY(window.usbMode());
    QVERIFY(usb.opened && usb.flushed);
    QCOMPARE(usb.baud, 19200u);
    QVERIFY(!window.serialPort()->isOpen());
    QVERIFY(dialogs.unexpected().isEmpty());
  }

  void portOutOfRangeSelectsCom1() {
    for (const char* port : {"0", "9", "abc"}) {
      QTemporaryDir dir;
      writeText(folderOf(dir) / "sm.ini",
                std::string("[general]\r\nport=") + port + "\r\n[Devices]\r\nCOM1=/nonexistent/tty\r\n");
      test::RecordingDialogs dialogs;
      dialogs.expect("Comms port COM1 is not available, please use \"setup\" to choose an available port.");
      TForm1 window({folderOf(dir), 1, &dialogs, nullptr});
      QCOMPARE(window.comPort(), 1);
      QTRY_VERIFY2(dialogs.allExpectedShown(), port);
    }
  }

  void developmentMenuFollowsTheMarkerFile() {
    for (bool marker : {false, true}) {
      QTemporaryDir dir;
      noComPort(folderOf(dir));
      if (marker) writeText(folderOf(dir) / "QMXTRV.K47", "");
      test::RecordingDialogs dialogs;
      dialogs.allowAnything();
      TForm1 window({folderOf(dir), 1, &dialogs, nullptr});
      QCOMPARE(window.developmentMenu()->menuAction()->isVisible(), marker);
    }
  }

  void menuGroups() {
    Rig rig;
    TForm1& window = *rig.window;
    QStringList titles;
    for (QAction* a : window.menuBar()->actions()) titles << a->text();
    QCOMPARE(titles,
             (QStringList{"&File", "&View", "&Simulate", "&Connect", "&Design", "&Development", "&Help"}));
    QCOMPARE(window.centralWidget()->size(), QSize(615, 426));
    auto* screen = window.findChild<QWidget*>("Image2");
    QVERIFY(screen);
    QCOMPARE(screen->geometry(), QRect(147, 88, 330, 250));
  }

  void leftButtonPressesKeysRightButtonDoesNothing() {
    Rig rig;
    TForm1& window = *rig.window;
    window.instrument().keyBits = 0xFF;
    auto* top = window.findChild<QWidget*>("Shape6");
    QVERIFY(top);
    QCOMPARE(top->cursor().shape(), Qt::PointingHandCursor);
    QTest::mousePress(top, Qt::RightButton);
    QCOMPARE(window.instrument().keyBits, std::uint8_t(0xFF));
    QTest::mouseRelease(top, Qt::RightButton);
    QTest::mousePress(top, Qt::LeftButton);
    QCOMPARE(window.instrument().keyBits, std::uint8_t(0xFE));
    QTest::mouseRelease(top, Qt::LeftButton);
    QCOMPARE(window.instrument().keyBits, std::uint8_t(0xFF));
    auto* leftBottom = window.findChild<QWidget*>("Shape5");
    QTest::mousePress(leftBottom, Qt::LeftButton);
    QCOMPARE(window.instrument().keyBits, std::uint8_t(0x7F));
    QTest::mouseRelease(leftBottom, Qt::LeftButton);
  }

  void keyboardDrivesTheSameKeys() {
    Rig rig;
    TForm1& window = *rig.window;
    window.instrument().keyBits = 0xFF;
    QTest::keyPress(&window, Qt::Key_Down);
    QCOMPARE(window.instrument().keyBits, std::uint8_t(0x7F));
    QTest::keyRelease(&window, Qt::Key_Down);
    QTest::keyPress(&window, Qt::Key_M);
    QTRY_COMPARE(window.instrument().keyBits, std::uint8_t(0xFE));
    QTest::keyRelease(&window, Qt::Key_M);
    QTRY_COMPARE(window.instrument().keyBits, std::uint8_t(0xFF));
    QVERIFY(window.findChild<QWidget*>("Shape6")->toolTip().contains("M"));
    // A key still held when the focus leaves the window is let go.
    QTest::keyPress(&window, Qt::Key_Equal);
    QTest::keyPress(&window, Qt::Key_N);
    QCOMPARE(window.instrument().keyBits, std::uint8_t(0xEB));
    QFocusEvent focusOut(QEvent::FocusOut);
    QApplication::sendEvent(&window, &focusOut);
    QCOMPARE(window.instrument().keyBits, std::uint8_t(0xFF));
  }

  // The system's auto-repeat may come as releases and presses not marked as
  // repeats: the key stays down, as a bezel key held with the mouse does.
  void heldKeyboardKeyStaysDownThroughTheSystemsRepeat() {
    Rig rig;
    TForm1& window = *rig.window;
    window.instrument().keyBits = 0xFF;
    QTest::keyPress(&window, Qt::Key_Equal);
    for (int repeat = 0; repeat < 10; ++repeat) {
      QTest::qWait(30);
      QTest::keyRelease(&window, Qt::Key_Equal);
      QCoreApplication::processEvents();
      QCOMPARE(window.instrument().keyBits, std::uint8_t(0xEF));
      QTest::keyPress(&window, Qt::Key_Equal);
    }
    QTest::keyRelease(&window, Qt::Key_Equal);
    QTRY_COMPARE(window.instrument().keyBits, std::uint8_t(0xFF));
  }

  // A dialog that takes the activation takes the releases too: every key
  // held, from the mouse or the keyboard, goes up; a release that follows
  // from a press the window never saw changes nothing.
  void keysGoUpWhenTheWindowLosesTheActivation() {
    Rig rig;
    TForm1& window = *rig.window;
    window.instrument().keyBits = 0xFF;
    QTest::keyPress(&window, Qt::Key_Return);
    QTest::mousePress(window.findChild<QWidget*>("Shape6"), Qt::LeftButton);
    QCOMPARE(window.instrument().keyBits, std::uint8_t(0xFC));
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(&window, &deactivate);
    QCOMPARE(window.instrument().keyBits, std::uint8_t(0xFF));
    QTest::mouseRelease(window.findChild<QWidget*>("Shape6"), Qt::LeftButton);
    QTest::keyRelease(&window, Qt::Key_Return);
    QTest::mousePress(window.findChild<QWidget*>("Shape6"), Qt::LeftButton);
    QCOMPARE(window.instrument().keyBits, std::uint8_t(0xFE));
    QTest::mouseRelease(window.findChild<QWidget*>("Shape6"), Qt::LeftButton);
    QCOMPARE(window.instrument().keyBits, std::uint8_t(0xFF));
  }

  // A key is down while the mouse or the keyboard holds it; each change is
  // signalled once, and keys outside the eight change nothing.
  void bezelKeysAreDownWhileEitherSourceHoldsThem() {
    BezelKeys keys;
    QSignalSpy changes(&keys, &BezelKeys::keyChanged);
    keys.press(2, BezelKeys::Mouse);
    keys.press(2, BezelKeys::Keyboard);
    keys.release(2, BezelKeys::Mouse);
    QVERIFY(keys.isDown(2));
    keys.release(2, BezelKeys::Keyboard);
    QVERIFY(keys.isDown(2));  // for the release grace
    QTRY_VERIFY(!keys.isDown(2));
    keys.release(5, BezelKeys::Mouse);
    keys.press(-1, BezelKeys::Mouse);
    keys.press(8, BezelKeys::Keyboard);
    QVERIFY(!keys.isDown(-1) && !keys.isDown(8));
    keys.press(7, BezelKeys::Keyboard);
    keys.release(7, BezelKeys::Mouse);  // the mouse does not hold it
    QVERIFY(keys.isDown(7));
    keys.release(7, BezelKeys::Keyboard);
    keys.letGo();  // before the grace ran out: no second release comes later
    QVERIFY(!keys.isDown(7));
    QTest::qWait(2 * BezelKeys::ReleaseGraceMs);
    QList<QList<QVariant>> seen(changes.begin(), changes.end());
    const QList<QList<QVariant>> expected{{2, true}, {2, false}, {7, true}, {7, false}};
    QCOMPARE(seen, expected);
  }

  void alarmLampColours() {
    Rig rig;
    TForm1& window = *rig.window;
    auto* lamp = window.findChild<AlarmLamp*>("Shape11");
    QVERIFY(lamp);
    QCOMPARE(lamp->brushColour(), QColor(128, 0, 0));
    window.host().setAlarmLed(true);
    QCOMPARE(lamp->brushColour(), QColor(255, 0, 0));
  }

  void closeBeforeSwitchOnWritesBothFiles() {
    QTemporaryDir dir;
    const auto folder = folderOf(dir);
    writeText(
        folder / "SM.INI",
        "; kept comment\r\n[General]\r\nPORT=3\r\n[Devices]\r\nCOM3=/nonexistent/tty\r\n[Other]\r\nx=1\r\n");
    test::RecordingDialogs dialogs;
    dialogs.allowAnything();
    TForm1 window({folder, 1, &dialogs, nullptr});
    window.instrument().rtc.bytes[100] = 0x42;
    QSignalSpy finished(&window, &TForm1::finished);
    window.show();
    QVERIFY(window.close());
    QCOMPARE(finished.count(), 1);
    const std::string rtc = readText(folder / "RTC.ram");
    QCOMPARE(rtc.size(), std::size_t(256));
    QCOMPARE(static_cast<unsigned char>(rtc[100]), 0x42);
    const std::string ini = readText(folder / "SM.INI");
    QVERIFY(ini.starts_with("; kept comment\r\n[General]\r\nPORT=3\r\n"));
    QVERIFY(ini.find("[Other]\r\nx=1\r\n") != std::string::npos);
    QVERIFY(ini.find("[settings]\r\nSlider1=100\r\n") != std::string::npos);
    QVERIFY(ini.find("Slider21=100\r\n") != std::string::npos);
    QVERIFY(ini.find("[settings2]\r\nSlider1=500\r\nSlider2=500\r\n") != std::string::npos);
  }

  void closeWhileRunningEndsPromptly() {
    Rig rig;
    const qint64 took = switchOnAndClose(*rig.window, 3500);
    QVERIFY2(took >= 0 && took < 500, qPrintable(QString::number(took)));
    QVERIFY(std::filesystem::exists(rig.folder / "RTC.ram"));
    QVERIFY(!rig.window->host().firmwareActive());
  }

  void closeDuringBlankPauseAndWelcomeEndsPromptly() {
    for (int closeAfterMs : {100, 1200}) {
      Rig rig;
      const qint64 took = switchOnAndClose(*rig.window, closeAfterMs);
      QVERIFY2(took >= 0 && took < 500, qPrintable(QString::number(took)));
      QVERIFY(std::filesystem::exists(rig.folder / "SM.INI"));
      QVERIFY(std::filesystem::exists(rig.folder / "RTC.ram"));
    }
  }

  // SM.INI names a port that cannot be opened: the port message is open
  // over the shown window when the termination request comes.
  void terminationDuringTheStartupMessageWritesBothFiles() {
    QTemporaryDir dir;
    const auto folder = folderOf(dir);
    noComPort(folder);
    test::RecordingDialogs dialogs;
    dialogs.allowAnything();
    dialogs.modal();
    TerminationSignals termination;
    QTimer::singleShot(300, &termination, [&] { emit termination.requested(); });
    TForm1 window({folder, 1, &dialogs, nullptr, &termination});
    QSignalSpy finished(&window, &TForm1::finished);
    window.show();  // the box opens over the shown window
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 1000);
    QVERIFY(dialogs.shown().first().startsWith("Comms port COM1 is not available"));
    // The clock ran while the box was open.
    QVERIFY(window.instrument().tick.halfSecondCount * 20 + window.instrument().tick.tickCount >= 8);
    QCOMPARE(readText(folder / "RTC.ram").size(), std::size_t(256));
    QVERIFY(readText(folder / "SM.INI").find("[settings2]") != std::string::npos);
    QVERIFY(dialogs.unexpected().isEmpty());
  }

  // RTC.ram cannot be written at close. The user is told, but a termination
  // request while the box is open still ends the program; a termination
  // request in the first place tells standard error instead.
  void saveErrorAtCloseDoesNotKeepTheProgramAlive() {
    for (bool bySignal : {false, true}) {
      Rig rig;
      rig.dialogs.modal();
      TForm1& window = *rig.window;
      std::filesystem::create_directory(rig.folder / "RTC.ram");  // a rename cannot replace it
      QSignalSpy finished(&window, &TForm1::finished);
      window.show();
      if (bySignal) {
        window.requestTermination();
      } else {
        QTimer::singleShot(100, &window, [&] { window.requestTermination(); });
        window.close();
      }
      QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 1000);
      QVERIFY(window.saveFailed());
      const bool toldInABox = rig.dialogs.shown().filter("RTC.ram").size() == 1;
      QCOMPARE(toldInABox, !bySignal);
      QVERIFY2(rig.dialogs.unexpected().isEmpty(), qPrintable(rig.dialogs.unexpected().join('|')));
      QVERIFY(readText(rig.folder / "SM.INI").find("[settings2]") != std::string::npos);
    }
  }

  // A settings file the program could not read is left byte for byte.
  void unreadableIniIsLeftAsItIs() {
    const std::string huge = "; mine\r\n[Devices]\r\nCOM1=/nonexistent/tty\r\n" + std::string(1 << 20, ';');
    for (bool asFolder : {false, true}) {
      QTemporaryDir dir;
      const auto folder = folderOf(dir);
      if (asFolder)
        std::filesystem::create_directory(folder / "SM.INI");
      else
        writeText(folder / "SM.INI", huge);
      test::RecordingDialogs dialogs;
      dialogs.allowAnything();
      TForm1 window({folder, 1, &dialogs, nullptr});
      QVERIFY(!dialogs.shown().filter("SM.INI").isEmpty());
      QVERIFY(window.close());
      if (asFolder)
        QVERIFY(std::filesystem::is_directory(folder / "SM.INI") &&
                std::filesystem::is_empty(folder / "SM.INI"));
      else
        QVERIFY(readText(folder / "SM.INI") == huge);
      QVERIFY(std::filesystem::exists(folder / "RTC.ram"));
    }
  }

  // A first run creates "SM.INI"; a file of another spelling keeps its name.
  void iniNameOnFirstRunAndOtherwiseKept() {
    for (const QString& existing : {QString(), QString("sm.ini"), QString("Sm.Ini")}) {
      QTemporaryDir dir;
      const auto folder = folderOf(dir);
      if (!existing.isEmpty()) writeText(folder / existing.toStdString(), "[General]\r\nPORT=1\r\n");
      test::RecordingDialogs dialogs;
      dialogs.allowAnything();
      TForm1 window({folder, 1, &dialogs, nullptr});
      QVERIFY(window.close());
      QCOMPARE(spellingsOf(folder, "SM.INI"), QStringList{existing.isEmpty() ? QString("SM.INI") : existing});
      QVERIFY(readText(folder / spellingsOf(folder, "SM.INI").first().toStdString()).find("[settings]") !=
              std::string::npos);
    }
  }

  // The firmware polls constantly; between events the host must sleep rather
  // than spin, or an idle instrument would take a whole core.
  void idleFirmwareSleepsBetweenTicks() {
    Rig rig;
    TForm1& window = *rig.window;
    QSignalSpy finished(&window, &TForm1::finished);
    window.show();
    std::uint64_t yieldsAtStart = 0;
    std::uint8_t halfSecondsAtStart = 0;
    QTimer::singleShot(0, &window, &TForm1::Button1Click);
    QTimer::singleShot(3500, &window, [&] {
      yieldsAtStart = window.host().yieldCount();
      halfSecondsAtStart = window.instrument().tick.halfSecondCount;
    });
    QTimer::singleShot(4500, &window, [&] {
      const std::uint64_t yields = window.host().yieldCount() - yieldsAtStart;
      const int halfSeconds = std::uint8_t(window.instrument().tick.halfSecondCount - halfSecondsAtStart);
      // About 40 ticks a second, each followed by a handful of polls.
      QVERIFY2(yields < 2000, qPrintable(QString::number(yields)));
      QVERIFY2(halfSeconds >= 1 && halfSeconds <= 3, qPrintable(QString::number(halfSeconds)));
      window.close();
    });
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
  }

  void switchOnRunsTheFirmwareOnce() {
    Rig rig;
    TForm1& window = *rig.window;
    QSignalSpy finished(&window, &TForm1::finished);
    window.show();
    QTimer::singleShot(0, &window, &TForm1::Button1Click);
    // A second switch-on while running returns at once without restarting.
    QTimer::singleShot(3000, &window, [&] {
      const auto marker = window.instrument().tick.warmStartMarker;
      window.Button1Click();
      QCOMPARE(window.instrument().tick.warmStartMarker, marker);
      QCOMPARE(marker, std::uint16_t(0x55AA));
      window.close();
    });
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
  }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
