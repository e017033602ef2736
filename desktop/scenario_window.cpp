#include "desktop/scenario_window.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QUdpSocket>
#include <algorithm>
#include <cmath>

#include "desktop/sensor_windows.h"
#include "sim/qt/dialogs.h"
#include "sim/simulation_host.h"

namespace zen {

namespace {

// The slider moves in tenths of a second.
constexpr int SliderSteps = 10;

QString clockText(double seconds) {
  const int whole = static_cast<int>(std::floor(seconds));
  return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

std::optional<ListenAddress> parseListenAddress(const QString& text) {
  const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
  bool ok = false;
  const uint port = text.mid(colon + 1).toUInt(&ok);
  if (!ok || port == 0 || port > 65535) return std::nullopt;
  const QString address = colon < 0 ? QStringLiteral("127.0.0.1") : text.left(colon);
  if (QHostAddress(address).isNull()) return std::nullopt;
  return ListenAddress{address, static_cast<quint16>(port)};
}

ScenarioWindow::ScenarioWindow(SimulationHost& host, Dialogs& dialogs, SensorWindows windows, QWidget* parent)
    : QWidget(parent, Qt::Tool), host_(host), dialogs_(dialogs), windows_(windows) {
  setObjectName(QStringLiteral("ScenarioWindow"));
  setWindowTitle(QStringLiteral("Flight scenario"));

  open_ = new QPushButton(QStringLiteral("Open..."), this);
  playPause_ = new QPushButton(QStringLiteral("Play"), this);
  speedBox_ = new QComboBox(this);
  for (int s : Speeds) speedBox_->addItem(QStringLiteral("\u00D7%1").arg(s), s);
  position_ = new QSlider(Qt::Horizontal, this);
  timeLabel_ = new QLabel(this);
  fileLabel_ = new QLabel(QStringLiteral("No scenario"), this);
  message_ = new QLabel(this);
  message_->setWordWrap(true);

  auto* grid = new QGridLayout(this);
  grid->addWidget(fileLabel_, 0, 0, 1, 3);
  grid->addWidget(open_, 0, 3);
  grid->addWidget(playPause_, 1, 0);
  grid->addWidget(new QLabel(QStringLiteral("Speed"), this), 1, 1, Qt::AlignRight);
  grid->addWidget(speedBox_, 1, 2);
  grid->addWidget(timeLabel_, 1, 3, Qt::AlignRight);
  grid->addWidget(position_, 2, 0, 1, 4);
  livePort_ = new QLineEdit(QStringLiteral("5500"), this);
  livePort_->setToolTip(QStringLiteral("UDP port on this computer (loopback), or ADDRESS:PORT"));
  liveButton_ = new QPushButton(QStringLiteral("Listen"), this);
  liveLabel_ = new QLabel(this);
  liveLabel_->setWordWrap(true);
  grid->addWidget(new QLabel(QStringLiteral("Live UDP"), this), 3, 0);
  grid->addWidget(livePort_, 3, 1, 1, 2);
  grid->addWidget(liveButton_, 3, 3);
  grid->addWidget(liveLabel_, 4, 0, 1, 4);
  grid->addWidget(message_, 5, 0, 1, 4);
  connect(liveButton_, &QPushButton::clicked, this, [this] {
    if (live_) {
      stopListening();
      return;
    }
    const QString text = livePort_->text().trimmed();
    if (const auto where = parseListenAddress(text))
      listen(where->address, where->port);
    else
      dialogs_.showMessage(QStringLiteral("\"%1\" is not a UDP port (1..65535) or ADDRESS:PORT.").arg(text));
  });
  setMinimumWidth(360);

  connect(open_, &QPushButton::clicked, this, &ScenarioWindow::chooseFile);
  connect(playPause_, &QPushButton::clicked, this, [this] { playing_ ? pause() : play(); });
  connect(speedBox_, &QComboBox::activated, this,
          [this](int index) { setSpeed(speedBox_->itemData(index).toInt()); });
  // Only a hand on the slider seeks; the player moving it does not.
  connect(position_, &QSlider::sliderMoved, this,
          [this](int v) { seek(static_cast<double>(v) / SliderSteps); });

  // A bar moved by hand is the user's until the next play.
  if (windows_.engine)
    connect(windows_.engine, &TForm3::movedByHand, this, [this](SensorInput input) {
      if (player_) player_->applier().override(input);
    });
  if (windows_.pressure)
    connect(windows_.pressure, &TForm4::movedByHand, this, [this](SensorInput input) {
      if (player_) player_->applier().override(input);
    });

  timer_ = new QTimer(this);
  timer_->setInterval(ClockTickMs);
  connect(timer_, &QTimer::timeout, this, &ScenarioWindow::beat);
  showState();
}

ScenarioWindow::~ScenarioWindow() = default;

void ScenarioWindow::chooseFile() {
  const QString path = dialogs_.openFileName(QStringLiteral("Play flight scenario"),
                                             QStringLiteral("Flight scenarios (*.csv);;All files (*)"));
  if (!path.isEmpty()) load(path);
}

bool ScenarioWindow::load(const QString& path) {
  ScenarioRead read = readScenarioFile(path.toStdString());
  if (!read.scenario) {
    dialogs_.showMessage(QString::fromStdString(read.message));
    return false;
  }
  pause();
  player_ = std::make_unique<ScenarioPlayer>(std::move(*read.scenario));
  fileName_ = QFileInfo(path).fileName();
  time_ = 0;
  message_->clear();
  position_->setRange(0, static_cast<int>(std::ceil(player_->scenario().duration() * SliderSteps)));
  showState();
  return true;
}

void ScenarioWindow::play() {
  if (!player_ || live_) return;
  if (time_ >= player_->scenario().duration()) time_ = 0;
  player_->applier().clearOverrides();
  playing_ = true;
  applyNow();
  timer_->start();
  showState();
}

void ScenarioWindow::pause() {
  playing_ = false;
  timer_->stop();
  showState();
}

void ScenarioWindow::seek(double seconds) {
  if (!player_) return;
  time_ = std::clamp(seconds, 0.0, player_->scenario().duration());
  applyNow();
  showState();
}

void ScenarioWindow::setSpeed(int factor) {
  speed_ = std::clamp(factor, Speeds[0], Speeds[std::size(Speeds) - 1]);
  speedBox_->setCurrentIndex(speedBox_->findData(speed_));
}

void ScenarioWindow::beat() {
  if (!playing_ || !player_) return;
  // The window's own clock gives the instrument its first tick of each beat.
  for (int i = 1; i < speed_; ++i) host_.clockTick();
  time_ += speed_ * ClockTickMs / 1000.0;
  const double end = player_->scenario().duration();
  if (time_ >= end) {
    time_ = end;
    applyNow();
    pause();
    return;
  }
  applyNow();
  showState();
}

void ScenarioWindow::applyNow() {
  player_->apply(host_.instrument(), time_);
  followInputs();
  showReports(player_->applier().takeReports());
}

void ScenarioWindow::followInputs() {
  if (windows_.engine) windows_.engine->followInputs();
  if (windows_.pressure) windows_.pressure->followInputs();
  if (windows_.attitude) windows_.attitude->followInputs();
}

void ScenarioWindow::showReports(const std::vector<std::string>& reports) {
  for (const std::string& report : reports) {
    const QString line = QString::fromStdString(report);
    message_->setText(message_->text().isEmpty() ? line : message_->text() + QLatin1Char('\n') + line);
  }
}

bool ScenarioWindow::listen(const QString& address, quint16 port, std::optional<ScenarioHeader> columns) {
  stopListening();
  const QHostAddress host(address);
  auto* socket = new QUdpSocket(this);
  if (host.isNull() || !socket->bind(host, port)) {
    const QString why = host.isNull() ? QStringLiteral("not an address") : socket->errorString();
    delete socket;
    dialogs_.showMessage(
        QStringLiteral("UDP port %1 on %2 cannot be opened: %3").arg(port).arg(address, why));
    liveLabel_->setText(QStringLiteral("Not listening"));
    return false;
  }
  pause();
  socket_ = socket;
  live_ = std::make_unique<LiveScenario>(std::move(columns));
  liveWhere_ = QStringLiteral("%1:%2").arg(address).arg(port);
  connect(socket_, &QUdpSocket::readyRead, this, &ScenarioWindow::readDatagrams);
  liveButton_->setText(QStringLiteral("Stop"));
  livePort_->setEnabled(false);
  liveLabel_->setText(QStringLiteral("Listening on %1").arg(liveWhere_));
  showState();
  return true;
}

void ScenarioWindow::stopListening() {
  if (!live_) return;
  delete socket_;
  socket_ = nullptr;
  live_.reset();
  liveButton_->setText(QStringLiteral("Listen"));
  livePort_->setEnabled(true);
  liveLabel_->setText(QStringLiteral("Stopped listening on %1").arg(liveWhere_));
  showState();
}

void ScenarioWindow::readDatagrams() {
  while (socket_ && socket_->hasPendingDatagrams()) {
    const QByteArray bytes = socket_->receiveDatagram().data();
    live_->receive(host_.instrument(),
                   std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  }
  if (!live_) return;
  followInputs();
  showReports(live_->takeReports());
  QString text = QStringLiteral("Listening on %1: %2 datagrams taken, %3 refused")
                     .arg(liveWhere_)
                     .arg(live_->taken())
                     .arg(live_->refused());
  if (live_->refused() > 0)
    text += QStringLiteral(" (last: %1)").arg(QString::fromStdString(live_->lastProblem()));
  liveLabel_->setText(text);
}

void ScenarioWindow::showState() {
  const double duration = player_ ? player_->scenario().duration() : 0;
  timeLabel_->setText(clockText(time_) + QStringLiteral(" / ") + clockText(duration));
  if (!position_->isSliderDown()) position_->setValue(static_cast<int>(std::lround(time_ * SliderSteps)));
  playPause_->setText(playing_ ? QStringLiteral("Pause") : QStringLiteral("Play"));
  playPause_->setEnabled(player_ != nullptr && !live_);
  if (live_ && liveLabel_->text().isEmpty())
    liveLabel_->setText(QStringLiteral("Listening on %1").arg(liveWhere_));
  position_->setEnabled(player_ != nullptr);
  fileLabel_->setText(player_ ? fileName_ : QStringLiteral("No scenario"));
}

}  // namespace zen
