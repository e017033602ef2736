#include "link/firmware_update.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "hardware/glyphs.h"
#include "support/temporary_folder.h"
#include "support/test_files.h"
#include "support/update_view.h"
#include "support/virtual_link.h"
#include "tools/fake_instrument/bootloader_unit.h"

namespace zen {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;
using fake::BootFault;

const Lines FinishedLines = {"New Firmware is loaded.", "Finished...", "Disconnect velonet link from device",
                             "and restart device to verify operation.", "Repeat programming if required."};

using View = test::RecordingUpdateView;

// The fake instrument's bootloader on the virtual line.
struct Wire : fake::Wire {
  explicit Wire(test::VirtualLinkRig& rig) : rig(rig) {}
  void send(Bytes bytes, double delayMs) override { rig.deliverAfter(delayMs, std::move(bytes)); }
  void disconnect() override { rig.transport.open = false; }
  void log(const std::string& line) override { events.push_back(line); }
  int count(const std::string& prefix) const {
    return static_cast<int>(
        std::ranges::count_if(events, [&](const auto& e) { return e.starts_with(prefix); }));
  }
  test::VirtualLinkRig& rig;
  Lines events;
};

// A flash image with data in a few pages, the carried version at 145.
Bytes sampleFlash() {
  Bytes flash(0x3000, 0xFF);
  for (std::size_t i = 0; i < 0x900; ++i) flash[i] = static_cast<std::uint8_t>(i * 13 + i / 256);
  flash[0x2FFF] = 0x42;
  flash[CarriedVersionOffset] = 7;
  std::copy_n("260607Y", 7, flash.begin() + CarriedVersionOffset + 1);
  return flash;
}

// What the instrument's application area must hold afterwards.
Bytes expectedFlash(const Bytes& flash, std::span<const std::uint8_t> logo) {
  Bytes image(boot::ApplicationBytes, 0xFF);
  std::copy_n(flash.begin(), std::min(flash.size(), image.size()), image.begin());
  std::copy(logo.begin(), logo.end(),
            image.begin() + static_cast<long>(boot::LogoLengthOffset - logo.size()));
  image[boot::LogoLengthOffset] = static_cast<std::uint8_t>(logo.size());
  image[boot::LogoLengthOffset + 1] = static_cast<std::uint8_t>(logo.size() >> 8);
  return image;
}

struct Rig {
  explicit Rig(fake::BootloaderOptions options = {}, Bytes flash = sampleFlash(),
               Bytes e2 = Bytes(4096, 0x5A))
      : flash(std::move(flash)), e2(std::move(e2)), unit(wire, options) {
    view.update = &update;
    link.transport.onWrite = [this](const Bytes& bytes) { unit.receive(bytes); };
    Bytes program(3000, 0x90);
    const Bytes container = buildContainer(this->flash, this->e2);
    program.insert(program.end(), container.begin(), container.end());
    test::writeBytes(folder.path() / "zenara", program);
    update.scanProgramFile(folder.path() / "zenara");
  }
  // Opens the window, switches the instrument on and waits for "Ready".
  void openAndPowerOn() {
    ASSERT_TRUE(update.open());
    unit.powerOn();
    link.host.advance(1100);
    ASSERT_EQ(update.receiver().bootState, FirmwareUpdate::ReadyState);
  }
  void expectIdleEnd() const {
    EXPECT_FALSE(view.timersOn || view.updateNowEnabled || view.fullEnabled);
    EXPECT_EQ(update.receiver().bootState, 0);
    EXPECT_TRUE(update.receiver().bootMode);
    EXPECT_FALSE(update.running() || link.link.exchanging());
  }
  Bytes applicationArea() const {
    return {unit.flash().begin(), unit.flash().begin() + boot::ApplicationBytes};
  }

  test::TemporaryFolder folder;
  Bytes flash, e2;
  test::VirtualLinkRig link;
  View view{link.host};
  FirmwareUpdate update{link.link, view};
  Wire wire{link};
  fake::BootloaderUnit unit;
};

TEST(FirmwareUpdateTest, ReceiverAnswersTheGreetingOnceAndBecomesReady) {
  struct Case {
    const char* name;
    Bytes bytes;
    std::uint8_t state;
    std::size_t answered;  // bytes sent
  } cases[] = {
      {"greeting", {'O', 'K', boot::CR}, 3, 6},
      {"greeting twice", {'O', 'K', boot::CR, 'O', 'K', boot::CR}, 3, 6},
      {"O then X", {'O', 'X'}, 0, 0},
      {"other bytes in 3", {'O', 'K', boot::CR, 'x', 0x00}, 3, 6},
      {"0xE4 in 3", {'O', 'K', boot::CR, 0xE4}, 0, 6},
      {"accepted", {'O', 'K', boot::CR, boot::Accepted}, 4, 6},
  };
  for (const Case& c : cases) {
    Rig rig;
    rig.link.transport.onWrite = nullptr;
    ASSERT_TRUE(rig.update.open());
    rig.link.link.receive(c.bytes);
    EXPECT_EQ(rig.update.receiver().bootState, c.state) << c.name;
    Bytes sent;
    for (const auto& s : rig.link.transport.sent) sent.insert(sent.end(), s.bytes.begin(), s.bytes.end());
    EXPECT_EQ(sent, Bytes(boot::ProgramAnswer.begin(), boot::ProgramAnswer.begin() + c.answered)) << c.name;
  }
  // '#' leads to 4, one 5 ms tick to 5, the next second to ready.
  Rig rig;
  rig.link.transport.onWrite = nullptr;
  ASSERT_TRUE(rig.update.open());
  EXPECT_EQ(rig.view.lines.size(), 15u);
  rig.link.link.receive(Bytes{'O', 'K', boot::CR, boot::Accepted});
  rig.link.host.advance(5);
  EXPECT_EQ(rig.update.receiver().bootState, 5);
  EXPECT_FALSE(rig.view.updateNowEnabled);
  rig.link.host.advance(1000);
  EXPECT_EQ(rig.update.receiver().bootState, FirmwareUpdate::ReadyState);
  EXPECT_EQ(rig.view.lines, Lines{"Ready to update Orvex Zenara"});
  EXPECT_TRUE(rig.view.updateNowEnabled && rig.view.fullEnabled);
}

// A panel transfer waits for its block when the window is asked for, then the
// user clicks "Update now": no frame may reach the bootloader, whose commands
// are single bytes (a write block carrying 0x65 would erase the flash).
TEST(FirmwareUpdateTest, TheUpdateNeverSharesTheLineWithAFrame) {
  Rig rig;
  const Bytes write{RequestFrame, WriteE2Block, 0x0E, 0x00, 16, 0x65, 0x65};
  bool opened = true, busy = false;
  rig.link.host.at(500, [&] {
    opened = rig.update.open();
    busy = rig.update.linkWasBusy();
    rig.update.updateNow(false, BuiltInStartLogo);
  });
  EXPECT_FALSE(rig.link.link.request(write, true, 100));
  EXPECT_FALSE(opened);
  EXPECT_TRUE(busy);
  EXPECT_EQ(rig.view.lines, Lines{"Bootloader not active"});
  EXPECT_EQ(rig.link.transport.sent.size(), std::size_t(Link::Tries));

  // Opened once the transfer has ended, the window keeps the line to the end.
  const std::size_t framesBefore = rig.link.transport.sent.size();
  rig.openAndPowerOn();
  EXPECT_FALSE(rig.link.link.request(write, true, 100));
  EXPECT_EQ(rig.link.link.lastOutcome(), LinkOutcome::Busy);
  EXPECT_NE(rig.link.link.busyMessage().find("firmware update"), std::string::npos);
  rig.update.updateNow(false, BuiltInStartLogo);
  EXPECT_EQ(Lines(rig.view.lines.end() - 5, rig.view.lines.end()), FinishedLines);
  EXPECT_FALSE(rig.link.link.request(write, true, 100));
  for (std::size_t i = framesBefore; i < rig.link.transport.sent.size(); ++i)
    EXPECT_EQ(rig.link.transport.sent[i].bytes.size(), 1u) << i;
  EXPECT_EQ(rig.unit.flash()[0], sampleFlash()[0]);

  // Opened again, the window starts from an empty gauge.
  EXPECT_EQ(rig.view.gauge, rig.view.gaugeMaximum);
  ASSERT_TRUE(rig.update.open());
  EXPECT_EQ(rig.view.gauge, 0);
}

TEST(FirmwareUpdateTest, UpdateNowBeforeTheBootloaderIsReadyOnlySaysSo) {
  Rig rig;
  ASSERT_TRUE(rig.update.open());
  rig.update.updateNow(false, BuiltInStartLogo);
  EXPECT_EQ(rig.view.lines, Lines{"Bootloader not active"});
  EXPECT_TRUE(rig.view.timersOn);
  EXPECT_TRUE(rig.link.transport.sent.empty());
}

TEST(FirmwareUpdateTest, UpdateWritesTheImageWithTheLogoAndSkipsBlankPages) {
  const Bytes smallLogo{0x81, 0x55, 0x05, 0x00, 0x00};
  struct Case {
    const char* name;
    Bytes flash;
    std::span<const std::uint8_t> logo;
    bool full;
  } cases[] = {
      {"image", sampleFlash(), smallLogo, false},
      {"image and E2", sampleFlash(), smallLogo, true},
      // Blank but for the built-in logo and its length, which are always sent.
      {"blank image", {}, BuiltInStartLogo, false},
  };
  for (const Case& c : cases) {
    Rig rig({}, c.flash);
    rig.openAndPowerOn();
    rig.update.updateNow(c.full, c.logo);
    const Bytes expected = expectedFlash(c.flash, c.logo);
    EXPECT_EQ(rig.applicationArea(), expected) << c.name;
    int pagesWithData = 0;
    for (std::size_t at = 0; at < expected.size(); at += boot::PageSize)
      pagesWithData += std::any_of(expected.begin() + at, expected.begin() + at + boot::PageSize,
                                   [](std::uint8_t b) { return b != 0xFF; });
    EXPECT_EQ(rig.wire.count("write-page"), pagesWithData) << c.name;
    EXPECT_EQ(rig.wire.count("write-e2"), c.full ? 4096 : 0) << c.name;
    EXPECT_EQ(rig.unit.e2() == rig.e2, c.full) << c.name;
    EXPECT_EQ(Lines(rig.view.lines.end() - 5, rig.view.lines.end()), FinishedLines) << c.name;
    EXPECT_EQ(rig.view.has("Default settings programmed."), c.full) << c.name;
    EXPECT_TRUE(rig.view.has("Chip ID: 1E/97/02/0D")) << c.name;
    EXPECT_EQ(rig.view.gauge, rig.view.gaugeMaximum) << c.name;
    rig.expectIdleEnd();
  }
}

TEST(FirmwareUpdateTest, EachPageStartsTheScramblerAfresh) {
  // Pages 0 and 2 begin with the same two bytes after different page contents.
  Bytes flash(3 * boot::PageSize, 0x00);
  for (std::size_t i = 0; i < boot::PageSize; ++i) flash[boot::PageSize + i] = static_cast<std::uint8_t>(i);
  flash[2 * boot::PageSize + 2] = 0x77;
  Rig rig({}, flash);
  rig.openAndPowerOn();
  Bytes wire;
  rig.link.transport.onWrite = [&](const Bytes& bytes) {
    wire.insert(wire.end(), bytes.begin(), bytes.end());
    rig.unit.receive(bytes);
  };
  rig.update.updateNow(false, {});
  // identify, erase, then each page's command: 'W', address, 256 data bytes.
  const std::size_t page0 = 2 + 3, page2 = page0 + 2 * (3 + boot::PageSize);
  ASSERT_EQ(wire[page2 - 3], boot::WritePage);
  EXPECT_TRUE(wire[page0] == wire[page2] && wire[page0 + 1] == wire[page2 + 1]);
  EXPECT_NE(wire[page0 + 2], wire[page2 + 2]);
  // Byte 0x00 goes out as the key itself, halves swapped; the key rolls left.
  const auto swapped = [](unsigned b) { return static_cast<std::uint8_t>((b << 4 | b >> 4) & 0xFF); };
  const unsigned k0 = firmware_keys::K0;
  EXPECT_EQ(wire[page0], swapped(k0));
  EXPECT_EQ(wire[page0 + 1], swapped((k0 << 1 | k0 >> 7) & 0xFF));
  EXPECT_EQ(rig.applicationArea(), expectedFlash(flash, {}));
}

TEST(FirmwareUpdateTest, FailuresEndIdleWithTheLineThatSaysWhatToDo) {
  struct Case {
    const char* name;
    BootFault fault;
    int after;
    std::array<std::uint8_t, 3> signature;
    bool full;
    const char* last;
  } cases[] = {
      {"silent chip", BootFault::Silence, 0, boot::ChipSignature, false, "Failed. Please try again."},
      {"other chip", BootFault::None, 0, {0x1E, 0x97, 0x04}, false, "Chip ID is incorrect. Cannot continue."},
      {"silent erase", BootFault::Silence, 1, boot::ChipSignature, false,
       "Erase has failed. Please try again."},
      {"wrong erase answer", BootFault::WrongAnswer, 1, boot::ChipSignature, false,
       "Invalid response - please repeat"},
      {"wrong page answer", BootFault::WrongAnswer, 4, boot::ChipSignature, false,
       "Program write failed - please repeat"},
      {"silent E2", BootFault::Silence, 40, boot::ChipSignature, true, "E2 write failed - please repeat"},
  };
  for (const Case& c : cases) {
    fake::BootloaderOptions options;
    options.fault = c.fault;
    options.faultAfter = c.after;
    options.signature = c.signature;
    Rig rig(options);
    rig.openAndPowerOn();
    rig.update.updateNow(c.full, BuiltInStartLogo);
    ASSERT_FALSE(rig.view.lines.empty()) << c.name;
    EXPECT_EQ(rig.view.lines.back(), c.last) << c.name;
    EXPECT_FALSE(rig.view.has("New Firmware is loaded.")) << c.name;
    rig.expectIdleEnd();
  }
}

TEST(FirmwareUpdateTest, PowerLostMidPageIsAFailureEvenWhenTheEchoEndsInCr) {
  // Pages 0..8, 0x2F and 502 go in; the power goes 40 data bytes into the last page.
  fake::BootloaderOptions options;
  options.fault = BootFault::PowerLost;
  options.faultAfter = 11;
  options.cutAfterBytes = 40;
  // The last byte echoed before that is a CR on the wire.
  Bytes logo(300, 0x11);
  const std::size_t pageInLogo =
      (boot::ApplicationPages - 1) * boot::PageSize - (boot::LogoLengthOffset - logo.size());
  boot::WireScrambler scrambler;
  scrambler.startPage();
  for (std::size_t i = 0; i + 1 < options.cutAfterBytes; ++i) scrambler.scramble(0);
  logo[pageInLogo + options.cutAfterBytes - 1] = scrambler.unscramble(boot::CR);
  Rig rig(options);
  rig.openAndPowerOn();
  rig.update.updateNow(false, logo);
  EXPECT_EQ(rig.wire.count("fault power-lost"), 1);
  EXPECT_EQ(rig.view.lines.back(), "Program write failed - please repeat");
  EXPECT_FALSE(rig.view.has("New Firmware is loaded."));
  rig.expectIdleEnd();

  // Started again once the instrument is back: the whole image goes in.
  ASSERT_TRUE(rig.unit.command("fault none"));
  rig.openAndPowerOn();
  rig.update.updateNow(false, logo);
  EXPECT_EQ(rig.view.lines.back(), FinishedLines.back());
  EXPECT_EQ(rig.applicationArea(), expectedFlash(rig.flash, logo));
}

TEST(FirmwareUpdateTest, LostLineAndClosingEndTheUpdateAtOnce) {
  for (const bool closing : {false, true}) {
    Rig rig;
    rig.openAndPowerOn();
    int writes = 0;
    rig.link.transport.onWrite = [&](const Bytes& bytes) {
      if (++writes == 300) closing ? rig.link.link.cancel() : void(rig.link.transport.open = false);
      rig.unit.receive(bytes);
    };
    const double start = rig.link.host.nowMs();
    rig.update.updateNow(false, BuiltInStartLogo);
    EXPECT_LT(rig.link.host.nowMs() - start, 100) << closing;
    EXPECT_EQ(rig.view.has("Program write failed - please repeat"), !closing);
    EXPECT_EQ(rig.view.lines.back(),
              closing ? "Sending new Orvex firmware..." : "Program write failed - please repeat");
    rig.expectIdleEnd();
  }
}

TEST(FirmwareUpdateTest, DamagedContainerIsRefusedWithItsReason) {
  Rig rig;
  rig.openAndPowerOn();
  // The file changed since start-up: its container now claims more than it holds.
  Bytes program(3000, 0x90);
  Bytes container = buildContainer(rig.flash, rig.e2);
  container.resize(container.size() - 1);
  program.insert(program.end(), container.begin(), container.end());
  test::writeBytes(rig.folder.path() / "zenara", program);
  rig.update.updateNow(false, BuiltInStartLogo);
  ASSERT_EQ(rig.view.lines.size(), 2u);
  EXPECT_NE(rig.view.lines[0].find("is damaged"), std::string::npos) << rig.view.lines[0];
  EXPECT_EQ(rig.view.lines[1], "Cannot locate code data");
  // Nothing was sent but the answer to the greeting.
  EXPECT_EQ(rig.link.transport.sent.size(), boot::ProgramAnswer.size());
  rig.expectIdleEnd();
}

}  // namespace
}  // namespace zen
