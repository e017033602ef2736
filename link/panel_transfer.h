// Panel transfer with a real instrument over the link: the compatibility
// checks, reading its E2 memory (upload) and writing the simulated
// instrument's panel into it (download). The window and the command line
// run these same procedures; only the way they tell the user differs.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "files/panel_settings.h"

namespace zen {

class Host;
class Link;
struct Settings;

// Instrument firmware versions whose E2 layout this program exchanges panels with.
inline constexpr std::array<std::string_view, 9> CompatibleVersions{
    "260905X", "010805X", "221005X", "111105X", "070306X", "200306X", "181006X", "150307X", "260607X"};

// The real instrument's E2: layout version, item area length + 3, then the items.
inline constexpr std::uint16_t InstrumentLayoutVersion = 1;
inline constexpr std::uint16_t InstrumentLayoutLength = imageLength + 3;  // 576
inline constexpr std::size_t InstrumentItemsAddress = 4;
inline constexpr std::size_t E2BlockSize = 16;
// Blocks read by an upload: the header and the whole item area (37 blocks, 592 bytes).
inline constexpr std::size_t UploadLength =
    (InstrumentItemsAddress + imageLength + E2BlockSize - 1) / E2BlockSize * E2BlockSize;

inline constexpr std::uint8_t ReplyTimeoutTicks = 50;
inline constexpr std::uint8_t WriteTimeoutTicks = 100;

inline constexpr char UploadFileName[] = "E2DataDownload.bin";
inline constexpr char CurrentImageFileName[] = "CurrentE2.bin";

// Where a transfer's status lines and messages go.
class TransferReport {
 public:
  virtual ~TransferReport() = default;
  // Clears the status lines and shows them.
  virtual void openStatus() = 0;
  virtual void statusLine(const std::string& text) = 0;
  // Hides the status lines again (after a transfer that went well).
  virtual void closeStatus() = 0;
  // A message the user has to acknowledge: why the transfer failed.
  virtual void message(const std::string& text) = 0;
  // The last word of a transfer that went well: what was written or read, and where.
  virtual void result(const std::string& text) = 0;
};

struct TransferContext {
  Link& link;
  TransferReport& report;
  Host& host;  // program folder, file errors
  // The window works only while the simulated instrument runs; the command line has no such state.
  bool simulationRunning = true;
};

// The checks before every transfer, each ending it with its message.
bool instrumentCompatible(TransferContext& t);

// Reads the instrument's panel and keeps the raw bytes in E2DataDownload.bin.
// Returns the panel, checked whole, or nothing when it could not be read or
// used. The caller applies it and says where it went (result()).
std::optional<PanelSettings> uploadPanel(TransferContext& t);

// Writes the panel part of these settings into the instrument, block by
// block, reads it back, and ends with Finish. True only when the instrument
// reads back exactly the bytes written.
bool downloadPanel(TransferContext& t, const Settings& settings);

// "COM1 (/dev/ttyS0)", or "the serial line" when the transport does not say.
std::string lineName(const Link& link);
// What to check when the instrument did not answer.
std::string noAnswerAdvice(const Link& link);

// "Requesting data from 0A0H": three upper-case hexadecimal digits.
std::string hexAddress(std::size_t address);

}  // namespace zen
