// The main window: the instrument's bezel with its screen, eight keys and
// alarm lamp, the simulation clock, and the desktop menus.
#pragma once

#include <QColor>
#include <QMainWindow>
#include <QTimer>
#include <QWidget>
#include <array>
#include <filesystem>
#include <memory>

#include "link/qt/qt_link.h"
#include "link/usb_bridge.h"
#include "sim/ini_file.h"
#include "sim/qt/dialogs.h"
#include "sim/qt/qt_host.h"

class QAction;
class QMenu;
class QSerialPort;

namespace zen {

class BezelKeys;
class TerminationSignals;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class PanelCommands;
class TForm7;
class TForm8;
class DevelopmentMenu;
class DesktopCommands;

// The simulated screen: both layers composited, at an integer zoom.
class ScreenView : public QWidget {
  Q_OBJECT
 public:
  ScreenView(Screen& screen, int zoom, QWidget* parent);
  // Schedules a repaint of what the firmware changed since the last call.
  void flush();
  void setZoom(int zoom);

 signals:
  // Mouse positions in picture pixels at zoom 1.
  void mouseDown(QPoint picture);
  void mouseMove(QPoint picture);
  void mouseUp(QPoint picture);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  Screen& screen_;
  int zoom_;
};

// An invisible hit area over one bezel key of the artwork.
class KeyShape : public QWidget {
  Q_OBJECT
 public:
  KeyShape(int bit, QWidget* parent);
  int bit() const { return bit_; }
  bool isDown() const { return down_; }

 signals:
  void pressed(int bit);
  void released(int bit);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int bit_;
  bool down_ = false;
};

class AlarmLamp : public QWidget {
  Q_OBJECT
 public:
  explicit AlarmLamp(QWidget* parent);
  void setLit(bool lit);
  bool isLit() const { return lit_; }
  QColor brushColour() const { return lit_ ? QColor(255, 0, 0) : QColor(128, 0, 0); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool lit_ = false;
};

// Dark instrument bezel with the key legends, behind everything.
class BezelView : public QWidget {
  Q_OBJECT
 public:
  BezelView(int zoom, QWidget* parent);
  void setKeyDown(int bit, bool down);
  void setZoom(int zoom);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int zoom_;
  std::array<bool, 8> keyDown_{};
};

class TForm1 : public QMainWindow {
  Q_OBJECT
 public:
  struct Options {
    std::filesystem::path programFolder;
    int zoom = 1;                // 0: from SM.INI, or the largest that suits the screen
    Dialogs* dialogs = nullptr;  // default: real message boxes
    UsbBridge* usb = nullptr;    // default: the CP210x bridge among the system's serial ports
    // Termination requests (SIGINT, SIGTERM), heard from the first moment
    // of the window's creation on.
    TerminationSignals* termination = nullptr;
    // Carries the firmware for updates; default: the running program's own file.
    std::filesystem::path programFile{};
    // The program folder as start-up found it (openProgramFolder): said at
    // start; one that cannot be used, or another program's, is not written.
    FolderCheck folderCheck{};
  };
  explicit TForm1(Options options);
  ~TForm1() override;

  QtHost& host() { return *host_; }
  Instrument& instrument() { return host_->instrument(); }
  bool usbMode() const { return link_->usbMode(); }
  int comPort() const { return link_->comPort(); }
  // The instrument link, for every window that talks to a real instrument.
  QtLink& link() { return *link_; }
  TForm6* portSelectionWindow() const { return form6_; }
  // File and Connect menu commands that move panels.
  PanelCommands* panelCommands() const { return panelCommands_; }
  TForm7* firmwareUpdateWindow() const { return form7_; }
  const QString& carriedFirmwareVersion() const { return carriedFirmwareVersion_; }
  QMenu* developmentMenu() const { return developmentMenu_; }
  TForm3* engineUnitWindow() const { return form3_; }
  TForm4* pressureWindow() const { return form4_; }
  TForm5* attitudeWindow() const { return form5_; }
  TForm8* designerWindow() const { return form8_; }
  DevelopmentMenu* developmentCommands() const { return development_; }
  // Zoom, title, status line, Quit, Help and the question at close.
  DesktopCommands* desktopCommands() const { return desktop_; }
  const std::filesystem::path& programFolder() const { return options_.programFolder; }
  int zoom() const { return zoom_; }
  // Redraws the bezel, the screen and the key areas at another integer zoom.
  void setZoom(int zoom);
  QSerialPort* serialPort() const { return link_->serialPort(); }
  bool shutDown() const { return shutDown_; }
  // RTC.ram or SM.INI could not be written at close.
  bool saveFailed() const { return saveFailed_; }

  // Keyboard keys standing in for the bezel keys, by key bit.
  static int keyBitForKey(int qtKey);
  // Each bezel key's legend with the keyboard keys that press it.
  static QList<QPair<QString, QString>> keyboardKeys();

 public slots:
  void Button1Click();
  void Timer1Timer();
  // Closes the program without asking anyone: open dialogs are ended and
  // failures go to standard error instead of message boxes.
  void requestTermination();
  void Showpaneldesignaid1Click();

 signals:
  // Emitted once the firmware stopped and the files were written.
  void finished();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void FormCreate();
  void buildMenus();
  void Shape6MouseDown(int bit);
  void Shape6MouseUp(int bit);
  void Image2MouseDown(QPoint picture);
  void Image2MouseMove(QPoint picture);
  void Image2MouseUp(QPoint picture);
  // Shut-down steps once the firmware no longer runs.
  void FormCloseQuery();
  void showFileError(const std::filesystem::path& file, const std::string& message);

  Options options_;
  std::unique_ptr<WidgetDialogs> ownDialogs_;
  std::unique_ptr<ClosingDialogs> closingDialogs_;
  Dialogs* dialogs_;  // every window's dialogs go through closingDialogs_
  std::unique_ptr<UsbBridge> ownUsb_;
  UsbBridge* usb_;
  std::unique_ptr<QtHost> host_;
  IniFile ini_;
  std::filesystem::path iniPath_;
  bool iniReadable_ = true;  // an unreadable SM.INI is left as it is
  BezelView* Image3 = nullptr;
  ScreenView* Image2 = nullptr;
  std::array<KeyShape*, 8> shapes_{};
  BezelKeys* keys_ = nullptr;  // held from the keyboard or with the mouse
  AlarmLamp* Shape11 = nullptr;
  QTimer* Timer1 = nullptr;
  QtLink* link_ = nullptr;
  QMenu* developmentMenu_ = nullptr;
  TForm3* form3_ = nullptr;
  TForm4* form4_ = nullptr;
  TForm5* form5_ = nullptr;
  TForm6* form6_ = nullptr;
  PanelCommands* panelCommands_ = nullptr;
  TForm7* form7_ = nullptr;
  TForm8* form8_ = nullptr;
  DevelopmentMenu* development_ = nullptr;
  DesktopCommands* desktop_ = nullptr;
  int zoom_ = 1;
  bool portChosen_ = false;  // SM.INI names a port
  QString carriedFirmwareVersion_ = QStringLiteral("Unknown");
  bool closeRequested_ = false;
  bool shutDown_ = false;
  bool created_ = false;
  bool saveFailed_ = false;
};

}  // namespace zen
