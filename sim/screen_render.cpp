#include "sim/screen_render.h"

#include <algorithm>

#include "firmware/core/settings_store.h"
#include "sim/virtual_host.h"

namespace zen {

namespace {

void setInputs(Instrument& z, const RenderOptions& o) {
  SimulatorInputs& sim = z.sim;
  for (std::size_t i = 0; i < sim.pressureBars.size(); ++i)
    sim.pressureBars[i] = std::min(o.pressureBars[i].value_or(FirstRunPressureBar), PressureBarMaximum);
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

  if (!o.scenarios.empty())
    host.every(0, ScenarioStepMs, atMs, [&](double ms) {
      for (const auto& player : o.scenarios) player->apply(z, ms / 1000);
    });
  for (std::size_t i = 0; i < o.frameSeconds.size(); ++i)
    if (o.onFrame) host.at(o.frameSeconds[i] * 1000, [&, i] { o.onFrame(i, z.screen); });

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
