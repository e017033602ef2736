#include "link/qt/port_selection.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "link/connection_check.h"
#include "link/qt/com_port.h"
#include "link/qt/qt_link.h"
#include "sim/ini_file.h"

namespace zen {

TForm6::TForm6(QtLink& link, IniFile& ini, std::function<bool()> savePortChoice, QWidget* parent)
    : QDialog(parent), link_(link), ini_(ini), savePortChoice_(std::move(savePortChoice)) {
  setObjectName("TForm6");
  setWindowTitle("Communications port selection");
  setModal(true);
  auto* grid = new QGridLayout;
  for (int n = 1; n <= 8; ++n) {
    auto* button = new QRadioButton(QStringLiteral("COM%1").arg(n), this);
    button->setObjectName(QStringLiteral("RadioButton%1").arg(n));
    button->setProperty("tag", n);
    // At their own width, so that a click beside the caption does not select.
    grid->addWidget(button, (n - 1) % 4, (n - 1) / 4, Qt::AlignLeft);
    connect(button, &QRadioButton::clicked, this, [this, n] { RadioButtonClick(n); });
    radioButtons_[static_cast<std::size_t>(n - 1)] = button;
  }
  currentDevice_ = new QLabel(this);
  currentDevice_->setObjectName("CurrentDevice");
  currentDevice_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* found = new QGroupBox("Serial devices on this computer", this);
  devices_ = new QTreeWidget(found);
  devices_->setObjectName("DeviceList");
  devices_->setHeaderLabels({"Device", "Description"});
  devices_->setRootIsDecorated(false);
  devices_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  auto* refresh = new QPushButton("&Refresh", found);
  refresh->setObjectName("RefreshButton");
  connect(refresh, &QPushButton::clicked, this, &TForm6::refreshDevices);
  mapButton_ = new QPushButton(found);
  mapButton_->setObjectName("MapButton");
  connect(mapButton_, &QPushButton::clicked, this, &TForm6::MapButtonClick);
  auto* listButtons = new QHBoxLayout;
  listButtons->addWidget(refresh);
  listButtons->addStretch();
  listButtons->addWidget(mapButton_);
  auto* foundLayout = new QVBoxLayout(found);
  foundLayout->addWidget(devices_);
  foundLayout->addLayout(listButtons);

  testButton_ = new QPushButton("&Test connection", this);
  testButton_->setObjectName("TestButton");
  connect(testButton_, &QPushButton::clicked, this, &TForm6::TestButtonClick);
  result_ = new QLabel(this);
  result_->setObjectName("TestResult");
  result_->setWordWrap(true);
  result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  result_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // Room for the longest advice, so that the window does not jump as texts change.
  result_->setMinimumHeight(4 * result_->fontMetrics().lineSpacing());
  setMinimumWidth(64 * fontMetrics().averageCharWidth());

  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("Button1");
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  cancel->setObjectName("Button2");
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(testButton_);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(currentDevice_);
  layout->addWidget(found);
  layout->addWidget(result_);
  layout->addLayout(buttons);
  showChoice();
}

void TForm6::showForPort() {
  if (QRadioButton* current = radioButton(link_.comPort())) current->setChecked(true);
  result_->clear();
  refreshDevices();
  showChoice();
  // Modal without a nested event loop, so the firmware and the clock go on.
  open();
}

void TForm6::refreshDevices() {
  devices_->clear();
  const QString mapped = deviceOf(chosenPort());
  for (const SerialPortEntry& port : lister_()) {
    auto* item = new QTreeWidgetItem(devices_, {port.systemLocation, port.description});
    if (port.systemLocation == mapped) devices_->setCurrentItem(item);
  }
  if (devices_->topLevelItemCount() == 0) {
    auto* none =
        new QTreeWidgetItem(devices_, {"No serial device found: plug in the adapter, then Refresh."});
    none->setFlags(Qt::NoItemFlags);
    none->setFirstColumnSpanned(true);
  }
}

int TForm6::chosenPort() const {
  for (int n = 1; n <= 8; ++n)
    if (radioButton(n)->isChecked()) return n;
  return link_.comPort();
}

QString TForm6::deviceOf(int n) const { return QString::fromStdString(comPortDevice(ini_, n)); }

void TForm6::showChoice() {
  const int n = chosenPort();
  currentDevice_->setText(
      link_.usbMode() ? QStringLiteral("The USB bridge is in use; COM%1 is %2.").arg(n).arg(deviceOf(n))
                      : QStringLiteral("COM%1 is %2.").arg(n).arg(deviceOf(n)));
  mapButton_->setText(QStringLiteral("&Use for COM%1").arg(n));
}

void TForm6::RadioButtonClick(int n) {
  link_.selectComPort(n);
  showChoice();
}

void TForm6::MapButtonClick() {
  const QTreeWidgetItem* item = devices_->currentItem();
  if (!item || !(item->flags() & Qt::ItemIsEnabled)) {
    result_->setText("Choose a device in the list first.");
    return;
  }
  const int n = chosenPort();
  const QString device = item->text(0);
  ini_.writeString("Devices", "COM" + std::to_string(n), device.toStdString());
  // Says itself when the device cannot be opened.
  const bool opened = link_.selectComPort(n);
  const bool saved = savePortChoice_();
  showChoice();
  QString text =
      saved
          ? QStringLiteral("COM%1 is now %2, kept in SM.INI.").arg(n).arg(device)
          : QStringLiteral("COM%1 is %2 until the program ends; SM.INI was not written.").arg(n).arg(device);
  if (!opened) text += QStringLiteral(" It could not be opened.");
  result_->setText(text);
}

void TForm6::TestButtonClick() {
  const int n = chosenPort();
  const QString line = link_.usbMode() ? QStringLiteral("the USB bridge")
                                       : QStringLiteral("COM%1 (%2)").arg(n).arg(deviceOf(n));
  testButton_->setEnabled(false);
  result_->setText("Asking the instrument on " + line + " to identify itself...");
  // The wait runs the event loop; the program may close meanwhile.
  const QPointer<TForm6> alive(this);
  const ConnectionCheck check = checkConnection(link_.link(), line.toStdString());
  if (!alive) return;
  testButton_->setEnabled(true);
  result_->setText(QString::fromStdString(check.text));
}

}  // namespace zen
