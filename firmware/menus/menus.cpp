#include "firmware/menus/menus.h"

#include "firmware/core/instrument.h"

namespace zen {

// The menu tree is not built yet: the Menu key returns to the panel at once.
void enterMainMenu(Instrument&) {}
// Altimeter setting on the panel comes with the menu engine.
void adjustQnh(Instrument&) {}

}  // namespace zen
