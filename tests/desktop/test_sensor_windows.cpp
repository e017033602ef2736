#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

#include "desktop/sensor_windows.h"
#include "firmware/core/instrument.h"
#include "firmware/core/settings_store.h"
#include "firmware/core/timekeeping.h"
#include "sim/ini_file.h"
#include "support/fake_host.h"

using namespace zen;

namespace {

int expectedEngineMaximum(int n) {
  if (n <= 12) return 1200;
  if (n == 17) return 255;
  return 4095;
}

}  // namespace

class SensorWindowsTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<test::FakeHost> host_;
  std::unique_ptr<Instrument> z_;

 private slots:
  void init() {
    host_ = std::make_unique<test::FakeHost>();
    z_ = std::make_unique<Instrument>(*host_);
  }
  void cleanup() {
    z_.reset();
    host_.reset();
  }

  void firstRunWithoutIniUsesDefaultsAndFeedsThem() {
    const IniFile empty;
    TForm3 engine(*z_, empty);
    TForm4 pressure(*z_, empty);

    for (int n = 1; n <= TForm3::BarCount; ++n) {
      QCOMPARE(engine.scrollBar(n)->value(), 100);
      QCOMPARE(z_->sim.engineBar(n), 100);
    }
    for (int n = 1; n <= TForm4::BarCount; ++n) {
      QCOMPARE(pressure.scrollBar(n)->value(), 500);
      QCOMPARE(z_->sim.pressureBars[n - 1], 500);
    }
    QVERIFY(!z_->sim.engineUnitOn);
  }

  void restoresPositionsFromIni() {
    IniFile ini;
    ini.parse(
        "[General]\r\nPORT=3\r\n"
        "[SETTINGS]\r\nslider1=0\r\nSlider5=1200\r\nSlider17=200\r\nSlider21=4095\r\n"
        "[Settings2]\r\nSLIDER1=0\r\nSlider2=4095\r\n");
    // Stale values prove the windows write what they restore, 0 included.
    z_->sim.engineBars.fill(77);
    z_->sim.pressureBars.fill(77);

    TForm3 engine(*z_, ini);
    TForm4 pressure(*z_, ini);

    QCOMPARE(engine.scrollBar(1)->value(), 0);
    QCOMPARE(z_->sim.engineBar(1), 0);
    QCOMPARE(engine.scrollBar(5)->value(), 1200);
    QCOMPARE(z_->sim.engineBar(5), 1200);
    QCOMPARE(engine.scrollBar(17)->value(), 200);
    QCOMPARE(z_->sim.engineBar(17), 200);
    QCOMPARE(engine.scrollBar(21)->value(), 4095);
    QCOMPARE(z_->sim.engineBar(21), 4095);
    QCOMPARE(engine.scrollBar(2)->value(), 100);  // missing key: default
    QCOMPARE(z_->sim.engineBar(2), 100);

    QCOMPARE(pressure.scrollBar(1)->value(), 0);
    QCOMPARE(z_->sim.pressureBars[0], 0);
    QCOMPARE(pressure.scrollBar(2)->value(), 4095);
    QCOMPARE(z_->sim.pressureBars[1], 4095);
  }

  void restoredPositionsOutsideTheRangeAreClamped() {
    IniFile ini;
    ini.parse("[settings]\r\nSlider17=1000\r\nSlider1=-5\r\nSlider3=junk\r\n[settings2]\r\nSlider1=9999\r\n");
    TForm3 engine(*z_, ini);
    TForm4 pressure(*z_, ini);

    QCOMPARE(engine.scrollBar(17)->value(), 255);
    QCOMPARE(z_->sim.engineBar(17), 255);
    QCOMPARE(engine.scrollBar(1)->value(), 0);
    QCOMPARE(z_->sim.engineBar(1), 0);
    QCOMPARE(engine.scrollBar(3)->value(), 100);
    QCOMPARE(pressure.scrollBar(1)->value(), 4095);
    QCOMPARE(z_->sim.pressureBars[0], 4095);
  }

  void saveToWritesEveryBarAndRestoresTheSame() {
    IniFile ini;
    ini.parse("[General]\r\nPORT=4\r\n");
    {
      TForm3 engine(*z_, ini);
      TForm4 pressure(*z_, ini);
      for (int n = 1; n <= TForm3::BarCount; ++n) engine.scrollBar(n)->setValue(n * 11);
      pressure.scrollBar(1)->setValue(1234);
      pressure.scrollBar(2)->setValue(0);
      engine.saveTo(ini);
      pressure.saveTo(ini);
    }
    for (int n = 1; n <= TForm3::BarCount; ++n)
      QCOMPARE(ini.readInteger("settings", "Slider" + std::to_string(n), -1), n * 11);
    QCOMPARE(ini.readInteger("settings2", "Slider1", -1), 1234);
    QCOMPARE(ini.readInteger("settings2", "Slider2", -1), 0);
    QCOMPARE(ini.readInteger("General", "PORT", -1), 4);

    // What the next run sees after the file went through text.
    IniFile reread;
    reread.parse(ini.text());
    Instrument next(*host_);
    TForm3 engine(next, reread);
    TForm4 pressure(next, reread);
    for (int n = 1; n <= TForm3::BarCount; ++n) {
      QCOMPARE(engine.scrollBar(n)->value(), n * 11);
      QCOMPARE(next.sim.engineBar(n), n * 11);
    }
    QCOMPARE(pressure.scrollBar(1)->value(), 1234);
    QCOMPARE(pressure.scrollBar(2)->value(), 0);
    QCOMPARE(next.sim.pressureBars[1], 0);
  }

  void barsHaveTheirRangesAndOrientation() {
    const IniFile empty;
    TForm3 engine(*z_, empty);
    TForm4 pressure(*z_, empty);
    TForm5 attitude(*z_);

    for (int n = 1; n <= TForm3::BarCount; ++n) {
      QScrollBar* bar = engine.scrollBar(n);
      QVERIFY(bar);
      QCOMPARE(bar->objectName(), QStringLiteral("ScrollBar%1").arg(n));
      QCOMPARE(engine.findChild<QScrollBar*>(bar->objectName()), bar);
      QCOMPARE(bar->minimum(), 0);
      QCOMPARE(bar->maximum(), expectedEngineMaximum(n));
    }
    QVERIFY(engine.scrollBar(0) == nullptr);
    QVERIFY(engine.scrollBar(22) == nullptr);

    for (int n = 1; n <= TForm4::BarCount; ++n) {
      QScrollBar* bar = pressure.scrollBar(n);
      QCOMPARE(bar->objectName(), QStringLiteral("ScrollBar%1").arg(n));
      QCOMPARE(bar->orientation(), Qt::Vertical);
      QCOMPARE(bar->minimum(), 0);
      QCOMPARE(bar->maximum(), 4095);
    }

    struct Expected {
      QScrollBar* bar;
      const char* name;
      Qt::Orientation orientation;
      int minimum, maximum;
    };
    for (const Expected& e : {Expected{attitude.headingBar(), "ScrollBar5", Qt::Horizontal, 0, 359},
                              Expected{attitude.turnRateBar(), "ScrollBar1", Qt::Horizontal, -200, 200},
                              Expected{attitude.pitchBar(), "ScrollBar4", Qt::Vertical, -90, 90},
                              Expected{attitude.bankBar(), "ScrollBar2", Qt::Horizontal, -180, 179},
                              Expected{attitude.slipBar(), "ScrollBar3", Qt::Horizontal, -56, 56}}) {
      QCOMPARE(e.bar->objectName(), QString::fromLatin1(e.name));
      QCOMPARE(e.bar->orientation(), e.orientation);
      QCOMPARE(e.bar->minimum(), e.minimum);
      QCOMPARE(e.bar->maximum(), e.maximum);
      QCOMPARE(e.bar->value(), 0);
    }
  }

  void everyBarIsLabelled() {
    const IniFile empty;
    TForm3 engine(*z_, empty);
    TForm4 pressure(*z_, empty);
    TForm5 attitude(*z_);
    auto texts = [](QWidget* w) {
      QStringList all;
      for (QLabel* label : w->findChildren<QLabel*>()) all << label->text();
      return all;
    };

    const QStringList engineLabels = texts(&engine);
    for (int n = 1; n <= 12; ++n) QVERIFY(engineLabels.contains(QStringLiteral("EGT/CHT TC %1").arg(n)));
    for (const char* caption :
         {"Rotax 912 CHT or H2O or FP", "Rotax 912 CHT or Carb Ice", "Oil temperature", "Oil pressure",
          "Fuel flow", "Fuel level  1", "Fuel level 2 or FP", "Rev counter", "Manifold pressure"})
      QVERIFY2(engineLabels.contains(QString::fromLatin1(caption)), caption);

    const QStringList pressureLabels = texts(&pressure);
    QVERIFY(pressureLabels.contains(QStringLiteral("Absolute atmospheric pressure")));
    QVERIFY(pressureLabels.contains(QStringLiteral("Relative pitot pressure")));

    const QStringList attitudeLabels = texts(&attitude);
    for (const char* caption :
         {"Heading", "Rate of turn", "Pitch Angle", "Bank Angle", "+ is left wing down", "Slip"})
      QVERIFY2(attitudeLabels.contains(QString::fromLatin1(caption)), caption);
  }

  void pressureBarEndsReachTheConverter() {
    const IniFile empty;
    TForm4 pressure(*z_, empty);

    pressure.scrollBar(1)->setValue(0);
    pressure.scrollBar(2)->setValue(4095);
    QCOMPARE(z_->sim.pressureBars[0], 0);
    QCOMPARE(z_->sim.pressureBars[1], 4095);
    readAdc(*z_, 0);
    QCOMPARE(z_->adc.adcResult, 4095);
    readAdc(*z_, 3);
    QCOMPARE(z_->adc.adcResult, 0);

    pressure.scrollBar(1)->setValue(4095);
    pressure.scrollBar(2)->setValue(0);
    readAdc(*z_, 0);
    QCOMPARE(z_->adc.adcResult, 0);
    readAdc(*z_, 3);
    QCOMPARE(z_->adc.adcResult, 4095);
  }

  void userMovesReachTheInstrument() {
    const IniFile empty;
    TForm3 engine(*z_, empty);
    TForm4 pressure(*z_, empty);
    engine.show();
    pressure.show();

    engine.scrollBar(20)->triggerAction(QAbstractSlider::SliderSingleStepAdd);  // an arrow click
    QCOMPARE(z_->sim.engineBar(20), 101);
    QTest::keyClick(engine.scrollBar(17), Qt::Key_End);
    QCOMPARE(z_->sim.engineBar(17), 255);
    QTest::keyClick(pressure.scrollBar(2), Qt::Key_Home);
    QCOMPARE(z_->sim.pressureBars[1], 0);
    QCOMPARE(z_->sim.pressureBars[0], 500);  // the other bar is untouched
  }

  void tarvikButtonTogglesTheUnit() {
    const IniFile empty;
    TForm3 engine(*z_, empty);
    QCOMPARE(engine.button()->text(), QStringLiteral("Switch Tarvik on/off"));
    QCOMPARE(engine.button()->objectName(), QStringLiteral("Button1"));

    QTest::mouseClick(engine.button(), Qt::LeftButton);
    QVERIFY(z_->sim.engineUnitOn);
    QTest::mouseClick(engine.button(), Qt::LeftButton);
    QVERIFY(!z_->sim.engineUnitOn);
  }

  void attitudeWindowLeavesTheFirmwareAloneUntilTouched() {
    z_->attitude.attitudeAlive = 7;
    z_->attitude.pitch = 3;
    z_->attitude.heading = 45;
    TForm5 attitude(*z_);
    QCOMPARE(z_->attitude.attitudeAlive, 7);
    QCOMPARE(z_->attitude.attitudeFresh, 0);
    QCOMPARE(z_->attitude.pitch, 3);
    QCOMPARE(z_->attitude.heading, 45);
  }

  void headingRateAndSlipNeverRearmTheSensor() {
    TForm5 attitude(*z_);
    z_->attitude.attitudeAlive = 7;

    attitude.headingBar()->setValue(270);
    attitude.turnRateBar()->setValue(-150);
    attitude.slipBar()->setValue(56);

    QCOMPARE(z_->attitude.heading, 270);
    QCOMPARE(z_->attitude.turnRate, -150);
    QCOMPARE(z_->attitude.slipValue, 56);
    QCOMPARE(z_->attitude.attitudeAlive, 7);
    QCOMPARE(z_->attitude.attitudeFresh, 0);
    QCOMPARE(z_->attitude.attitudeSensorOn, 0);  // written whether the sensor is on or not
    QCOMPARE(z_->attitude.pitch, 0);
    QCOMPARE(z_->attitude.bank, 0);
  }

  void pitchOrBankChangeRearmsAndCarriesBoth() {
    TForm5 attitude(*z_);

    attitude.bankBar()->setValue(-30);
    QCOMPARE(z_->attitude.bank, -30);
    QCOMPARE(z_->attitude.pitch, 0);
    QCOMPARE(z_->attitude.attitudeAlive, 255);
    QCOMPARE(z_->attitude.attitudeFresh, 1);

    z_->attitude.attitudeAlive = 7;
    z_->attitude.attitudeFresh = 0;
    z_->attitude.bank = 0;
    attitude.pitchBar()->setValue(-90);
    QCOMPARE(z_->attitude.pitch, -90);
    QCOMPARE(z_->attitude.bank, -30);  // the pitch bar sends the bank along
    QCOMPARE(z_->attitude.attitudeAlive, 255);
    QCOMPARE(z_->attitude.attitudeFresh, 1);
    QCOMPARE(z_->attitude.attitudeSensorOn, 0);  // only On/Off switches it on
  }

  void onOffSendsTheAttitudeAndToggles() {
    TForm5 attitude(*z_);
    QCOMPARE(attitude.button()->text(), QStringLiteral("On/Off"));
    attitude.pitchBar()->setValue(10);
    attitude.bankBar()->setValue(-30);
    z_->attitude.pitch = 0;
    z_->attitude.bank = 0;
    z_->attitude.attitudeAlive = 0;
    z_->attitude.attitudeFresh = 0;

    QTest::mouseClick(attitude.button(), Qt::LeftButton);
    QCOMPARE(z_->attitude.attitudeSensorOn, 1);
    QCOMPARE(z_->attitude.pitch, 10);
    QCOMPARE(z_->attitude.bank, -30);
    QCOMPARE(z_->attitude.attitudeAlive, 255);
    QCOMPARE(z_->attitude.attitudeFresh, 1);

    z_->attitude.attitudeAlive = 9;
    z_->attitude.attitudeFresh = 0;
    QTest::mouseClick(attitude.button(), Qt::LeftButton);
    QCOMPARE(z_->attitude.attitudeSensorOn, 0);
    QCOMPARE(z_->attitude.attitudeAlive, 255);
    QCOMPARE(z_->attitude.attitudeFresh, 1);
  }

  void eachPositionShowsWhatTheInstrumentMakesOfIt() {
    buildImageFromDefaults(*z_, true);
    loadAllSettings(*z_);
    z_->time.qnh.qnhX8 = QnhStandard;
    IniFile ini;
    ini.parse("[settings2]\r\nSlider1=1012\r\n[settings]\r\nSlider3=250\r\n");
    TForm4 pressure(*z_, ini);
    TForm3 engine(*z_, ini);
    QCOMPARE(pressure.meaning(1)->text(), QStringLiteral("2007 ft"));
    QCOMPARE(engine.meaning(3)->text(), QString::fromUtf8("250 \u00B0C"));
    QVERIFY(engine.meaning(20)->text().endsWith(QStringLiteral(" rpm")));
    pressure.scrollBar(1)->setValue(PressureBarMaximum);
    QVERIFY(pressure.meaning(1)->text() != QStringLiteral("2007 ft"));

    // A program moving a bar is no hand on it; a click is.
    QSignalSpy moved(&engine, &TForm3::movedByHand);
    z_->sim.engineBars[19] = 300;
    engine.followInputs();
    QCOMPARE(engine.scrollBar(20)->value(), 300);
    QCOMPARE(moved.count(), 0);
    engine.scrollBar(20)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.first().first().value<SensorInput>().bar, 20);
  }

  void windowsHaveTheirCaptionsAndFixedSizes() {
    const IniFile empty;
    TForm3 engine(*z_, empty);
    TForm4 pressure(*z_, empty);
    TForm5 attitude(*z_);

    struct Expected {
      QWidget* window;
      const char* caption;
      QSize size;
    };
    for (const Expected& e : {Expected{&engine, "Simulated Tarvik X model D", QSize(624, 464)},
                              Expected{&pressure, "Simulated pressure sensors", QSize(302, 334)},
                              Expected{&attitude, "SV5ra simulator", QSize(212, 314)}}) {
      QCOMPARE(e.window->windowTitle(), QString::fromLatin1(e.caption));
      e.window->show();
      QVERIFY(QTest::qWaitForWindowExposed(e.window));
      QCOMPARE(e.window->size(), e.size);
      QCOMPARE(e.window->minimumSize(), e.size);
      QCOMPARE(e.window->maximumSize(), e.size);
      QVERIFY(e.window->isWindow());
      QVERIFY(!e.window->isModal());
      // Every control must fit inside the fixed client area.
      for (QWidget* child : e.window->findChildren<QWidget*>()) {
        if (!child->isVisible()) continue;
        const QRect r(child->mapTo(e.window, QPoint(0, 0)), child->size());
        QVERIFY2(e.window->rect().contains(r),
                 qPrintable(child->objectName() + " " + e.window->windowTitle()));
      }
    }
  }
};

QTEST_MAIN(SensorWindowsTest)
#include "test_sensor_windows.moc"
