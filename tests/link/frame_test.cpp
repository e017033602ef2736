#include "link/frame.h"

#include <gtest/gtest.h>

#include <vector>

using namespace zen;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct Fed {
  int frames = 0;
  std::uint8_t state = 0;
  ReceivedFrame last;
};

Fed feed(const Bytes& bytes) {
  Fed fed;
  FrameReceiver receiver(fed.state);
  for (std::uint8_t b : bytes) {
    if (receiver.take(b)) {
      ++fed.frames;
      fed.last = receiver.frame();
    }
  }
  return fed;
}

}  // namespace

TEST(FrameTest, EncodesRequestsByteForByte) {
  struct Case {
    Bytes payload;
    Bytes frame;
  } cases[] = {
      {{8, 4}, {0x82, 0xE1, 0x02, 0x08, 0x04, 0x4A, 0x83}},
      {{8, 5}, {0x82, 0xE1, 0x02, 0x08, 0x05, 0x4B, 0x83}},
      {{8, 0, 0x40, 0}, {0x82, 0xE1, 0x04, 0x08, 0x00, 0x40, 0x00, 0x08, 0x83}},
      {{8, 2, 0x77, 0x02, 0x01}, {0x82, 0xE1, 0x05, 0x08, 0x02, 0x77, 0x02, 0x01, 0x3F, 0x83}},
  };
  for (const Case& c : cases) EXPECT_EQ(encodeFrame(RequestAddress, c.payload), c.frame);
  EXPECT_TRUE(encodeFrame(RequestAddress, Bytes{}).empty());
  EXPECT_TRUE(encodeFrame(RequestAddress, Bytes(256, 1)).empty());
}

TEST(FrameTest, ReceiverCases) {
  struct Case {
    const char* name;
    Bytes bytes;
    int frames;
    std::uint8_t endState;
  } cases[] = {
      {"whole frame", {0x82, 0xE0, 0x02, 9, 4, 0x48, 0x83}, 1, 0},
      {"address below E0 drops the start", {0x82, 0xDF, 0x02, 9, 4, 0x48, 0x83}, 0, 0},
      {"length 0 ends the frame", {0x82, 0xE0, 0x00}, 0, 0},
      {"L = 1: next byte is the check byte", {0x82, 0xE0, 0x01, 166, 0x00}, 0, 6},
      {"bytes after the check wait for the end", {0x82, 0xE0, 0x01, 166, 0x00, 0x11, 0x82, 0x83}, 1, 0},
      {"noise leaves a frame half received", {0x82, 0xE5, 0x40}, 0, 3},
      {"garbage between frames", {0x00, 0x83, 0xFF, 0x82, 0xE2, 0x01, 166, 0x00, 0x83, 0x55}, 1, 0},
  };
  for (const Case& c : cases) {
    const Fed fed = feed(c.bytes);
    EXPECT_EQ(fed.frames, c.frames) << c.name;
    EXPECT_EQ(fed.state, c.endState) << c.name;
  }
}

TEST(FrameTest, ReceivedFieldsAndCheck) {
  const Bytes payload{9, 0, 1, 2, 3};
  Bytes frame = encodeFrame(0xE0, payload);
  Fed fed = feed(frame);
  ASSERT_EQ(fed.frames, 1);
  EXPECT_EQ(fed.last.type, 9);
  EXPECT_EQ(fed.last.length, 5);
  EXPECT_EQ(Bytes(fed.last.payloadData().begin(), fed.last.payloadData().end()), (Bytes{0, 1, 2, 3}));
  EXPECT_TRUE(fed.last.checkMatches());

  frame[frame.size() - 2] ^= 0x01;
  fed = feed(frame);
  ASSERT_EQ(fed.frames, 1);
  EXPECT_FALSE(fed.last.checkMatches());

  // The longest frame fills its data without running past it.
  fed = feed(encodeFrame(0xFF, Bytes(255, 0x83)));
  ASSERT_EQ(fed.frames, 1);
  EXPECT_EQ(fed.last.dataLength, 254);
  EXPECT_TRUE(fed.last.checkMatches());
}
