#include "link/link.h"

#include <algorithm>

#include "sim/simulation_host.h"

namespace zen {

Link::Link(SimulationHost& host, LinkWaiter& waiter)
    : host_(host), waiter_(waiter), receiver_(host.instrument().linkRxState) {
  receiver_.reset();
  host_.onClockTick = [this] { clockTick(); };
}

Link::~Link() { host_.onClockTick = nullptr; }

bool Link::sendByte(std::uint8_t value) {
  if (cancelled_ || !lineOpen()) return false;
  return transport_->write(std::span<const std::uint8_t>(&value, 1));
}

bool Link::failureReported() const {
  return outcome_ == LinkOutcome::LineLost || outcome_ == LinkOutcome::Cancelled;
}

std::string Link::busyMessage() const {
  if (held_)
    return "The link to the instrument is held by the firmware update window: the instrument may be in its "
           "bootloader, which would take other frames as commands. Nothing was sent. Restart the program to "
           "use the link for anything else.";
  return "The link to the instrument is busy with another request (a panel transfer or View RAM). Nothing "
         "was sent; try again when it has ended.";
}

bool Link::finish(LinkOutcome outcome) {
  outcome_ = outcome;
  return replies_.replyReceived != 0;
}

bool Link::waitUntil(const std::function<bool()>& done) {
  if (done()) return true;
  if (abandoned()) return false;
  waiter_.waitUntil([&] { return done() || abandoned(); });
  return done();
}

bool Link::sendFrame(std::uint8_t length, std::uint8_t address, bool expectReply, std::uint8_t timeoutTicks) {
  if (busy()) {
    outcome_ = LinkOutcome::Busy;
    return false;
  }
  replies_.replyReceived = 0;
  if (cancelled_) return finish(LinkOutcome::Cancelled);
  if (length == 0 || !lineOpen()) return finish(LinkOutcome::NotSent);

  transmit_[0] = FrameStartByte;
  transmit_[1] = address;
  transmit_[2] = length;
  const auto body = std::span<const std::uint8_t>(transmit_.data() + 3, length);
  transmit_[3 + length] = frameCheck(address, body);
  transmit_[4 + length] = FrameEndByte;
  const auto frame = std::span<const std::uint8_t>(transmit_.data(), length + FrameOverhead);

  exchanging_ = true;
  struct Done {
    Link& link;
    ~Done() { link.exchanging_ = link.awaiting_ = false; }
  } done{*this};

  // Let an incoming frame finish first; the quiet reset ends a broken one.
  const std::uint32_t settleEnd = ticks_ + SettleTicks;
  waitUntil([&] { return receiver_.state() == 0 || ticks_ >= settleEnd; });
  if (expectReply) drainLateReplies();
  replies_.replyReceived = 0;
  const ReplyKind kind = expectedReply(body);
  expected_ = kind == ReplyKind::None ? ReplyKind::Any : kind;
  awaiting_ = expectReply;

  for (int attempt = 0; attempt < Tries && !replies_.replyReceived; ++attempt) {
    if (cancelled_) return finish(LinkOutcome::Cancelled);
    if (!lineOpen()) return finish(LinkOutcome::LineLost);
    host_.linkReplyTicks = timeoutTicks;
    // Its answer may still come after the repeat went out: the next request
    // waits for it. Owed before the write, which may already take it in.
    if (expectReply) {
      ++owed_;
      drainUntil_ = std::max(drainUntil_, ticks_ + static_cast<std::uint32_t>(Tries) * timeoutTicks);
    }
    if (!transport_->write(frame)) return finish(LinkOutcome::LineLost);
    if (!expectReply) return finish(LinkOutcome::Sent);
    waitUntil([&] { return host_.linkReplyTicks == 0 || replies_.replyReceived != 0; });
  }
  if (replies_.replyReceived) return finish(LinkOutcome::Replied);
  if (cancelled_) return finish(LinkOutcome::Cancelled);
  if (!lineOpen()) return finish(LinkOutcome::LineLost);
  return finish(LinkOutcome::NoReply);
}

void Link::drainLateReplies() {
  if (owed_ == 0) return;
  waitUntil([&] { return owed_ == 0 || ticks_ >= drainUntil_; });
  // Those still missing are lost, or later than any request waits.
  owed_ = 0;
}

bool Link::request(std::span<const std::uint8_t> payload, bool expectReply, std::uint8_t timeoutTicks) {
  // The frame in flight is sent again from the transmit buffer: leave it alone.
  if (busy()) {
    outcome_ = LinkOutcome::Busy;
    return false;
  }
  if (payload.size() > MaxPayload) {
    replies_.replyReceived = 0;
    return finish(LinkOutcome::NotSent);
  }
  std::copy(payload.begin(), payload.end(), this->payload().begin());
  return sendFrame(static_cast<std::uint8_t>(payload.size()), RequestAddress, expectReply, timeoutTicks);
}

void Link::receive(std::span<const std::uint8_t> bytes) {
  for (std::uint8_t b : bytes) {
    if (sink_) {
      sink_->takeByte(b);
      continue;
    }
    quietTicks_ = 0;
    if (receiver_.take(b)) frameComplete();
  }
}

void Link::frameComplete() {
  const ReceivedFrame& frame = receiver_.frame();
  // Our own requests, echoed back by a loop-back cable or another listener.
  if (frame.address == RequestAddress) return;
  // A corrupted record would move the instruments to values nobody sent.
  if (!frame.checkMatches()) {
    ++badFrames_;
    return;
  }
  const ReplyKind kind = dispatchFrame(host_.instrument(), incoming_, frame);
  if (kind == ReplyKind::None) return;
  if (owed_ > 0) --owed_;
  if (awaiting_ && !replies_.replyReceived && (expected_ == ReplyKind::Any || kind == expected_)) {
    replies_ = incoming_;
    replies_.replyReceived = 1;
    return;
  }
  ++strayReplies_;
}

void Link::routeTo(ByteSink* sink) {
  sink_ = sink;
  receiver_.reset();
}

void Link::clockTick() {
  ++ticks_;
  if (receiver_.state() == 0) return;
  if (++quietTicks_ >= QuietTicks) {
    receiver_.reset();
    quietTicks_ = 0;
  }
}

}  // namespace zen
