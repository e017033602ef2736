// The instrument's bootloader as the update sees it: greets with "OK" CR
// when powered on, takes the program's answer, then echoes every byte and
// answers the chip, erase, page and E2 commands, keeping flash and E2 in
// files. Faults on request: silence, a wrong answer, power lost mid-page.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "link/bootloader_protocol.h"
#include "tools/fake_instrument/personality.h"

namespace zen::fake {

enum class BootFault { None, Silence, WrongAnswer, PowerLost };

std::optional<BootFault> bootFaultNamed(const std::string& name);

struct BootloaderOptions {
  std::array<std::uint8_t, 3> signature = boot::ChipSignature;
  std::filesystem::path flashFile;  // 128 KiB; empty: kept in memory only
  std::filesystem::path e2File;     // 4 KiB; empty: kept in memory only
  BootFault fault = BootFault::None;
  // Commands answered normally before the fault starts; for power-lost, pages written.
  int faultAfter = 0;
  // Power lost: data bytes of the next page that arrive before the power goes.
  std::size_t cutAfterBytes = 128;
  // Switched on this long after the start; negative: on the "power-on" command only.
  double powerOnAfterMs = -1;
};

class BootloaderUnit : public Personality {
 public:
  static constexpr std::size_t FlashSize = FirmwareImageSize;
  static constexpr std::size_t E2Size = DefaultE2Size;

  // Throws std::runtime_error when the flash or E2 file cannot be used.
  BootloaderUnit(Wire& wire, BootloaderOptions options);

  void receive(std::span<const std::uint8_t> bytes) override;
  double tick(double nowMs) override;
  // power-on, power-off, fault KIND [N].
  bool command(const std::string& line) override;

  void powerOn();
  void powerOff();
  bool powered() const { return powered_; }
  const std::vector<std::uint8_t>& flash() const { return flash_; }
  const std::vector<std::uint8_t>& e2() const { return e2_; }

 private:
  // A memory kept in a file, written in place as the part itself would be.
  struct Memory {
    std::filesystem::path file;
    std::vector<std::uint8_t>& bytes;
    void load(std::size_t size);
    void store(std::size_t at, std::size_t count) const;
  };
  void take(std::uint8_t b, std::vector<std::uint8_t>& echo);
  void run(std::vector<std::uint8_t>& echo);
  bool faulty(BootFault fault) const;

  Wire& wire_;
  BootloaderOptions options_;
  std::vector<std::uint8_t> flash_, e2_;
  Memory flashMemory_{options_.flashFile, flash_};
  Memory e2Memory_{options_.e2File, e2_};
  bool powered_ = false;
  bool accepted_ = false;  // the program answered the greeting
  bool silent_ = false;
  std::size_t answerMatched_ = 0;
  std::vector<std::uint8_t> command_;
  int commands_ = 0;
  int pages_ = 0;
  double startMs_ = -1;
};

}  // namespace zen::fake
