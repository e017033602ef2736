// Page drawing from the panel item tables, and design mode.
#pragma once

#include <cstdint>

namespace zen {

struct Instrument;

void redrawPage(Instrument& z);
void drawPageItems(Instrument& z);
// One label item (49..78) at its place on activePage, when shown there.
void drawLabel(Instrument& z, int item);
void clampItemPositions(Instrument& z);
void highlightItem(Instrument& z, int item);
void enterDesignMode(Instrument& z);
void designModeStep(Instrument& z);  // one main-loop pass while designMode is set

// Engine gauge bar scales from the current alarm limits.
void recomputeEngineScales(Instrument& z);

// Dual-panel slave whose master has not been heard from: the page is replaced
// by a notice and nothing is drawn per frame.
bool slaveWithoutDataFeed(const Instrument& z);

}  // namespace zen
