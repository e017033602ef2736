// The instrument as the link sees it: answers Identify, Read and Write E2
// block, Finish and Read RAM, sends attitude and heading records and
// dual-panel data blocks, and misbehaves on request.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "link/frame.h"
#include "tools/fake_instrument/personality.h"

namespace zen::fake {

enum class Fault { None, NoReply, LateReply, BadCheck, BadSum, Garbage, Disconnect };

std::optional<Fault> faultNamed(const std::string& name);
const char* faultName(Fault fault);

struct Attitude {
  int bank = 0, pitch = 0, slip = 0, turnRate = 0, heading = 0, status = 0;
  bool swing = false;  // bank, pitch and heading move on their own
};

struct FrameUnitOptions {
  std::string ident;
  std::string version;
  std::filesystem::path e2File;  // empty: kept in memory only
  std::vector<std::uint8_t> ram;
  double attitudeHz = 0, headingHz = 0, blocksHz = 0;
  Attitude attitude;
  int altitudeFeet = 1500;  // sent in the primary data block
  Fault fault = Fault::None;
  int faultAfter = 0;  // requests answered normally before the fault starts
  int faultCount = 0;  // requests the fault lasts for; 0: to the end
  double lateMs = 2000;
};

class FrameUnit : public Personality {
 public:
  // Throws std::runtime_error when the E2 file cannot be used.
  FrameUnit(Wire& wire, FrameUnitOptions options);

  void receive(std::span<const std::uint8_t> bytes) override;
  double tick(double nowMs) override;
  bool command(const std::string& line) override;

  static constexpr std::uint8_t UnitAddress = LowestFrameAddress;
  static constexpr std::size_t E2Size = 4096;

 private:
  void request(const ReceivedFrame& frame);
  void reply(std::vector<std::uint8_t> payload, bool dataSum = false);
  struct Pose {
    int bank, pitch, heading;
  };
  Pose pose(double nowMs) const;
  std::vector<std::uint8_t> attitudeRecord(double nowMs) const;
  void sendBlocks();
  void saveE2();

  Wire& wire_;
  FrameUnitOptions options_;
  std::array<std::uint8_t, E2Size> e2_;
  std::uint8_t rxState_ = 0;
  FrameReceiver receiver_{rxState_};
  int requests_ = 0;
  double nextAttitude_ = 0, nextHeading_ = 0, nextBlocks_ = 0;
};

}  // namespace zen::fake
