#include "desktop/panel_sheet_command.h"

#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QMenu>

#include "designer/qt/panel_sheet_pdf.h"
#include "files/panel_settings.h"
#include "firmware/core/instrument.h"
#include "firmware/core/settings_store.h"
#include "sim/qt/dialogs.h"
#include "sim/simulation_host.h"

namespace zen {

void addPanelSheetAction(QMenu* file, SimulationHost& host, Dialogs& dialogs) {
  QAction* action = file->addAction("Export panel &sheet...");
  action->setObjectName("Exportpanelsheet1");
  QObject::connect(action, &QAction::triggered, file, [&host, &dialogs] { exportPanelSheet(host, dialogs); });
}

void exportPanelSheet(SimulationHost& host, Dialogs& dialogs) {
  if (!host.firmwareRunning()) return dialogs.showMessage(SimulationNotRunningMessage);
  QString name = dialogs.saveFileName(PanelSheetTitle, PanelSheetFilter);
  if (name.isEmpty()) return;
  if (QFileInfo(name).suffix().isEmpty()) name += QStringLiteral(".pdf");
  // The pages are drawn by an instrument of their own, switched on with these settings.
  RenderOptions options;
  const SettingsImage image = imageFromSettings(host.instrument().settings);
  options.settingsImage = std::vector<std::uint8_t>(image.bytes.begin(), image.bytes.end());
  const SheetOrigin origin{
      "the simulated instrument's current settings (program folder " + host.programFolder().string() + ")",
      QDate::currentDate().toString(Qt::ISODate).toStdString(),
      QCoreApplication::applicationName().toStdString()};
  if (auto error = writePanelSheetPdf(panelSheetDocument(options, origin), name.toStdString()))
    dialogs.showMessage(fileErrorText(name.toStdString(), *error));
}

}  // namespace zen
