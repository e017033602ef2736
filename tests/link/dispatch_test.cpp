#include "link/dispatch.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "firmware/core/instrument.h"
#include "support/fake_host.h"

using namespace zen;
using Bytes = std::vector<std::uint8_t>;

namespace {

ReceivedFrame frameOf(std::uint8_t type, const Bytes& data) {
  ReceivedFrame f;
  f.address = LowestFrameAddress;
  f.type = type;
  f.length = static_cast<std::uint8_t>(data.size() + 1);
  std::copy(data.begin(), data.end(), f.data.begin());
  f.dataLength = static_cast<std::uint16_t>(data.size());
  return f;
}

void put16(Bytes& d, std::size_t i, int v) {
  d[i] = static_cast<std::uint8_t>(v & 0xFF);
  d[i + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

Bytes attitudeRecord(int bank, int pitch, int slip, int status, int heading, int turn) {
  Bytes d(17, 0xEE);  // the ignored bytes carry noise
  put16(d, 1, bank);
  put16(d, 3, pitch);
  d[7] = static_cast<std::uint8_t>(slip);
  d[10] = static_cast<std::uint8_t>(status);
  put16(d, 11, heading);
  put16(d, 15, turn);
  return d;
}

struct Rig {
  test::FakeHost host;
  Instrument z{host};
  LinkReplies replies;
  bool dispatch(std::uint8_t type, const Bytes& data) {
    return dispatchFrame(z, replies, frameOf(type, data));
  }
};

}  // namespace

TEST(DispatchTest, AttitudeRecordIsSignExtendedAndKeepsTheSensorAlive) {
  Rig rig;
  EXPECT_FALSE(rig.dispatch(AttitudeFrame, attitudeRecord(-30, -12, -5, 0x88, 270, -150)));
  const AttitudeState& a = rig.z.attitude;
  EXPECT_EQ(a.bank, -30);
  EXPECT_EQ(a.pitch, -12);
  EXPECT_EQ(a.slipValue, -5);
  EXPECT_EQ(a.turnRate, -150);
  EXPECT_EQ(a.heading, 270);
  EXPECT_EQ(a.sensorStatus, 0x88);
  EXPECT_EQ(a.attitudeSensorOn, 1);
  EXPECT_EQ(a.attitudeFresh, 1);
  EXPECT_EQ(a.attitudeAlive, 50);
  EXPECT_EQ(a.headingSampleCount, 1);
  EXPECT_EQ(rig.z.tick.halfSecondFlag, 1);
}

TEST(DispatchTest, AnglesFromTheWireAreBroughtIntoRange) {
  struct Case {
    int bank, pitch, heading;
    int expectBank, expectPitch, expectHeading;
  } cases[] = {
      {180, 90, 360, -180, 90, 0},
      {-181, -91, 65535, 179, -90, 15},
      {32767, -32768, 719, 7, -90, 359},
  };
  for (const Case& c : cases) {
    Rig rig;
    rig.dispatch(AttitudeFrame, attitudeRecord(c.bank, c.pitch, 0, 0, c.heading, 0));
    EXPECT_EQ(rig.z.attitude.bank, c.expectBank) << c.bank;
    EXPECT_EQ(rig.z.attitude.pitch, c.expectPitch) << c.pitch;
    EXPECT_EQ(rig.z.attitude.heading, c.expectHeading) << c.heading;
    Bytes sample(2);
    put16(sample, 0, c.heading);
    rig.dispatch(HeadingFrame, sample);
    EXPECT_EQ(rig.z.attitude.heading, c.expectHeading) << c.heading;
    EXPECT_EQ(rig.z.attitude.headingSampleCount, 2);
  }
}

TEST(DispatchTest, RepliesFillTheirBuffers) {
  Rig rig;
  Bytes read(18);
  std::iota(read.begin(), read.end(), 0);  // kind 0, then 1..17
  EXPECT_TRUE(rig.dispatch(ReplyFrame, read));
  EXPECT_EQ(Bytes(rig.replies.readBlock.begin(), rig.replies.readBlock.end()),
            Bytes(read.begin() + 1, read.end()));

  Bytes ident{Identify, 11};
  for (char c : std::string("ZN260607001")) ident.push_back(static_cast<std::uint8_t>(c));
  ident.push_back(7);
  for (char c : std::string("260607X")) ident.push_back(static_cast<std::uint8_t>(c));
  EXPECT_TRUE(rig.dispatch(ReplyFrame, ident));
  EXPECT_EQ(rig.replies.identText(), "ZN260607001");
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
      {"primary block", LinkBlockFrame, Bytes(17, 1)},
      {"sender block", LinkBlockFrame, Bytes{1, 1, 2}},
  };
  for (const Case& c : cases) {
    Rig rig;
    rig.replies.readBlock.fill(0x5A);
    EXPECT_FALSE(rig.dispatch(c.type, c.data)) << c.name;
    EXPECT_EQ(rig.replies.readBlock[0], 0x5A) << c.name;
    EXPECT_EQ(rig.replies.identText(), "") << c.name;
    EXPECT_EQ(rig.replies.memoryViewLength, 0) << c.name;
    EXPECT_EQ(rig.z.attitude.attitudeFresh + rig.z.attitude.headingSampleCount, 0) << c.name;
    EXPECT_EQ(rig.z.engine.primaryBlock.arrived + rig.z.engine.senderBlock.arrived, 0) << c.name;
  }
}

TEST(DispatchTest, LinkBlocksLandInTheirSlots) {
  struct Case {
    std::uint8_t block;
    std::size_t size;
  } cases[] = {{0, 17}, {1, 24}, {2, 28}};
  for (const Case& c : cases) {
    Rig rig;
    Bytes d(1 + c.size + 3);  // trailing bytes beyond the block are ignored
    d[0] = c.block;
    std::iota(d.begin() + 1, d.end(), 100);
    rig.dispatch(LinkBlockFrame, d);
    const EngineData& e = rig.z.engine;
    const std::uint8_t* bytes = c.block == 0   ? e.primaryBlock.bytes.data()
                                : c.block == 1 ? e.senderBlock.bytes.data()
                                               : e.secondaryBlock.bytes.data();
    EXPECT_EQ(Bytes(bytes, bytes + c.size), Bytes(d.begin() + 1, d.begin() + 1 + c.size));
    EXPECT_EQ(e.primaryBlock.arrived + e.senderBlock.arrived + e.secondaryBlock.arrived, 1);
  }
}
