// Bytes from the instrument link while the instrument runs: the frame
// receiver with its quiet reset, the check, and the dispatcher that feeds
// replies, attitude, heading and dual-panel blocks to the instruments.
//
// Input: 4 bytes of option bits (dual panel, master or slave), then chunks.
// A chunk header's bits 0..5 are its length; bit 7 wraps the bytes in a
// frame (address byte first) with a correct check, so the dispatcher sees
// many frames; bit 6 lets 150 ms pass before it, long enough for the quiet
// reset. Chunks otherwise arrive 10 ms apart; the run ends one page update
// after the last, and chunks after 10 simulated seconds are left out.
#include <functional>

#include "firmware/core/settings_store.h"
#include "fuzz_support.h"
#include "link/link.h"

namespace {

class NoWaiting : public zen::LinkWaiter {
 public:
  void waitUntil(const std::function<bool()>&) override {}
  void runPending() override {}
};

constexpr double ChunkGapMs = 10;
constexpr double QuietGapMs = 150;
constexpr double PageUpdateMs = 500;
constexpr double MaxRunMs = 10000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zen;
  fuzz::Input in(data, size);
  const std::uint32_t options = in.u32();

  std::vector<std::vector<std::uint8_t>> chunks;
  std::vector<double> times;
  double t = 0;
  while (!in.empty() && t < MaxRunMs) {
    const std::uint8_t header = in.byte();
    if (header & 0x40) t += QuietGapMs;
    if (header & 0x80) {
      const std::uint8_t address = in.byte();
      chunks.push_back(encodeFrame(address, in.take(header & 0x3F)));
    } else {
      const auto raw = in.take(header & 0x3F);
      chunks.emplace_back(raw.begin(), raw.end());
    }
    times.push_back(t);
    t += ChunkGapMs;
  }

  fuzz::MemoryHost host(fuzz::hostOptions(t + PageUpdateMs));
  Instrument& z = host.instrument();
  buildImageFromDefaults(z, true);
  z.e2.write(SettingsItemTable[7].address,
             std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(&options), 4));
  NoWaiting waiter;
  Link link(host, waiter);
  for (std::size_t i = 0; i < chunks.size(); ++i)
    host.at(times[i], [&link, &chunk = chunks[i]] { link.receive(chunk); });
  fuzz::runPagesSwitchedOnOnce(host);  // a HardwareFault escapes and counts as a crash

  // What the instruments were handed is in range, whatever arrived.
  FUZZ_REQUIRE(z.attitude.bank >= -180 && z.attitude.bank <= 179);
  FUZZ_REQUIRE(z.attitude.pitch >= -90 && z.attitude.pitch <= 90);
  FUZZ_REQUIRE(z.attitude.heading < 360);
  FUZZ_REQUIRE(link.replies().memoryViewLength <= link.replies().memoryView.size());
  return 0;
}
