// The flight scenario player window: refuses bad files, plays faster on
// request, and the sensor windows follow unless a hand is on a bar.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>
#include <fstream>

#include "desktop/scenario_window.h"
#include "desktop/sensor_windows.h"
#include "firmware/core/instrument.h"
#include "firmware/core/settings_store.h"
#include "sim/ini_file.h"
#include "sim/virtual_host.h"
#include "support/recording_dialogs.h"

using namespace zen;

class ScenarioWindowTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir folder_;
  QString write(const char* name, const char* text) {
    const QString path = folder_.filePath(QString::fromLatin1(name));
    std::ofstream(path.toStdString()) << text;
    return path;
  }

 private slots:
  void refusesAMalformedFileNamingLineAndColumn() {
    VirtualHost host;
    test::RecordingDialogs dialogs;
    dialogs.allowAnything();
    ScenarioWindow window(host, dialogs, {});
    QVERIFY(!window.load(write("bad.csv", "t,ias_mph\n0,50\n5,x\n")));
    QCOMPARE(dialogs.shown().size(), 1);
    QVERIFY2(dialogs.shown().first().contains(QStringLiteral("bad.csv:3: column 2 (ias_mph)")),
             qPrintable(dialogs.shown().first()));
    QVERIFY(!window.player());
    QVERIFY(!window.playButton()->isEnabled());
  }

  void sensorWindowsFollowUnlessMovedByHand() {
    VirtualHost host;
    Instrument& z = host.instrument();
    buildImageFromDefaults(z, true);
    loadAllSettings(z);
    const IniFile ini;
    TForm3 engine(z, ini);
    TForm4 pressure(z, ini);
    TForm5 attitude(z);
    test::RecordingDialogs dialogs;
    ScenarioWindow window(host, dialogs, {&engine, &pressure, &attitude});
    QVERIFY(window.load(write("s.csv", "t,tc1_c,raw_bar20,bank_deg\n0,100,10,0\n10,300,110,-30\n")));
    QCOMPARE(window.timeLabel()->text(), QStringLiteral("0:00 / 0:10"));

    window.seek(5);
    QCOMPARE(engine.scrollBar(1)->value(), 200);
    QCOMPARE(engine.meaning(1)->text(), QString::fromUtf8("200 \u00B0C"));
    QCOMPARE(engine.scrollBar(20)->value(), 60);
    QCOMPARE(attitude.bankBar()->value(), -15);
    QCOMPARE(z.attitude.bank, -15);

    engine.scrollBar(20)->triggerAction(QAbstractSlider::SliderPageStepAdd);
    const int byHand = engine.scrollBar(20)->value();
    window.seek(8);
    QCOMPARE(engine.scrollBar(20)->value(), byHand);
    QCOMPARE(engine.scrollBar(1)->value(), 260);
    window.play();  // a new play takes the bar back
    QCOMPARE(engine.scrollBar(20)->value(), 90);
    window.pause();
    QVERIFY(dialogs.unexpected().isEmpty());
  }

  void fasterRunsTheInstrumentsClockFasterAndStopsAtTheEnd() {
    VirtualHost host;
    int ticks = 0;
    host.onClockTick = [&] { ++ticks; };
    test::RecordingDialogs dialogs;
    ScenarioWindow window(host, dialogs, {});
    QVERIFY(window.load(write("s.csv", "t,ias_mph\n0,0\n3,90\n")));
    window.setSpeed(16);
    QCOMPARE(window.speedBox()->currentText(), QString::fromUtf8("\u00D716"));
    window.play();
    QTRY_VERIFY_WITH_TIMEOUT(!window.playing(), 2000);
    QCOMPARE(window.time(), 3.0);
    QCOMPARE(window.playButton()->text(), QStringLiteral("Play"));
    // 3 s of scenario is 120 ticks, 15 of each 16 given by the player.
    QVERIFY2(ticks >= 110 && ticks <= 120, qPrintable(QString::number(ticks)));
  }

  void liveDatagramsMoveTheBarsAndBadOnesAreCounted() {
    VirtualHost host;
    const IniFile ini;
    TForm3 engine(host.instrument(), ini);
    test::RecordingDialogs dialogs;
    ScenarioWindow window(host, dialogs, {&engine, nullptr, nullptr});
    std::string message;
    QVERIFY(window.listen(QStringLiteral("127.0.0.1"), 0, parseScenarioHeader("raw_bar20", message)));
    const quint16 port = window.findChild<QUdpSocket*>()->localPort();
    QUdpSocket sender;
    sender.writeDatagram(QByteArray("77\n"), QHostAddress::LocalHost, port);
    QTRY_COMPARE(engine.scrollBar(20)->value(), 77);
    sender.writeDatagram(QByteArray("88,99\n"), QHostAddress::LocalHost, port);
    QTRY_COMPARE(window.live()->refused(), 1u);
    QCOMPARE(engine.scrollBar(20)->value(), 77);
    QVERIFY(window.liveLabel()->text().contains(QStringLiteral("1 datagrams taken, 1 refused")));

    // A port already taken is said, not hidden.
    dialogs.allowAnything();
    ScenarioWindow second(host, dialogs, {});
    QVERIFY(!second.listen(QStringLiteral("127.0.0.1"), port));
    QVERIFY(dialogs.shown().last().startsWith(
        QStringLiteral("UDP port %1 on 127.0.0.1 cannot be opened").arg(port)));
  }
};

QTEST_MAIN(ScenarioWindowTest)
#include "test_scenario_window.moc"
