// zenara-panel against zenara-fake-instrument on a pseudo-terminal: answers
// that come late, and files it cannot write.
#include <QTemporaryDir>
#include <QTest>

#include "files/panel_file.h"
#include "link/panel_transfer.h"
#include "support/fake_host.h"
#include "support/fake_instrument.h"
#include "support/panel_program.h"
#include "support/panel_samples.h"
#include "support/test_files.h"

using namespace zen;
using test::readBytes;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct Work {
  Work() {
    test::FakeHost host;
    Instrument source(host);
    test::makeSamplePanel(source);
    savePanelFile(source, folder / "sample.pcf");
  }
  QString path(const char* name) const { return dir.filePath(name); }
  Bytes unitPanel() const {
    const Bytes e2 = readBytes(folder / "unit.bin");
    return {e2.begin() + 4 + PanelSettingsOffset, e2.begin() + 4 + imageLength};
  }
  Bytes samplePanel() const {
    const PanelRead read = readPanelFile(folder / "sample.pcf");
    return {read.panel->begin(), read.panel->end()};
  }

  QTemporaryDir dir;
  std::filesystem::path folder = dir.path().toStdString();
};

}  // namespace

class PanelProgramTest : public QObject {
  Q_OBJECT

 private slots:
  // One answer comes later than the time-out, after the request went out again.
  void lateAnswersEndWithTheInstrumentsBytes() {
    for (const char* lateMs : {"1400", "2000", "4000"}) {
      Work work;
      test::FakeInstrument fake({"--e2", work.path("unit.bin"), "--fault", "late-reply", "--late-ms", lateMs,
                                 "--fault-after", "4", "--fault-count", "1"});
      const QStringList common{"--port", fake.device(), "--data-dir", work.dir.path()};
      const auto down = test::zenaraPanel(QStringList{"download", "--pcf", work.path("sample.pcf")} + common);
      QCOMPARE(down.exitCode, 0);
      QVERIFY(work.unitPanel() == work.samplePanel());

      fake.command("fault late-reply 6 1");
      QTRY_COMPARE(fake.count("fault-set late-reply"), 1);
      const auto up = test::zenaraPanel(QStringList{"upload", "--pcf", work.path("back.pcf")} + common);
      QCOMPARE(up.exitCode, 0);
      QVERIFY(readBytes(work.folder / "back.pcf") == readBytes(work.folder / "sample.pcf"));
      QTRY_COMPARE(fake.count("fault late-reply"), 2);
    }
  }

  void unwritableFilesExitNonZero() {
    Work work;
    test::FakeInstrument fake({"--e2", work.path("unit.bin")});
    const QStringList common{"--port", fake.device(), "--data-dir", work.dir.path()};
    // A folder where the file should go: no file can replace it.
    for (const char* name : {CurrentImageFileName, UploadFileName})
      std::filesystem::create_directory(work.folder / name);
    const auto down = test::zenaraPanel(QStringList{"download", "--pcf", work.path("sample.pcf")} + common);
    QCOMPARE(down.exitCode, 1);
    QVERIFY2(down.err.contains(CurrentImageFileName), qPrintable(down.err));
    const auto up = test::zenaraPanel(QStringList{"upload", "--pcf", work.path("back.pcf")} + common);
    QCOMPARE(up.exitCode, 1);
    QVERIFY2(up.err.contains(UploadFileName), qPrintable(up.err));
  }
};

QTEST_MAIN(PanelProgramTest)
#include "test_panel_main.moc"
