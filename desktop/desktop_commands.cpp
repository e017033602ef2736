#include "desktop/desktop_commands.h"

#include <QActionGroup>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>

#include "designer/qt/panel_designer.h"
#include "desktop/main_window.h"
#include "desktop/panel_commands.h"
#include "desktop/sensor_windows.h"
#include "firmware/core/firmware_state.h"
#include "firmware/core/settings_store.h"
#include "firmware/instruments/derived_settings.h"
#include "firmware/instruments/panel.h"
#include "sim/atomic_file.h"
#include "sim/ini_file.h"
#include "sim/program_files.h"
#include "sim/qt/dialogs.h"
#include "sim/qt/program_folder.h"

namespace zen {

namespace {

constexpr char WindowSection[] = "Window";
constexpr int CheckIntervalMs = 500;
constexpr int StatusShownMs = 8000;

QString pathText(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

std::string key(const char* name, const char* part) { return std::string(name) + part; }

}  // namespace

DesktopCommands::DesktopCommands(TForm1& window, Dialogs& dialogs, const IniFile& ini, int zoom,
                                 bool portChosen)
    : QObject(&window), window_(window), dialogs_(dialogs), baseTitle_(window.windowTitle()) {
  places_ = {{{"Main", &window},
              {"Pressure", window.pressureWindow()},
              {"Engine", window.engineUnitWindow()},
              {"Attitude", window.attitudeWindow()}}};
  for (const Place& place : places_) place.window->installEventFilter(this);

  portLabel_ = new QLabel(&window);
  portLabel_->setObjectName("PortStatus");
  window.statusBar()->addPermanentWidget(portLabel_);
  buildMenus();

  if (zoom < 1) zoom = ini.readInteger(WindowSection, "Zoom", 0);
  if (zoom < 1 || zoom > MaxZoom) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize frame(0, window.menuBar()->sizeHint().height() + window.statusBar()->sizeHint().height());
    zoom = screen ? fittingZoom(screen->availableGeometry().size(),
                                window.centralWidget()->size() / window.zoom(), frame)
                  : 1;
  }
  setZoom(zoom);
  restorePlaces(ini);

  QtHost& host = window.host();
  host.onFileWritten = [this](const std::filesystem::path& file, std::span<const std::uint8_t> bytes) {
    if (file.filename() != "e2.rom") return;
    const ReadResult back = readFilePrefix(file, bytes.size() + 1);
    fileWritten(pathText(file),
                !back.error && std::equal(back.bytes.begin(), back.bytes.end(), bytes.begin(), bytes.end()));
  };
  PanelCommands* panels = window.panelCommands();
  connect(panels, &PanelCommands::panelFileUsed, this, &DesktopCommands::panelFileUsed);
  connect(panels, &PanelCommands::panelUploaded, this, [this] {
    unsavedSource_ = "The panel uploaded from the instrument";
    panelName_ = "Panel from the instrument";
    refresh();
  });

  check_ = new QTimer(this);
  check_->setInterval(CheckIntervalMs);
  connect(check_, &QTimer::timeout, this, &DesktopCommands::refresh);
  check_->start();
  refresh();

  // Over the visible window, once the event loop runs: nothing holds the window back.
  if (!window.usbMode() && !window.link().isOpen() && portChosen)
    showMessageSoon(QtLink::unavailableMessage(window.comPort()));
}

void DesktopCommands::showMessageSoon(const QString& text) {
  QTimer::singleShot(0, this, [this, text] { dialogs_.showMessage(text); });
}

void DesktopCommands::buildMenus() {
  QMenuBar* bar = window_.menuBar();
  QMenu* file = window_.findChild<QMenu*>("File1");
  QAction* defaults = file->addAction("&New settings from defaults\u2026");
  defaults->setObjectName("NewSettingsFromDefaults1");
  connect(defaults, &QAction::triggered, this, &DesktopCommands::NewSettingsFromDefaultsClick);
  addProgramFolderItem(*file, window_.programFolder(), &dialogs_);
  file->addSeparator();
  QAction* quit = file->addAction("&Quit");
  quit->setObjectName("Quit1");
  quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  connect(quit, &QAction::triggered, &window_, &QWidget::close);

  auto* view = new QMenu("&View", bar);
  view->setObjectName("View1");
  bar->insertMenu(window_.findChild<QMenu*>("Simulate1")->menuAction(), view);
  zoomGroup_ = new QActionGroup(view);
  for (int zoom = 1; zoom <= MaxMenuZoom; ++zoom) {
    QAction* action = view->addAction(QStringLiteral("Zoom &%1 (%2 x %3)")
                                          .arg(zoom)
                                          .arg(window_.centralWidget()->width() / window_.zoom() * zoom)
                                          .arg(window_.centralWidget()->height() / window_.zoom() * zoom));
    action->setObjectName(QStringLiteral("Zoom%1").arg(zoom));
    action->setCheckable(true);
    action->setData(zoom);
    zoomGroup_->addAction(action);
    connect(action, &QAction::triggered, this, [this, zoom] { setZoom(zoom); });
  }

  QMenu* help = bar->addMenu("&Help");
  help->setObjectName("Help1");
  connect(help->addAction("&Keyboard keys"), &QAction::triggered, this, &DesktopCommands::showKeyboardKeys);
  connect(help->addAction("&Program files"), &QAction::triggered, this, &DesktopCommands::showProgramFiles);
  connect(help->addAction("&About"), &QAction::triggered, this, &DesktopCommands::showAbout);
  for (QAction* a : help->actions()) a->setObjectName("Help" + a->text().remove('&').remove(' '));
}

void DesktopCommands::setZoom(int zoom) {
  window_.setZoom(zoom);
  for (QAction* action : zoomGroup_->actions()) action->setChecked(action->data().toInt() == window_.zoom());
  // A larger window may now reach past the screen's edge.
  if (window_.isVisible()) {
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) screens << screen->availableGeometry();
    window_.adjustSize();
    window_.move(onScreen(window_.pos(), window_.frameGeometry().size(), screens));
  }
}

int DesktopCommands::fittingZoom(QSize available, QSize client, QSize frame, int maxZoom) {
  for (int zoom = maxZoom; zoom > 1; --zoom) {
    const QSize size = client * zoom + frame;
    if (size.width() * 3 <= available.width() * 2 && size.height() * 3 <= available.height() * 2) return zoom;
  }
  return 1;
}

QPoint DesktopCommands::onScreen(QPoint pos, QSize size, const QList<QRect>& screens) {
  // Enough of the title strip to grab with the mouse.
  constexpr int GripWidth = 60, GripHeight = 20;
  const QRect strip(pos, QSize(size.width(), GripHeight));
  for (const QRect& screen : screens) {
    const QRect common = strip & screen;
    if (common.width() >= GripWidth && common.height() >= GripHeight) return pos;
  }
  if (screens.isEmpty()) return pos;
  const QRect& first = screens.first();
  return {std::clamp(pos.x(), first.left(), std::max(first.left(), first.right() + 1 - size.width())),
          std::clamp(pos.y(), first.top(), std::max(first.top(), first.bottom() + 1 - size.height()))};
}

void DesktopCommands::restorePlaces(const IniFile& ini) {
  QList<QRect> screens;
  for (const QScreen* screen : QGuiApplication::screens()) screens << screen->availableGeometry();
  for (const Place& place : places_) {
    constexpr int Unset = -1000000;
    const int left = ini.readInteger(WindowSection, key(place.key, "Left"), Unset);
    const int top = ini.readInteger(WindowSection, key(place.key, "Top"), Unset);
    if (left == Unset || top == Unset) continue;
    place.window->adjustSize();
    place.window->move(onScreen({left, top}, place.window->frameGeometry().size(), screens));
  }
}

void DesktopCommands::saveTo(IniFile& ini) const {
  ini.writeInteger(WindowSection, "Zoom", window_.zoom());
  for (const Place& place : places_) {
    if (!shown_.contains(place.window)) continue;
    ini.writeInteger(WindowSection, key(place.key, "Left"), place.window->pos().x());
    ini.writeInteger(WindowSection, key(place.key, "Top"), place.window->pos().y());
  }
}

bool DesktopCommands::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Show) {
    auto* widget = static_cast<QWidget*>(watched);
    if (!shown_.contains(widget)) shown_ << widget;
  }
  return QObject::eventFilter(watched, event);
}

QString DesktopCommands::e2Path() const { return pathText(window_.programFolder() / "e2.rom"); }

bool DesktopCommands::settingsUnsaved() const {
  // Before switch-on the firmware has not loaded the settings memory yet.
  const Instrument& z = window_.instrument();
  return window_.host().firmwareRunning() && !imageHoldsSettings(z.e2, z.settings);
}

void DesktopCommands::refresh() {
  const bool unsaved = settingsUnsaved();
  if (!unsaved && window_.host().firmwareRunning()) unsavedSource_.clear();
  // The designer changes the running settings; leaving its move mode saves them.
  if (unsavedSource_.isEmpty() && window_.designerWindow()->isVisible())
    unsavedSource_ = "What was changed with the panel designer";
  QString title = baseTitle_;
  if (!panelName_.isEmpty() || unsaved)
    title = (panelName_.isEmpty() ? QStringLiteral("Unsaved settings") : panelName_) + (unsaved ? "*" : "") +
            " - " + baseTitle_;
  if (window_.windowTitle() != title) window_.setWindowTitle(title);

  const bool portOpen = window_.link().isOpen();
  const QString port = window_.usbMode() ? QStringLiteral("Instrument port: USB")
                       : portOpen        ? QStringLiteral("Instrument port: COM%1").arg(window_.comPort())
                                         : QString(NoPortStatus);
  if (portLabel_->text() != port) portLabel_->setText(port);
}

QString DesktopCommands::statusText() const { return window_.statusBar()->currentMessage(); }

QString DesktopCommands::portStatusText() const { return portLabel_->text(); }

void DesktopCommands::fileWritten(const QString& path, bool holds) {
  if (!holds) {
    showMessageSoon(path + ": the file does not hold the settings just written");
    return;
  }
  window_.statusBar()->showMessage("Saved the settings in " + path, StatusShownMs);
  refresh();
}

void DesktopCommands::panelFileUsed(const QString& file, bool loaded) {
  panelName_ = QFileInfo(file).fileName();
  if (loaded) {
    unsavedSource_ = "The panel loaded from " + file;
  } else {
    window_.statusBar()->showMessage("Saved the panel in " + file, StatusShownMs);
  }
  refresh();
}

bool DesktopCommands::e2FileHolds(const QString& what) const {
  const Instrument& z = window_.instrument();
  const ReadResult back = readFilePrefix(window_.programFolder() / "e2.rom", SettingsImage::Size + 1);
  const bool holds =
      !back.error && std::equal(back.bytes.begin(), back.bytes.end(), z.e2.bytes.begin(), z.e2.bytes.end());
  // A failed write was reported already, naming the file and the reason.
  if (!holds && !back.error && !back.missing)
    dialogs_.showMessage(e2Path() + ": the file does not hold " + what);
  return holds;
}

bool DesktopCommands::saveRunningSettings() {
  Instrument& z = window_.instrument();
  saveAllSettings(z);
  return e2FileHolds("the running settings") && imageHoldsSettings(z.e2, z.settings);
}

bool DesktopCommands::confirmClose() {
  refresh();
  if (unsavedSource_.isEmpty() || !settingsUnsaved()) return true;
  const QString details =
      QStringLiteral(
          "%1 is not in e2.rom yet. Save writes the running settings, the panel with every other setting, "
          "into %2, where the instrument finds them at its next start. Discard closes without writing it.")
          .arg(unsavedSource_, e2Path());
  const int answer = dialogs_.ask(CloseQuestion, details, {"Save", "Discard", "Cancel"});
  if (answer == 1) return true;
  if (answer != 0) return false;
  return saveRunningSettings();
}

void DesktopCommands::NewSettingsFromDefaultsClick() {
  const QString details =
      QStringLiteral(
          "Every setting of the simulated instrument, the sensor calibration and the panel included, is "
          "replaced by the built-in defaults and written into %1. Save the panel as a panel file first to "
          "keep it.")
          .arg(e2Path());
  if (dialogs_.ask("Start from the default settings?", details, {"Replace", "Cancel"}) != 0) return;
  Instrument& z = window_.instrument();
  z.e2 = imageFromDefaults(z.settings);
  // A switched-off instrument loads the image when switched on.
  if (window_.host().firmwareRunning()) {
    loadAllSettings(z);
    recomputeDerivedSettings(z);
    redrawPage(z);
  }
  writeSettingsFile(z);
  if (e2FileHolds("the default settings")) {
    unsavedSource_.clear();
    panelName_.clear();
  }
  refresh();
}

void DesktopCommands::showKeyboardKeys() {
  QString text = "While the main window has the focus, the keyboard presses the bezel keys:\n";
  for (const auto& [legend, keys] : TForm1::keyboardKeys()) text += "\n" + legend + ": " + keys;
  text += "\n\nHeld keys repeat like the bezel keys; + and - together set the altimeter to 1013.";
  dialogs_.showMessage(text);
}

void DesktopCommands::showProgramFiles() {
  dialogs_.showMessage(
      "The simulator keeps its files in\n" + pathText(window_.programFolder()) +
      "\n\ne2.rom: the instrument's settings memory\nRTC.ram: the clock chip's memory (QNH, flight timer, "
      "engine hours)\nlogo.bin: an optional start-up logo\nSM.INI: the port, the simulator sliders, the zoom "
      "and the window places\n\nStart the program with --data-dir DIR to use another folder.");
}

void DesktopCommands::showAbout() {
  dialogs_.showMessage(QStringLiteral("Corvalen Orvex Zenara panel designer and simulator\n\nProgram version "
                                      "%1\nSimulated firmware version %2\nFirmware carried for updates: %3")
                           .arg(ZENARA_VERSION, FirmwareVersion, window_.carriedFirmwareVersion()));
}

}  // namespace zen
