#include "sim/screen_render.h"

#include <algorithm>

#include "firmware/core/settings_store.h"
#include "sim/virtual_host.h"

namespace zen {

namespace {

void setInputs(Instrument& z, const RenderOptions& o) {
  SimulatorInputs& sim = z.sim;
  // A bar at the top reads full scale: the channel is 4095 - position.
  auto bar = [](std::optional<std::uint16_t> counts) {
    return counts ? static_cast<std::uint16_t>(PressureBarMaximum - std::min(*counts, PressureBarMaximum))
                  : FirstRunPressureBar;
  };
  sim.pressureBars = {bar(o.staticCounts), bar(o.pitotCounts)};
  for (std::size_t i = 0; i < sim.engineBars.size(); ++i) {
    sim.engineBars[i] = std::min(o.engineBars[i].value_or(FirstRunEngineBar), EngineBarMaximum[i]);
    if (o.engineBars[i]) sim.engineUnitOn = true;
  }
  if (o.attitude) {
    AttitudeState& a = z.attitude;
    a.attitudeSensorOn = 1;
    a.attitudeAlive = 255;
    a.attitudeFresh = 1;
    a.pitch = o.attitude->pitch;
    a.bank = o.attitude->bank;
    a.heading = o.attitude->heading;
    a.turnRate = o.attitude->turnRate;
    a.slipValue = o.attitude->slip;
  }
}

}  // namespace

std::unique_ptr<Screen> renderScreen(const RenderOptions& o) {
  const double atMs = std::max(o.atSeconds, 0.0) * 1000;
  VirtualHost::Options hostOptions;
  hostOptions.loadFiles = false;
  hostOptions.closeAfterMs = static_cast<std::uint64_t>(atMs) + 1000;
  VirtualHost host(hostOptions);
  Instrument& z = host.instrument();

  if (o.settingsImage) {
    const std::vector<std::uint8_t>& image = *o.settingsImage;
    z.e2.write(0, std::span(image.data(), std::min(image.size(), SettingsImage::Size)));
  } else {
    buildImageFromDefaults(z, true);
  }
  if (o.prepare) o.prepare(z);
  z.main.activePage = o.page == 2 ? 1 : 0;
  setInputs(z, o);
  for (const RenderOptions::Key& key : o.keys)
    host.clickKey(key.seconds * 1000, key.bit, RenderOptions::KeyHoldMs);

  auto shown = std::make_unique<Screen>();
  host.at(atMs, [&] {
    *shown = z.screen;
    if (o.atEnd) o.atEnd(z);
  });
  host.closeAt(atMs);
  host.run();
  return shown;
}

}  // namespace zen
