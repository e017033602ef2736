// Working values computed from the settings. Whatever changes a setting (a
// menu, a panel file, a panel transfer, an engine preset) calls this after it.
#pragma once

namespace zen {

struct Instrument;

// The engine and rotor speed factors and the engine gauge bar scales.
void recomputeDerivedSettings(Instrument& z);

}  // namespace zen
