// Frames from the remote engine unit, whatever they carry, decoded and shown
// by an instrument whose engine settings are as odd as a user can make them.
//
// Input: a byte whose bit 0 picks the page; a count of settings patches,
// each a 16-bit address in the item area and a byte; then frame sets, each a
// byte whose bits 0..4 say which frame types 1..5 arrive and bits 5..7 the
// gap before the set (0..6 quarter seconds, or 7: a silence longer than the
// unit's 3 s alive time), followed by each frame's fields and its two
// trailing bytes. The run ends one page update after the last set.
#include "firmware/core/instrument.h"
#include "firmware/core/settings_store.h"
#include "fuzz_support.h"

namespace {

constexpr double FirstSetMs = 0;
constexpr double GapStepMs = 250;
constexpr double SilenceMs = 3500;
constexpr double PageUpdateMs = 500;
constexpr double MaxRunMs = 10000;
constexpr std::size_t MaxPatches = 64;

// A frame as the slot keeps it: the type byte, the fields, and the unit's two
// trailing bytes.
template <std::size_t N>
using Frame = decltype(zen::FrameSlot<N>::bytes);

template <std::size_t N>
void fill(zen::FrameSlot<N>& slot, std::uint8_t type, const Frame<N>& frame) {
  slot.bytes = frame;
  slot.bytes[0] = type;
}

struct FrameSet {
  std::uint8_t types = 0;
  Frame<5> f1{};
  Frame<23> f2{};
  Frame<3> f3{};
  Frame<9> f4{};
  Frame<13> f5{};
};

template <std::size_t N>
void read(zen::fuzz::Input& in, std::array<std::uint8_t, N>& frame) {
  for (std::size_t i = 1; i < N; ++i) frame[i] = in.byte();
}

// What reception of a set does on the instrument (as the simulated unit's).
void arrive(zen::Instrument& z, const FrameSet& set) {
  zen::EngineFrames& f = z.engine.frames;
  if (set.types & 1) fill(f.type1, 1, set.f1);
  if (set.types & 2) fill(f.type2, 2, set.f2);
  if (set.types & 4) fill(f.type3, 3, set.f3);
  if (set.types & 8) fill(f.type4, 4, set.f4);
  if (set.types & 16) fill(f.type5, 5, set.f5);
  z.engine.engineFrameInterval = z.engine.engineFrameAge;
  z.engine.engineFrameAge = 0;
  z.engine.engineUnitAlive = 6;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zen;
  fuzz::Input in(data, size);
  const std::uint8_t page = in.byte() & 1;
  const std::size_t patches = std::min<std::size_t>(in.byte(), MaxPatches);
  std::vector<std::pair<std::size_t, std::uint8_t>> patch;
  for (std::size_t i = 0; i < patches; ++i) {
    const std::size_t address = in.u16() % imageLength;
    patch.emplace_back(address, in.byte());
  }
  std::vector<std::pair<double, FrameSet>> sets;
  double t = FirstSetMs;
  while (!in.empty() && t < MaxRunMs) {
    FrameSet set;
    set.types = in.byte();
    const int gap = set.types >> 5;
    t += gap == 7 ? SilenceMs : gap * GapStepMs;
    if (set.types & 1) read(in, set.f1);
    if (set.types & 2) read(in, set.f2);
    if (set.types & 4) read(in, set.f3);
    if (set.types & 8) read(in, set.f4);
    if (set.types & 16) read(in, set.f5);
    sets.emplace_back(t, set);
  }

  fuzz::MemoryHost host(fuzz::hostOptions(std::min(t + PageUpdateMs, MaxRunMs)));
  Instrument& z = host.instrument();
  buildImageFromDefaults(z, true);
  for (const auto& [address, value] : patch) z.e2.write(address, std::span<const std::uint8_t>(&value, 1));
  z.main.activePage = page;
  for (const auto& timed : sets) host.at(timed.first, [&z, &set = timed.second] { arrive(z, set); });
  fuzz::runPagesSwitchedOnOnce(host);  // a HardwareFault escapes and counts as a crash
  return 0;
}
