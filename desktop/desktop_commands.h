// The main window's everyday conveniences around the simulated instrument:
// starting from the default settings, the zoom and the window places kept
// in SM.INI, the title that names the panel and marks unsaved settings, the
// status line, the question before unsaved settings are dropped at close,
// Quit, and the Help menu.
#pragma once

#include <QList>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <array>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QTimer;
class QWidget;

namespace zen {

class Dialogs;
class IniFile;
class TForm1;

class DesktopCommands : public QObject {
  Q_OBJECT
 public:
  static constexpr int MaxMenuZoom = 4;  // the View menu's, and the most a first start picks
  static constexpr int MaxZoom = 6;      // --zoom and SM.INI
  static constexpr char CloseQuestion[] = "Save the panel into e2.rom?";
  static constexpr char NoPortStatus[] =
      "No instrument port is open: choose one with Connect, Setup Velonet comms port.";

  // Runs at the end of the window's start-up, before it shows. zoom 0 takes
  // the zoom from SM.INI, or on a first start the largest that suits the
  // screen. An unavailable port that SM.INI names is reported in a message
  // over the shown window; without a port chosen, as on a first run, only
  // in the status line.
  DesktopCommands(TForm1& window, Dialogs& dialogs, const IniFile& ini, int zoom, bool portChosen);

  // At close: true when the window may close. Asks first when a panel load,
  // an upload or the panel designer left settings that e2.rom does not hold.
  bool confirmClose();
  // The zoom and the places of the windows shown in this run.
  void saveTo(IniFile& ini) const;

  // File, New settings from defaults: asks, then puts the complete default
  // settings into the running instrument and e2.rom.
  void NewSettingsFromDefaultsClick();
  void setZoom(int zoom);
  // The running instrument's settings differ from its settings memory.
  bool settingsUnsaved() const;
  // Updates the title and the port line now rather than at the next check.
  void refresh();
  QString statusText() const;
  QString portStatusText() const;

  // The largest zoom up to maxZoom at which client x zoom plus frame fits
  // in about two thirds of the available screen; at least 1.
  static int fittingZoom(QSize available, QSize client, QSize frame, int maxZoom = MaxMenuZoom);
  // A window at pos keeps its place when enough of its title strip lies on
  // one of the screens to grab it; otherwise it is moved just inside the
  // first screen.
  static QPoint onScreen(QPoint pos, QSize size, const QList<QRect>& screens);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Place {
    const char* key;
    QWidget* window;
  };
  void buildMenus();
  void restorePlaces(const IniFile& ini);
  void showMessageSoon(const QString& text);
  bool saveRunningSettings();
  // Whether e2.rom now holds exactly the image's bytes.
  bool e2FileHolds(const QString& what) const;
  QString e2Path() const;
  void fileWritten(const QString& path, bool holds);
  void panelFileUsed(const QString& file, bool loaded);
  void showKeyboardKeys();
  void showProgramFiles();
  void showAbout();

  TForm1& window_;
  Dialogs& dialogs_;
  QString baseTitle_;
  QString panelName_;      // the panel file loaded or saved last, for the title
  QString unsavedSource_;  // what brought settings that e2.rom does not hold
  std::array<Place, 4> places_{};
  QList<QWidget*> shown_;
  QActionGroup* zoomGroup_ = nullptr;
  QLabel* portLabel_ = nullptr;
  QTimer* check_ = nullptr;
};

}  // namespace zen
