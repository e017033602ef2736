#include "link/ram_view.h"

#include <array>

#include "link/link.h"

namespace zen {

std::optional<std::uint8_t> readRamByte(Link& link, std::uint16_t address) {
  const std::array<std::uint8_t, 5> request{RequestFrame, ReadRam, static_cast<std::uint8_t>(address & 0xFF),
                                            static_cast<std::uint8_t>(address >> 8), 1};
  // Only a memory reply answers this request, and it holds at least one byte.
  if (!link.request(request, true, ViewRamReplyTicks)) return std::nullopt;
  return link.replies().memoryView[0];
}

}  // namespace zen
