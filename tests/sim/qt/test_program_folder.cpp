// Where the program keeps its files: beside a build, in the user's data
// folder once installed, and wherever --data-dir says.
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include "desktop/main_window.h"
#include "link/usb_bridge.h"
#include "sim/qt/program_folder.h"
#include "support/recording_dialogs.h"

using namespace zen;

class ProgramFolderTest : public QObject {
  Q_OBJECT

 private slots:
  void chosenByHowTheProgramRuns() {
    struct Case {
      const char* name;
      bool dataDir, installed, readOnly;
      const char* expected;  // "data", "bin" or "user"
    };
    const Case cases[] = {
        {"a build", false, false, false, "bin"},
        {"installed", false, true, false, "user"},
        {"read-only copy", false, false, true, "user"},
        {"--data-dir beats an installation", true, true, false, "data"},
    };
    for (const Case& c : cases) {
      if (c.readOnly && ::geteuid() == 0) continue;  // root may write anywhere
      QTemporaryDir root;
      const QString bin = root.filePath("prefix/bin"), user = root.filePath("user/Zenara");
      const QString data = root.filePath("data");
      QDir().mkpath(bin);
      if (c.installed) {
        QDir().mkpath(root.filePath("prefix/share/applications"));
        QFile entry(QDir(bin).filePath(InstalledDesktopEntry));
        QVERIFY(entry.open(QIODevice::WriteOnly));
      }
      if (c.readOnly) QFile::setPermissions(bin, QFile::ReadOwner | QFile::ExeOwner);
      const ProgramFolder chosen = chooseProgramFolder(c.dataDir ? data : QString(), bin, user);
      const QString expected = QString(c.expected) == "bin"    ? bin
                               : QString(c.expected) == "user" ? user
                                                               : data;
      QCOMPARE(QString::fromStdString(chosen.path.string()), expected);
      QCOMPARE(chosen.userData, QString(c.expected) == "user");
      if (chosen.userData) QVERIFY2(QDir(user).exists(), c.name);
      QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
  }

  // Two programs on one folder would overwrite each other's clock memory and
  // SM.INI: the second is told who holds it, and its window writes nothing.
  void aSecondProgramIsToldWhoHasTheFolderAndWritesNothingThere() {
    QTemporaryDir dir;
    const std::filesystem::path folder = dir.path().toStdString();
    ProgramFolderAccess first = openProgramFolder(folder);
    QVERIFY(first.lock && first.check.writable && first.check.notice.empty());
    const ProgramFolderAccess second = openProgramFolder(folder);
    QVERIFY(!second.lock && second.check.readable && !second.check.writable);
    const QString pid = "process " + QString::number(QCoreApplication::applicationPid());
    QVERIFY2(QString::fromStdString(second.check.notice).contains(pid), second.check.notice.c_str());

    test::RecordingDialogs dialogs;
    dialogs.allowAnything();
    NoUsbBridge noUsb;
    TForm1::Options options{folder, 1, &dialogs, &noUsb};
    options.folderCheck = second.check;
    {
      TForm1 window(options);
      QVERIFY(!dialogs.shown().isEmpty());
      QVERIFY(dialogs.shown().first().contains(pid));
      window.close();
      QVERIFY(window.shutDown());
      QVERIFY(!window.saveFailed());
    }
    QVERIFY(!QFile::exists(dir.filePath("RTC.ram")));
    QVERIFY(!QFile::exists(dir.filePath("SM.INI")));

    first.lock.reset();  // the first program ends
    QVERIFY(openProgramFolder(folder).check.writable);
  }

  void fileMenuSaysWhere() {
    QMenu file;
    addProgramFolderItem(file, "/home/pilot/.local/share/Corvalen Orvex Zenara");
    const auto* item = file.findChild<QAction*>("ProgramFolder1");
    QVERIFY(item);
    QCOMPARE(item->text(), QString("Program files: /home/pilot/.local/share/Corvalen Orvex Zenara"));
  }
};

QTEST_MAIN(ProgramFolderTest)
#include "test_program_folder.moc"
