// What a complete incoming frame does: fill a reply buffer, or feed the
// attitude, heading and dual-panel values of the simulated instrument.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "link/frame.h"

namespace zen {

struct Instrument;

// Reply buffers read by the transfer, update and development windows.
struct LinkReplies {
  std::uint8_t replyReceived = 0;
  std::array<std::uint8_t, 17> readBlock{};  // 16 data bytes, then their sum
  // Bytes of the last memory reply; past memoryViewLength the buffer holds 0.
  std::array<std::uint8_t, 256> memoryView{};
  std::uint16_t memoryViewLength = 0;
  std::array<std::uint8_t, 12> instrumentIdent{};   // length byte + 11 characters
  std::array<std::uint8_t, 8> instrumentVersion{};  // length byte + 7 characters

  std::string identText() const;
  std::string versionText() const;
};

// Runs the frame's action. Frames too short for their kind change nothing;
// angles are brought into range before any instrument uses them.
// Returns true when the frame answers a request.
bool dispatchFrame(Instrument& z, LinkReplies& replies, const ReceivedFrame& frame);

}  // namespace zen
