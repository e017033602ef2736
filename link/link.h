// The instrument link: raw bytes out, the byte router in, and framed
// requests that wait for their reply with time-out and retries. Plain C++:
// the transport and the event loop come from outside.
//
// A window sends a request with request(payload, expectReply, ticks) and
// then reads replies(); when it returns false and failureReported() holds,
// the user has been told already (or the program is closing), so the window
// adds no message of its own. A Busy refusal is the caller's to explain
// (busyMessage()).
//
// Replies carry no address, and a reply that comes after its request was
// sent again is followed by the answer to the repeat. So only a reply of the
// kind the request asks for answers it, and before the next request waits
// for a reply the line is drained: every answer still owed to earlier sends
// is awaited as long as a request would wait for it. A receiver of its own (the bootloader's) takes
// every incoming byte after routeTo(sink) and uses sendByte(), waitUntil()
// and runPending() for its exchanges.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "link/dispatch.h"
#include "link/frame.h"

namespace zen {

class SimulationHost;

// Where the link's bytes go: a serial port or the USB bridge.
class LinkTransport {
 public:
  virtual ~LinkTransport() = default;
  virtual bool isOpen() const = 0;
  // Writes all bytes at once; false when the line failed.
  virtual bool write(std::span<const std::uint8_t> bytes) = 0;
  // The line as the user knows it, e.g. "COM1 (/dev/ttyS0)"; "" when unknown.
  virtual std::string lineName() const { return {}; }
};

// Runs the program's events (the clock, the receive path, the windows)
// while the link waits. Implementations sleep between events.
class LinkWaiter {
 public:
  virtual ~LinkWaiter() = default;
  // Returns once done() holds; done() is checked after every event.
  virtual void waitUntil(const std::function<bool()>& done) = 0;
  // Runs what is pending and returns without waiting.
  virtual void runPending() = 0;
};

// Takes received bytes instead of the frame receiver (the bootloader's).
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual void takeByte(std::uint8_t b) = 0;
};

enum class LinkOutcome : std::uint8_t {
  Idle,       // nothing sent yet
  Replied,    // the reply arrived
  Sent,       // sent once; no reply was expected
  NoReply,    // no reply after every try
  NotSent,    // no open port, or an empty frame
  LineLost,   // the port failed or was closed during the exchange
  Cancelled,  // the program is closing
  Busy,       // another exchange was still waiting
};

class Link {
 public:
  static constexpr int Tries = 5;
  // A half-received frame is dropped after this many ticks without a byte (about 100 ms).
  static constexpr std::uint8_t QuietTicks = 4;
  // Longest wait for the receiver to finish an incoming frame before sending anyway.
  static constexpr std::uint16_t SettleTicks = 40;

  Link(SimulationHost& host, LinkWaiter& waiter);
  ~Link();
  Link(const Link&) = delete;
  Link& operator=(const Link&) = delete;

  void setTransport(LinkTransport* transport) { transport_ = transport; }
  LinkTransport* transport() const { return transport_; }
  bool lineOpen() const { return transport_ && transport_->isOpen(); }

  // One raw byte, no wait; false when it could not be written.
  bool sendByte(std::uint8_t value);

  // The payload area of the transmit frame; callers fill it, then sendFrame.
  std::span<std::uint8_t, MaxPayload> payload() {
    return std::span<std::uint8_t, MaxPayload>(transmit_.data() + 3, MaxPayload);
  }
  // Sends the payload's first `length` bytes as a frame, up to Tries times
  // while a reply is expected and none came within timeoutTicks clock ticks.
  // Returns whether a reply arrived; lastOutcome() says why not.
  bool sendFrame(std::uint8_t length, std::uint8_t address, bool expectReply, std::uint8_t timeoutTicks);
  // Copies the payload in and sends it to the instrument's address; refused
  // as Busy, with the frame in flight untouched, while another exchange waits.
  bool request(std::span<const std::uint8_t> payload, bool expectReply, std::uint8_t timeoutTicks);
  LinkOutcome lastOutcome() const { return outcome_; }
  // The failure was already told to the user, or nobody is left to tell.
  bool failureReported() const;
  bool busy() const { return exchanging_ || held_; }
  bool exchanging() const { return exchanging_; }
  bool held() const { return held_; }
  // Why a request was refused as Busy, for the user.
  std::string busyMessage() const;
  // An exchange of the caller's own (the bootloader's) holds the line:
  // frames are refused as Busy meanwhile.
  void hold(bool held) { held_ = held; }

  // Lets events run until done() holds, the program closes or the line is
  // lost. Returns done(). Callers bound the wait with their own time-out.
  bool waitUntil(const std::function<bool()>& done);
  void runPending() { waiter_.runPending(); }

  // The byte router: bytes as they arrive, from either transport.
  void receive(std::span<const std::uint8_t> bytes);
  // A sink takes every byte instead of the frame receiver; nullptr restores it.
  void routeTo(ByteSink* sink);
  // Runs on every 25 ms clock tick.
  void clockTick();

  // The program is closing: every wait ends now and nothing more is sent.
  void cancel() { cancelled_ = true; }
  bool cancelled() const { return cancelled_; }

  const LinkReplies& replies() const { return replies_; }
  bool replyReceived() const { return replies_.replyReceived != 0; }
  std::uint8_t receiverState() const { return receiver_.state(); }
  // Complete frames dropped because their check byte did not match.
  std::uint32_t badFrames() const { return badFrames_; }
  // Replies that answered no waiting request: late, of another kind, or unasked.
  std::uint32_t strayReplies() const { return strayReplies_; }
  // Replies still owed to frames sent; the next request waits for them first.
  std::uint16_t owedReplies() const { return owed_; }

 private:
  bool abandoned() const { return cancelled_ || !lineOpen(); }
  bool finish(LinkOutcome outcome);
  void frameComplete();
  void drainLateReplies();

  SimulationHost& host_;
  LinkWaiter& waiter_;
  LinkTransport* transport_ = nullptr;
  ByteSink* sink_ = nullptr;
  FrameReceiver receiver_;
  LinkReplies replies_;
  LinkReplies incoming_;  // every reply as it arrives; replies_ takes the one that answers
  std::array<std::uint8_t, 3 + MaxPayload + 2> transmit_{};
  LinkOutcome outcome_ = LinkOutcome::Idle;
  ReplyKind expected_ = ReplyKind::None;
  bool awaiting_ = false;
  std::uint16_t owed_ = 0;
  std::uint32_t drainUntil_ = 0;  // tick by which every owed reply is due
  std::uint32_t strayReplies_ = 0;
  bool exchanging_ = false;
  bool held_ = false;
  bool cancelled_ = false;
  std::uint8_t quietTicks_ = 0;
  std::uint32_t ticks_ = 0;
  std::uint32_t badFrames_ = 0;
};

}  // namespace zen
