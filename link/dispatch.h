// What a complete incoming frame does: fill a reply buffer, or feed the
// attitude, heading and dual-panel values of the simulated instrument.
#pragma once

#include <array>
#include <cstdint>
#include <span>
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

// What a frame answers. Read replies carry no address, so the kind is all
// that tells one request's answer from another's.
enum class ReplyKind : std::uint8_t { None, ReadBlock, Memory, Ident, Acknowledge, Any };

// The reply a request payload asks for; Any for a payload this program does not send.
ReplyKind expectedReply(std::span<const std::uint8_t> request);

// Runs the frame's action. Frames too short for their kind change nothing;
// angles are brought into range before any instrument uses them.
// Returns the kind of reply the frame is, None when it answers no request.
ReplyKind dispatchFrame(Instrument& z, LinkReplies& replies, const ReceivedFrame& frame);

}  // namespace zen
