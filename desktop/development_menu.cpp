#include "desktop/development_menu.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include "files/developer_exports.h"
#include "files/panel_settings.h"
#include "firmware/core/instrument.h"
#include "firmware/core/settings_store.h"
#include "link/link.h"
#include "link/ram_view.h"
#include "sim/qt/dialogs.h"
#include "sim/simulation_host.h"

namespace zen {

namespace {

constexpr char PascalFilter[] = "Pascal files (*.pas)";

}  // namespace

TForm9::TForm9(Dialogs& dialogs, QWidget* parent) : QWidget(parent, Qt::Tool), dialogs_(dialogs) {
  setObjectName("Form9");
  setWindowTitle("View RAM");
  button1_ = new QPushButton("Button1", this);
  button1_->setObjectName("Button1");
  edit1_ = new QLineEdit("Edit1", this);
  edit1_->setObjectName("Edit1");
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(button1_);
  layout->addWidget(edit1_);
  connect(button1_, &QPushButton::clicked, this, &TForm9::Button1Click);
}

void TForm9::Button1Click() {
  if (!link_) return;
  // The events run while the link waits; one request at a time.
  button1_->setEnabled(false);
  const auto value = readRamByte(*link_, ViewRamAddress);
  button1_->setEnabled(true);
  if (link_->lastOutcome() == LinkOutcome::Busy)
    return dialogs_.showMessage(QString::fromStdString(link_->busyMessage()));
  if (value) edit1_->setText(QStringLiteral("%1").arg(*value, 2, 16, QLatin1Char('0')).toUpper());
}

DevelopmentMenu::DevelopmentMenu(QMenu* menu, SimulationHost& host, Dialogs& dialogs, QWidget* window)
    : QObject(menu), host_(host), dialogs_(dialogs) {
  form9_ = new TForm9(dialogs, window);
  auto add = [&](const char* caption, const char* name, auto handler) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, handler);
  };
  add("Save EMS page 1", "Button9", [this] { savePreset(Preset::EngineMonitor, 0, "Save EMS page 1"); });
  add("Save EMS page 2", "Button11", [this] { savePreset(Preset::EngineMonitor, 1, "Save EMS page 2"); });
  add("Save PFlight page 1", "Button10",
      [this] { savePreset(Preset::PrimaryFlight, 0, "Save PFlight page 1"); });
  add("Save PFlight page 2", "Button12",
      [this] { savePreset(Preset::PrimaryFlight, 1, "Save PFlight page 2"); });
  add("Save positions", "Button6", [this] { Button6Click(); });
  add("Make E2 ROM file", "Button7", [this] { Button7Click(); });
  add("Dump RAM", "DumpRAM1", [this] { DumpRAM1Click(); });
}

bool DevelopmentMenu::simulationRunning() {
  if (host_.firmwareRunning()) return true;
  dialogs_.showMessage(SimulationNotRunningMessage);
  return false;
}

void DevelopmentMenu::savePreset(Preset preset, int page, const QString& caption) {
  if (!simulationRunning()) return;
  const QString chosen =
      dialogs_.saveFileName(caption, PascalFilter, QString::fromLatin1(PresetFileExtension));
  if (chosen.isEmpty()) return;
  const std::filesystem::path file = presetFilePath(chosen.toStdString());
  const std::string name = presetArrayName(file);
  const Settings& settings = host_.instrument().settings;
  const std::string text = preset == Preset::EngineMonitor ? engineMonitorPresetSource(settings, page, name)
                                                           : flightPresetSource(settings, page, name);
  if (auto failure = writeSourceFile(file, text))
    dialogs_.showMessage(fileErrorText(failure->file, failure->reason));
}

void DevelopmentMenu::Button6Click() {
  if (!simulationRunning()) return;
  if (auto failure = saveItemLocations(host_.instrument().settings, host_.programFolder()))
    dialogs_.showMessage(fileErrorText(failure->file, failure->reason));
}

// Failures reach the user through the host's file error report.
void DevelopmentMenu::Button7Click() {
  Instrument& z = host_.instrument();
  // The running instrument keeps its own image, flight log and all, until its next save.
  if (host_.firmwareRunning()) return writeDefaultSettingsFile(z);
  // Switched on later it starts from the image in memory: that must be the
  // defaults too, or it shows an empty panel and saves it over the new file.
  buildImageFromDefaults(z, false);
}

void DevelopmentMenu::DumpRAM1Click() {
  form9_->show();
  form9_->raise();
}

}  // namespace zen
