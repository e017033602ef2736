// The hidden "&Development" menu: page presets and item tables as Pascal
// source, the default E2 image file, and the View RAM window (TForm9).
#pragma once

#include <QObject>
#include <QWidget>

class QLineEdit;
class QMenu;
class QPushButton;

namespace zen {

class Dialogs;
class Link;
class SimulationHost;

// Reads one byte of a real instrument's RAM over the link.
class TForm9 : public QWidget {
  Q_OBJECT
 public:
  explicit TForm9(Dialogs& dialogs, QWidget* parent = nullptr);
  void setLink(Link* link) { link_ = link; }
  QPushButton* button() const { return button1_; }
  QLineEdit* edit() const { return edit1_; }

 private:
  void Button1Click();

  Dialogs& dialogs_;
  Link* link_ = nullptr;
  QPushButton* button1_ = nullptr;
  QLineEdit* edit1_ = nullptr;
};

class DevelopmentMenu : public QObject {
  Q_OBJECT
 public:
  // Fills the menu; the commands report through the dialogs.
  DevelopmentMenu(QMenu* menu, SimulationHost& host, Dialogs& dialogs, QWidget* window);
  TForm9* viewRamWindow() const { return form9_; }

 private:
  enum class Preset { EngineMonitor, PrimaryFlight };
  void savePreset(Preset preset, int page, const QString& caption);
  void Button6Click();
  void Button7Click();
  void DumpRAM1Click();
  // The exports describe the panel the firmware works with, loaded at switch-on.
  bool simulationRunning();

  SimulationHost& host_;
  Dialogs& dialogs_;
  TForm9* form9_ = nullptr;
};

}  // namespace zen
