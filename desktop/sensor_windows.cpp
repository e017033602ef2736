#include "desktop/sensor_windows.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <functional>
#include <string>

#include "firmware/core/instrument.h"
#include "sim/ini_file.h"

namespace zen {

namespace {

QScrollBar* makeBar(QWidget* owner, const char* name, Qt::Orientation orientation, int minimum, int maximum) {
  auto* bar = new QScrollBar(orientation, owner);
  bar->setObjectName(QString::fromLatin1(name));
  bar->setRange(minimum, maximum);
  // Arrow clicks move by one count like the instrument's sensors resolve; the
  // page step keeps the full travel of a 4095 bar to a few dozen clicks.
  bar->setSingleStep(1);
  bar->setPageStep(std::max(1, (maximum - minimum + 1) / 32));
  return bar;
}

QLabel* makeValueLabel(QScrollBar* bar, Qt::Alignment alignment) {
  auto* label = new QLabel(QString::number(bar->value()));
  label->setAlignment(alignment | Qt::AlignVCenter);
  label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("-0000")));
  QObject::connect(bar, &QScrollBar::valueChanged, label, [label](int v) { label->setNum(v); });
  return label;
}

// What the position means on the instrument, beside it.
QLabel* makeMeaningLabel(QWidget* owner, int n, Qt::Alignment alignment) {
  auto* label = new QLabel(owner);
  label->setObjectName(QStringLiteral("Meaning%1").arg(n));
  label->setAlignment(alignment | Qt::AlignVCenter);
  QFont small = label->font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  label->setFont(small);
  return label;
}

// Caption, what the position means and the position on one line, the
// horizontal bar beneath, and under it the note, if any.
QWidget* horizontalRow(QScrollBar* bar, const QString& caption, QLabel* meaning = nullptr,
                       const QString& note = {}) {
  auto* row = new QWidget;
  row->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  auto* grid = new QGridLayout(row);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(4);
  grid->setVerticalSpacing(1);
  grid->addWidget(new QLabel(caption), 0, 0);
  if (meaning) grid->addWidget(meaning, 1, 1);
  grid->addWidget(makeValueLabel(bar, Qt::AlignRight), 0, 1);
  grid->addWidget(bar, 1, 0, 1, meaning ? 1 : 2);
  if (!note.isEmpty()) {
    bar->setToolTip(note);
    grid->addWidget(new QLabel(note), 2, 0, 1, 2);
  }
  grid->setColumnStretch(0, 1);
  return row;
}

// Caption on top, the vertical bar filling the height, the position under it.
QVBoxLayout* verticalColumn(QScrollBar* bar, const QString& caption, QLabel* meaning = nullptr) {
  auto* column = new QVBoxLayout;
  column->setSpacing(4);
  auto* title = new QLabel(caption);
  title->setWordWrap(true);
  title->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
  column->addWidget(title);
  column->addWidget(bar, 1, Qt::AlignHCenter);
  column->addWidget(makeValueLabel(bar, Qt::AlignHCenter));
  if (meaning) column->addWidget(meaning);
  return column;
}

QString sliderKey(int n) { return QStringLiteral("Slider%1").arg(n); }

// The meanings follow the settings too, which change without a bar moving.
constexpr int MeaningRefreshMs = 500;

void startMeaningRefresh(QWidget* window, const std::function<void()>& refresh) {
  auto* timer = new QTimer(window);
  QObject::connect(timer, &QTimer::timeout, window, [window, refresh] {
    if (window->isVisible()) refresh();
  });
  timer->start(MeaningRefreshMs);
}

void showMeaning(const Instrument& z, QLabel* label, SensorInput input) {
  const QString text =
      QString::fromStdString(describePosition(sensorContext(z), input, input.position(z.sim)));
  if (label->text() != text) label->setText(text);
}

// User actions only: a program's setValue triggers none.
void reportUserMoves(QScrollBar* bar, QObject* window, std::function<void()> moved) {
  QObject::connect(bar, &QScrollBar::actionTriggered, window, [moved = std::move(moved)](int) { moved(); });
}

// Old SM.INI files may hold positions the bar cannot take; the bar clamps them.
int restoredPosition(const IniFile& ini, const char* section, int n, int defaultValue) {
  return ini.readInteger(section, sliderKey(n).toStdString(), defaultValue);
}

}  // namespace

// --- Shared by the pressure and engine windows ------------------------------

SensorBarsWindow::SensorBarsWindow(Instrument& z, SensorInput::Window window, int barCount,
                                   const char* iniSection, QWidget* parent)
    : QWidget(parent, Qt::Tool),
      z_(z),
      window_(window),
      iniSection_(iniSection),
      bars_(static_cast<std::size_t>(barCount)),
      meanings_(static_cast<std::size_t>(barCount)) {}

QScrollBar* SensorBarsWindow::addBar(int n, Qt::Orientation orientation, Qt::Alignment meaningAlignment) {
  const std::size_t i = static_cast<std::size_t>(n - 1);
  const SensorInput in = input(n - 1);
  const std::string name = "ScrollBar" + std::to_string(n);
  QScrollBar* bar = makeBar(this, name.c_str(), orientation, 0, in.maximum());
  bars_[i] = bar;
  meanings_[i] = makeMeaningLabel(this, n, meaningAlignment);
  connect(bar, &QScrollBar::valueChanged, this, [this, i, in](int v) {
    in.setPosition(z_.sim, static_cast<std::uint16_t>(v));
    showMeaning(z_, meanings_[i], in);
  });
  reportUserMoves(bar, this, [this, in] { emit movedByHand(in); });
  return bar;
}

void SensorBarsWindow::restore(const IniFile& ini, int defaultPosition) {
  for (std::size_t i = 0; i < bars_.size(); ++i) {
    const int n = static_cast<int>(i) + 1;
    bars_[i]->setValue(restoredPosition(ini, iniSection_, n, defaultPosition));
    // setValue stays silent when the position does not move (a bar restored
    // to 0), yet the instrument must read what the bar shows from the first
    // sample on.
    input(n - 1).setPosition(z_.sim, static_cast<std::uint16_t>(bars_[i]->value()));
  }
  showMeanings();
  startMeaningRefresh(this, [this] { showMeanings(); });
}

void SensorBarsWindow::showMeanings() {
  for (std::size_t i = 0; i < bars_.size(); ++i) showMeaning(z_, meanings_[i], input(static_cast<int>(i)));
}

void SensorBarsWindow::followInputs() {
  for (std::size_t i = 0; i < bars_.size(); ++i)
    bars_[i]->setValue(input(static_cast<int>(i)).position(z_.sim));
}

void SensorBarsWindow::saveTo(IniFile& ini) const {
  for (std::size_t i = 0; i < bars_.size(); ++i)
    ini.writeInteger(iniSection_, sliderKey(static_cast<int>(i) + 1).toStdString(), bars_[i]->value());
}

QScrollBar* SensorBarsWindow::scrollBar(int n) const {
  return n >= 1 && n <= static_cast<int>(bars_.size()) ? bars_[static_cast<std::size_t>(n - 1)] : nullptr;
}

// --- Pressure sensors ------------------------------------------------------

TForm4::TForm4(Instrument& z, const IniFile& ini, QWidget* parent)
    : SensorBarsWindow(z, SensorInput::Window::Pressure, BarCount, "settings2", parent) {
  setObjectName(QStringLiteral("Form4"));
  setWindowTitle(QStringLiteral("Simulated pressure sensors"));
  setFixedSize(302, 334);

  static const char* const captions[BarCount] = {"Absolute atmospheric pressure", "Relative pitot pressure"};

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(12, 12, 12, 12);
  layout->setSpacing(16);
  for (int n = 1; n <= BarCount; ++n) {
    QScrollBar* bar = addBar(n, Qt::Vertical, Qt::AlignHCenter);
    layout->addLayout(verticalColumn(bar, QString::fromLatin1(captions[n - 1]), meaning(n)), 1);
  }
  restore(ini, FirstRunPressureBar);
}

// --- Engine unit -------------------------------------------------------------

class EngineUnitPicture : public QWidget {
 public:
  EngineUnitPicture(const Instrument& z, QWidget* parent) : QWidget(parent), z_(z) { setFixedSize(184, 250); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(22, 34, 140, 182);

    // Thermocouple plugs (yellow and red leads) for TC 1..6 along the top.
    p.setPen(QPen(QColor(60, 60, 60), 1));
    for (int i = 0; i < 6; ++i) {
      const double x = box.left() + 10 + i * 21.5;
      p.setBrush(QColor(240, 220, 60));
      p.drawRect(QRectF(x, box.top() - 16, 8, 16));
      p.setBrush(QColor(200, 40, 40));
      p.drawRect(QRectF(x + 9, box.top() - 16, 8, 16));
    }
    // TC 7..12 underneath.
    for (int i = 0; i < 6; ++i) {
      const double x = box.left() + 10 + i * 21.5;
      p.setBrush(QColor(240, 220, 60));
      p.drawRect(QRectF(x, box.bottom(), 8, 16));
      p.setBrush(QColor(200, 40, 40));
      p.drawRect(QRectF(x + 9, box.bottom(), 8, 16));
    }
    // Sensor and link connectors on the sides.
    p.setBrush(QColor(150, 150, 155));
    p.drawRoundedRect(QRectF(box.left() - 14, box.top() + 28, 14, 54), 3, 3);
    p.drawRoundedRect(QRectF(box.left() - 14, box.top() + 100, 14, 54), 3, 3);
    p.drawRoundedRect(QRectF(box.right(), box.top() + 60, 14, 40), 3, 3);
    p.setBrush(QColor(70, 70, 70));
    for (int i = 0; i < 5; ++i) {
      p.drawEllipse(QPointF(box.left() - 7, box.top() + 35 + i * 10), 2, 2);
      p.drawEllipse(QPointF(box.left() - 7, box.top() + 107 + i * 10), 2, 2);
    }
    for (int i = 0; i < 3; ++i) p.drawEllipse(QPointF(box.right() + 7, box.top() + 68 + i * 12), 2, 2);

    // Housing.
    QLinearGradient shade(box.topLeft(), box.bottomRight());
    shade.setColorAt(0, QColor(70, 90, 120));
    shade.setColorAt(1, QColor(30, 40, 60));
    p.setBrush(shade);
    p.setPen(QPen(QColor(20, 25, 35), 2));
    p.drawRoundedRect(box, 8, 8);
    p.setBrush(QColor(200, 200, 205));
    p.setPen(Qt::NoPen);
    for (QPointF c : {box.topLeft() + QPointF(9, 9), box.topRight() + QPointF(-9, 9),
                      box.bottomLeft() + QPointF(9, -9), box.bottomRight() + QPointF(-9, -9)})
      p.drawEllipse(c, 3, 3);

    // Name plate.
    p.setPen(Qt::white);
    QFont name = font();
    name.setBold(true);
    name.setPointSizeF(name.pointSizeF() * 1.3);
    p.setFont(name);
    p.drawText(QRectF(box.left(), box.top() + 22, box.width(), 30), Qt::AlignCenter,
               QStringLiteral("Tarvik X D"));
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    p.setFont(small);
    p.setPen(QColor(200, 210, 230));
    p.drawText(QRectF(box.left(), box.top() + 50, box.width(), 18), Qt::AlignCenter,
               QStringLiteral("engine data unit"));

    // Power LED: the only sign of whether frames are being sent.
    const bool on = z_.sim.engineUnitOn;
    const QPointF led(box.center().x(), box.top() + 112);
    if (on) {
      QRadialGradient glow(led, 14);
      glow.setColorAt(0, QColor(120, 255, 120, 200));
      glow.setColorAt(1, QColor(120, 255, 120, 0));
      p.setBrush(glow);
      p.drawEllipse(led, 14, 14);
    }
    p.setPen(QPen(QColor(15, 20, 25), 1.5));
    p.setBrush(on ? QColor(60, 230, 60) : QColor(25, 60, 25));
    p.drawEllipse(led, 6, 6);
    p.setPen(QColor(200, 210, 230));
    p.drawText(QRectF(box.left(), led.y() + 10, box.width(), 18), Qt::AlignCenter,
               on ? QStringLiteral("POWER ON") : QStringLiteral("POWER OFF"));
  }

 private:
  const Instrument& z_;
};

namespace {

const char* const engineBarCaptions[TForm3::BarCount] = {
    "EGT/CHT TC 1",
    "EGT/CHT TC 2",
    "EGT/CHT TC 3",
    "EGT/CHT TC 4",
    "EGT/CHT TC 5",
    "EGT/CHT TC 6",
    "EGT/CHT TC 7",
    "EGT/CHT TC 8",
    "EGT/CHT TC 9",
    "EGT/CHT TC 10",
    "EGT/CHT TC 11",
    "EGT/CHT TC 12",
    "Rotax 912 CHT or H2O or FP",
    "Rotax 912 CHT or Carb Ice",
    "Oil temperature",
    "Oil pressure",
    "Fuel flow",
    "Fuel level  1",
    "Fuel level 2 or FP",
    "Rev counter",
    "Manifold pressure",
};

}  // namespace

TForm3::TForm3(Instrument& z, const IniFile& ini, QWidget* parent)
    : SensorBarsWindow(z, SensorInput::Window::Engine, BarCount, "settings", parent) {
  setObjectName(QStringLiteral("Form3"));
  setWindowTitle(QStringLiteral("Simulated Tarvik X model D"));
  setFixedSize(624, 464);

  std::array<QWidget*, BarCount> rows{};
  for (int n = 1; n <= BarCount; ++n)
    rows[n - 1] = horizontalRow(addBar(n, Qt::Horizontal, Qt::AlignRight),
                                QString::fromLatin1(engineBarCaptions[n - 1]), meaning(n));

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(10, 8, 10, 8);
  layout->setSpacing(14);

  auto column = [&](std::initializer_list<int> bars) {
    auto* c = new QVBoxLayout;
    c->setSpacing(8);
    for (int n : bars) c->addWidget(rows[n - 1]);
    c->addStretch(1);
    return c;
  };
  layout->addLayout(column({1, 2, 3, 4, 13, 14, 15, 16, 17, 18, 19, 20}), 1);

  auto* middle = new QVBoxLayout;
  middle->setSpacing(6);
  picture_ = new EngineUnitPicture(z_, this);
  middle->addWidget(picture_, 0, Qt::AlignHCenter);
  middle->addWidget(rows[20]);
  middle->addSpacing(12);
  button1_ = new QPushButton(QStringLiteral("Switch Tarvik on/off"), this);
  button1_->setObjectName(QStringLiteral("Button1"));
  connect(button1_, &QPushButton::clicked, this, &TForm3::Button1Click);
  middle->addWidget(button1_);
  middle->addStretch(1);
  layout->addLayout(middle, 1);

  layout->addLayout(column({5, 6, 7, 8, 9, 10, 11, 12}), 1);

  restore(ini, FirstRunEngineBar);
}

void TForm3::followInputs() {
  SensorBarsWindow::followInputs();
  picture_->update();
}

void TForm3::Button1Click() {
  z_.sim.engineUnitOn = !z_.sim.engineUnitOn;
  picture_->update();
}

// --- Attitude and heading unit ------------------------------------------------

TForm5::TForm5(Instrument& z, QWidget* parent) : QWidget(parent, Qt::Tool), z_(z) {
  setObjectName(QStringLiteral("Form5"));
  setWindowTitle(QStringLiteral("SV5ra simulator"));
  setFixedSize(212, 314);

  scrollBar5_ = makeBar(this, "ScrollBar5", Qt::Horizontal, 0, 359);
  scrollBar1_ = makeBar(this, "ScrollBar1", Qt::Horizontal, -200, 200);
  scrollBar4_ = makeBar(this, "ScrollBar4", Qt::Vertical, -90, 90);
  scrollBar2_ = makeBar(this, "ScrollBar2", Qt::Horizontal, -180, 179);
  scrollBar3_ = makeBar(this, "ScrollBar3", Qt::Horizontal, -56, 56);
  // Whole degrees per click; a page is a useful jump for a turn or a bank.
  scrollBar5_->setPageStep(10);
  scrollBar1_->setPageStep(10);
  scrollBar4_->setPageStep(5);
  scrollBar2_->setPageStep(10);
  scrollBar3_->setPageStep(4);

  connect(scrollBar2_, &QScrollBar::valueChanged, this, &TForm5::ScrollBar2Change);
  connect(scrollBar4_, &QScrollBar::valueChanged, this, &TForm5::ScrollBar2Change);
  connect(scrollBar3_, &QScrollBar::valueChanged, this, &TForm5::ScrollBar3Change);
  connect(scrollBar1_, &QScrollBar::valueChanged, this, &TForm5::ScrollBar1Change);
  connect(scrollBar5_, &QScrollBar::valueChanged, this, &TForm5::ScrollBar5Change);

  button1_ = new QPushButton(QStringLiteral("On/Off"), this);
  button1_->setObjectName(QStringLiteral("Button1"));
  connect(button1_, &QPushButton::clicked, this, &TForm5::Button1Click);
  sensorState_ = new QLabel(this);
  sensorState_->setAlignment(Qt::AlignCenter);
  sensorState_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(10, 10, 10, 10);
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(8);
  grid->addWidget(horizontalRow(scrollBar5_, QStringLiteral("Heading")), 0, 0, Qt::AlignVCenter);
  grid->addWidget(horizontalRow(scrollBar1_, QStringLiteral("Rate of turn")), 1, 0, Qt::AlignVCenter);
  // The horizon draws a positive bank left wing down, and the turn needle follows it.
  grid->addWidget(horizontalRow(scrollBar2_, QStringLiteral("Bank Angle"), nullptr,
                                QStringLiteral("+ is left wing down")),
                  2, 0, Qt::AlignVCenter);
  grid->addWidget(horizontalRow(scrollBar3_, QStringLiteral("Slip")), 3, 0, Qt::AlignVCenter);
  grid->addLayout(verticalColumn(scrollBar4_, QStringLiteral("Pitch Angle")), 0, 1, 4, 1);
  grid->addWidget(button1_, 4, 0, 1, 2);
  grid->addWidget(sensorState_, 5, 0, 1, 2);
  grid->setColumnStretch(0, 1);
  for (int row = 0; row < 4; ++row) grid->setRowStretch(row, 1);

  // The firmware switches the sensor off by itself once attitudeAlive runs
  // out, so the state shown is polled rather than pushed.
  stateTimer_ = new QTimer(this);
  connect(stateTimer_, &QTimer::timeout, this, &TForm5::showSensorState);
  stateTimer_->start(500);
  showSensorState();
}

void TForm5::followInputs() {
  // Setting a bar writes the same value back; only pitch and bank re-arm the
  // sensor, as a fresh sample from the unit would.
  const AttitudeState a = z_.attitude;
  scrollBar5_->setValue(a.heading);
  scrollBar1_->setValue(a.turnRate);
  scrollBar3_->setValue(a.slipValue);
  scrollBar4_->setValue(a.pitch);
  scrollBar2_->setValue(a.bank);
  z_.attitude.attitudeFresh = a.attitudeFresh;
  z_.attitude.attitudeAlive = a.attitudeAlive;
  showSensorState();
}

void TForm5::ScrollBar2Change() {
  z_.attitude.attitudeFresh = 1;
  z_.attitude.attitudeAlive = 255;
  z_.attitude.pitch = scrollBar4_->value();
  z_.attitude.bank = scrollBar2_->value();
}

void TForm5::ScrollBar3Change() { z_.attitude.slipValue = scrollBar3_->value(); }
void TForm5::ScrollBar1Change() { z_.attitude.turnRate = scrollBar1_->value(); }
void TForm5::ScrollBar5Change() { z_.attitude.heading = scrollBar5_->value(); }

void TForm5::Button1Click() {
  z_.attitude.attitudeSensorOn = z_.attitude.attitudeSensorOn ? 0 : 1;
  z_.attitude.pitch = scrollBar4_->value();
  z_.attitude.bank = scrollBar2_->value();
  z_.attitude.attitudeAlive = 255;
  z_.attitude.attitudeFresh = 1;
  showSensorState();
}

void TForm5::showSensorState() {
  sensorState_->setText(z_.attitude.attitudeSensorOn ? QStringLiteral("Sensor on")
                                                     : QStringLiteral("Sensor off"));
}

}  // namespace zen
