#include "link/firmware_container.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "link/firmware_keys.h"

namespace zen {

namespace {

// The marker's letters, each XORed with a mask read through a volatile, so
// no compiler can fold them back into the five bytes in a row.
constexpr std::uint8_t MarkerMask = 0xA5;
constexpr std::array<std::uint8_t, ContainerMarkerSize> MaskedMarker = {
    'H' ^ MarkerMask, 'T' ^ MarkerMask, 'R' ^ MarkerMask, 'S' ^ MarkerMask, 'W' ^ MarkerMask};
volatile std::uint8_t markerMask = MarkerMask;

std::uint32_t read32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

void put32(std::vector<std::uint8_t>& out, std::size_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

ContainerFind open(std::span<const std::uint8_t> file, std::size_t at) {
  ContainerFind result;
  result.offset = at;
  result.status = ContainerFind::Status::Refused;
  if (file.size() - at < ContainerHeaderSize) {
    result.refusal = "its header is cut off by the end of the file";
    return result;
  }
  const std::uint64_t codeLength = read32(file, at + 5);
  const std::uint64_t e2Length = read32(file, at + 9);
  const std::uint64_t available = file.size() - at - ContainerHeaderSize;
  if (codeLength > FirmwareImageSize) {
    result.refusal = "its code part of " + std::to_string(codeLength) + " bytes is larger than the " +
                     std::to_string(FirmwareImageSize) + "-byte flash";
  } else if (e2Length > DefaultE2Size) {
    result.refusal = "its E2 part of " + std::to_string(e2Length) + " bytes is larger than the " +
                     std::to_string(DefaultE2Size) + "-byte E2";
  } else if (codeLength + e2Length > available) {
    result.refusal = "it needs " + std::to_string(codeLength + e2Length) +
                     " bytes of data but the file ends " + std::to_string(available) +
                     " bytes after its header";
  }
  if (!result.refusal.empty()) return result;

  const auto code = file.subspan(at + ContainerHeaderSize, codeLength);
  const auto e2 = file.subspan(at + ContainerHeaderSize + codeLength, e2Length);
  result.code.assign(code.begin(), code.end());
  result.e2.assign(e2.begin(), e2.end());
  applyContainerMask(result.code);
  applyContainerMask(result.e2);
  result.status = ContainerFind::Status::Found;
  return result;
}

}  // namespace

std::array<std::uint8_t, ContainerMarkerSize> containerMarker() {
  std::array<std::uint8_t, ContainerMarkerSize> marker{};
  const std::uint8_t mask = markerMask;
  for (std::size_t i = 0; i < marker.size(); ++i) marker[i] = MaskedMarker[i] ^ mask;
  return marker;
}

void applyContainerMask(std::span<std::uint8_t> part) {
  using namespace firmware_keys;
  for (std::size_t k = 0; k < part.size(); ++k) part[k] ^= static_cast<std::uint8_t>(((k & 0xFF) ^ K1) + K2);
}

ContainerFind findContainer(std::span<const std::uint8_t> file, MarkerChoice choice) {
  const auto marker = containerMarker();
  std::size_t found = file.size();
  // Offsets 0 .. size - 6: a marker in the last five bytes could carry nothing.
  for (std::size_t at = 0; at + ContainerMarkerSize < file.size(); ++at) {
    const void* hit = std::memchr(file.data() + at, marker[0], file.size() - ContainerMarkerSize - at);
    if (!hit) break;
    at = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - file.data());
    if (!std::equal(marker.begin(), marker.end(), file.begin() + at)) continue;
    found = at;
    if (choice == MarkerChoice::First) break;
  }
  if (found == file.size()) return {};
  return open(file, found);
}

std::vector<std::uint8_t> buildContainer(std::span<const std::uint8_t> code,
                                         std::span<const std::uint8_t> e2) {
  if (code.size() > FirmwareImageSize || e2.size() > DefaultE2Size)
    throw std::invalid_argument("firmware container parts larger than the flash or the E2");
  const auto marker = containerMarker();
  std::vector<std::uint8_t> out(marker.begin(), marker.end());
  put32(out, code.size());
  put32(out, e2.size());
  const std::size_t codeAt = out.size();
  out.insert(out.end(), code.begin(), code.end());
  applyContainerMask(std::span(out).subspan(codeAt));
  const std::size_t e2At = out.size();
  out.insert(out.end(), e2.begin(), e2.end());
  applyContainerMask(std::span(out).subspan(e2At));
  return out;
}

std::string carriedVersionOf(std::span<const std::uint8_t, FirmwareImageSize> image) {
  const std::size_t length = std::min<std::size_t>(image[CarriedVersionOffset], CarriedVersionLength);
  const auto text = image.subspan(CarriedVersionOffset + 1, length);
  return {text.begin(), text.end()};
}

std::optional<std::string> carriedVersionProblem(std::span<const std::uint8_t, FirmwareImageSize> image) {
  const std::size_t length = image[CarriedVersionOffset];
  if (length == 0 || length > CarriedVersionLength)
    return "its version length byte at offset " + std::to_string(CarriedVersionOffset) + " is " +
           std::to_string(length) + ", not 1 to " + std::to_string(CarriedVersionLength);
  for (std::size_t i = 1; i <= length; ++i) {
    const std::uint8_t c = image[CarriedVersionOffset + i];
    if (c < 0x20 || c > 0x7E)
      return "its version at offset " + std::to_string(CarriedVersionOffset + 1) +
             " holds a byte that is no printable character (" + std::to_string(c) + " at offset " +
             std::to_string(CarriedVersionOffset + i) + ")";
  }
  return std::nullopt;
}

}  // namespace zen
