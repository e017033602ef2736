#include "link/firmware_update.h"

#include <algorithm>
#include <cstdio>

#include "sim/atomic_file.h"
#include "sim/program_files.h"

namespace zen {

namespace {

constexpr const char* Instructions[] = {
    "How to update your Orvex ZN:",
    "",
    "a) Connect your Orvex to your PC using a ",
    "PC to Velonet cable. Your Orvex must be ",
    "switched off. Ensure that you have ",
    "selected the correct COM port in",
    "\"setup\".",
    "",
    "b) Switch on your Orvex. If your ",
    "connection is correct, this text will",
    "dissappear and the \"Update now\"",
    "button will be enabled.",
    "",
    "c) Click the \"Update now\" button and",
    "wait for the update to finish.",
};

constexpr const char* Finished[] = {
    "New Firmware is loaded.",
    "Finished...",
    "Disconnect velonet link from device",
    "and restart device to verify operation.",
    "Repeat programming if required.",
};

// Bytes that end the wait for '#': the instrument's own start-up, not its bootloader.
constexpr std::uint8_t NotBootloader[] = {0xE4, 0xB8, 0xB0, 0xAF, 0xAD};

constexpr int GaugeE2Step = 16;

std::string hex2(std::uint8_t b) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", b);
  return text;
}

}  // namespace

FirmwareUpdate::FirmwareUpdate(Link& link, FirmwareUpdateView& view) : link_(link), view_(view) {
  firmwareImage_.fill(0xFF);
  defaultE2Image_.fill(0xFF);
}

void FirmwareUpdate::scanProgramFile(const std::filesystem::path& programFile) {
  programFile_ = programFile;
  carriedVersion_ = "Unknown";
  imagePresent_ = extract(MarkerChoice::Last);
  if (imagePresent_) carriedVersion_ = carriedVersionOf(firmwareImage_);
}

bool FirmwareUpdate::extract(MarkerChoice choice) {
  firmwareImage_.fill(0xFF);
  scanProblem_.clear();
  ReadResult file = readFilePrefix(programFile_, MaxProgramFileBytes);
  if (file.missing || file.error) {
    scanProblem_ = programFile_.string() + ": " + (file.error ? *file.error : "no such file");
    return false;
  }
  const ContainerFind found = findContainer(file.bytes, choice);
  if (found.status == ContainerFind::Status::Refused)
    scanProblem_ = "The firmware data in " + programFile_.string() + " is damaged (" + found.refusal +
                   "). Use an intact copy of the program.";
  if (!found.found()) return false;
  std::copy(found.code.begin(), found.code.end(), firmwareImage_.begin());
  std::copy(found.e2.begin(), found.e2.end(), defaultE2Image_.begin());
  return true;
}

bool FirmwareUpdate::open() {
  linkWasBusy_ = false;
  if (!imagePresent_) return false;
  // Opened again while an update runs: the window only comes to the front.
  if (running_) return true;
  // That exchange would go on sending its frames to the bootloader.
  if (link_.exchanging()) {
    linkWasBusy_ = true;
    return false;
  }
  view_.runTimers(true);
  r_.bootMode = true;
  link_.hold(true);
  link_.routeTo(this);
  r_.bootState = 0;
  view_.clearLines();
  for (const char* line : Instructions) view_.addLine(line);
  view_.enableButtons(false, false);
  // Not the last update's full gauge.
  setGaugeRange(boot::ApplicationBytes);
  return true;
}

void FirmwareUpdate::takeByte(std::uint8_t b) {
  switch (r_.bootState) {
    case 0:
      if (b == boot::Greeting[0]) r_.bootState = 1;
      break;
    case 1:
      r_.bootState = b == boot::Greeting[1] ? 2 : 0;
      break;
    case 2:
      if (b != boot::Greeting[2]) {
        r_.bootState = 0;
        break;
      }
      r_.bootState = 3;
      send(boot::ProgramAnswer);
      break;
    case 3:
      if (b == boot::Accepted)
        r_.bootState = 4;
      else if (std::ranges::find(NotBootloader, b) != std::end(NotBootloader))
        r_.bootState = 0;
      break;
    case ReadyState:
      if (r_.bootExpected == 0) break;
      r_.bootRxBuffer[r_.bootRxCount++] = b;
      // The whole answer is in: nothing is left to time out.
      if (--r_.bootExpected == 0) r_.bootTicks = 0;
      break;
    default:
      break;
  }
}

void FirmwareUpdate::timer3Tick() {
  if (r_.bootState == 4) r_.bootState = 5;
  if (r_.bootTicks > 0 && --r_.bootTicks == 0) r_.bootTimedOut = true;
}

void FirmwareUpdate::timer2Tick() {
  if (r_.bootState != 5) return;
  r_.bootState = ReadyState;
  fullProgram_ = false;
  view_.clearLines();
  view_.enableButtons(true, true);
  view_.addLine("Ready to update Orvex Zenara");
}

void FirmwareUpdate::updateNow(bool full, std::span<const std::uint8_t> logo) {
  if (running_) return;
  if (full) fullProgram_ = true;
  view_.enableButtons(false, false);
  view_.clearLines();
  if (r_.bootState < ReadyState) {
    view_.addLine("Bootloader not active");
    return;
  }
  running_ = true;
  if (!extract(MarkerChoice::First)) {
    if (!scanProblem_.empty()) view_.addLine(scanProblem_);
    view_.addLine("Cannot locate code data");
    return finish();
  }
  placeLogo(logo);
  if (identify() && erase() && writePages() && (!fullProgram_ || writeDefaultE2())) {
    view_.setGauge(gaugeMaximum_);
    for (const char* line : Finished) view_.addLine(line);
  }
  finish();
}

void FirmwareUpdate::placeLogo(std::span<const std::uint8_t> logo) {
  const std::size_t length = std::min(logo.size(), MaxLogoBytes);
  std::copy_n(logo.begin(), length,
              firmwareImage_.begin() + static_cast<std::ptrdiff_t>(boot::LogoLengthOffset - length));
  firmwareImage_[boot::LogoLengthOffset] = static_cast<std::uint8_t>(length);
  firmwareImage_[boot::LogoLengthOffset + 1] = static_cast<std::uint8_t>(length >> 8);
}

bool FirmwareUpdate::identify() {
  view_.addLine("Attempting chip identification");
  const std::uint8_t command[] = {boot::IdentifyChip};
  if (!exchange(command, boot::IdentifyReply, SlowTicks).ok()) return fail("Failed. Please try again.");
  const auto& reply = r_.bootRxBuffer;
  view_.addLine("Chip ID: " + hex2(reply[1]) + "/" + hex2(reply[2]) + "/" + hex2(reply[3]) + "/" +
                hex2(reply[4]));
  if (!std::equal(boot::ChipSignature.begin(), boot::ChipSignature.end(), reply.begin() + 1))
    return fail("Chip ID is incorrect. Cannot continue.");
  view_.addLine("Chip ID is correct");
  return true;
}

bool FirmwareUpdate::erase() {
  view_.addLine("Erasing old Firmware...");
  const std::uint8_t command[] = {boot::EraseFlash};
  const Reply reply = exchange(command, boot::EraseReply, SlowTicks);
  if (!reply.complete) return fail("Erase has failed. Please try again.");
  if (!reply.crLast) return fail("Invalid response - please repeat");
  view_.addLine("Old Firmware has been erased.");
  return true;
}

bool FirmwareUpdate::writePages() {
  view_.addLine("Sending new Orvex firmware...");
  setGaugeRange(boot::ApplicationBytes);
  for (std::size_t j = 0; j < boot::ApplicationPages; ++j) {
    const auto page =
        std::span<const std::uint8_t>(firmwareImage_).subspan(j * boot::PageSize, boot::PageSize);
    if (std::ranges::any_of(page, [](std::uint8_t b) { return b != 0xFF; })) {
      expect(boot::PageReply);
      const std::uint16_t address = boot::pageWordAddress(j);
      const std::uint8_t command[] = {boot::WritePage, static_cast<std::uint8_t>(address >> 8),
                                      static_cast<std::uint8_t>(address)};
      bool sent = send(command);
      scrambler_.startPage();
      for (std::size_t i = 0; sent && i < boot::PageSize; i += 2) {
        const std::uint8_t pair[] = {scrambler_.scramble(page[i]), scrambler_.scramble(page[i + 1])};
        sent = send(pair);
        link_.runPending();
      }
      if (!sent || !awaitReply(FastTicks).ok()) return fail("Program write failed - please repeat");
    }
    view_.setGauge(static_cast<int>(j * boot::PageSize));
  }
  return true;
}

bool FirmwareUpdate::writeDefaultE2() {
  view_.addLine("Programming default settings...");
  setGaugeRange(DefaultE2Size);
  for (std::size_t a = 0; a < DefaultE2Size; ++a) {
    const std::uint8_t command[] = {boot::WriteE2Byte, static_cast<std::uint8_t>(a >> 8),
                                    static_cast<std::uint8_t>(a), defaultE2Image_[a]};
    if (!exchange(command, boot::E2Reply, FastTicks).ok()) return fail("E2 write failed - please repeat");
    if (a % GaugeE2Step == 0) view_.setGauge(static_cast<int>(a));
  }
  view_.addLine("Default settings programmed.");
  return true;
}

void FirmwareUpdate::setGaugeRange(std::size_t maximum) {
  gaugeMaximum_ = static_cast<int>(maximum);
  view_.setGaugeMaximum(gaugeMaximum_);
  view_.setGauge(0);
}

void FirmwareUpdate::expect(std::size_t count) {
  r_.bootRxCount = 0;
  r_.bootExpected = static_cast<std::uint16_t>(count);
}

bool FirmwareUpdate::send(std::span<const std::uint8_t> bytes) {
  for (std::uint8_t b : bytes)
    if (!link_.sendByte(b)) return false;
  return true;
}

FirmwareUpdate::Reply FirmwareUpdate::awaitReply(std::uint16_t ticks) {
  r_.bootTicks = ticks;
  r_.bootTimedOut = false;
  link_.waitUntil([this] { return r_.bootExpected == 0 || r_.bootTimedOut; });
  // A time-out, a closing program or a lost line can leave the answer short;
  // its last byte may then be a CR among the echoed data, which proves nothing.
  const bool complete = r_.bootExpected == 0 && !r_.bootTimedOut && r_.bootRxCount > 0;
  // Late bytes of a failed answer must not count towards another one.
  r_.bootExpected = 0;
  r_.bootTicks = 0;
  return {complete, complete && r_.bootRxBuffer[r_.bootRxCount - 1] == boot::CR};
}

FirmwareUpdate::Reply FirmwareUpdate::exchange(std::span<const std::uint8_t> command, std::size_t replyBytes,
                                               std::uint16_t ticks) {
  expect(replyBytes);
  if (!send(command)) {
    r_.bootExpected = 0;
    return {false, false};
  }
  return awaitReply(ticks);
}

bool FirmwareUpdate::fail(const std::string& line) {
  if (!link_.cancelled()) view_.addLine(line);
  return false;
}

void FirmwareUpdate::finish() {
  r_.bootState = 0;
  view_.enableButtons(false, false);
  view_.runTimers(false);
  running_ = false;
}

}  // namespace zen
