// The memories the program finds beside itself, whatever they hold: e2.rom,
// RTC.ram and logo.bin loaded at start-up, the instrument switched on with
// them and its keys pressed, all in a few simulated seconds; the run ends one
// page update after the last key.
//
// Input: a byte saying which files exist (bits 0..2: e2.rom, RTC.ram,
// logo.bin), three 16-bit lengths, the three files' bytes, then one byte per
// key press (bits 0..2 the key, bits 3..7 the gap before it in 50 ms steps).
#include <fstream>

#include "fuzz_support.h"

namespace {

constexpr double FirstKeyMs = 3000;
constexpr double GapStepMs = 50;
constexpr double PageUpdateMs = 500;
constexpr double MaxRunMs = 10000;
constexpr std::size_t MaxKeys = 200;

void putFile(const std::filesystem::path& path, bool present, std::span<const std::uint8_t> bytes) {
  if (!present) return;
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zen;
  fuzz::Input in(data, size);
  const std::uint8_t present = in.byte();
  const std::size_t e2Length = in.u16(), rtcLength = in.u16(), logoLength = in.u16();
  const std::filesystem::path& folder = fuzz::programFolder();
  // Kept originals and temporaries of an earlier run are not this input's.
  fuzz::clearProgramFolder();
  putFile(folder / "e2.rom", present & 1, in.take(e2Length));
  putFile(folder / "RTC.ram", present & 2, in.take(rtcLength));
  putFile(folder / "logo.bin", present & 4, in.take(logoLength));

  double t = FirstKeyMs;
  std::vector<std::pair<double, int>> keys;
  while (!in.empty() && keys.size() < MaxKeys) {
    const std::uint8_t b = in.byte();
    t += (b >> 3) * GapStepMs;
    keys.emplace_back(t, b & 7);
  }
  VirtualHost host(fuzz::hostOptions(std::min(t + PageUpdateMs, MaxRunMs), true));
  for (const auto& [ms, bit] : keys) host.clickKey(ms, bit);
  host.run();  // a HardwareFault escapes and counts as a crash
  FUZZ_REQUIRE(host.fileErrors().empty());
  return 0;
}
