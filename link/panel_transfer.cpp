#include "link/panel_transfer.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <vector>

#include "files/panel_file.h"
#include "firmware/core/firmware.h"
#include "firmware/core/host_interface.h"
#include "firmware/core/settings_store.h"
#include "link/connection_check.h"
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

// Reads the instrument's E2 from address 0 up to `end`, a block at a time; a
// block whose sum stays wrong after every try is kept and named in badBlock.
struct E2Read {
  std::vector<std::uint8_t> bytes;
  bool answered = true;
  std::optional<std::size_t> badBlock;
};

E2Read readE2(TransferContext& t, std::size_t end) {
  E2Read read;
  read.bytes.reserve(end + E2BlockSize);
  for (std::size_t address = 0; address < end; address += E2BlockSize) {
    const std::uint8_t request[] = {RequestFrame, ReadE2Block, low(address), high(address)};
    bool good = false;
    // A block whose sum does not match is asked for again, as often as a lost reply would be.
    for (int attempt = 0; attempt < Link::Tries && !good; ++attempt) {
      t.report.statusLine("Requesting data from " + hexAddress(address) + "H");
      read.answered = t.link.request(request, true, ReplyTimeoutTicks);
      if (!read.answered) break;
      const auto& reply = t.link.replies().readBlock;
      good = blockSum(std::span(reply.data(), E2BlockSize)) == reply[E2BlockSize];
      t.report.statusLine(good ? "Data received OK" : "Data received BAD");
    }
    if (!read.answered) {
      t.report.statusLine("Data download failed");
      return read;
    }
    const auto& data = t.link.replies().readBlock;
    read.bytes.insert(read.bytes.end(), data.begin(), data.begin() + E2BlockSize);
    if (!good && !read.badBlock) read.badBlock = address;
  }
  return read;
}

// Why a request got no answer, for the user; nothing when it was told already.
void reportNoAnswer(TransferContext& t, const std::string& what) {
  if (t.link.failureReported()) return;
  if (t.link.lastOutcome() == LinkOutcome::Busy) return t.report.message(t.link.busyMessage());
  t.report.message(what + "\n\n" + noAnswerAdvice(t.link));
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

std::string lineName(const Link& link) {
  const std::string name = link.transport() ? link.transport()->lineName() : std::string();
  return name.empty() ? "the serial line" : name;
}

std::string noAnswerAdvice(const Link& link) {
  if (!link.lineOpen())
    return "The line " + lineName(link) + " is not open: choose the port the instrument is connected to.";
  return "No answer on " + lineName(link) + " after " + std::to_string(Link::Tries) +
         " tries. Check that this is the port the instrument is connected to, the cable, the instrument's "
         "power, and that the instrument is switched on.";
}

bool instrumentCompatible(TransferContext& t) {
  if (!t.simulationRunning) {
    t.report.message(SimulationNotRunningMessage);
    return false;
  }
  const std::uint8_t identify[] = {RequestFrame, Identify};
  if (!t.link.request(identify, true, ReplyTimeoutTicks)) {
    // A lost line was reported as it happened; a closing program tells nobody.
    reportNoAnswer(t, "Cannot connect to instrument");
    return false;
  }
  if (!sameModel(t.link.replies().identText())) {
    t.report.message("Incompatible instrument connected...");
    return false;
  }
  if (!panelCompatibleVersion(t.link.replies().versionText())) {
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
  const E2Read read = readE2(t, InstrumentItemsAddress + imageLength);
  // The raw bytes are kept even when they cannot be used, to show what the instrument holds.
  writeProgramFile(t, UploadFileName, read.bytes);
  if (!read.answered) {
    reportNoAnswer(t, "The instrument stopped answering at " + hexAddress(read.bytes.size()) +
                          "H. Nothing was applied.");
    return std::nullopt;
  }
  if (read.badBlock) {
    t.report.message("The data read from the instrument at " + hexAddress(*read.badBlock) +
                     "H stayed bad after " + std::to_string(Link::Tries) +
                     " tries. Nothing was applied; the bytes read are in " + UploadFileName + ".");
    return std::nullopt;
  }
  t.report.closeStatus();
  return panelFromUpload(t, read.bytes);
}

bool downloadPanel(TransferContext& t, const Settings& settings) {
  if (!instrumentCompatible(t)) return false;
  t.report.openStatus();
  const SettingsImage image = imageFromSettings(settings);
  writeProgramFile(t, CurrentImageFileName, image.bytes);

  bool failed = false;
  std::size_t offset = PanelSettingsOffset;
  // Items 0..6 are this instrument's own sensor calibration: the blocks start after them.
  for (; offset < imageLength; offset += E2BlockSize) {
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
  if (failed) {
    reportNoAnswer(t, "The instrument did not acknowledge the data at " + hexAddress(offset) +
                          "H. It holds the blocks written before that one.");
  } else {
    // An acknowledgement carries no data: only reading the blocks back shows what the instrument holds.
    const std::size_t end = InstrumentItemsAddress + offset;
    const E2Read read = readE2(t, end);
    if (!read.answered) {
      reportNoAnswer(t,
                     "The panel was written, but the instrument stopped answering while it was read back "
                     "to check it.");
      failed = true;
    } else {
      const auto written = std::span(image.bytes).subspan(PanelSettingsOffset, offset - PanelSettingsOffset);
      const auto back =
          std::span(read.bytes).subspan(InstrumentItemsAddress + PanelSettingsOffset, written.size());
      const auto [w, b] = std::ranges::mismatch(written, back);
      if (w != written.end()) {
        const std::size_t at =
            PanelSettingsOffset + static_cast<std::size_t>(w - written.begin()) / E2BlockSize * E2BlockSize;
        t.report.statusLine("Data at " + hexAddress(at) + "H reads back wrong");
        t.report.message("The instrument does not hold the panel written: the data at " + hexAddress(at) +
                         "H reads back wrong. Download the panel again.");
        failed = true;
      }
    }
  }
  const std::uint8_t finish[] = {RequestFrame, Finish};
  t.link.request(finish, false, ReplyTimeoutTicks);
  if (failed) return false;
  t.report.closeStatus();
  t.report.result("The panel was written into the instrument on " + lineName(t.link) + " and read back: " +
                  std::to_string((offset - PanelSettingsOffset) / E2BlockSize) + " blocks, all as written.");
  return true;
}

}  // namespace zen
