#include "link/link.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/virtual_link.h"

using namespace zen;
using Bytes = std::vector<std::uint8_t>;

namespace {

const Bytes IdentifyRequest{RequestFrame, Identify};
// A write block as far as the link cares: it is answered by an acknowledgement.
const Bytes WriteRequest{RequestFrame, WriteE2Block, 0x40, 0x00};
const Bytes Ack = encodeFrame(LowestFrameAddress, Bytes{AcknowledgeFrame});

Bytes readRequest(std::uint8_t address) { return {RequestFrame, ReadE2Block, address, 0}; }
// The instrument's answer to a read at `address`: 16 bytes that name the address.
Bytes readReply(std::uint8_t address) {
  Bytes reply{ReplyFrame, ReadE2Block};
  reply.insert(reply.end(), 17, address);
  return encodeFrame(LowestFrameAddress, reply);
}

struct Rig : test::VirtualLinkRig {
  // Answers the n-th write (1-based) with `reply` after `delayMs`.
  void answer(int n, Bytes reply, double delayMs = 100) {
    transport.onWrite = [this, n, reply = std::move(reply), delayMs](const Bytes&) {
      if (static_cast<int>(transport.sent.size()) == n) deliverAfter(delayMs, reply);
    };
  }
};

}  // namespace

TEST(LinkTest, FiveTriesAboutATimeOutApartWithoutAReply) {
  for (std::uint8_t timeout : {50, 100}) {
    Rig rig;
    const double start = rig.host.nowMs();
    EXPECT_FALSE(rig.link.request(IdentifyRequest, true, timeout));
    EXPECT_EQ(rig.link.lastOutcome(), LinkOutcome::NoReply);
    ASSERT_EQ(rig.transport.sent.size(), 5u);
    for (std::size_t i = 1; i < 5; ++i)
      EXPECT_NEAR(rig.transport.sent[i].atMs - rig.transport.sent[i - 1].atMs, timeout * 25.0, 25.0);
    EXPECT_NEAR(rig.host.nowMs() - start, 5 * timeout * 25.0, 30.0);
    EXPECT_EQ(rig.transport.sent[0].bytes, encodeFrame(RequestAddress, IdentifyRequest));
  }
}

TEST(LinkTest, RequestWithoutReplyIsSentOnceAndReturnsAtOnce) {
  Rig rig;
  const double start = rig.host.nowMs();
  EXPECT_FALSE(rig.link.request(Bytes{RequestFrame, Finish}, false, 50));
  EXPECT_EQ(rig.link.lastOutcome(), LinkOutcome::Sent);
  EXPECT_EQ(rig.transport.sent.size(), 1u);
  EXPECT_EQ(rig.host.nowMs(), start);
}

TEST(LinkTest, ReplyEndsTheWaitAndOnlyGoodFramesForOthersCount) {
  Bytes badCheck = Ack;
  badCheck[badCheck.size() - 2] ^= 0xFF;
  struct Case {
    const char* name;
    Bytes reply;
    bool replied;
    std::size_t sends;
  } cases[] = {
      {"acknowledgement", Ack, true, 3},
      {"wrong check byte", badCheck, false, 5},
      {"own request address", encodeFrame(RequestAddress, Bytes{AcknowledgeFrame}), false, 5},
  };
  for (const Case& c : cases) {
    Rig rig;
    rig.answer(3, c.reply, 300);
    EXPECT_EQ(rig.link.request(WriteRequest, true, 50), c.replied) << c.name;
    EXPECT_EQ(rig.transport.sent.size(), c.sends) << c.name;
    EXPECT_EQ(rig.link.badFrames(), c.reply == badCheck ? 1u : 0u) << c.name;
  }
}

TEST(LinkTest, HalfReceivedFrameIsDroppedWhenTheLineGoesQuiet) {
  Rig rig;
  rig.link.receive(Bytes{0x82, 0xE5, 0x40});  // noise that looks like a frame start
  ASSERT_NE(rig.link.receiverState(), 0);
  rig.answer(1, Ack);
  const double start = rig.host.nowMs();
  EXPECT_TRUE(rig.link.request(WriteRequest, true, 50));
  ASSERT_EQ(rig.transport.sent.size(), 1u);
  const double waited = rig.transport.sent[0].atMs - start;
  EXPECT_GE(waited, 70.0);
  EXPECT_LE(waited, 110.0);

  // Bytes that keep coming do not hold the receiver for ever either.
  rig.link.receive(Bytes{0x82, 0xE5, 0x40});
  for (int i = 0; i < 100; ++i) rig.deliverAfter(20.0 * i, Bytes{0x00});
  const double again = rig.host.nowMs();
  rig.link.request(Bytes{RequestFrame, Finish}, false, 50);
  ASSERT_EQ(rig.transport.sent.size(), 2u);
  EXPECT_LE(rig.transport.sent[1].atMs - again, Link::SettleTicks * 25.0 + 25.0);
}

TEST(LinkTest, LostLineAndClosingEndTheWait) {
  struct Case {
    const char* name;
    std::function<void(Rig&)> interrupt;
    LinkOutcome outcome;
  } cases[] = {
      {"port fails", [](Rig& r) { r.transport.open = false; }, LinkOutcome::LineLost},
      {"program closes", [](Rig& r) { r.link.cancel(); }, LinkOutcome::Cancelled},
  };
  for (const Case& c : cases) {
    Rig rig;
    rig.host.at(2000, [&] { c.interrupt(rig); });
    EXPECT_FALSE(rig.link.request(IdentifyRequest, true, 50)) << c.name;
    EXPECT_EQ(rig.link.lastOutcome(), c.outcome) << c.name;
    EXPECT_TRUE(rig.link.failureReported()) << c.name;
    EXPECT_LE(rig.host.nowMs(), 2001.0) << c.name;
    EXPECT_EQ(rig.transport.sent.size(), 2u) << c.name;
    EXPECT_FALSE(rig.link.request(IdentifyRequest, true, 50)) << c.name;
    EXPECT_EQ(rig.transport.sent.size(), 2u) << c.name;
  }

  Rig closed;
  closed.transport.open = false;
  EXPECT_FALSE(closed.link.request(IdentifyRequest, true, 50));
  EXPECT_EQ(closed.link.lastOutcome(), LinkOutcome::NotSent);
  EXPECT_FALSE(closed.link.failureReported());
  EXPECT_EQ(closed.host.nowMs(), 0.0);
}

TEST(LinkTest, SecondExchangeDuringAWaitIsRefusedAndLeavesTheFrameInFlight) {
  Rig rig;
  bool nested = true;
  LinkOutcome nestedOutcome = LinkOutcome::Idle;
  const Bytes viewRam{RequestFrame, ReadRam, 0x77, 0x02, 1};
  rig.host.at(500, [&] {
    nested = rig.link.request(viewRam, true, 50);
    nestedOutcome = rig.link.lastOutcome();
  });
  rig.answer(2, Ack, 100);
  EXPECT_TRUE(rig.link.request(WriteRequest, true, 50));
  EXPECT_FALSE(nested);
  EXPECT_EQ(nestedOutcome, LinkOutcome::Busy);
  // The repeat after the refusal is the write, check byte and all.
  ASSERT_EQ(rig.transport.sent.size(), 2u);
  EXPECT_EQ(rig.transport.sent[1].bytes, encodeFrame(RequestAddress, WriteRequest));
}

// Every answer comes this late, so each request is sent again before its first
// answer arrives, and the answer to the repeat follows.
TEST(LinkTest, LateAnswersNeverAnswerTheNextRequest) {
  for (double lateMs : {1400.0, 2000.0, 4000.0}) {
    Rig rig;
    rig.transport.onWrite = [&](const Bytes& frame) {
      const std::uint8_t code = frame[4];
      rig.deliverAfter(lateMs, code == ReadE2Block ? readReply(frame[5]) : Ack);
    };
    for (std::uint8_t address : {0x00, 0x10, 0x20, 0x30}) {
      ASSERT_TRUE(rig.link.request(readRequest(address), true, 50)) << lateMs;
      EXPECT_EQ(rig.link.replies().readBlock[0], address) << lateMs;
      EXPECT_EQ(rig.link.replies().readBlock[16], address) << lateMs;
    }
    // An acknowledgement owed to a write is no answer to a read either.
    ASSERT_TRUE(rig.link.request(WriteRequest, true, 100)) << lateMs;
    ASSERT_TRUE(rig.link.request(readRequest(0x50), true, 50)) << lateMs;
    EXPECT_EQ(rig.link.replies().readBlock[0], 0x50) << lateMs;
    EXPECT_GT(rig.link.strayReplies(), 0u) << lateMs;
  }
}

TEST(LinkTest, AnAnswerOfAnotherKindAnswersNothing) {
  Rig rig;
  rig.answer(1, Ack);
  EXPECT_FALSE(rig.link.request(readRequest(0x10), true, 10));
  EXPECT_EQ(rig.link.lastOutcome(), LinkOutcome::NoReply);
  EXPECT_EQ(rig.link.strayReplies(), 1u);
}

TEST(LinkTest, RouterHandsBytesToASinkInstead) {
  struct Sink : ByteSink {
    void takeByte(std::uint8_t b) override { got.push_back(b); }
    Bytes got;
  } sink;
  Rig rig;
  rig.link.receive(Bytes{0x82, 0xE0});
  rig.link.routeTo(&sink);
  EXPECT_EQ(rig.link.receiverState(), 0);
  rig.link.receive(Ack);
  EXPECT_EQ(sink.got, Ack);
  EXPECT_EQ(rig.link.strayReplies(), 0u);
  rig.link.routeTo(nullptr);
  rig.link.receive(Ack);
  EXPECT_EQ(rig.link.strayReplies(), 1u);
  EXPECT_EQ(sink.got.size(), Ack.size());
}
