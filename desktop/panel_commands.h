// The panel commands of the main window's menus: save and load a panel file,
// and upload and download a panel over the instrument link, with the status
// window (TForm2) that shows a transfer block by block.
#pragma once

#include <QObject>
#include <QWidget>
#include <functional>

#include "link/panel_transfer.h"

class QMenu;
class QPlainTextEdit;

namespace zen {

class Dialogs;
class Link;
class SimulationHost;

class TForm2 : public QWidget {
  Q_OBJECT
 public:
  explicit TForm2(QWidget* parent = nullptr);
  QPlainTextEdit* memo() const { return memo1_; }
  QStringList lines() const;

 private:
  QPlainTextEdit* memo1_;
};

class PanelCommands : public QObject, private TransferReport {
  Q_OBJECT
 public:
  static constexpr char Filter[] = "Panel configuration file (*.pcf)";
  static constexpr char SaveTitle[] = "Enter filename to save panel configuration file as";
  static constexpr char LoadTitle[] = "Select panel configuration file to load";
  static constexpr char BusyMessage[] =
      "Another panel command is still running (a transfer waits for the instrument). Try again when it has "
      "ended.";

  PanelCommands(SimulationHost& host, Link& link, Dialogs& dialogs, QWidget* window);

  // "&Save panel layout" and "&Load panel layout".
  void addFileActions(QMenu* file);
  // "&Upload panel from Orvex" and "&Download panel to Orvex".
  void addConnectActions(QMenu* connect);

  void Savepanellayout1Click();
  void Loadpanellayout1Click();
  void UploadpanelfromOrvex1Click();
  void DownloadpaneltoOrvex1Click();

  TForm2* statusWindow() const { return form2_; }
  bool busy() const { return busy_; }
  // Runs after a panel was applied and the page redrawn.
  std::function<void()> onPanelApplied;

 signals:
  // A panel file was loaded into the instrument (loaded) or saved from it.
  void panelFileUsed(const QString& file, bool loaded);
  void panelUploaded();

 private:
  void openStatus() override;
  void statusLine(const std::string& text) override;
  void closeStatus() override;
  void message(const std::string& text) override;
  void result(const std::string& text) override;
  void addCommand(QMenu* menu, const char* text, const char* name, void (PanelCommands::*slot)());
  void applied();
  TransferContext context();

  SimulationHost& host_;
  Link& link_;
  Dialogs& dialogs_;
  TForm2* form2_;
  bool busy_ = false;
};

}  // namespace zen
