#include "link/dispatch.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "firmware/core/instrument.h"
#include "support/fake_host.h"

using namespace zen;
using Bytes = std::vector<std::uint8_t>;

namespace {

void put16(Bytes& d, std::size_t i, int v) {
  d[i] = static_cast<std::uint8_t>(v & 0xFF);
  d[i + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

struct Rig {
  test::FakeHost host;
  Instrument z{host};
  LinkReplies replies;
  bool dispatch(std::uint8_t type, const Bytes& data) {
    ReceivedFrame f;
    f.type = type;
    std::copy(data.begin(), data.end(), f.data.begin());
    f.dataLength = static_cast<std::uint16_t>(data.size());
    return dispatchFrame(z, replies, f) != ReplyKind::None;
  }
};

}  // namespace

TEST(DispatchTest, AttitudeRecordIsSignExtendedBroughtIntoRangeAndKeepsTheSensorAlive) {
  struct Case {
    int bank, pitch, slip, heading, turn;
    int expectBank, expectPitch, expectHeading;
  } cases[] = {
      {-30, -12, -5, 270, -150, -30, -12, 270},
      {180, 90, 0, 360, 0, -180, 90, 0},
      {-181, -91, 0, 65535, 0, 179, -90, 15},
      {32767, -32768, 0, 719, 0, 7, -90, 359},
  };
  for (const Case& c : cases) {
    Rig rig;
    Bytes d(17, 0xEE);  // the ignored bytes carry noise
    put16(d, 1, c.bank);
    put16(d, 3, c.pitch);
    d[7] = static_cast<std::uint8_t>(c.slip);
    d[10] = 0x88;
    put16(d, 11, c.heading);
    put16(d, 15, c.turn);
    EXPECT_FALSE(rig.dispatch(AttitudeFrame, d));
    const AttitudeState& a = rig.z.attitude;
    EXPECT_EQ(a.bank, c.expectBank) << c.bank;
    EXPECT_EQ(a.pitch, c.expectPitch) << c.pitch;
    EXPECT_EQ(a.heading, c.expectHeading) << c.heading;
    EXPECT_EQ(a.slipValue, c.slip);
    EXPECT_EQ(a.turnRate, c.turn);
    EXPECT_EQ(a.sensorStatus, 0x88);
    EXPECT_EQ(a.attitudeSensorOn + a.attitudeFresh, 2);
    EXPECT_EQ(a.attitudeAlive, 50);

    rig.z.tick.halfSecondFlag = 0;
    Bytes sample(2);
    put16(sample, 0, c.heading);
    rig.dispatch(HeadingFrame, sample);
    EXPECT_EQ(a.heading, c.expectHeading) << c.heading;
    EXPECT_EQ(rig.z.tick.halfSecondFlag, 1);
  }
}

TEST(DispatchTest, RepliesFillTheirBuffers) {
  Rig rig;
  Bytes read(18);
  std::iota(read.begin(), read.end(), 0);  // kind 0, then 1..17
  EXPECT_TRUE(rig.dispatch(ReplyFrame, read));
  EXPECT_EQ(Bytes(rig.replies.readBlock.begin(), rig.replies.readBlock.end()),
            Bytes(read.begin() + 1, read.end()));

  const Bytes identify{Identify, 4, 'Z', 'N', '2', '6', 0,   0,   0,   0,  0,
                       0,        0, 7,   '2', '6', '0', '6', '0', '7', 'X'};
  EXPECT_TRUE(rig.dispatch(ReplyFrame, identify));
  EXPECT_EQ(rig.replies.identText(), "ZN26");
  EXPECT_EQ(rig.replies.versionText(), "260607X");

  rig.replies.memoryView.fill(0x77);
  EXPECT_TRUE(rig.dispatch(ReplyFrame, {ReadRam, 0x12, 0x34}));
  EXPECT_EQ(rig.replies.memoryViewLength, 2);
  EXPECT_EQ(rig.replies.memoryView[1], 0x34);
  EXPECT_EQ(rig.replies.memoryView[2], 0);  // no stale bytes past the reply

  EXPECT_TRUE(rig.dispatch(AcknowledgeFrame, {}));
  EXPECT_FALSE(rig.dispatch(ReplyFrame, {3, 1, 2}));
  EXPECT_FALSE(rig.dispatch(77, {1, 2, 3}));
}

TEST(DispatchTest, ShortFramesChangeNothing) {
  struct Case {
    const char* name;
    std::uint8_t type;
    Bytes data;
  } cases[] = {
      {"read block", ReplyFrame, Bytes{ReadE2Block, 1, 2, 3}},
      {"identify", ReplyFrame, Bytes{Identify, 11, 'Z', 'N'}},
      {"memory", ReplyFrame, Bytes{ReadRam}},
      {"empty reply", ReplyFrame, Bytes{}},
      {"attitude", AttitudeFrame, Bytes(16, 5)},
      {"heading", HeadingFrame, Bytes{90}},
      {"primary block", LinkBlockFrame, Bytes(17, 0)},
      {"sender block", LinkBlockFrame, Bytes{1, 1, 2}},
  };
  for (const Case& c : cases) {
    Rig rig;
    rig.replies.readBlock.fill(0x5A);
    EXPECT_FALSE(rig.dispatch(c.type, c.data)) << c.name;
    EXPECT_EQ(rig.replies.readBlock[0], 0x5A) << c.name;
    EXPECT_EQ(rig.replies.identText() + rig.replies.versionText(), "") << c.name;
    EXPECT_EQ(rig.replies.memoryViewLength, 0) << c.name;
    EXPECT_EQ(rig.z.attitude.attitudeFresh + rig.z.tick.halfSecondFlag, 0) << c.name;
    EXPECT_EQ(rig.z.engine.primaryBlock.arrived + rig.z.engine.senderBlock.arrived, 0) << c.name;
  }
}

TEST(DispatchTest, LinkBlocksLandInTheirSlots) {
  for (std::uint8_t block : {0, 1, 2}) {
    Rig rig;
    EngineData& e = rig.z.engine;
    const std::span<const std::uint8_t> slots[] = {e.primaryBlock.bytes, e.senderBlock.bytes,
                                                   e.secondaryBlock.bytes};
    Bytes d(1 + slots[block].size() + 3);  // bytes beyond the block are ignored
    d[0] = block;
    std::iota(d.begin() + 1, d.end(), 100);
    rig.dispatch(LinkBlockFrame, d);
    EXPECT_TRUE(std::equal(slots[block].begin(), slots[block].end(), d.begin() + 1));
    EXPECT_EQ(e.primaryBlock.arrived + e.senderBlock.arrived + e.secondaryBlock.arrived, 1);
  }
}
