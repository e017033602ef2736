#include "sim/qt/program_folder.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
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
