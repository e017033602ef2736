#include "tools/fake_instrument/frame_unit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <sstream>
#include <stdexcept>

#include "link/panel_transfer.h"
#include "sim/atomic_file.h"

namespace zen::fake {

namespace {

constexpr NamedFault<Fault> Faults[] = {
    {Fault::None, "none"},
    {Fault::NoReply, "no-reply"},
    {Fault::LateReply, "late-reply"},
    {Fault::BadCheck, "bad-check"},
    {Fault::BadSum, "bad-sum"},
    {Fault::Garbage, "garbage"},
    {Fault::Disconnect, "disconnect"},
};

// Bytes a noisy line puts between frames; none of them starts a frame.
const std::vector<std::uint8_t> Garbage{0x00, 0xFF, 0x83, 0x55, 0x82, 0x10, 0xAA};

std::string hex4(unsigned v) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", v & 0xFFFF);
  return text;
}

void put16(std::vector<std::uint8_t>& out, int v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

// A string[n] as the instrument stores it: a length byte and n characters.
void putShortString(std::vector<std::uint8_t>& out, const std::string& text, std::size_t n) {
  const std::size_t length = std::min(text.size(), n);
  out.push_back(static_cast<std::uint8_t>(length));
  for (std::size_t i = 0; i < n; ++i) out.push_back(i < length ? static_cast<std::uint8_t>(text[i]) : 0);
}

std::uint8_t sum16(std::span<const std::uint8_t> bytes) {
  unsigned sum = 0;
  for (std::uint8_t b : bytes) sum += b;
  return static_cast<std::uint8_t>(sum);
}

}  // namespace

std::optional<Fault> faultNamed(const std::string& name) { return faultByName(Faults, name); }

const char* faultName(Fault fault) {
  for (const NamedFault<Fault>& f : Faults)
    if (fault == f.fault) return f.name;
  return "none";
}

FrameUnit::FrameUnit(Wire& wire, FrameUnitOptions options) : wire_(wire), options_(std::move(options)) {
  // A fresh unit: its firmware keeps the layout header, the rest is erased.
  e2_.fill(0xFF);
  e2_[0] = InstrumentLayoutVersion & 0xFF;
  e2_[1] = InstrumentLayoutVersion >> 8;
  e2_[2] = InstrumentLayoutLength & 0xFF;
  e2_[3] = InstrumentLayoutLength >> 8;
  if (options_.e2File.empty()) return;
  ReadResult file = readFilePrefix(options_.e2File, E2Size + 1);
  if (file.missing) {
    saveE2();
    return;
  }
  if (file.error) throw std::runtime_error(options_.e2File.string() + ": " + *file.error);
  if (file.bytes.size() != E2Size)
    throw std::runtime_error(options_.e2File.string() + ": an E2 file holds exactly 4096 bytes, this one " +
                             std::to_string(file.bytes.size()));
  std::copy(file.bytes.begin(), file.bytes.end(), e2_.begin());
}

void FrameUnit::saveE2() {
  if (options_.e2File.empty()) return;
  if (auto error = writeFileAtomically(options_.e2File, e2_)) wire_.log("e2-file-error " + *error);
}

void FrameUnit::receive(std::span<const std::uint8_t> bytes) {
  for (std::uint8_t b : bytes) {
    if (!receiver_.take(b)) continue;
    const ReceivedFrame& frame = receiver_.frame();
    if (frame.address != RequestAddress || frame.type != RequestFrame) continue;
    if (!frame.checkMatches()) {
      wire_.log("bad-request-check");
      continue;
    }
    request(frame);
  }
}

void FrameUnit::reply(std::vector<std::uint8_t> payload, bool dataSum) {
  const bool faulty = requests_ > options_.faultAfter &&
                      (options_.faultCount == 0 || requests_ <= options_.faultAfter + options_.faultCount);
  const Fault fault = faulty ? options_.fault : Fault::None;
  if (fault == Fault::NoReply) return wire_.log("fault no-reply");
  if (fault == Fault::BadSum && dataSum) payload.back() ^= 0x5A;
  std::vector<std::uint8_t> frame = encodeFrame(UnitAddress, payload);
  if (fault == Fault::BadCheck) frame[frame.size() - 2] ^= 0xFF;
  if (fault == Fault::Garbage) frame.insert(frame.begin(), Garbage.begin(), Garbage.end());
  if (fault == Fault::Disconnect) {
    wire_.log("fault disconnect");
    frame.resize(frame.size() / 2);
    wire_.send(frame);
    return wire_.disconnect();
  }
  if (fault != Fault::None) wire_.log(std::string("fault ") + faultName(fault));
  wire_.send(std::move(frame), fault == Fault::LateReply ? options_.lateMs : 0);
}

void FrameUnit::request(const ReceivedFrame& frame) {
  const auto d = frame.payloadData();
  if (d.empty()) return;
  ++requests_;
  const unsigned address = d.size() >= 3 ? static_cast<unsigned>(d[1] | (d[2] << 8)) : 0;
  switch (d[0]) {
    case Identify: {
      wire_.log("identify");
      std::vector<std::uint8_t> payload{ReplyFrame, Identify};
      putShortString(payload, options_.ident, 11);
      putShortString(payload, options_.version, 7);
      return reply(std::move(payload));
    }
    case ReadE2Block: {
      if (d.size() < 3 || address + 16 > E2Size) return wire_.log("read-e2 refused");
      wire_.log("read-e2 " + hex4(address));
      const auto block = std::span(e2_).subspan(address, 16);
      std::vector<std::uint8_t> payload(2 + block.size() + 1);
      payload[0] = ReplyFrame;
      payload[1] = ReadE2Block;
      std::copy(block.begin(), block.end(), payload.begin() + 2);
      payload.back() = sum16(block);
      return reply(std::move(payload), true);
    }
    case WriteE2Block: {
      if (d.size() < 21 || d[3] != 16 || address + 16 > E2Size || sum16(d.subspan(4, 16)) != d[20])
        return wire_.log("write-e2 refused");
      std::copy_n(d.begin() + 4, 16, e2_.begin() + address);
      saveE2();
      wire_.log("write-e2 " + hex4(address));
      return reply({AcknowledgeFrame});
    }
    case ReadRam: {
      if (d.size() < 4) return wire_.log("read-ram refused");
      const std::size_t count = std::min<std::size_t>(d[3], MaxPayload - 2);
      wire_.log("read-ram " + hex4(address) + " " + std::to_string(count));
      std::vector<std::uint8_t> payload{ReplyFrame, ReadRam};
      for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = (address + i) & 0xFFFF;
        payload.push_back(at < options_.ram.size() ? options_.ram[at] : static_cast<std::uint8_t>(at));
      }
      return reply(std::move(payload));
    }
    case Finish:
      return wire_.log("finish");
    default:
      return wire_.log("unknown-request " + std::to_string(d[0]));
  }
}

FrameUnit::Pose FrameUnit::pose(double nowMs) const {
  const Attitude& a = options_.attitude;
  Pose p{a.bank, a.pitch, a.heading};
  if (a.swing) {
    const double t = nowMs / 1000.0;
    p.bank += static_cast<int>(std::lround(30 * std::sin(t * 2 * std::numbers::pi / 8)));
    p.pitch += static_cast<int>(std::lround(10 * std::sin(t * 2 * std::numbers::pi / 12)));
    p.heading = static_cast<int>((p.heading + std::lround(t * 10)) % 360);
  }
  return p;
}

std::vector<std::uint8_t> FrameUnit::attitudeRecord(double nowMs) const {
  const Attitude& a = options_.attitude;
  const Pose now = pose(nowMs);
  std::vector<std::uint8_t> p{AttitudeFrame, 0};
  put16(p, now.bank);
  put16(p, now.pitch);
  put16(p, 0);
  p.push_back(static_cast<std::uint8_t>(a.slip));
  put16(p, 0);
  p.push_back(static_cast<std::uint8_t>(a.status));
  put16(p, now.heading);
  put16(p, 0);
  put16(p, a.turnRate);
  return p;
}

void FrameUnit::sendBlocks() {
  std::vector<std::uint8_t> primary{LinkBlockFrame, 0};
  put16(primary, options_.altitudeFeet & 0xFFFF);
  put16(primary, (options_.altitudeFeet >> 16) & 0xFFFF);
  put16(primary, 1013);  // QNH
  put16(primary, 0);     // vertical speed
  put16(primary, 100);   // airspeed
  primary.insert(primary.end(), {15, 0, 0, 0, 0});
  put16(primary, 0);  // static pressure counts
  std::vector<std::uint8_t> sender{LinkBlockFrame, 1};
  for (int i = 0; i < 12; ++i) put16(sender, 400 + 10 * i);
  std::vector<std::uint8_t> secondary{LinkBlockFrame, 2};
  for (int v : {80, 40, 85, 90, 92, 5000, 25}) put16(secondary, v);
  secondary.push_back(3);
  put16(secondary, 0);
  secondary.push_back(138);
  for (int v : {0, 15, 40, 35, 75}) put16(secondary, v);
  for (auto* block : {&primary, &sender, &secondary}) wire_.send(encodeFrame(UnitAddress, *block));
}

double FrameUnit::tick(double nowMs) {
  auto due = [nowMs](double& next, double hz) {
    if (hz <= 0 || nowMs < next) return false;
    next = std::max(next + 1000.0 / hz, nowMs);
    return true;
  };
  if (due(nextAttitude_, options_.attitudeHz)) wire_.send(encodeFrame(UnitAddress, attitudeRecord(nowMs)));
  if (due(nextHeading_, options_.headingHz)) {
    std::vector<std::uint8_t> sample{HeadingFrame};
    put16(sample, pose(nowMs).heading);
    wire_.send(encodeFrame(UnitAddress, sample));
  }
  if (due(nextBlocks_, options_.blocksHz)) sendBlocks();
  double next = nowMs + 1000;
  for (auto [at, hz] :
       {std::pair{nextAttitude_, options_.attitudeHz}, std::pair{nextHeading_, options_.headingHz},
        std::pair{nextBlocks_, options_.blocksHz}})
    if (hz > 0) next = std::min(next, at);
  return next;
}

bool FrameUnit::command(const std::string& line) {
  std::istringstream in(line);
  std::string word;
  in >> word;
  if (word == "fault") {
    std::string name;
    in >> name;
    const auto fault = faultNamed(name);
    if (!fault) return false;
    int after = 0, count = 0;
    in >> after >> count;
    options_.fault = *fault;
    options_.faultAfter = requests_ + after;
    options_.faultCount = count;
    wire_.log("fault-set " + name);
    return true;
  }
  if (word == "attitude") {
    Attitude& a = options_.attitude;
    return static_cast<bool>(in >> a.bank >> a.pitch >> a.heading);
  }
  return false;
}

}  // namespace zen::fake
