// The port selection window: eight radio buttons COM1..COM8. Clicking one
// reopens the serial port on that number at once; OK and Cancel only close.
// It also lists the serial devices the system has, maps one to the chosen
// COM number (kept in SM.INI's [Devices]) and tests the connection.
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "link/qt/cp210x_bridge.h"

class QLabel;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace zen {

class IniFile;
class QtLink;

class TForm6 : public QDialog {
  Q_OBJECT
 public:
  // ini is the program's SM.INI as the link reads it; savePortChoice writes
  // it to disk (saying why not itself) and returns whether it did.
  TForm6(QtLink& link, IniFile& ini, std::function<bool()> savePortChoice, QWidget* parent);
  // Checks the button of the current port, then shows the window modally.
  void showForPort();
  QRadioButton* radioButton(int n) const { return radioButtons_.at(static_cast<std::size_t>(n - 1)); }
  void setDeviceLister(SerialPortLister lister) { lister_ = std::move(lister); }
  // Fills the device list from the lister again.
  void refreshDevices();

 private:
  void RadioButtonClick(int n);
  void MapButtonClick();
  void TestButtonClick();
  int chosenPort() const;
  QString deviceOf(int n) const;
  void showChoice();

  QtLink& link_;
  IniFile& ini_;
  std::function<bool()> savePortChoice_;
  SerialPortLister lister_ = availableSerialPorts;
  std::array<QRadioButton*, 8> radioButtons_{};
  QLabel* currentDevice_;
  QTreeWidget* devices_;
  QPushButton* mapButton_;
  QPushButton* testButton_;
  QLabel* result_;
};

}  // namespace zen
