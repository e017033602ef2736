// The port selection window: eight radio buttons COM1..COM8. Clicking one
// reopens the serial port on that number at once; OK and Cancel only close.
#pragma once

#include <QDialog>
#include <array>

class QRadioButton;

namespace zen {

class QtLink;

class TForm6 : public QDialog {
  Q_OBJECT
 public:
  TForm6(QtLink& link, QWidget* parent);
  // Checks the button of the current port, then shows the window modally.
  void showForPort();
  QRadioButton* radioButton(int n) const { return radioButtons_.at(static_cast<std::size_t>(n - 1)); }

 private:
  void RadioButtonClick(int n);

  QtLink& link_;
  std::array<QRadioButton*, 8> radioButtons_{};
};

}  // namespace zen
