// Working values computed from the settings. Whatever changes a setting (a
// menu, a panel file, a panel transfer, an engine preset) calls this after it.
#pragma once

namespace zen {

struct Instrument;

// The engine and rotor speed factors, the engine gauge bar scales and the
// flow totaliser's remaining fuel.
void recomputeDerivedSettings(Instrument& z);

}  // namespace zen
