// The firmware update through the instrument's bootloader: the start-up scan
// of the program's own file for the carried firmware, the bootloader
// receiver with its 5 ms and 1 s timers, and "Update now" (identify the
// chip, erase, program the application pages, optionally the default E2).
// Plain C++: the window shows what the view is told, and waits run through
// the link.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "link/bootloader_protocol.h"
#include "link/firmware_container.h"
#include "link/link.h"

namespace zen {

// What the update window shows.
class FirmwareUpdateView {
 public:
  virtual ~FirmwareUpdateView() = default;
  virtual void clearLines() = 0;
  virtual void addLine(const std::string& line) = 0;
  virtual void setGaugeMaximum(int maximum) = 0;
  virtual void setGauge(int position) = 0;
  virtual void enableButtons(bool updateNow, bool fullProgram) = 0;
  // The 1 s and 5 ms timers (Timer2, Timer3): on only while an update may run.
  virtual void runTimers(bool on) = 0;
};

// The bootloader receiver, fed with every incoming byte once bootMode is set.
struct BootReceiver {
  bool bootMode = false;
  // 0..2 greeting seen so far, 3 answered, 4 accepted, 5 settled, 6 ready.
  std::uint8_t bootState = 0;
  std::uint16_t bootExpected = 0;
  std::array<std::uint8_t, boot::PageReply> bootRxBuffer{};
  std::uint16_t bootRxCount = 0;
  std::uint16_t bootTicks = 0;  // 5 ms ticks left of the current exchange
  bool bootTimedOut = false;
};

inline constexpr char UpdateLinkBusyMessage[] =
    "The link to the instrument is still busy with a panel transfer or a View RAM request. Open the "
    "firmware update again when it has ended.";

class FirmwareUpdate : public ByteSink {
 public:
  static constexpr std::uint8_t ReadyState = 6;
  // Time-outs in 5 ms ticks.
  static constexpr std::uint16_t SlowTicks = 500;  // identify, erase
  static constexpr std::uint16_t FastTicks = 200;  // a page, an E2 byte

  FirmwareUpdate(Link& link, FirmwareUpdateView& view);
  FirmwareUpdate(const FirmwareUpdate&) = delete;
  FirmwareUpdate& operator=(const FirmwareUpdate&) = delete;

  // Start-up: reads the program's own file; the last container in it wins.
  void scanProgramFile(const std::filesystem::path& programFile);
  bool imagePresent() const { return imagePresent_; }
  // "Unknown" until a container was found.
  const std::string& carriedFirmwareVersion() const { return carriedVersion_; }
  // Why the scan found no usable image although it found a file or marker; else "".
  const std::string& scanProblem() const { return scanProblem_; }

  // The menu command. False, with nothing changed, when no image is carried
  // or another request still waits on the link (linkWasBusy() then holds).
  // From here on the link is held for the bootloader until the program ends:
  // the instrument may be in its bootloader, which takes frame bytes as commands.
  bool open();
  bool linkWasBusy() const { return linkWasBusy_; }
  // "Update now"; full is "Full program", which also writes the default E2.
  // logo is the start-up logo placed at the top of the application.
  void updateNow(bool full, std::span<const std::uint8_t> logo);
  bool running() const { return running_; }

  void takeByte(std::uint8_t b) override;
  void timer3Tick();  // every 5 ms
  void timer2Tick();  // every second

  const BootReceiver& receiver() const { return r_; }
  bool fullProgram() const { return fullProgram_; }
  std::span<const std::uint8_t, FirmwareImageSize> firmwareImage() const { return firmwareImage_; }
  std::span<const std::uint8_t, DefaultE2Size> defaultE2Image() const { return defaultE2Image_; }

 private:
  struct Reply {
    bool complete;  // every expected byte came before the time-out
    bool crLast;    // ... and the last of them is CR
    bool ok() const { return complete && crLast; }
  };
  // The failure lines below tell the user what to do; after a failure the
  // update ends (the window goes idle), unless the program is closing.
  bool extract(MarkerChoice choice);
  void placeLogo(std::span<const std::uint8_t> logo);
  bool identify();
  bool erase();
  bool writePages();
  bool writeDefaultE2();
  void setGaugeRange(std::size_t maximum);
  void expect(std::size_t count);
  bool send(std::span<const std::uint8_t> bytes);
  Reply awaitReply(std::uint16_t ticks);
  Reply exchange(std::span<const std::uint8_t> command, std::size_t replyBytes, std::uint16_t ticks);
  // Adds the line unless the program is closing; returns false for "stop here".
  bool fail(const std::string& line);
  void finish();

  Link& link_;
  FirmwareUpdateView& view_;
  std::filesystem::path programFile_;
  std::array<std::uint8_t, FirmwareImageSize> firmwareImage_{};
  std::array<std::uint8_t, DefaultE2Size> defaultE2Image_{};
  std::string carriedVersion_ = "Unknown";
  std::string scanProblem_;
  bool imagePresent_ = false;
  bool linkWasBusy_ = false;
  bool fullProgram_ = false;
  bool running_ = false;
  int gaugeMaximum_ = 0;
  BootReceiver r_;
  boot::WireScrambler scrambler_;
};

}  // namespace zen
