#include "link/qt/firmware_update_window.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "sim/program_files.h"
#include "sim/qt/dialogs.h"

namespace zen {

TForm7::TForm7(Link& link, Dialogs& dialogs, const LogoStore& logo,
               const std::filesystem::path& programFolder, QWidget* parent)
    : QWidget(parent, Qt::Window), dialogs_(dialogs), logo_(logo), update_(link, *this) {
  setObjectName("TForm7");
  setWindowTitle("Orvex Firmware update");
  PM = new QPlainTextEdit(this);
  PM->setObjectName("PM");
  PM->setReadOnly(true);
  PM->setMinimumSize(320, 280);
  Gauge1 = new QProgressBar(this);
  Gauge1->setObjectName("Gauge1");
  Gauge1->setValue(0);
  Button1 = new QPushButton("Update now", this);
  Button1->setObjectName("Button1");
  Button1->setEnabled(false);
  Button2 = new QPushButton("Full program", this);
  Button2->setObjectName("Button2");
  Button2->setEnabled(false);
  std::error_code ignored;
  Button2->setVisible(std::filesystem::exists(programFolder / "QMXTRV.K47", ignored));
  // Queued: the update's waits then run from the event loop, not from inside the click.
  connect(Button1, &QPushButton::clicked, this, &TForm7::Button1Click, Qt::QueuedConnection);
  connect(Button2, &QPushButton::clicked, this, &TForm7::Button2Click, Qt::QueuedConnection);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Button1);
  buttons->addWidget(Button2);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PM);
  layout->addWidget(Gauge1);
  layout->addLayout(buttons);

  Timer2 = new QTimer(this);
  Timer2->setObjectName("Timer2");
  Timer2->setInterval(1000);
  connect(Timer2, &QTimer::timeout, this, [this] { update_.timer2Tick(); });
  Timer3 = new QTimer(this);
  Timer3->setObjectName("Timer3");
  Timer3->setInterval(5);
  Timer3->setTimerType(Qt::PreciseTimer);
  connect(Timer3, &QTimer::timeout, this, [this] { update_.timer3Tick(); });
}

QStringList TForm7::lines() const {
  const QString text = PM->toPlainText();
  return text.isEmpty() ? QStringList{} : text.split('\n');
}

void TForm7::UpgradechangeOrvexfirmware1Click() {
  if (!update_.open()) {
    if (update_.linkWasBusy()) return dialogs_.showMessage(UpdateLinkBusyMessage);
    QString text = QStringLiteral("This version of software does not support programming of the Orvex");
    if (!update_.scanProblem().empty()) text += "\n\n" + QString::fromStdString(update_.scanProblem());
    dialogs_.showMessage(text);
    return;
  }
  show();
  raise();
}

void TForm7::Button1Click() { update_.updateNow(false, logo_.startLogo()); }

void TForm7::Button2Click() { update_.updateNow(true, logo_.startLogo()); }

void TForm7::clearLines() { PM->clear(); }

void TForm7::addLine(const std::string& line) { PM->appendPlainText(QString::fromStdString(line)); }

void TForm7::setGaugeMaximum(int maximum) { Gauge1->setMaximum(maximum); }

void TForm7::setGauge(int position) { Gauge1->setValue(position); }

void TForm7::enableButtons(bool updateNow, bool fullProgram) {
  Button1->setEnabled(updateNow);
  Button2->setEnabled(fullProgram);
}

void TForm7::runTimers(bool on) {
  if (on) {
    Timer2->start();
    Timer3->start();
  } else {
    Timer2->stop();
    Timer3->stop();
  }
}

}  // namespace zen
