// Bytes from the line while the firmware update window is open: the
// bootloader receiver's greeting states with its 5 ms and 1 s timers, and
// "Update now" with whatever answers come back, in time or late, short,
// long or wrong.
//
// Input: steps. A step's header byte: bits 6..7 pick 0 "deliver the next
// (bits 0..5) bytes", 1 "let (bits 0..5) x 25 ms pass", 2 "Update now"
// (bit 0: "Full program"), 3 "open the window again". While the update
// waits for an answer, the next bytes are that answer instead: its delay in
// ms, its 16-bit length (at most 511), then its bytes. Steps that would start
// after 10 simulated seconds are left out; an update under way runs to its end.
#include <array>

#include "fuzz_support.h"
#include "link/firmware_update.h"
#include "link/link.h"
#include "support/test_files.h"
#include "support/update_view.h"

namespace {

using namespace zen;

constexpr double StepMs = 25;
constexpr double MaxRunMs = 10000;
constexpr std::uint16_t MaxAnswer = 511;
// A small logo: with the image below, three pages go out.
constexpr std::array<std::uint8_t, 5> Logo = {0x81, 0x55, 0x05, 0x00, 0x00};

// Every wait of the update takes its answer from the input, then lets time
// pass in the receiver's own 5 ms steps until the wait ends.
class AnsweringWaiter : public LinkWaiter {
 public:
  AnsweringWaiter(VirtualHost& host, Link*& link, fuzz::Input& in) : host_(host), link_(link), in_(in) {}
  void waitUntil(const std::function<bool()>& done) override {
    const double delay = in_.byte();
    const std::uint16_t length = in_.u16() & MaxAnswer;
    const auto answer = in_.take(length);
    host_.at(host_.nowMs() + delay, [this, bytes = std::vector<std::uint8_t>(answer.begin(), answer.end())] {
      link_->receive(bytes);
    });
    // Far longer than the longest time-out: a wait that never ends stops the run.
    const double limit = host_.nowMs() + MaxWaitMs;
    while (!done()) {
      FUZZ_REQUIRE(host_.nowMs() < limit);
      host_.advance(ReceiverTickMs);
    }
  }
  void runPending() override { host_.advance(0); }

 private:
  static constexpr double ReceiverTickMs = 5;
  static constexpr double MaxWaitMs = 10000;
  VirtualHost& host_;
  Link*& link_;
  fuzz::Input& in_;
};

// A line that is open and takes every byte. Nothing here checks what was
// sent, and keeping a copy of every byte of a full program, as the tests'
// recording line does, cost more than the update itself.
class OpenLine : public LinkTransport {
 public:
  bool isOpen() const override { return true; }
  bool write(std::span<const std::uint8_t>) override { return true; }
};

// The program's file with its container, written once per fuzzer process.
const std::filesystem::path& programFile() {
  static const std::filesystem::path file = [] {
    std::vector<std::uint8_t> flash(2 * boot::PageSize);
    for (std::size_t i = 0; i < flash.size(); ++i) flash[i] = static_cast<std::uint8_t>(i * 7);
    std::vector<std::uint8_t> program(64, 0x90);
    const auto container = buildContainer(flash, std::vector<std::uint8_t>(DefaultE2Size, 0x5A));
    program.insert(program.end(), container.begin(), container.end());
    const auto path = fuzz::programFolder() / "zenara-update";
    test::writeBytes(path, program);
    return path;
  }();
  return file;
}

// The last line of an update that ran: finished, or a failure saying what to do.
bool endsAsItShould(const test::RecordingUpdateView& view) {
  static constexpr std::array<std::string_view, 7> Endings = {
      "Repeat programming if required.",        "Failed. Please try again.",
      "Chip ID is incorrect. Cannot continue.", "Erase has failed. Please try again.",
      "Invalid response - please repeat",       "Program write failed - please repeat",
      "E2 write failed - please repeat"};
  return !view.lines.empty() && std::ranges::find(Endings, view.lines.back()) != Endings.end();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  VirtualHost::Options options;
  options.programFolder = fuzz::programFolder();
  options.loadFiles = false;
  VirtualHost host(options);
  Link* linkOf = nullptr;
  AnsweringWaiter waiter(host, linkOf, in);
  OpenLine transport;
  Link link(host, waiter);
  linkOf = &link;
  link.setTransport(&transport);
  test::RecordingUpdateView view(host);
  FirmwareUpdate update(link, view);
  view.update = &update;
  update.scanProgramFile(programFile());
  FUZZ_REQUIRE(update.imagePresent() && update.open());

  while (!in.empty() && host.nowMs() < MaxRunMs) {
    const std::uint8_t step = in.byte();
    const std::uint8_t n = step & 0x3F;
    switch (step >> 6) {
      case 0:
        link.receive(in.take(n));
        break;
      case 1:
        host.advance(n * StepMs);
        break;
      case 2: {
        const bool ready = update.receiver().bootState == FirmwareUpdate::ReadyState;
        update.updateNow(step & 1, Logo);
        // Whatever came back, the update ended, said how, and left the line free.
        FUZZ_REQUIRE(!update.running() && !link.exchanging());
        FUZZ_REQUIRE(update.receiver().bootExpected == 0 && update.receiver().bootTicks == 0);
        if (ready) {
          FUZZ_REQUIRE(endsAsItShould(view));
          FUZZ_REQUIRE(update.receiver().bootState == 0 && !view.timersOn && !view.updateNowEnabled);
        } else {
          FUZZ_REQUIRE(view.lines.size() == 1 && view.lines[0] == "Bootloader not active");
        }
        break;
      }
      default:
        FUZZ_REQUIRE(update.open());
        break;
    }
    FUZZ_REQUIRE(update.receiver().bootRxCount <= update.receiver().bootRxBuffer.size());
    FUZZ_REQUIRE(update.receiver().bootState <= FirmwareUpdate::ReadyState);
  }
  return 0;
}
