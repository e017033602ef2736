// Where the simulator keeps e2.rom, RTC.ram, logo.bin and SM.INI.
#pragma once

#include <QString>
#include <filesystem>
#include <memory>

#include "sim/program_files.h"

class QMenu;
class QLockFile;

namespace zen {

struct ProgramFolder {
  std::filesystem::path path;
  bool userData = false;  // the user's data folder, for an installed program
};

// The desktop entry an installation puts beside bin/, relative to bin/.
inline constexpr char InstalledDesktopEntry[] = "../share/applications/zenara.desktop";

// --data-dir wins. Otherwise the executable's own folder (a build, or a copy
// unpacked somewhere), unless the program is installed (its desktop entry
// stands beside bin/) or may not write beside itself: then the user's data
// folder, created when missing.
ProgramFolder chooseProgramFolder(const QString& dataDir, const QString& executableFolder,
                                  const QString& userDataFolder);

// The simulator's folder in the user's data folder (the application data
// folder of "Corvalen Orvex Zenara", e.g. ~/.local/share/Corvalen Orvex Zenara).
inline constexpr char UserDataFolderName[] = "Corvalen Orvex Zenara";

// The same for this program.
ProgramFolder chooseProgramFolder(const QString& dataDir);

// Beside the files: names the program that has the folder.
inline constexpr char ProgramFolderLockName[] = "zenara.lock";

// The folder checked (created when only it is missing) and locked for this
// program, so that two programs never overwrite each other's clock memory and
// SM.INI. A folder another program holds is read but not written.
struct ProgramFolderAccess {
  FolderCheck check;
  std::shared_ptr<QLockFile> lock;  // held until the program ends
};
ProgramFolderAccess openProgramFolder(const std::filesystem::path& folder);

class Dialogs;

// Adds "Program files: PATH" to the File menu; it opens the folder, or,
// where no file manager can, names it in a message through dialogs.
void addProgramFolderItem(QMenu& fileMenu, const std::filesystem::path& folder, Dialogs* dialogs = nullptr);

}  // namespace zen
