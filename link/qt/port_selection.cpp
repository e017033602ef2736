#include "link/qt/port_selection.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "link/qt/qt_link.h"

namespace zen {

TForm6::TForm6(QtLink& link, QWidget* parent) : QDialog(parent), link_(link) {
  setObjectName("TForm6");
  setWindowTitle("Communications port selection");
  setModal(true);
  auto* grid = new QGridLayout;
  for (int n = 1; n <= 8; ++n) {
    auto* button = new QRadioButton(QStringLiteral("COM%1").arg(n), this);
    button->setObjectName(QStringLiteral("RadioButton%1").arg(n));
    button->setProperty("tag", n);
    grid->addWidget(button, (n - 1) % 4, (n - 1) / 4);
    connect(button, &QRadioButton::clicked, this, [this, n] { RadioButtonClick(n); });
    radioButtons_[static_cast<std::size_t>(n - 1)] = button;
  }
  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("Button1");
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  cancel->setObjectName("Button2");
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);
}

void TForm6::showForPort() {
  if (QRadioButton* current = radioButton(link_.comPort())) current->setChecked(true);
  // Modal without a nested event loop, so the firmware and the clock go on.
  open();
}

void TForm6::RadioButtonClick(int n) { link_.selectComPort(n); }

}  // namespace zen
