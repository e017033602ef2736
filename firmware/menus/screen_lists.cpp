#include "firmware/menus/screen_lists.h"

#include "firmware/menus/menu_engine.h"

namespace zen {

// Placeholders until these screens are built.
void engineQuickSelect(Instrument& z) { showNotAvailable(z); }
void primaryFlightPanel(Instrument& z, std::string_view) { showNotAvailable(z); }
void enableScreenItems(Instrument& z) { showNotAvailable(z); }
void alarmEnableSetup(Instrument& z) { showNotAvailable(z); }

}  // namespace zen
