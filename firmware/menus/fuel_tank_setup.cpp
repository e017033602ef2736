#include "firmware/menus/fuel_tank_setup.h"

#include "firmware/menus/menu_engine.h"

namespace zen {

// Placeholder until the tank setup screen is built.
void fuelTankSetup(Instrument& z, std::array<std::uint16_t, 7>&, char) { showNotAvailable(z); }

}  // namespace zen
