#include "firmware/menus/technical_menu.h"

#include "firmware/menus/menu_engine.h"

namespace zen {

// Placeholders until these screens are built.
void probeTroubleShooter(Instrument& z) { showNotAvailable(z); }
void technicalMenu(Instrument& z) { showNotAvailable(z); }

}  // namespace zen
