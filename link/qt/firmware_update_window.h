// The firmware update window: instructions and progress lines in the memo,
// the gauge, "Update now" and (with the developer marker file) "Full
// program", and the bootloader's 1 s and 5 ms timers. The update itself is
// FirmwareUpdate's.
#pragma once

#include <QStringList>
#include <QWidget>
#include <filesystem>

#include "link/firmware_update.h"

class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace zen {

class Dialogs;
struct LogoStore;

class TForm7 : public QWidget, private FirmwareUpdateView {
  Q_OBJECT
 public:
  TForm7(Link& link, Dialogs& dialogs, const LogoStore& logo, const std::filesystem::path& programFolder,
         QWidget* parent);

  FirmwareUpdate& updater() { return update_; }
  QStringList lines() const;

 public slots:
  // Connect > "Upgrade/&change Orvex firmware".
  void UpgradechangeOrvexfirmware1Click();
  void Button1Click();
  void Button2Click();

 private:
  void clearLines() override;
  void addLine(const std::string& line) override;
  void setGaugeMaximum(int maximum) override;
  void setGauge(int position) override;
  void enableButtons(bool updateNow, bool fullProgram) override;
  void runTimers(bool on) override;

  Dialogs& dialogs_;
  const LogoStore& logo_;
  FirmwareUpdate update_;
  QPlainTextEdit* PM;
  QProgressBar* Gauge1;
  QPushButton* Button1;
  QPushButton* Button2;
  QTimer* Timer2;
  QTimer* Timer3;
};

}  // namespace zen
