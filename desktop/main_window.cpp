#include "desktop/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QSerialPort>
#include <QStatusBar>
#include <cmath>

#include "designer/qt/panel_designer.h"
#include "desktop/bezel_keys.h"
#include "desktop/desktop_commands.h"
#include "desktop/development_menu.h"
#include "desktop/panel_commands.h"
#include "desktop/panel_sheet_command.h"
#include "desktop/scenario_window.h"
#include "desktop/sensor_windows.h"
#include "desktop/termination.h"
#include "files/panel_settings.h"
#include "firmware/core/firmware_state.h"
#include "firmware/core/keys.h"
#include "link/qt/com_port.h"
#include "link/qt/cp210x_bridge.h"
#include "link/qt/firmware_update_window.h"
#include "link/qt/port_selection.h"

namespace zen {

namespace {

constexpr int ClientWidth = 615;
constexpr int ClientHeight = 426;
constexpr QPoint ScreenOrigin{147, 88};
constexpr QSize ScreenPicture{330, 250};
constexpr int ScreenMargin = 5;

struct KeyPlace {
  int bit;
  const char* shape;
  QRect rect;
  const char* legend;
  const char* keyName;
};

// Tags follow the key bits; the left column carries keys 4..7, the right 0..3.
constexpr KeyPlace KeyPlaces[8] = {
    {key_bit::Menu, "Shape6", {501, 97, 57, 49}, "MENU", "M or Esc"},
    {key_bit::Select, "Shape7", {501, 158, 57, 49}, "SELECT", "Enter"},
    {key_bit::Next, "Shape8", {501, 218, 57, 49}, "NEXT", "N"},
    {key_bit::Prev, "Shape9", {501, 279, 57, 49}, "PREV", "P"},
    {key_bit::Plus, "Shape2", {64, 99, 57, 49}, "+", "+ or ="},
    {key_bit::Minus, "Shape3", {64, 160, 57, 49}, "-", "-"},
    {key_bit::Up, "Shape4", {63, 219, 57, 49}, "UP", "Up arrow"},
    {key_bit::Down, "Shape5", {63, 279, 57, 49}, "DOWN", "Down arrow"},
};

QRect zoomed(const QRect& r, int zoom) {
  return {r.x() * zoom, r.y() * zoom, r.width() * zoom, r.height() * zoom};
}

// Rounds towards minus infinity, so points left of or above the picture stay outside it.
QPoint unzoomed(QPointF p, int zoom) {
  return {static_cast<int>(std::floor(p.x() / zoom)), static_cast<int>(std::floor(p.y() / zoom))};
}

}  // namespace

// ---------------------------------------------------------------- ScreenView

ScreenView::ScreenView(Screen& screen, int zoom, QWidget* parent)
    : QWidget(parent), screen_(screen), zoom_(zoom) {
  setObjectName("Image2");
  setAttribute(Qt::WA_OpaquePaintEvent);
  setGeometry(QRect(ScreenOrigin * zoom, ScreenPicture * zoom));
  setMouseTracking(true);
}

void ScreenView::mousePressEvent(QMouseEvent* event) { emit mouseDown(unzoomed(event->position(), zoom_)); }

void ScreenView::mouseMoveEvent(QMouseEvent* event) { emit mouseMove(unzoomed(event->position(), zoom_)); }

void ScreenView::mouseReleaseEvent(QMouseEvent* event) { emit mouseUp(unzoomed(event->position(), zoom_)); }

void ScreenView::flush() {
  const DirtyRect dirty = screen_.takeDirty();
  if (dirty.empty()) return;
  update(QRect((dirty.left + ScreenMargin) * zoom_, (dirty.top + ScreenMargin) * zoom_,
               (dirty.right - dirty.left + 1) * zoom_, (dirty.bottom - dirty.top + 1) * zoom_));
}

void ScreenView::setZoom(int zoom) {
  zoom_ = zoom;
  setGeometry(QRect(ScreenOrigin * zoom, ScreenPicture * zoom));
  update();
}

void ScreenView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QColor silver(192, 192, 192);
  painter.fillRect(event->rect(), silver);
  const QRect area = event->rect();
  const int x0 = std::max(0, area.left() / zoom_ - ScreenMargin);
  const int y0 = std::max(0, area.top() / zoom_ - ScreenMargin);
  const int x1 = std::min(ScreenWidth - 1, area.right() / zoom_ - ScreenMargin);
  const int y1 = std::min(ScreenHeight - 1, area.bottom() / zoom_ - ScreenMargin);
  if (x1 < x0 || y1 < y0) return;
  // Paint row runs of ink, which keeps a full repaint cheap.
  for (int y = y0; y <= y1; ++y) {
    int x = x0;
    while (x <= x1) {
      if (!screen_.compositePixel(x, y)) {
        ++x;
        continue;
      }
      int end = x;
      while (end + 1 <= x1 && screen_.compositePixel(end + 1, y)) ++end;
      painter.fillRect((x + ScreenMargin) * zoom_, (y + ScreenMargin) * zoom_, (end - x + 1) * zoom_, zoom_,
                       Qt::black);
      x = end + 1;
    }
  }
}

// ------------------------------------------------------------------ KeyShape

KeyShape::KeyShape(int bit, QWidget* parent) : QWidget(parent), bit_(bit) {
  setCursor(Qt::PointingHandCursor);
  setAttribute(Qt::WA_TranslucentBackground);
}

void KeyShape::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  down_ = true;
  emit pressed(bit_);
}

void KeyShape::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !down_) return;
  down_ = false;
  emit released(bit_);
}

// ----------------------------------------------------------------- AlarmLamp

AlarmLamp::AlarmLamp(QWidget* parent) : QWidget(parent) {
  setObjectName("Shape11");
  setAttribute(Qt::WA_TranslucentBackground);
}

void AlarmLamp::setLit(bool lit) {
  if (lit == lit_) return;
  lit_ = lit;
  update();
}

void AlarmLamp::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(20, 20, 20), 1));
  painter.setBrush(brushColour());
  painter.drawEllipse(rect().adjusted(1, 1, -1, -1));
}

// ----------------------------------------------------------------- BezelView

BezelView::BezelView(int zoom, QWidget* parent) : QWidget(parent), zoom_(zoom) {
  setObjectName("Image3");
  setGeometry(0, 0, 617 * zoom, 425 * zoom);
}

void BezelView::setZoom(int zoom) {
  zoom_ = zoom;
  setGeometry(0, 0, 617 * zoom, 425 * zoom);
  update();
}

void BezelView::setKeyDown(int bit, bool down) {
  keyDown_[bit] = down;
  update(zoomed(KeyPlaces[bit].rect, zoom_).adjusted(-4, -4, 4, 4));
}

void BezelView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(zoom_, zoom_);
  p.fillRect(QRect(0, 0, 617, 425), QColor(58, 60, 64));

  // Instrument face with a bevelled edge.
  QLinearGradient face(0, 10, 0, 415);
  face.setColorAt(0, QColor(44, 46, 50));
  face.setColorAt(1, QColor(24, 25, 28));
  p.setPen(QPen(QColor(90, 92, 98), 3));
  p.setBrush(face);
  p.drawRoundedRect(QRectF(10, 10, 597, 405), 26, 26);
  for (QPointF screw : {QPointF(30, 30), QPointF(587, 30), QPointF(30, 395), QPointF(587, 395)}) {
    p.setPen(QPen(QColor(20, 20, 20), 1));
    p.setBrush(QColor(120, 122, 128));
    p.drawEllipse(screw, 7, 7);
    p.drawLine(screw + QPointF(-5, 0), screw + QPointF(5, 0));
  }

  // Screen recess.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(10, 10, 12));
  p.drawRoundedRect(QRectF(ScreenOrigin.x() - 10, ScreenOrigin.y() - 10, 350, 270), 8, 8);

  p.setPen(QColor(200, 200, 205));
  QFont brand = p.font();
  brand.setPointSizeF(11);
  brand.setBold(true);
  p.setFont(brand);
  p.drawText(QRectF(147, 40, 330, 24), Qt::AlignCenter, "CORVALEN  ORVEX ZENARA");
  QFont small = brand;
  small.setPointSizeF(7);
  p.setFont(small);
  p.drawText(QRectF(490, 34, 80, 16), Qt::AlignCenter, "ALARM");

  // Key caps under the invisible key shapes.
  QFont legend = brand;
  legend.setPointSizeF(8);
  p.setFont(legend);
  for (const KeyPlace& key : KeyPlaces) {
    const QRectF r = QRectF(key.rect).adjusted(4, 4, -4, -4);
    const bool down = keyDown_[key.bit];
    QLinearGradient cap(r.topLeft(), r.bottomLeft());
    cap.setColorAt(0, down ? QColor(60, 62, 66) : QColor(112, 115, 122));
    cap.setColorAt(1, down ? QColor(84, 86, 92) : QColor(70, 72, 78));
    p.setPen(QPen(QColor(16, 16, 18), 2));
    p.setBrush(cap);
    p.drawRoundedRect(r.translated(0, down ? 1 : 0), 9, 9);
    p.setPen(QColor(235, 235, 235));
    p.drawText(r.translated(0, down ? 1 : 0), Qt::AlignCenter, key.legend);
  }
}

// -------------------------------------------------------------------- TForm1

TForm1::TForm1(Options options) : options_(std::move(options)) {
  // A message box of the start-up below must not outlive a termination request.
  if (options_.termination)
    connect(options_.termination, &TerminationSignals::requested, this, &TForm1::requestTermination);
  if (!options_.dialogs) ownDialogs_ = std::make_unique<WidgetDialogs>(this);
  closingDialogs_ = std::make_unique<ClosingDialogs>(options_.dialogs ? *options_.dialogs : *ownDialogs_);
  dialogs_ = closingDialogs_.get();
  if (!options_.usb) ownUsb_ = std::make_unique<Cp210xBridge>();
  usb_ = options_.usb ? options_.usb : ownUsb_.get();
  host_ = std::make_unique<QtHost>(options_.programFolder);
  host_->onAlarmLed = [this](bool lit) { Shape11->setLit(lit); };
  host_->onFileError = [this](const std::filesystem::path& file, const std::string& message) {
    showFileError(file, message);
  };
  host_->beforeSleep = [this] { Image2->flush(); };

  setWindowTitle("Corvalen Orvex Zenara panel designer");
  const int zoom = std::max(1, options_.zoom);
  zoom_ = zoom;
  auto* client = new QWidget(this);
  client->setObjectName("client");
  client->setFixedSize(ClientWidth * zoom, ClientHeight * zoom);
  setCentralWidget(client);
  Image3 = new BezelView(zoom, client);
  Image2 = new ScreenView(instrument().screen, zoom, client);
  connect(Image2, &ScreenView::mouseDown, this, &TForm1::Image2MouseDown);
  connect(Image2, &ScreenView::mouseMove, this, &TForm1::Image2MouseMove);
  connect(Image2, &ScreenView::mouseUp, this, &TForm1::Image2MouseUp);
  keys_ = new BezelKeys(this);
  connect(keys_, &BezelKeys::keyChanged, this,
          [this](int bit, bool down) { down ? Shape6MouseDown(bit) : Shape6MouseUp(bit); });
  for (const KeyPlace& key : KeyPlaces) {
    auto* shape = new KeyShape(key.bit, client);
    shape->setObjectName(key.shape);
    shape->setGeometry(zoomed(key.rect, zoom));
    shape->setToolTip(QStringLiteral("%1 (key: %2)").arg(key.legend, key.keyName));
    connect(shape, &KeyShape::pressed, keys_, [this](int bit) { keys_->press(bit, BezelKeys::Mouse); });
    connect(shape, &KeyShape::released, keys_, [this](int bit) { keys_->release(bit, BezelKeys::Mouse); });
    shapes_[key.bit] = shape;
  }
  Shape11 = new AlarmLamp(client);
  Shape11->setGeometry(zoomed(QRect(512, 56, 33, 25), zoom));
  setFocusPolicy(Qt::StrongFocus);

  link_ = new QtLink(
      *host_, *dialogs_, *usb_, [this](int n) { return QString::fromStdString(comPortDevice(ini_, n)); },
      this);
  panelCommands_ = new PanelCommands(*host_, link_->link(), *dialogs_, this);
  panelCommands_->onPanelApplied = [this] { Image2->flush(); };
  dialogs_->startFolder = QString::fromStdString(options_.programFolder.string());
  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setTimerType(Qt::PreciseTimer);
  Timer1->setInterval(ClockTickMs);
  connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);

  buildMenus();
  // The clock runs from creation, also while a start-up message is open.
  Timer1->start();
  FormCreate();
  desktop_ = new DesktopCommands(*this, *dialogs_, ini_, options_.zoom, portChosen_);
  // Fixed border: the layout of the bezel does not stretch.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  created_ = true;
  // Terminated during a start-up message: close once the event loop runs.
  if (closingDialogs_->terminating()) QTimer::singleShot(0, this, &QWidget::close);
}

// The child windows and the link refer to the host, the dialogs and the INI
// file, members that go before QWidget would delete its children; the
// designer refers to the instrument and goes first.
TForm1::~TForm1() {
  for (QObject* child : std::initializer_list<QObject*>{form8_, desktop_, development_, panelCommands_,
                                                        form7_, form6_, form5_, form4_, form3_, link_})
    delete child;
}

void TForm1::buildMenus() {
  QMenuBar* bar = menuBar();
  QMenu* file = bar->addMenu("&File");
  file->setObjectName("File1");
  panelCommands_->addFileActions(file);
  addPanelSheetAction(file, *host_, *dialogs_);
  QMenu* simulate = bar->addMenu("&Simulate");
  simulate->setObjectName("Simulate1");
  QAction* switchOn = simulate->addAction("Switch &Orvex Zenara on");
  switchOn->setObjectName("Button1");
  // Queued: the firmware then runs from the event loop, not from inside the menu's mouse handling.
  connect(switchOn, &QAction::triggered, this, &TForm1::Button1Click, Qt::QueuedConnection);
  connect(simulate->addAction("Show &pressure Sensors"), &QAction::triggered, this, [this] {
    form4_->show();
    form4_->raise();
  });
  connect(simulate->addAction("Show &Tarvik X D"), &QAction::triggered, this, [this] {
    form3_->show();
    form3_->raise();
  });
  connect(simulate->addAction("Show SV-5ra"), &QAction::triggered, this, [this] {
    form5_->show();
    form5_->raise();
  });
  QAction* scenario = simulate->addAction("Play flight &scenario...");
  scenario->setObjectName("Playflightscenario1");
  connect(scenario, &QAction::triggered, this, [this] {
    auto* player = findChild<ScenarioWindow*>();
    if (!player) player = new ScenarioWindow(*host_, *dialogs_, {form3_, form4_, form5_}, this);
    player->show();
    player->raise();
  });
  QMenu* connectMenu = bar->addMenu("&Connect");
  connectMenu->setObjectName("Connect1");
  QAction* setup = connectMenu->addAction("&Setup Velonet comms port");
  setup->setObjectName("SetupVelonetcommsport1");
  connect(setup, &QAction::triggered, this, [this] { form6_->showForPort(); });
  panelCommands_->addConnectActions(connectMenu);
  QAction* upgrade = connectMenu->addAction("Upgrade/&change Orvex firmware");
  upgrade->setObjectName("UpgradechangeOrvexfirmware1");
  connect(upgrade, &QAction::triggered, this, [this] { form7_->UpgradechangeOrvexfirmware1Click(); });
  QMenu* design = bar->addMenu("&Design");
  design->setObjectName("Design1");
  QAction* designAid = design->addAction("&Show panel design aid");
  designAid->setObjectName("Showpaneldesignaid1");
  connect(designAid, &QAction::triggered, this, &TForm1::Showpaneldesignaid1Click);
  developmentMenu_ = bar->addMenu("&Development");
  developmentMenu_->setObjectName("Development1");
  developmentMenu_->menuAction()->setVisible(false);
}

void TForm1::FormCreate() {
  const std::filesystem::path folder = options_.programFolder;
  const FolderCheck& check = options_.folderCheck;
  // A folder just made needs no answer: the status line says so, and a first
  // run is not held up by a message box.
  if (check.created)
    statusBar()->showMessage(QString::fromStdString(folder.string() + ": " + check.notice));
  else if (!check.notice.empty())
    showFileError(folder, check.notice);
  if (!check.writable) host_->restrictFolder(check.readable, check.refusal);
  std::error_code ignored;
  if (std::filesystem::exists(folder / "QMXTRV.K47", ignored))
    developmentMenu_->menuAction()->setVisible(true);
  instrument().screen.clearTextLayer();
  // Found in any letter case and written back under its own name; a first run creates "SM.INI".
  iniPath_ = findFileNoCase(folder, "SM.INI");
  if (auto error = check.readable ? ini_.load(iniPath_) : std::nullopt) {
    iniReadable_ = false;
    showFileError(iniPath_, *error);
  }
  if (!check.writable) iniReadable_ = false;  // nor is SM.INI written

  // Sensor windows restore their controls from the INI file as they are created.
  form3_ = new TForm3(instrument(), ini_, this);
  form4_ = new TForm4(instrument(), ini_, this);
  form5_ = new TForm5(instrument(), ini_, this);
  form6_ = new TForm6(
      *link_, ini_,
      [this] {
        // A file that could not be read is never written over.
        if (!iniReadable_) return false;
        ini_.writeInteger("General", "PORT", link_->comPort());
        if (auto error = ini_.save(iniPath_)) {
          showFileError(iniPath_, *error);
          return false;
        }
        return true;
      },
      this);
  form7_ = new TForm7(link_->link(), *dialogs_, host_->logo(), folder, this);
  form8_ = new TForm8(instrument(), this);
  development_ = new DevelopmentMenu(developmentMenu_, *host_, *dialogs_, this);
  development_->viewRamWindow()->setLink(&link_->link());

  host_->loadFiles();
  form7_->updater().scanProgramFile(
      options_.programFile.empty() ? std::filesystem::path(QApplication::applicationFilePath().toStdString())
                                   : options_.programFile);
  const std::string& version = form7_->updater().carriedFirmwareVersion();
  carriedFirmwareVersion_ = QString::fromLatin1(version.data(), static_cast<qsizetype>(version.size()));

  // No port chosen yet, as on a first run: nobody asked for COM1.
  portChosen_ = ini_.readString("General", "PORT").has_value();
  int comPort = ini_.readInteger("General", "PORT", 1);
  if (comPort < 1 || comPort > 8) comPort = 1;
  setWindowTitle(windowTitle() + ". Firmware version " + FirmwareVersion);
  // An unavailable port is reported once the window shows (see DesktopCommands).
  if (link_->start(comPort, false)) setWindowTitle(windowTitle() + " USB");
}

void TForm1::showFileError(const std::filesystem::path& file, const std::string& message) {
  dialogs_->showMessage(fileErrorText(file, message));
}

void TForm1::setZoom(int zoom) {
  if (zoom == zoom_ || zoom < 1) return;
  // Every area sits at whole multiples of the zoom.
  auto rezoom = [&](QWidget* w) {
    const QRect g = w->geometry();
    w->setGeometry(g.x() / zoom_ * zoom, g.y() / zoom_ * zoom, g.width() / zoom_ * zoom,
                   g.height() / zoom_ * zoom);
  };
  for (KeyShape* shape : shapes_) rezoom(shape);
  rezoom(Shape11);
  Image3->setZoom(zoom);
  Image2->setZoom(zoom);
  centralWidget()->setFixedSize(ClientWidth * zoom, ClientHeight * zoom);
  zoom_ = zoom;
}

QList<QPair<QString, QString>> TForm1::keyboardKeys() {
  QList<QPair<QString, QString>> keys;
  for (const KeyPlace& key : KeyPlaces) keys.append(qMakePair(QString(key.legend), QString(key.keyName)));
  return keys;
}

void TForm1::Button1Click() {
  if (host_->firmwareRunning() || closeRequested_) return;
  if (link_->link().exchanging() || form7_->updater().running()) {
    // Started inside a link wait, the firmware would hold that wait until it stops.
    QTimer::singleShot(100, this, &TForm1::Button1Click);
    return;
  }
  try {
    host_->switchOn();
  } catch (const HardwareFault& fault) {
    dialogs_->showMessage(QStringLiteral("The simulated instrument stopped: %1").arg(fault.what()));
  }
  Image2->flush();
  // The window was closed while the instrument ran: finish closing now.
  if (closeRequested_) FormCloseQuery();
}

void TForm1::Timer1Timer() {
  host_->clockTick();
  Image2->flush();
}

void TForm1::Shape6MouseDown(int bit) {
  host_->pressKey(bit);
  Image3->setKeyDown(bit, true);
}

void TForm1::Shape6MouseUp(int bit) {
  host_->releaseKey(bit);
  Image3->setKeyDown(bit, false);
}

void TForm1::Showpaneldesignaid1Click() {
  if (!host_->firmwareRunning()) {
    dialogs_->showMessage(SimulationNotRunningMessage);
    return;
  }
  form8_->show();
  form8_->raise();
}

void TForm1::Image2MouseDown(QPoint picture) {
  form8_->Image2MouseDown(picture);
  Image2->flush();
}

void TForm1::Image2MouseMove(QPoint picture) {
  if (form8_->state().designerDragging) {
    form8_->Image2MouseMove(picture);
    Image2->flush();
  }
  Image2->setCursor(form8_->state().designerDragging || form8_->pickableAt(picture) ? Qt::SizeAllCursor
                                                                                    : Qt::ArrowCursor);
}

void TForm1::Image2MouseUp(QPoint) { form8_->Image2MouseUp(); }

int TForm1::keyBitForKey(int qtKey) {
  switch (qtKey) {
    case Qt::Key_M:
    case Qt::Key_Escape:
      return key_bit::Menu;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return key_bit::Select;
    case Qt::Key_N:
      return key_bit::Next;
    case Qt::Key_P:
      return key_bit::Prev;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      return key_bit::Plus;
    case Qt::Key_Minus:
      return key_bit::Minus;
    case Qt::Key_Up:
      return key_bit::Up;
    case Qt::Key_Down:
      return key_bit::Down;
    default:
      return -1;
  }
}

void TForm1::keyPressEvent(QKeyEvent* event) {
  const int bit = keyBitForKey(event->key());
  if (bit < 0) return QMainWindow::keyPressEvent(event);
  if (!event->isAutoRepeat()) keys_->press(bit, BezelKeys::Keyboard);
}

void TForm1::keyReleaseEvent(QKeyEvent* event) {
  const int bit = keyBitForKey(event->key());
  if (bit < 0) return QMainWindow::keyReleaseEvent(event);
  if (!event->isAutoRepeat()) keys_->release(bit, BezelKeys::Keyboard);
}

// A key held while the focus moves away, or a dialog opens, never sees its
// release here.
void TForm1::focusOutEvent(QFocusEvent* event) {
  keys_->letGo();
  QMainWindow::focusOutEvent(event);
}

bool TForm1::event(QEvent* event) {
  if (event->type() == QEvent::WindowDeactivate) keys_->letGo();
  return QMainWindow::event(event);
}

void TForm1::requestTermination() {
  closingDialogs_->terminate();
  // Still creating: the constructor closes once it is done.
  if (created_) close();
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (shutDown_) {
    event->accept();
    return;
  }
  // Asked once; a termination request is never asked anything.
  if (!closeRequested_ && !closingDialogs_->terminating() && desktop_ && !desktop_->confirmClose()) {
    // A termination request during the question has closed the window meanwhile.
    if (shutDown_) return event->accept();
    event->ignore();
    return;
  }
  closeRequested_ = true;
  // A link wait ends at once; the command that waited then returns.
  link_->link().cancel();
  form6_->hide();
  form7_->hide();
  host_->requestStop();
  if (host_->firmwareActive()) {
    // The firmware runs below us on the stack; it returns within a few
    // milliseconds and the switch-on command finishes the shut-down.
    event->ignore();
    hide();
    return;
  }
  FormCloseQuery();
  event->accept();
}

void TForm1::FormCloseQuery() {
  if (shutDown_) return;
  shutDown_ = true;
  Timer1->stop();
  if (!host_->saveOnExit()) saveFailed_ = true;
  // A port nobody chose and that never opened stays unchosen, so the next start does not complain about it.
  const bool keepPort = portChosen_ || link_->isOpen() || link_->comPort() != 1;
  link_->shutDown();
  if (iniReadable_) {
    form3_->saveTo(ini_);
    form4_->saveTo(ini_);
    desktop_->saveTo(ini_);
    if (keepPort) ini_.writeInteger("General", "PORT", link_->comPort());
    if (auto error = ini_.save(iniPath_)) {
      saveFailed_ = true;
      showFileError(iniPath_, *error);
    }
  }
  if (link_->usbMode()) usb_->close();
  emit finished();
}

}  // namespace zen
