#include "link/link.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/virtual_link.h"

using namespace zen;
using Bytes = std::vector<std::uint8_t>;

namespace {

const Bytes IdentifyRequest{RequestFrame, Identify};
const Bytes Ack = encodeFrame(LowestFrameAddress, Bytes{AcknowledgeFrame});

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
    EXPECT_EQ(rig.link.request(IdentifyRequest, true, 50), c.replied) << c.name;
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
  EXPECT_TRUE(rig.link.request(IdentifyRequest, true, 50));
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

TEST(LinkTest, SecondExchangeDuringAWaitIsRefused) {
  Rig rig;
  bool nested = true;
  rig.host.at(500, [&] { nested = rig.link.request(IdentifyRequest, true, 50); });
  rig.answer(1, Ack, 1000);
  EXPECT_TRUE(rig.link.request(IdentifyRequest, true, 50));
  EXPECT_FALSE(nested);
  EXPECT_EQ(rig.transport.sent.size(), 1u);
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
  EXPECT_FALSE(rig.link.replyReceived());
  rig.link.routeTo(nullptr);
  rig.link.receive(Ack);
  EXPECT_TRUE(rig.link.replyReceived());
  EXPECT_EQ(sink.got.size(), Ack.size());
}
