// The value editor menus of System setup. Each opener runs its menu and then
// saves (and recomputes) what the menu may have changed.
#pragma once

namespace zen {

struct Instrument;
struct Menu;

void openModeSetup(Instrument& z);        // "Mode and units setup"
void openBasicSetup(Instrument& z);       // "Basic operation setup"
void openEngineSetup(Instrument& z);      // "Engine detail setup"
void openRotorSetup(Instrument& z);       // "Rotor craft setup"
void openSenderSetup(Instrument& z);      // "Sender setup"
void openCalibrationMenu(Instrument& z);  // "Calibration"

// The menus themselves, for documents that list the settings as the instrument shows them.
const Menu& modeSetupMenu();
const Menu& basicSetupMenu();
const Menu& engineSetupMenu();
const Menu& senderSetupMenu();

}  // namespace zen
