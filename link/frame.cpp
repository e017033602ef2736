#include "link/frame.h"

namespace zen {

std::uint8_t frameCheck(std::uint8_t address, std::span<const std::uint8_t> payload) {
  std::uint8_t check = address ^ FrameCheckSeed ^ static_cast<std::uint8_t>(payload.size());
  for (std::uint8_t b : payload) check ^= b;
  return check;
}

std::vector<std::uint8_t> encodeFrame(std::uint8_t address, std::span<const std::uint8_t> payload) {
  std::vector<std::uint8_t> frame;
  if (payload.empty() || payload.size() > MaxPayload) return frame;
  frame.reserve(payload.size() + FrameOverhead);
  frame.push_back(FrameStartByte);
  frame.push_back(address);
  frame.push_back(static_cast<std::uint8_t>(payload.size()));
  frame.insert(frame.end(), payload.begin(), payload.end());
  frame.push_back(frameCheck(address, payload));
  frame.push_back(FrameEndByte);
  return frame;
}

bool ReceivedFrame::checkMatches() const {
  std::uint8_t expected = address ^ FrameCheckSeed ^ length ^ type;
  for (std::uint8_t b : payloadData()) expected ^= b;
  return expected == check;
}

bool FrameReceiver::take(std::uint8_t b) {
  switch (state_) {
    case 0:
      if (b == FrameStartByte) state_ = 1;
      return false;
    case 1:
      frame_.address = b;
      state_ = b >= LowestFrameAddress ? 2 : 0;
      return false;
    case 2:
      frame_.length = b;
      remaining_ = b;
      frame_.dataLength = 0;
      state_ = b > 0 ? 3 : 0;
      return false;
    case 3:
      frame_.type = b;
      --remaining_;
      state_ = remaining_ == 0 ? 5 : 4;
      return false;
    case 4:
      // L is at most 255, so the data never outgrows its 256 bytes.
      if (frame_.dataLength < frame_.data.size()) frame_.data[frame_.dataLength++] = b;
      if (--remaining_ == 0) state_ = 5;
      return false;
    case 5:
      frame_.check = b;
      state_ = 6;
      return false;
    case 6:
      if (b != FrameEndByte) return false;
      state_ = 0;
      return true;
    default:
      state_ = 0;
      return false;
  }
}

}  // namespace zen
