// Limits of the simulated parts. A firmware slip past them raises
// HardwareFault instead of touching memory it does not own.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace zen {

struct HardwareFault : std::logic_error {
  using std::logic_error::logic_error;
};

// A fixed block of device memory with checked access.
template <std::size_t N>
struct DeviceMemory {
  static constexpr std::size_t Size = N;
  std::array<std::uint8_t, N> bytes{};

  void check(std::size_t offset, std::size_t count, const char* what) const {
    if (offset > N || count > N - offset)
      throw HardwareFault(std::string(what) + ": access of " + std::to_string(count) + " bytes at " +
                          std::to_string(offset) + " past the end (" + std::to_string(N) + ")");
  }
  std::uint8_t read(std::size_t offset) const {
    check(offset, 1, "read");
    return bytes[offset];
  }
  void read(std::size_t offset, std::span<std::uint8_t> out) const {
    check(offset, out.size(), "read");
    std::copy_n(bytes.begin() + offset, out.size(), out.begin());
  }
  void write(std::size_t offset, std::span<const std::uint8_t> in) {
    check(offset, in.size(), "write");
    std::copy(in.begin(), in.end(), bytes.begin() + offset);
  }
};

using SettingsImage = DeviceMemory<4096>;  // the E2 settings memory
using ClockRam = DeviceMemory<256>;        // RAM of the real-time clock chip

// Analogue channels of the simulated converter.
namespace adc_channel {
inline constexpr int StaticPressure = 0, VerticalSpeed = 1, PitotPressure = 3;
}  // namespace adc_channel

struct AnalogChannels {
  std::uint16_t adcResult = 0;
  std::uint16_t vsiAccumulator = 0;
  std::uint16_t lastStaticSample = 0;
};

// Positions of the simulator windows' bars on a first run, without SM.INI.
inline constexpr std::uint16_t FirstRunPressureBar = 500;
inline constexpr std::uint16_t FirstRunEngineBar = 100;
// Upper ends of the engine unit window's bars 1..21 (thermocouples, senders,
// fuel flow pulses); every bar starts at 0.
inline constexpr std::array<std::uint16_t, 21> EngineBarMaximum = {1200, 1200, 1200, 1200, 1200, 1200, 1200,
                                                                   1200, 1200, 1200, 1200, 1200, 4095, 4095,
                                                                   4095, 4095, 255,  4095, 4095, 4095, 4095};
inline constexpr std::uint16_t PressureBarMaximum = 4095;
// A pressure bar at the top (position 0) reads full scale.
constexpr std::uint16_t pressureBarReading(std::uint16_t position) {
  return static_cast<std::uint16_t>(PressureBarMaximum - std::min(position, PressureBarMaximum));
}
// The engine unit sends its frames once every this many 25 ms clock ticks.
inline constexpr int EngineFramePeriodTicks = 40;

// What the simulator windows set by hand. Positions are scroll-bar positions.
struct SimulatorInputs {
  std::array<std::uint16_t, 2> pressureBars{};  // 0 static ("Absolute atmospheric pressure"), 1 pitot
  std::array<std::uint16_t, 21> engineBars{};   // "ScrollBar1".."ScrollBar21" of the engine unit window
  bool engineUnitOn = false;
  std::uint16_t engineBar(int n) const { return engineBars[n - 1]; }  // 1-based like the window
};

}  // namespace zen
