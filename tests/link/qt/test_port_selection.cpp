// The port window against zenara-fake-instrument on a pseudo-terminal: the
// devices listed, one mapped to a COM number and kept in SM.INI, and the
// connection tested, in the window and from zenara-panel.
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include "link/qt/port_selection.h"
#include "sim/ini_file.h"
#include "support/fake_instrument.h"
#include "support/main_window_rig.h"

using namespace zen;

class PortSelectionTest : public QObject {
  Q_OBJECT

 private slots:
  void mapsAListedDeviceAndTestsTheConnection() {
    test::FakeInstrument fake({"--ident", "ZN123456789", "--version", "111105X"});
    QVERIFY(!fake.device().isEmpty());
    test::MainWindowRig rig({"/nonexistent/tty1", "/nonexistent/tty2", "/nonexistent/tty3"});
    TForm6* form = rig.window->portSelectionWindow();
    form->setDeviceLister([&] {
      return QList<SerialPortEntry>{{"/dev/ttyS0", std::nullopt, ""},
                                    {fake.device(), 0x10C4, "CP2102 USB to UART Bridge Controller"}};
    });
    form->showForPort();
    auto* list = form->findChild<QTreeWidget*>("DeviceList");
    auto* result = form->findChild<QLabel*>("TestResult");
    auto* test = form->findChild<QPushButton*>("TestButton");
    auto* map = form->findChild<QPushButton*>("MapButton");
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(list->topLevelItem(1)->text(0), fake.device());
    QCOMPARE(list->topLevelItem(1)->text(1), QString("CP2102 USB to UART Bridge Controller"));

    QTest::mouseClick(form->radioButton(3), Qt::LeftButton);
    QCOMPARE(map->text(), QString("&Use for COM3"));
    QTest::mouseClick(test, Qt::LeftButton);
    QVERIFY2(result->text().startsWith("COM3 (/nonexistent/tty3) is not open."), qPrintable(result->text()));
    QCOMPARE(fake.count("identify"), 0);

    list->setCurrentItem(list->topLevelItem(1));
    QTest::mouseClick(map, Qt::LeftButton);
    QCOMPARE(result->text(), "COM3 is now " + fake.device() + ", kept in SM.INI.");
    QCOMPARE(rig.window->comPort(), 3);
    IniFile ini;
    QVERIFY(!ini.load(rig.folder / "SM.INI"));
    QCOMPARE(ini.readString("Devices", "COM3").value_or(""), fake.device().toStdString());
    QCOMPARE(ini.readString("Devices", "COM1").value_or(""), std::string("/nonexistent/tty1"));
    QCOMPARE(ini.readInteger("General", "PORT", 0), 3);

    QTest::mouseClick(test, Qt::LeftButton);
    QCOMPARE(result->text(),
             "Connected on COM3 (" + fake.device() +
                 "): instrument ZN123456789, firmware version 111105X. Panels can be exchanged "
                 "with it.");
    QCOMPARE(fake.count("identify"), 1);

    fake.command("fault no-reply");
    QTRY_COMPARE(fake.count("fault-set no-reply"), 1);
    QTest::mouseClick(test, Qt::LeftButton);
    QVERIFY2(result->text().startsWith("No instrument answered on COM3 (" + fake.device() + ")"),
             qPrintable(result->text()));
    QVERIFY(result->text().contains("power"));
    QVERIFY(test->isEnabled());
    // COM1 at start-up and COM3 when chosen; the tests tell their results in the window only.
    QCOMPARE(rig.dialogs.shown().size(), 2);
  }

  void commandLineIdentifiesToo() {
    test::FakeInstrument fake({"--version", "010101X"});
    QProcess panel;
    panel.start(QStringLiteral(ZENARA_PANEL_PROGRAM), {"identify", "--port", fake.device()});
    QVERIFY(panel.waitForFinished(20000));
    QCOMPARE(panel.exitCode(), 0);
    const QString out = QString::fromUtf8(panel.readAllStandardOutput());
    QVERIFY2(out.startsWith("Connected on " + fake.device() +
                            ": instrument ZN260607001, firmware version 010101X. "
                            "Panels cannot be exchanged"),
             qPrintable(out));
  }
};

QTEST_MAIN(PortSelectionTest)
#include "test_port_selection.moc"
