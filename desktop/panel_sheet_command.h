// File → "Export panel sheet...": the running instrument's pages and settings
// as a PDF for the aircraft's records.
#pragma once

class QMenu;

namespace zen {

class Dialogs;
class SimulationHost;

inline constexpr char PanelSheetTitle[] = "Enter filename to save the panel sheet as";
inline constexpr char PanelSheetFilter[] = "Panel sheet (*.pdf)";

void addPanelSheetAction(QMenu* file, SimulationHost& host, Dialogs& dialogs);
void exportPanelSheet(SimulationHost& host, Dialogs& dialogs);

}  // namespace zen
