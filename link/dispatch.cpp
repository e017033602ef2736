#include "link/dispatch.h"

#include <algorithm>
#include <span>

#include "firmware/core/instrument.h"

namespace zen {

namespace {

// Frame data needed by each kind: the kind byte plus its fields.
constexpr std::size_t ReadBlockReplySize = 1 + 17;
constexpr std::size_t IdentifyReplySize = 1 + 12 + 8;
constexpr std::size_t HeadingSampleSize = 2;
constexpr std::size_t AttitudeRecordSize = 17;
// The attitude record's life in half seconds; the simulator window uses 255.
constexpr std::uint8_t AttitudeRecordLife = 50;

std::uint16_t u16(std::span<const std::uint8_t> d, std::size_t i) {
  return static_cast<std::uint16_t>(d[i] | (d[i + 1] << 8));
}

std::int32_t s16(std::span<const std::uint8_t> d, std::size_t i) {
  return static_cast<std::int16_t>(u16(d, i));
}

std::int32_t s8(std::span<const std::uint8_t> d, std::size_t i) { return static_cast<std::int8_t>(d[i]); }

// Bank as the instruments expect it: -180..179 degrees.
std::int32_t reduceBank(std::int32_t bank) { return ((bank + 180) % 360 + 360) % 360 - 180; }

// Pitch beyond straight up or down is not an attitude.
std::int32_t limitPitch(std::int32_t pitch) { return std::clamp(pitch, -90, 90); }

template <std::size_t N>
void copyInto(std::array<std::uint8_t, N>& to, std::span<const std::uint8_t> from) {
  std::copy_n(from.begin(), N, to.begin());
}

template <std::size_t N>
void takeBlock(LinkBlock<N>& block, std::span<const std::uint8_t> fields) {
  if (fields.size() < N) return;
  copyInto(block.bytes, fields);
  block.arrived = 1;
}

ReplyKind takeReply(LinkReplies& r, std::span<const std::uint8_t> d) {
  if (d.empty()) return ReplyKind::None;
  switch (d[0]) {
    case ReadE2Block:
      if (d.size() < ReadBlockReplySize) return ReplyKind::None;
      copyInto(r.readBlock, d.subspan(1));
      return ReplyKind::ReadBlock;
    case ReadRam: {
      if (d.size() < 2) return ReplyKind::None;
      const auto bytes = d.subspan(1, std::min(d.size() - 1, r.memoryView.size()));
      r.memoryView.fill(0);
      std::copy(bytes.begin(), bytes.end(), r.memoryView.begin());
      r.memoryViewLength = static_cast<std::uint16_t>(bytes.size());
      return ReplyKind::Memory;
    }
    case Identify:
      if (d.size() < IdentifyReplySize) return ReplyKind::None;
      copyInto(r.instrumentIdent, d.subspan(1));
      copyInto(r.instrumentVersion, d.subspan(13));
      return ReplyKind::Ident;
    default:
      return ReplyKind::None;
  }
}

void takeLinkBlock(EngineData& e, std::span<const std::uint8_t> d) {
  if (d.empty()) return;
  const auto fields = d.subspan(1);
  switch (d[0]) {
    case 0:
      takeBlock(e.primaryBlock, fields);
      break;
    case 1:
      takeBlock(e.senderBlock, fields);
      break;
    case 2:
      takeBlock(e.secondaryBlock, fields);
      break;
    default:
      break;
  }
}

void takeHeadingSample(Instrument& z, std::uint16_t heading) {
  z.attitude.heading = heading % 360;
  z.tick.halfSecondFlag = 1;
}

void takeAttitudeRecord(Instrument& z, std::span<const std::uint8_t> d) {
  if (d.size() < AttitudeRecordSize) return;
  AttitudeState& a = z.attitude;
  a.bank = reduceBank(s16(d, 1));
  a.pitch = limitPitch(s16(d, 3));
  a.slipValue = s8(d, 7);
  a.sensorStatus = d[10];
  a.attitudeSensorOn = 1;
  a.attitudeFresh = 1;
  a.attitudeAlive = AttitudeRecordLife;
  takeHeadingSample(z, u16(d, 11));
  a.turnRate = s16(d, 15);
}

// A string[n] as stored: a length byte, then n characters.
template <std::size_t N>
std::string shortString(const std::array<std::uint8_t, N>& s) {
  const std::size_t length = std::min<std::size_t>(s[0], N - 1);
  return std::string(s.begin() + 1, s.begin() + 1 + static_cast<std::ptrdiff_t>(length));
}

// The frame as the instrument's receive block holds it: address, length, payload.
void keepReceiveBlock(std::array<std::uint8_t, 20>& block, const ReceivedFrame& frame) {
  block.fill(0);
  block[0] = frame.address;
  block[1] = frame.length;
  block[2] = frame.type;
  const auto d = frame.payloadData();
  std::copy_n(d.begin(), std::min(d.size(), block.size() - 3), block.begin() + 3);
}

}  // namespace

std::string LinkReplies::identText() const { return shortString(instrumentIdent); }
std::string LinkReplies::versionText() const { return shortString(instrumentVersion); }

ReplyKind expectedReply(std::span<const std::uint8_t> request) {
  if (request.size() < 2 || request[0] != RequestFrame) return ReplyKind::Any;
  switch (request[1]) {
    case ReadE2Block:
      return ReplyKind::ReadBlock;
    case WriteE2Block:
      return ReplyKind::Acknowledge;
    case ReadRam:
      return ReplyKind::Memory;
    case Identify:
      return ReplyKind::Ident;
    case Finish:
      return ReplyKind::None;
    default:
      return ReplyKind::Any;
  }
}

ReplyKind dispatchFrame(Instrument& z, LinkReplies& replies, const ReceivedFrame& frame) {
  const auto d = frame.payloadData();
  keepReceiveBlock(z.engine.linkReceiveBlock, frame);
  switch (frame.type) {
    case ReplyFrame:
      return takeReply(replies, d);
    case AcknowledgeFrame:
      return ReplyKind::Acknowledge;
    case LinkBlockFrame:
      takeLinkBlock(z.engine, d);
      return ReplyKind::None;
    case HeadingFrame:
      if (d.size() >= HeadingSampleSize) takeHeadingSample(z, u16(d, 0));
      return ReplyKind::None;
    case AttitudeFrame:
      takeAttitudeRecord(z, d);
      return ReplyKind::None;
    default:
      return ReplyKind::None;
  }
}

}  // namespace zen
