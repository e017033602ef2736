#include "firmware/menus/setup_menus.h"

#include "firmware/menus/menu_engine.h"

namespace zen {

// Placeholders until the value editor menus are built.
void openModeSetup(Instrument& z) { showNotAvailable(z); }
void openBasicSetup(Instrument& z) { showNotAvailable(z); }
void openEngineSetup(Instrument& z) { showNotAvailable(z); }
void openRotorSetup(Instrument& z) { showNotAvailable(z); }
void openSenderSetup(Instrument& z) { showNotAvailable(z); }
void openCalibrationMenu(Instrument& z) { showNotAvailable(z); }

}  // namespace zen
