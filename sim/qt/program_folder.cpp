#include "sim/qt/program_folder.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QMenu>
#include <QStandardPaths>
#include <QUrl>

#include "sim/qt/dialogs.h"

namespace zen {

ProgramFolder chooseProgramFolder(const QString& dataDir, const QString& executableFolder,
                                  const QString& userDataFolder) {
  if (!dataDir.isEmpty()) return {QDir(dataDir).absolutePath().toStdString(), false};
  // access() rather than the permission bits: a read-only mount says no too.
  const bool installed = QFile::exists(QDir(executableFolder).filePath(InstalledDesktopEntry)) ||
                         ::access(QFile::encodeName(executableFolder).constData(), W_OK) != 0;
  if (!installed) return {executableFolder.toStdString(), false};
  QDir().mkpath(userDataFolder);
  return {userDataFolder.toStdString(), true};
}

ProgramFolder chooseProgramFolder(const QString& dataDir) {
  // Spelt out rather than AppDataLocation, so that every program finds the
  // simulator's folder whatever its own name.
  return chooseProgramFolder(dataDir, QCoreApplication::applicationDirPath(),
                             QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
                                 .filePath(UserDataFolderName));
}

ProgramFolderAccess openProgramFolder(const std::filesystem::path& folder) {
  ProgramFolderAccess access{prepareProgramFolder(folder), nullptr};
  FolderCheck& check = access.check;
  if (!check.writable) return access;
  auto lock = std::make_shared<QLockFile>(
      QDir(QString::fromStdString(folder.string())).filePath(ProgramFolderLockName));
  // Held for the whole run: only a holder that is gone makes it stale.
  lock->setStaleLockTime(0);
  if (lock->tryLock(0)) {
    access.lock = std::move(lock);
    return access;
  }
  // A folder where no lock can be made is not shared knowingly; go on.
  if (lock->error() != QLockFile::LockFailedError) return access;
  qint64 pid = 0;
  QString host, program;
  lock->getLockInfo(&pid, &host, &program);
  const QString holder = QStringLiteral("%1, process %2%3")
                             .arg(program.isEmpty() ? QStringLiteral("another program") : program)
                             .arg(pid)
                             .arg(host.isEmpty() ? QString() : " on " + host);
  check.writable = false;
  check.notice = QStringLiteral(
                     "the program folder is in use by %1: this program reads its files but writes nothing "
                     "there, so its settings, clock memory and SM.INI are not kept")
                     .arg(holder)
                     .toStdString();
  check.refusal = QStringLiteral("not saved: the program folder is in use by %1").arg(holder).toStdString();
  return access;
}

void addProgramFolderItem(QMenu& fileMenu, const std::filesystem::path& folder, Dialogs* dialogs) {
  const QString path = QString::fromStdString(folder.string());
  fileMenu.addSeparator();
  QAction* item = fileMenu.addAction("Program files: " + path);
  item->setObjectName("ProgramFolder1");
  item->setToolTip("e2.rom, RTC.ram, logo.bin and SM.INI are kept here; click to open the folder");
  QObject::connect(item, &QAction::triggered, &fileMenu, [path, dialogs] {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)) && dialogs)
      dialogs->showMessage("No file manager could open the program files folder. It is:\n" + path);
  });
}

}  // namespace zen
