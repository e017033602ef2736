// The link frame: start byte, address, payload length L, L payload bytes
// (the frame type first), XOR check byte, end byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zen {

inline constexpr std::uint8_t FrameStartByte = 0x82;
inline constexpr std::uint8_t FrameEndByte = 0x83;
inline constexpr std::uint8_t FrameCheckSeed = 0xA5;
// Frames for this program carry an address from here up.
inline constexpr std::uint8_t LowestFrameAddress = 0xE0;
// The address of every request this program sends.
inline constexpr std::uint8_t RequestAddress = 0xE1;
inline constexpr std::size_t MaxPayload = 255;
// Start, address, length, check and end bytes around the payload.
inline constexpr std::size_t FrameOverhead = 5;

// Payload byte 0.
enum FrameType : std::uint8_t {
  LinkBlockFrame = 1,  // dual-panel data from a master instrument
  RequestFrame = 8,
  ReplyFrame = 9,
  HeadingFrame = 50,
  AttitudeFrame = 55,
  AcknowledgeFrame = 166,
};

// Payload byte 1 of a request; a reply of type 9 carries the same code as its kind.
enum RequestCode : std::uint8_t {
  ReadE2Block = 0,
  WriteE2Block = 1,
  ReadRam = 2,
  Identify = 4,
  Finish = 5,
};

std::uint8_t frameCheck(std::uint8_t address, std::span<const std::uint8_t> payload);

// The whole frame around a payload of 1..255 bytes.
std::vector<std::uint8_t> encodeFrame(std::uint8_t address, std::span<const std::uint8_t> payload);

struct ReceivedFrame {
  std::uint8_t address = 0;
  std::uint8_t length = 0;  // L
  std::uint8_t type = 0;
  std::array<std::uint8_t, 256> data{};  // payload bytes 1..L-1 from index 0
  std::uint16_t dataLength = 0;
  std::uint8_t check = 0;

  std::span<const std::uint8_t> payloadData() const { return {data.data(), dataLength}; }
  bool checkMatches() const;
};

// Assembles frames from the line one byte at a time. The state (0..6, 0
// between frames) lives with the caller so the instrument can see it.
class FrameReceiver {
 public:
  explicit FrameReceiver(std::uint8_t& state) : state_(state) {}
  // True when b was the end byte of a frame; frame() then holds it.
  bool take(std::uint8_t b);
  const ReceivedFrame& frame() const { return frame_; }
  std::uint8_t state() const { return state_; }
  void reset() { state_ = 0; }

 private:
  std::uint8_t& state_;
  ReceivedFrame frame_;
  std::uint8_t remaining_ = 0;
};

}  // namespace zen
