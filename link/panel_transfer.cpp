#include "link/panel_transfer.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <vector>

#include "files/panel_file.h"
#include "firmware/core/firmware.h"
#include "firmware/core/host_interface.h"
#include "firmware/core/settings_store.h"
#include "link/link.h"

namespace zen {

namespace {

std::uint8_t blockSum(std::span<const std::uint8_t> data) {
  return static_cast<std::uint8_t>(std::accumulate(data.begin(), data.end(), 0u));
}

std::uint8_t low(std::size_t v) { return static_cast<std::uint8_t>(v & 0xFF); }
std::uint8_t high(std::size_t v) { return static_cast<std::uint8_t>((v >> 8) & 0xFF); }

std::uint16_t word(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

void writeProgramFile(TransferContext& t, const char* name, std::span<const std::uint8_t> bytes) {
  const std::filesystem::path path = t.host.programFolder() / name;
  if (auto error = t.host.replaceFile(path, bytes)) t.host.reportFileError(path, *error);
}

// The panel part of the instrument's E2 as read, or nothing after telling why.
std::optional<PanelSettings> panelFromUpload(TransferContext& t, std::span<const std::uint8_t> e2) {
  if (word(e2, 0) != InstrumentLayoutVersion) {
    t.report.message(IncompatibleVersionMessage);
    return std::nullopt;
  }
  if (word(e2, 2) != InstrumentLayoutLength) {
    t.report.message(IncompatibleLengthMessage);
    return std::nullopt;
  }
  PanelSettings panel;
  std::copy_n(e2.begin() + InstrumentItemsAddress + PanelSettingsOffset, panel.size(), panel.begin());
  if (auto problem = panelSettingsProblem(panel)) {
    t.report.message("The panel read from the instrument has an invalid value: " + *problem +
                     ". Nothing was applied.");
    return std::nullopt;
  }
  return panel;
}

}  // namespace

std::string hexAddress(std::size_t address) {
  char text[8];
  std::snprintf(text, sizeof text, "%03zX", address & 0xFFF);
  return text;
}

bool instrumentCompatible(TransferContext& t) {
  if (!t.simulationRunning) {
    t.report.message(SimulationNotRunningMessage);
    return false;
  }
  const std::uint8_t identify[] = {RequestFrame, Identify};
  if (!t.link.request(identify, true, ReplyTimeoutTicks)) {
    // A lost line was reported as it happened; a closing program tells nobody.
    if (!t.link.failureReported()) t.report.message("Cannot connect to instrument");
    return false;
  }
  const std::string ident = t.link.replies().identText();
  if (ident.size() < 2 || ident.compare(0, 2, UnitIdentText, 2) != 0) {
    t.report.message("Incompatible instrument connected...");
    return false;
  }
  const std::string version = t.link.replies().versionText();
  if (std::find(CompatibleVersions.begin(), CompatibleVersions.end(), version) == CompatibleVersions.end()) {
    t.report.message(
        "Firmware version in instrument is not compatible with this program,please update firmware in "
        "instrument first.");
    return false;
  }
  return true;
}

std::optional<PanelSettings> uploadPanel(TransferContext& t) {
  if (!instrumentCompatible(t)) return std::nullopt;
  t.report.openStatus();

  std::vector<std::uint8_t> e2;
  e2.reserve(UploadLength);
  bool noReply = false;
  std::optional<std::size_t> badBlock;
  for (std::size_t address = 0; address < InstrumentItemsAddress + imageLength; address += E2BlockSize) {
    const std::uint8_t read[] = {RequestFrame, ReadE2Block, low(address), high(address)};
    bool replied = false, good = false;
    // A block whose sum does not match is asked for again, as often as a lost reply would be.
    for (int attempt = 0; attempt < Link::Tries && !good; ++attempt) {
      t.report.statusLine("Requesting data from " + hexAddress(address) + "H");
      replied = t.link.request(read, true, ReplyTimeoutTicks);
      if (!replied) break;
      const auto& reply = t.link.replies().readBlock;
      good = blockSum(std::span(reply.data(), E2BlockSize)) == reply[E2BlockSize];
      t.report.statusLine(good ? "Data received OK" : "Data received BAD");
    }
    if (!replied) {
      t.report.statusLine("Data download failed");
      noReply = true;
      break;
    }
    const auto& data = t.link.replies().readBlock;
    e2.insert(e2.end(), data.begin(), data.begin() + E2BlockSize);
    if (!good && !badBlock) badBlock = address;
  }
  // The raw bytes are kept even when they cannot be used, to show what the instrument holds.
  writeProgramFile(t, UploadFileName, e2);
  if (noReply) return std::nullopt;
  if (badBlock) {
    t.report.message("The data read from the instrument at " + hexAddress(*badBlock) + "H stayed bad after " +
                     std::to_string(Link::Tries) + " tries. Nothing was applied; the bytes read are in " +
                     UploadFileName + ".");
    return std::nullopt;
  }
  t.report.closeStatus();
  return panelFromUpload(t, e2);
}

bool downloadPanel(TransferContext& t, const Settings& settings) {
  if (!instrumentCompatible(t)) return false;
  t.report.openStatus();
  const SettingsImage image = imageFromSettings(settings);
  writeProgramFile(t, CurrentImageFileName, image.bytes);

  bool failed = false;
  // Items 0..6 are this instrument's own sensor calibration: the blocks start after them.
  for (std::size_t offset = PanelSettingsOffset; offset < imageLength; offset += E2BlockSize) {
    const std::size_t address = offset + InstrumentItemsAddress;
    std::array<std::uint8_t, 5 + E2BlockSize + 1> write{RequestFrame, WriteE2Block, low(address),
                                                        high(address), E2BlockSize};
    const auto data = std::span(image.bytes).subspan(offset, E2BlockSize);
    std::copy(data.begin(), data.end(), write.begin() + 5);
    write.back() = blockSum(data);
    t.report.statusLine("Programming data at " + hexAddress(offset) + "H");
    if (!t.link.request(write, true, WriteTimeoutTicks)) {
      t.report.statusLine("Data program failed");
      failed = true;
      break;
    }
    t.report.statusLine("Data programmed OK");
  }
  const std::uint8_t finish[] = {RequestFrame, Finish};
  t.link.request(finish, false, ReplyTimeoutTicks);
  if (!failed) t.report.closeStatus();
  return !failed;
}

}  // namespace zen
