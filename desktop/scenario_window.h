// The flight scenario player: plays a scenario file into the simulated
// sensors at 1 to 16 times the instrument's speed, with the sensor windows'
// bars following. A bar moved by hand keeps its position until the next play.
#pragma once

#include <QWidget>
#include <memory>

#include "sim/scenario.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QUdpSocket;
class QPushButton;
class QSlider;
class QTimer;

namespace zen {

class Dialogs;
class SimulationHost;
class TForm3;
class TForm4;
class TForm5;

// "PORT" (on the loopback interface) or "ADDRESS:PORT"; none when malformed.
struct ListenAddress {
  QString address;
  quint16 port = 0;
};
std::optional<ListenAddress> parseListenAddress(const QString& text);

class ScenarioWindow : public QWidget {
  Q_OBJECT
 public:
  struct SensorWindows {
    TForm3* engine = nullptr;
    TForm4* pressure = nullptr;
    TForm5* attitude = nullptr;
  };
  static constexpr int Speeds[] = {1, 2, 4, 8, 16};

  ScenarioWindow(SimulationHost& host, Dialogs& dialogs, SensorWindows windows, QWidget* parent = nullptr);
  ~ScenarioWindow() override;

  // Reads a scenario; a malformed one is refused with a message naming the
  // line and column, and the one loaded before stays.
  bool load(const QString& path);
  void play();
  void pause();
  void seek(double seconds);
  void setSpeed(int factor);  // one of Speeds

  // Takes live values from UDP datagrams on `address` (loopback unless
  // told otherwise) and applies them as they arrive; `columns` names them
  // in advance, otherwise the feed's first datagram must. A port that
  // cannot be opened is said in a message; returns whether it listens.
  bool listen(const QString& address, quint16 port, std::optional<ScenarioHeader> columns = std::nullopt);
  void stopListening();
  bool listening() const { return live_ != nullptr; }
  const LiveScenario* live() const { return live_.get(); }
  QLabel* liveLabel() const { return liveLabel_; }

  bool playing() const { return playing_; }
  double time() const { return time_; }
  int speed() const { return speed_; }
  const ScenarioPlayer* player() const { return player_.get(); }

  QPushButton* openButton() const { return open_; }
  QPushButton* playButton() const { return playPause_; }
  QComboBox* speedBox() const { return speedBox_; }
  QSlider* positionSlider() const { return position_; }
  QLabel* timeLabel() const { return timeLabel_; }
  QLabel* messageLabel() const { return message_; }

 private:
  // One beat of the 25 ms clock: the instrument gets its extra ticks, the
  // scenario moves on by as much simulated time.
  void beat();
  void applyNow();
  void showState();
  void chooseFile();
  void readDatagrams();
  void followInputs();
  void showReports(const std::vector<std::string>& reports);

  SimulationHost& host_;
  Dialogs& dialogs_;
  SensorWindows windows_;
  std::unique_ptr<ScenarioPlayer> player_;
  QString fileName_;
  bool playing_ = false;
  double time_ = 0;
  int speed_ = 1;

  QPushButton* open_ = nullptr;
  QPushButton* playPause_ = nullptr;
  QComboBox* speedBox_ = nullptr;
  QSlider* position_ = nullptr;
  QLabel* timeLabel_ = nullptr;
  QLabel* message_ = nullptr;
  QLabel* fileLabel_ = nullptr;
  QTimer* timer_ = nullptr;

  QLineEdit* livePort_ = nullptr;
  QPushButton* liveButton_ = nullptr;
  QLabel* liveLabel_ = nullptr;
  QUdpSocket* socket_ = nullptr;
  std::unique_ptr<LiveScenario> live_;
  QString liveWhere_;
};

}  // namespace zen
