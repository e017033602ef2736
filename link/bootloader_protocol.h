// What the program and the instrument's bootloader agree on: the greeting,
// the commands, the flash layout and the wire scrambler. The bootloader
// echoes every byte it receives and ends each answer with CR.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "link/firmware_container.h"
#include "link/firmware_keys.h"

namespace zen::boot {

inline constexpr std::uint8_t CR = 0x0D;
inline constexpr std::uint8_t Esc = 0x1B;
// The bootloader's greeting "OK" CR, and the program's answer to it.
inline constexpr std::array<std::uint8_t, 3> Greeting = {'O', 'K', CR};
inline constexpr std::array<std::uint8_t, 6> ProgramAnswer = {Esc, Esc, 'P', 'R', 'O', 'G'};
// The bootloader accepted the answer and waits for commands.
inline constexpr std::uint8_t Accepted = '#';

inline constexpr std::uint8_t IdentifyChip = 's';
inline constexpr std::uint8_t EraseFlash = 'e';
inline constexpr std::uint8_t WritePage = 'W';
inline constexpr std::uint8_t WriteE2Byte = 'D';
// Reply bytes of each command: the echo and the answer, CR last.
inline constexpr std::size_t IdentifyReply = 5;
inline constexpr std::size_t EraseReply = 2;
inline constexpr std::size_t PageReply = 260;
inline constexpr std::size_t E2Reply = 5;

// ATmega128: 128 KiB flash in 256-byte pages, 4 KiB E2.
inline constexpr std::array<std::uint8_t, 3> ChipSignature = {0x1E, 0x97, 0x02};
inline constexpr std::size_t PageSize = 256;
// Pages 0..503 hold the application; from 0x1F800 on is the bootloader's own.
inline constexpr std::size_t ApplicationBytes = 0x1F800;
inline constexpr std::size_t ApplicationPages = ApplicationBytes / PageSize;
// The start-up logo ends just below its 16-bit length at the top of the application.
inline constexpr std::size_t LogoLengthOffset = ApplicationBytes - 2;
static_assert(ApplicationBytes <= FirmwareImageSize);

inline constexpr std::uint16_t pageWordAddress(std::size_t page) {
  return static_cast<std::uint16_t>(page * PageSize / 2);
}

// Every flash data byte goes out XORed with the rolling key, its two 4-bit
// halves swapped; the key then rotates left by one bit. Each page starts
// from K0, so a page never depends on the pages sent before it.
class WireScrambler {
 public:
  void startPage() { key_ = firmware_keys::K0; }
  std::uint8_t scramble(std::uint8_t b) {
    const std::uint8_t x = b ^ key_;
    roll();
    return static_cast<std::uint8_t>(x << 4 | x >> 4);
  }
  // The bootloader's side.
  std::uint8_t unscramble(std::uint8_t wire) {
    const std::uint8_t x = static_cast<std::uint8_t>(wire << 4 | wire >> 4);
    const std::uint8_t b = x ^ key_;
    roll();
    return b;
  }

 private:
  void roll() { key_ = static_cast<std::uint8_t>(key_ << 1 | key_ >> 7); }
  std::uint8_t key_ = firmware_keys::K0;
};

}  // namespace zen::boot
