// The firmware container carried at the end of the program's own file: a
// five-byte marker, the code length C and the E2 length E (32-bit
// little-endian), then the code part and the E2 part, each scrambled with
// the container mask. Nothing records where it starts; it is found by
// scanning the file for the marker.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "hardware/hardware.h"

namespace zen {

inline constexpr std::size_t ContainerMarkerSize = 5;
inline constexpr std::size_t ContainerHeaderSize = 13;
// The program reads at most this much of its own file.
inline constexpr std::size_t MaxProgramFileBytes = 4u * 1024 * 1024 + 1;
// The instrument's flash (code part) and E2 (E2 part).
inline constexpr std::size_t FirmwareImageSize = 131072;
inline constexpr std::size_t DefaultE2Size = SettingsImage::Size;
// The carried firmware's version: a length byte and 7 characters in the image.
inline constexpr std::size_t CarriedVersionOffset = 145;
inline constexpr std::size_t CarriedVersionLength = 7;

// The marker, put together at run time: its five bytes must never stand
// together in the program's own code or data, or the scan would find the
// program instead of the container.
std::array<std::uint8_t, ContainerMarkerSize> containerMarker();

// Scrambles or unscrambles (the same operation) one container part in place:
// byte k is XORed with ((k mod 256) XOR K1) + K2.
void applyContainerMask(std::span<std::uint8_t> part);

enum class MarkerChoice {
  First,  // the first marker in the file (before an update)
  Last,   // a later marker replaces an earlier one (at start-up)
};

struct ContainerFind {
  enum class Status { NotFound, Found, Refused };
  Status status = Status::NotFound;
  std::size_t offset = 0;          // where the chosen marker stands
  std::string refusal;             // why the chosen container cannot be used
  std::vector<std::uint8_t> code;  // both parts unscrambled
  std::vector<std::uint8_t> e2;
  bool found() const { return status == Status::Found; }
};

// Looks for the marker at every offset up to the file's size - 6 and opens
// the chosen container. A container whose parts do not fit the flash image,
// the E2 image or the rest of the file is refused, never read past its end.
ContainerFind findContainer(std::span<const std::uint8_t> file, MarkerChoice choice);

// The container of the two parts, ready to append to a program. The parts
// must fit the flash and E2 images.
std::vector<std::uint8_t> buildContainer(std::span<const std::uint8_t> code,
                                         std::span<const std::uint8_t> e2);

// The version text kept in a flash image, "" when it holds no characters.
std::string carriedVersionOf(std::span<const std::uint8_t, FirmwareImageSize> image);
// Why the image holds no version (a length of 1..7 printable characters), or nothing.
std::optional<std::string> carriedVersionProblem(std::span<const std::uint8_t, FirmwareImageSize> image);

}  // namespace zen
