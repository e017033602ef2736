#include "firmware/instruments/derived_settings.h"

#include "firmware/core/engine_decode.h"
#include "firmware/core/instrument.h"
#include "firmware/instruments/panel.h"

namespace zen {

void recomputeDerivedSettings(Instrument& z) {
  const Settings& s = z.settings;
  EngineData& e = z.engine;
  // A zero setting leaves the factor 0, which reads as no speed.
  e.rpmFactor = s.pulsesSetting == 0 ? 0 : (6000u / s.pulsesSetting) * 15586u;
  e.rotorFactor = s.rotorScale == 0 ? 0 : 9375000u / s.rotorScale;
  recomputeEngineScales(z);
  // The totaliser's litres follow the K-factor and the tank mode.
  refreshFuelTotaliser(z);
}

}  // namespace zen
