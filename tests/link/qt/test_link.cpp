// The link over a real serial port: the main window on a pseudo-terminal
// whose other end is zenara-fake-instrument.
#include <fcntl.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QMenuBar>
#include <QRadioButton>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

#include "desktop/main_window.h"
#include "link/qt/cp210x_bridge.h"
#include "link/qt/port_selection.h"
#include "link/qt/serial_line.h"
#include "sim/atomic_file.h"
#include "sim/ini_file.h"
#include "support/fake_instrument.h"
#include "support/main_window_rig.h"

using namespace zen;

namespace {

const std::vector<std::uint8_t> IdentifyRequest{RequestFrame, Identify};

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Processor share of one core while `work` runs.
template <class Work>
double cpuShare(Work work) {
  QElapsedTimer wall;
  wall.start();
  const double before = cpuSeconds();
  work();
  return (cpuSeconds() - before) / std::max<double>(1e-3, wall.elapsed() / 1000.0);
}

// The main window with COM1 (and COM2..) mapped to the given devices.
struct Rig : test::MainWindowRig {
  using MainWindowRig::MainWindowRig;
  Link& link() { return window->link().link(); }
  void startClose() {
    closeClock.start();
    window->close();
  }
  // Waits for the program to finish; returns how long it took from startClose().
  qint64 closeTime() {
    if (!QTest::qWaitFor([&] { return finished->count() == 1; }, 15000)) return -1;
    return closeClock.elapsed();
  }

  QElapsedTimer closeClock;
};

}  // namespace

class LinkTest : public QObject {
  Q_OBJECT

 private slots:
  void replyArrivesWhileTheProgramSleeps() {
    test::FakeInstrument fake(
        {"--ident", "ZN123456789", "--version", "111105X", "--fault", "late-reply", "--late-ms", "1000"});
    QVERIFY(!fake.device().isEmpty());
    Rig rig({fake.device()});
    QVERIFY(rig.window->serialPort()->isOpen());
    bool replied = false;
    const double share = cpuShare([&] { replied = rig.link().request(IdentifyRequest, true, 50); });
    QVERIFY(replied);
    QCOMPARE(rig.link().replies().identText(), std::string("ZN123456789"));
    QCOMPARE(rig.link().replies().versionText(), std::string("111105X"));
    QCOMPARE(fake.count("identify"), 1);
    QVERIFY2(share < 0.02, qPrintable(QString::number(share)));
    QVERIFY(rig.dialogs.shown().isEmpty());
  }

  // A killed peer and one that drops the line halfway through its reply.
  void peerDisappearsMidWait() {
    for (const bool kill : {true, false}) {
      test::FakeInstrument fake(kill ? QStringList{"--fault", "no-reply"}
                                     : QStringList{"--fault", "disconnect"});
      Rig rig({fake.device()});
      if (kill) QTimer::singleShot(600, [&] { fake.kill(); });
      QElapsedTimer clock;
      clock.start();
      QVERIFY(!rig.link().request(IdentifyRequest, true, 50));
      QVERIFY2(clock.elapsed() < 1100, qPrintable(QString::number(clock.elapsed())));
      QCOMPARE(rig.link().lastOutcome(), LinkOutcome::LineLost);
      QVERIFY(rig.link().failureReported());
      QVERIFY(!rig.window->serialPort()->isOpen());
      const double idle = cpuShare([] { QTest::qWait(1000); });
      QVERIFY2(idle < 0.02, qPrintable(QString::number(idle)));
      QCOMPARE(rig.dialogs.shown().size(), 1);
      QVERIFY2(rig.dialogs.shown()[0].startsWith("The link to the instrument on COM1 (" + fake.device() +
                                                 ") was lost"),
               qPrintable(rig.dialogs.shown()[0]));
      // Nothing more is tried on the closed port, and nothing more is said.
      QVERIFY(!rig.link().request(IdentifyRequest, true, 50));
      QCOMPARE(rig.link().lastOutcome(), LinkOutcome::NotSent);
      QCOMPARE(rig.dialogs.shown().size(), 1);
    }
  }

  // The firmware runs nested in the switch-on command, so the checks run from
  // timers while it does, and the window is closed from one of them.
  void attitudeAndHeadingFollowTheUnit() {
    test::FakeInstrument fake({"--attitude", "20", "--heading", "5", "--bank", "-25", "--pitch", "7",
                               "--heading-deg", "123", "--slip", "-4", "--turn-rate", "-30"});
    Rig rig({fake.device()});
    const AttitudeState& a = rig.window->instrument().attitude;
    AttitudeState first, second;
    bool firmwareWasActive = false;
    QTimer::singleShot(0, rig.window.get(), &TForm1::Button1Click);
    QTimer::singleShot(1500, rig.window.get(), [&] {
      first = a;
      firmwareWasActive = rig.window->host().firmwareActive();
      fake.command("attitude 40 -12 359");
    });
    QTimer::singleShot(2500, rig.window.get(), [&] {
      second = a;
      rig.startClose();
    });
    const qint64 took = rig.closeTime();
    QVERIFY2(took >= 0 && took < 500, qPrintable(QString::number(took)));
    QVERIFY(firmwareWasActive);
    QCOMPARE(first.bank, -25);
    QCOMPARE(first.pitch, 7);
    QCOMPARE(first.heading, 123);
    QCOMPARE(first.slipValue, -4);
    QCOMPARE(first.turnRate, -30);
    QCOMPARE(first.attitudeSensorOn, std::uint8_t(1));
    QCOMPARE(second.bank, 40);
    QCOMPARE(second.pitch, -12);
    QCOMPARE(second.heading, 359);
  }

  // A wait started by a window, with the firmware running below it or not.
  void closingDuringAWaitEndsPromptly() {
    for (const bool firmwareOn : {false, true}) {
      test::FakeInstrument fake({"--fault", "no-reply"});
      Rig rig({fake.device()});
      if (firmwareOn) QTimer::singleShot(0, rig.window.get(), &TForm1::Button1Click);
      const int waitAt = firmwareOn ? 1500 : 0;
      LinkOutcome outcome = LinkOutcome::Idle;
      bool busy = false, firmwareActive = false;
      QTimer::singleShot(waitAt, rig.window.get(), [&] {
        rig.link().request(IdentifyRequest, true, 50);
        outcome = rig.link().lastOutcome();
      });
      QTimer::singleShot(waitAt + 700, rig.window.get(), [&] {
        busy = rig.link().busy();
        firmwareActive = rig.window->host().firmwareActive();
        rig.startClose();
      });
      const qint64 took = rig.closeTime();
      QVERIFY2(took >= 0 && took < 500, qPrintable(QString::number(took)));
      QVERIFY(busy);
      QCOMPARE(firmwareActive, firmwareOn);
      QCOMPARE(outcome, LinkOutcome::Cancelled);
      QVERIFY(std::filesystem::exists(rig.folder / "RTC.ram"));
    }
  }

  // No reply comes; switching on from inside the wait would hold it until the firmware stops.
  void switchOnDuringAWaitWaitsForIt() {
    test::FakeInstrument fake({"--fault", "no-reply"});
    Rig rig({fake.device()});
    LinkOutcome outcome = LinkOutcome::Idle;
    bool firmwareDuringWait = true, firmwareAfter = false;
    QTimer::singleShot(0, rig.window.get(), [&] {
      QTimer::singleShot(200, rig.window.get(), &TForm1::Button1Click);
      rig.link().request(IdentifyRequest, true, 10);
      outcome = rig.link().lastOutcome();
      firmwareDuringWait = rig.window->host().firmwareActive();
    });
    QTimer::singleShot(2500, rig.window.get(), [&] {
      firmwareAfter = rig.window->host().firmwareActive();
      rig.startClose();
    });
    QVERIFY(rig.closeTime() >= 0);
    QCOMPARE(outcome, LinkOutcome::NoReply);
    QCOMPARE(fake.count("identify"), Link::Tries);
    QVERIFY(!firmwareDuringWait);
    QVERIFY(firmwareAfter);
  }

  void e2BlocksRamAndFinishOverTheWire() {
    QTemporaryDir unitFolder;
    const std::filesystem::path e2 = std::filesystem::path(unitFolder.path().toStdString()) / "unit-e2.bin";
    test::FakeInstrument fake({"--e2", QString::fromStdString(e2.string())});
    Rig rig({fake.device()});
    std::vector<std::uint8_t> write{RequestFrame, WriteE2Block, 0x40, 0x00, 16};
    std::uint8_t sum = 0;
    for (std::uint8_t i = 0; i < 16; ++i) {
      write.push_back(static_cast<std::uint8_t>(0xA0 + i));
      sum = static_cast<std::uint8_t>(sum + 0xA0 + i);
    }
    write.push_back(sum);
    QVERIFY(rig.link().request(write, true, 100));
    QVERIFY(rig.link().request(std::vector<std::uint8_t>{RequestFrame, ReadE2Block, 0x40, 0x00}, true, 50));
    const auto& block = rig.link().replies().readBlock;
    QVERIFY(std::equal(block.begin(), block.begin() + 17, write.begin() + 5));
    const ReadResult file = readFilePrefix(e2, 8192);
    QCOMPARE(file.bytes.size(), std::size_t(4096));
    QVERIFY(std::equal(block.begin(), block.begin() + 16, file.bytes.begin() + 0x40));

    fake.command("fault bad-sum");
    QTRY_COMPARE(fake.count("fault-set bad-sum"), 1);
    QVERIFY(rig.link().request(std::vector<std::uint8_t>{RequestFrame, ReadE2Block, 0x40, 0x00}, true, 50));
    QVERIFY(rig.link().replies().readBlock[16] != sum);
    QVERIFY(rig.link().request(std::vector<std::uint8_t>{RequestFrame, ReadRam, 0x77, 0x02, 3}, true, 50));
    QCOMPARE(rig.link().replies().memoryViewLength, std::uint16_t(3));
    QCOMPARE(rig.link().replies().memoryView[2], std::uint8_t(0x79));  // the fake's memory: low address bytes
    rig.link().request(std::vector<std::uint8_t>{RequestFrame, Finish}, false, 50);
    QTRY_COMPARE(fake.count("finish"), 1);
  }

  void portSelectionReopensThePort() {
    test::FakeInstrument fake;
    Rig rig({"/nonexistent/tty1", fake.device(), "/nonexistent/tty3"});
    QTRY_COMPARE(
        rig.dialogs.shown(),
        QStringList{"Comms port COM1 is not available, please use \"setup\" to choose an available port."});
    QAction* setup = rig.window->menuBar()->findChild<QAction*>("SetupVelonetcommsport1");
    QVERIFY(setup);
    QCOMPARE(setup->text(), QString("&Setup Velonet comms port"));
    setup->trigger();
    TForm6* form = rig.window->portSelectionWindow();
    QVERIFY(form->isVisible());
    QCOMPARE(form->windowTitle(), QString("Communications port selection"));
    QVERIFY(form->radioButton(1)->isChecked());
    QCOMPARE(form->radioButton(8)->text(), QString("COM8"));

    QTest::mouseClick(form->radioButton(2), Qt::LeftButton);
    QCOMPARE(rig.window->comPort(), 2);
    QVERIFY(rig.window->serialPort()->isOpen());
    QVERIFY(rig.link().request(IdentifyRequest, true, 50));

    QTest::mouseClick(form->radioButton(3), Qt::LeftButton);
    QCOMPARE(
        rig.dialogs.shown().last(),
        QString(
            "The selected port COM3 is not available, please choose another if possible or free this port "
            "if it is in use by another application."));
    QCOMPARE(rig.window->comPort(), 2);
    QVERIFY(!rig.window->serialPort()->isOpen());
    QTest::mouseClick(form->findChild<QWidget*>("Button1"), Qt::LeftButton);
    QVERIFY(!form->isVisible());
    rig.startClose();
    QVERIFY(rig.closeTime() >= 0);
    IniFile ini;
    QVERIFY(!ini.load(rig.folder / "SM.INI"));
    QCOMPARE(ini.readInteger("General", "PORT", 0), 2);
  }

  // A pseudo-terminal has no RTS to watch, but it shows that a write returns
  // only once its bytes have left, and that a write nobody takes ends as a
  // lost line within the write time-out.
  void writesLeaveTheLineOrTimeOut() {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
    termios raw{};
    ::tcgetattr(master, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(master, TCSANOW, &raw);
    SerialLine line;
    QString lost;
    line.onLost = [&](const QString& reason) { lost = reason; };
    QVERIFY(line.open(QString::fromLatin1(::ptsname(master))));
    const auto frame = encodeFrame(RequestAddress, IdentifyRequest);
    QVERIFY(line.write(frame));
    QCOMPARE(line.port()->bytesToWrite(), qint64(0));
    std::array<std::uint8_t, 64> got{};
    QCOMPARE(::read(master, got.data(), got.size()), ssize_t(frame.size()));

    const std::vector<std::uint8_t> flood(1 << 20, 0x55);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!line.write(flood));
    QVERIFY2(clock.elapsed() >= SerialLine::WriteTimeoutMs - 100 && clock.elapsed() < 3000,
             qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!line.isOpen());
    QVERIFY2(lost.contains("took no data"), qPrintable(lost));
    ::close(master);
  }

  void usbBridgeIsTheFirstSiliconLabsPort() {
    test::FakeInstrument fake;
    Cp210xBridge bridge([&] {
      return QList<SerialPortEntry>{
          {"/dev/ttyS0", std::nullopt, {}}, {"/dev/ttyACM0", 0x2341, {}}, {fake.device(), 0x10C4, {}}};
    });
    Rig rig({"/nonexistent/tty1"}, &bridge);
    QVERIFY(rig.window->usbMode());
    QVERIFY(rig.window->windowTitle().endsWith(" USB"));
    QVERIFY(!rig.window->serialPort()->isOpen());
    QVERIFY(rig.dialogs.shown().isEmpty());
    QVERIFY(rig.link().request(IdentifyRequest, true, 50));
    QCOMPARE(fake.count("identify"), 1);
  }
};

QTEST_MAIN(LinkTest)
#include "test_link.moc"
