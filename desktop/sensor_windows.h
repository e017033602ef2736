// The three windows that play the instrument's sensors: pressure sensors
// (TForm4), the Tarvik X D engine unit (TForm3) and the SV-5ra attitude and
// heading unit (TForm5). They write straight into the simulated instrument;
// the firmware samples what they set whenever it next looks.
#pragma once

#include <QWidget>
#include <vector>

#include "sim/sensor_values.h"

class QLabel;
class QPushButton;
class QScrollBar;
class QTimer;

namespace zen {

class IniFile;
struct Instrument;

// The pressure and engine windows alike: one bar per sensor input, what its
// position means beside it, the positions kept in SM.INI.
class SensorBarsWindow : public QWidget {
  Q_OBJECT
 public:
  void saveTo(IniFile& ini) const;

  // n is 1-based, as in "ScrollBar1".
  QScrollBar* scrollBar(int n) const;
  // The engineering value shown beside bar n's position.
  QLabel* meaning(int n) const { return meanings_.at(static_cast<std::size_t>(n - 1)); }
  // Moves the bars to where the instrument's inputs now are (a scenario set them).
  virtual void followInputs();
  void showMeanings();

 signals:
  // The user moved a bar (not a program setting its position).
  void movedByHand(zen::SensorInput input);

 protected:
  SensorBarsWindow(Instrument& z, SensorInput::Window window, int barCount, const char* iniSection,
                   QWidget* parent);
  // Bar n (1-based) and its meaning label, wired to the instrument's input.
  QScrollBar* addBar(int n, Qt::Orientation orientation, Qt::Alignment meaningAlignment);
  // Sets every bar from SM.INI and the inputs from the bars; starts the meanings.
  void restore(const IniFile& ini, int defaultPosition);

  Instrument& z_;

 private:
  SensorInput input(int i) const { return {window_, i + 1}; }

  SensorInput::Window window_;
  const char* iniSection_;
  std::vector<QScrollBar*> bars_;
  std::vector<QLabel*> meanings_;
};

class TForm4 : public SensorBarsWindow {
  Q_OBJECT
 public:
  static constexpr int BarCount = 2;

  // Restores the bar positions from SM.INI ("settings2").
  TForm4(Instrument& z, const IniFile& ini, QWidget* parent = nullptr);
};

class EngineUnitPicture;

class TForm3 : public SensorBarsWindow {
  Q_OBJECT
 public:
  static constexpr int BarCount = 21;

  // Restores the bar positions from SM.INI ("settings"). The unit itself
  // starts switched off in every run.
  TForm3(Instrument& z, const IniFile& ini, QWidget* parent = nullptr);

  QPushButton* button() const { return button1_; }
  void followInputs() override;

 private:
  void Button1Click();

  QPushButton* button1_ = nullptr;
  EngineUnitPicture* picture_ = nullptr;
};

class TForm5 : public QWidget {
  Q_OBJECT
 public:
  // Keeps nothing between runs: every bar starts at 0 and the firmware's
  // attitude variables are left alone until the user moves something.
  explicit TForm5(Instrument& z, QWidget* parent = nullptr);
  // Same signature as its siblings so the main window creates all three alike.
  TForm5(Instrument& z, const IniFile&, QWidget* parent = nullptr) : TForm5(z, parent) {}

  QScrollBar* headingBar() const { return scrollBar5_; }
  QScrollBar* turnRateBar() const { return scrollBar1_; }
  QScrollBar* bankBar() const { return scrollBar2_; }
  QScrollBar* slipBar() const { return scrollBar3_; }
  QScrollBar* pitchBar() const { return scrollBar4_; }
  QPushButton* button() const { return button1_; }
  // Moves the bars to the attitude variables (a scenario set them).
  void followInputs();

 private:
  void ScrollBar2Change();  // bank and pitch bars share it
  void ScrollBar3Change();
  void ScrollBar1Change();
  void ScrollBar5Change();
  void Button1Click();
  void showSensorState();

  Instrument& z_;
  QScrollBar* scrollBar1_ = nullptr;
  QScrollBar* scrollBar2_ = nullptr;
  QScrollBar* scrollBar3_ = nullptr;
  QScrollBar* scrollBar4_ = nullptr;
  QScrollBar* scrollBar5_ = nullptr;
  QPushButton* button1_ = nullptr;
  QLabel* sensorState_ = nullptr;
  QTimer* stateTimer_ = nullptr;
};

}  // namespace zen
