// The firmware update end to end: a firmware image packed into a copy of
// zenara with zenara-pack, written from the update window into the fake
// instrument's bootloader over a pseudo-terminal.
#include <QAction>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "desktop/main_window.h"
#include "hardware/glyphs.h"
#include "link/bootloader_protocol.h"
#include "link/qt/firmware_update_window.h"
#include "support/fake_instrument.h"
#include "support/main_window_rig.h"
#include "support/test_files.h"

using namespace zen;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr char NotSupported[] = "This version of software does not support programming of the Orvex";

struct Rig : test::MainWindowRig {
  Rig(const QString& device, const std::filesystem::path& programFile)
      : MainWindowRig({device}, nullptr, programFile) {}
  TForm7& form7() { return *window->firmwareUpdateWindow(); }
  QPushButton* button(const char* name) { return form7().findChild<QPushButton*>(name); }
  bool timersRunning() {
    return form7().findChild<QTimer*>("Timer2")->isActive() ||
           form7().findChild<QTimer*>("Timer3")->isActive();
  }
  void openUpdate() { window->findChild<QAction*>("UpgradechangeOrvexfirmware1")->trigger(); }
};

// A flash image with data in its first pages and the version at 145.
Bytes sampleFlash() {
  Bytes flash(0x2100, 0xFF);
  for (std::size_t i = 0; i < 0x700; ++i) flash[i] = static_cast<std::uint8_t>(i * 29 + i / 256);
  flash[0x20FF] = 0x0D;
  flash[145] = 7;
  std::copy_n("260607Q", 7, flash.begin() + 146);
  return flash;
}

// Packs the image into a copy of zenara in the folder; returns the copy.
std::filesystem::path pack(const std::filesystem::path& folder, const Bytes& flash) {
  test::writeBytes(folder / "flash.bin", flash);
  test::writeBytes(folder / "e2.bin", Bytes(4096, 0x3C));
  QProcess packer;
  packer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  const auto path = [&](const char* name) { return QString::fromStdString((folder / name).string()); };
  packer.start(ZENARA_PACK, {"--flash", path("flash.bin"), "--e2", path("e2.bin"), "--program",
                             ZENARA_PROGRAM, "-o", path("zenara-packed")});
  if (!packer.waitForFinished(60000) || packer.exitCode() != 0) return {};
  return folder / "zenara-packed";
}

}  // namespace

class FirmwareUpdateTest : public QObject {
  Q_OBJECT

 private slots:
  void updateFailsThenSucceedsWhenStartedAgain() {
    {
      // The plain program carries nothing to write.
      Rig plain("/nonexistent", {});
      plain.openUpdate();
      QCOMPARE(plain.dialogs.shown().value(plain.dialogs.shown().size() - 1), QString(NotSupported));
      QVERIFY(!plain.form7().isVisible());
    }
    QTemporaryDir work;
    const std::filesystem::path folder = work.path().toStdString();
    const Bytes flash = sampleFlash();
    const std::filesystem::path packed = pack(folder, flash);
    QVERIFY(!packed.empty());
    const QString flashFile = QString::fromStdString((folder / "unit-flash.bin").string());
    test::FakeInstrument fake({"--bootloader", "--flash", flashFile, "--fault", "power-lost", "--fault-after",
                               "2", "--cut-after", "10"});
    QVERIFY(!fake.device().isEmpty());
    Rig rig(fake.device(), packed);
    QCOMPARE(rig.window->carriedFirmwareVersion(), QString("260607Q"));

    for (const char* outcome : {"Program write failed - please repeat", "New Firmware is loaded."}) {
      rig.openUpdate();
      QVERIFY(rig.form7().isVisible());
      QCOMPARE(rig.form7().lines().value(0), QString("How to update your Orvex ZN:"));
      QVERIFY(!rig.button("Button1")->isEnabled());
      QVERIFY(rig.button("Button2")->isHidden());
      fake.command("power-on");
      QTRY_VERIFY_WITH_TIMEOUT(rig.button("Button1")->isEnabled(), 5000);
      QCOMPARE(rig.form7().lines(), QStringList{"Ready to update Orvex Zenara"});
      QTest::mouseClick(rig.button("Button1"), Qt::LeftButton);
      QTRY_VERIFY_WITH_TIMEOUT(rig.form7().lines().contains(outcome), 30000);
      QTRY_VERIFY_WITH_TIMEOUT(!rig.timersRunning(), 2000);
      QVERIFY(!rig.button("Button1")->isEnabled());
      fake.command("fault none");
    }
    QCOMPARE(fake.count("power-off"), 1);
    // The application area holds the image, the built-in logo and its length.
    Bytes expected(boot::ApplicationBytes, 0xFF);
    std::copy(flash.begin(), flash.end(), expected.begin());
    const std::size_t logoAt = boot::LogoLengthOffset - BuiltInLogoLength;
    std::copy(BuiltInStartLogo.begin(), BuiltInStartLogo.end(), expected.begin() + static_cast<long>(logoAt));
    expected[boot::LogoLengthOffset] = BuiltInLogoLength & 0xFF;
    expected[boot::LogoLengthOffset + 1] = BuiltInLogoLength >> 8;
    Bytes written = test::readBytes(flashFile.toStdString());
    QCOMPARE(written.size(), std::size_t{131072});
    written.resize(boot::ApplicationBytes);
    QVERIFY(written == expected);

    // The link stays the bootloader's: the instrument still switches on, and a
    // transfer sends nothing and says why.
    bool firmwareOn = false;
    QTimer::singleShot(0, rig.window.get(), &TForm1::Button1Click);
    QTimer::singleShot(2500, rig.window.get(), [&] {
      firmwareOn = rig.window->host().firmwareActive();
      rig.window->findChild<QAction*>("DownloadpaneltoOrvex1")->trigger();
      rig.window->close();
    });
    QVERIFY(QTest::qWaitFor([&] { return rig.finished->count() == 1; }, 15000));
    QVERIFY(firmwareOn);
    QVERIFY2(
        rig.dialogs.shown().last().startsWith("The link to the instrument is held by the firmware update"),
        qPrintable(rig.dialogs.shown().last()));
  }

  void closingDuringAnUpdateEndsAtOnce() {
    QTemporaryDir work;
    const std::filesystem::path folder = work.path().toStdString();
    const std::filesystem::path packed = pack(folder, sampleFlash());
    QVERIFY(!packed.empty());
    test::FakeInstrument fake(
        {"--bootloader", "--power-on-after", "0", "--fault", "silence", "--fault-after", "3"});
    Rig rig(fake.device(), packed);
    rig.openUpdate();
    QTRY_VERIFY_WITH_TIMEOUT(rig.button("Button1")->isEnabled(), 5000);
    // Closed while the program waits for the answer to its second page.
    QElapsedTimer closeClock;
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
      if (closeClock.isValid() || fake.count("fault silence") == 0) return;
      closeClock.start();
      rig.window->close();
    });
    watch.start(5);
    QTest::mouseClick(rig.button("Button1"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(closeClock.isValid() && !rig.form7().updater().running(), 10000);
    QVERIFY2(closeClock.elapsed() < 500, qPrintable(QString::number(closeClock.elapsed())));
    QCOMPARE(rig.finished->count(), 1);
    QVERIFY(!rig.form7().lines().contains("Program write failed - please repeat"));
  }
};

QTEST_MAIN(FirmwareUpdateTest)
#include "test_firmware_update.moc"
