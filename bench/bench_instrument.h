// An instrument with the default settings on a host that lets the firmware
// run without a desktop: no waiting, no lamp, no files.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "firmware/core/host_interface.h"
#include "firmware/core/instrument.h"
#include "firmware/core/settings_store.h"

namespace zen {

class QuietHost : public Host {
 public:
  void yieldToHost(YieldKind) override {}
  void setAlarmLed(bool) override {}
  std::filesystem::path programFolder() const override { return std::filesystem::temp_directory_path(); }
  std::optional<std::string> replaceFile(const std::filesystem::path&,
                                         std::span<const std::uint8_t>) override {
    return std::nullopt;
  }
  void reportFileError(const std::filesystem::path&, const std::string&) override {}
  LocalTime localTime() const override { return {}; }
};

struct BenchInstrument {
  QuietHost host;
  std::unique_ptr<Instrument> instrument = std::make_unique<Instrument>(host);
  Instrument& z = *instrument;

  BenchInstrument() {
    buildImageFromDefaults(z, true);
    loadAllSettings(z);
    z.screen.drawColour = 1;
  }
};

}  // namespace zen
