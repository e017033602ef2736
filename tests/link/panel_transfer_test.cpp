#include "link/panel_transfer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <set>
#include <string>
#include <vector>

#include "firmware/core/firmware.h"
#include "support/panel_samples.h"
#include "support/test_files.h"
#include "support/virtual_link.h"

namespace zen {
namespace {

using test::allItems;
using test::itemValue;
using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;

constexpr std::uint8_t UnitAddress = LowestFrameAddress;

std::uint8_t sum(const Bytes& b, std::size_t from, std::size_t count) {
  return static_cast<std::uint8_t>(std::accumulate(b.begin() + from, b.begin() + from + count, 0u));
}

// The real instrument as the transfer meets it: identification, an E2 memory
// that the read and write requests reach, and faults on request.
struct ScriptedInstrument {
  std::string ident = "ZN260607123";
  std::string version = "260607X";
  std::optional<std::uint8_t> versionLength;  // the length byte, when it does not count the characters
  Bytes e2 = Bytes(4096, 0xFF);
  std::map<std::size_t, int> badSums;  // read address -> replies with a wrong sum still to send
  int repliesBeforeSilence = -1;       // requests answered before it stops answering; -1 never stops
  std::vector<Bytes> requests;         // payloads as received
  double lateMs = 0;                   // how late the answers to the requests in lateRequests come
  std::set<std::size_t> lateRequests;  // 1-based; empty: every request

  ScriptedInstrument() { e2[0] = 1, e2[1] = 0, e2[2] = 576 & 0xFF, e2[3] = 576 >> 8; }

  // The reply frame to a request frame, or nothing.
  std::optional<Bytes> answer(const Bytes& frame) {
    const Bytes p(frame.begin() + 3, frame.begin() + 3 + frame[2]);
    requests.push_back(p);
    if (p[1] == Finish) return std::nullopt;
    if (repliesBeforeSilence == 0) return std::nullopt;
    if (repliesBeforeSilence > 0) --repliesBeforeSilence;
    const std::size_t address = p.size() >= 4 ? static_cast<std::size_t>(p[2] | (p[3] << 8)) : 0;
    Bytes reply{ReplyFrame, p[1]};
    switch (p[1]) {
      case Identify:
        for (const std::string* text : {&ident, &version}) {
          const std::size_t room = text == &ident ? 11 : 7;
          const bool lengthGiven = text == &version && versionLength;
          reply.push_back(lengthGiven ? *versionLength : static_cast<std::uint8_t>(text->size()));
          for (std::size_t i = 0; i < room; ++i) reply.push_back(i < text->size() ? (*text)[i] : 0);
        }
        break;
      case ReadE2Block: {
        reply.insert(reply.end(), e2.begin() + address, e2.begin() + address + 16);
        std::uint8_t s = sum(e2, address, 16);
        if (badSums[address] > 0) --badSums[address], s ^= 0x40;
        reply.push_back(s);
        break;
      }
      case WriteE2Block:
        if (p[4] != 16 || sum(p, 5, 16) != p[21]) return std::nullopt;
        std::copy(p.begin() + 5, p.begin() + 21, e2.begin() + address);
        reply = {AcknowledgeFrame};
        break;
      default:
        return std::nullopt;
    }
    return encodeFrame(UnitAddress, reply);
  }

  int count(std::uint8_t code) const {
    return static_cast<int>(
        std::count_if(requests.begin(), requests.end(), [&](const Bytes& p) { return p[1] == code; }));
  }
};

struct RecordingReport : TransferReport {
  void openStatus() override { lines.clear(), shown = true; }
  void statusLine(const std::string& text) override { lines.push_back(text); }
  void closeStatus() override { shown = false; }
  void message(const std::string& text) override { messages.push_back(text); }
  void result(const std::string& text) override { results.push_back(text); }
  Lines lines, messages, results;
  bool shown = false;
};

struct Rig : test::VirtualLinkRig {
  ScriptedInstrument unit;
  RecordingReport report;
  TransferContext context{link, report, host, true};
  Instrument& z = host.instrument();

  Rig() {
    transport.onWrite = [this](const Bytes& frame) {
      const bool late = unit.lateMs > 0 &&
                        (unit.lateRequests.empty() || unit.lateRequests.contains(unit.requests.size() + 1));
      if (auto reply = unit.answer(frame)) deliverAfter(late ? unit.lateMs : 20, *reply);
    };
    test::loadDefaults(z);
  }
  Bytes programFile(const char* name) { return test::readBytes(host.programFolder() / name); }
  // The instrument holds the simulated instrument's panel.
  void unitHoldsPanel() {
    const SettingsImage image = imageFromSettings(z.settings);
    std::copy_n(image.bytes.begin(), imageLength, unit.e2.begin() + 4);
  }
};

// The panel part of an E2 memory as the instrument lays it out.
Bytes panelPart(const Bytes& e2) {
  return {e2.begin() + 4 + PanelSettingsOffset, e2.begin() + 4 + imageLength};
}

TEST(PanelTransfer, DownloadThenUploadCarriesTheWholePanel) {
  Rig rig;
  test::makeSamplePanel(rig.z);
  const Bytes calibration(rig.unit.e2.begin() + 4, rig.unit.e2.begin() + 14);
  const SettingsImage liveImage = rig.z.e2;

  ASSERT_TRUE(downloadPanel(rig.context, rig.z.settings));
  const PanelSettings sent = panelSettingsOf(rig.z);
  EXPECT_EQ(panelPart(rig.unit.e2), Bytes(sent.begin(), sent.end()));
  EXPECT_EQ(Bytes(rig.unit.e2.begin() + 4, rig.unit.e2.begin() + 14), calibration);  // items 0..6 untouched
  EXPECT_EQ(rig.unit.count(WriteE2Block), 36);
  EXPECT_EQ(rig.unit.count(ReadE2Block), 37);  // read back to check
  EXPECT_EQ(rig.unit.requests.back(), (Bytes{RequestFrame, Finish}));
  EXPECT_EQ(rig.unit.count(Finish), 1);
  ASSERT_EQ(rig.report.lines.size(), 72u + 74u);
  EXPECT_EQ(rig.report.lines.front(), "Programming data at 00AH");
  EXPECT_EQ(rig.report.lines[70], "Programming data at 23AH");
  EXPECT_EQ(rig.report.lines[71], "Data programmed OK");
  EXPECT_EQ(rig.report.lines[72], "Requesting data from 000H");
  EXPECT_FALSE(rig.report.shown);
  EXPECT_TRUE(rig.report.messages.empty());
  ASSERT_EQ(rig.report.results.size(), 1u);
  EXPECT_NE(rig.report.results[0].find("36 blocks"), std::string::npos) << rig.report.results[0];
  const Bytes current = rig.programFile(CurrentImageFileName);
  ASSERT_EQ(current.size(), 4096u);
  EXPECT_TRUE(std::all_of(current.begin() + imageLength, current.end(), [](auto b) { return b == 0xFF; }));
  EXPECT_EQ(rig.z.e2.bytes, liveImage.bytes);

  // Back into another simulated instrument with its own calibration.
  Rig other;
  test::makeOwnCalibration(other.z);
  other.unit.e2 = rig.unit.e2;
  const auto before = allItems(other.z);
  const auto panel = uploadPanel(other.context);
  ASSERT_TRUE(panel.has_value());
  applyPanelSettings(other.z, *panel);
  for (int n = 0; n < SettingsItemCount; ++n)
    EXPECT_EQ(itemValue(other.z, n), n < FirstPanelItem ? before[n] : itemValue(rig.z, n)) << "item " << n;
  EXPECT_EQ(other.unit.count(ReadE2Block), 37);
  ASSERT_EQ(other.report.lines.size(), 74u);
  EXPECT_EQ(other.report.lines[2], "Requesting data from 010H");
  EXPECT_EQ(other.report.lines[72], "Requesting data from 240H");
  EXPECT_EQ(other.report.lines[73], "Data received OK");
  EXPECT_EQ(other.programFile(UploadFileName), Bytes(rig.unit.e2.begin(), rig.unit.e2.begin() + 592));
}

TEST(PanelTransfer, CompatibilityChecksRefuseBeforeAnyMemoryAccess) {
  const std::string versionText =
      "Firmware version in instrument is not compatible with this program,please update firmware in "
      "instrument first.";
  struct Case {
    const char* name;
    bool running;
    std::string ident, version;
    std::optional<std::uint8_t> versionLength;
    bool silent;
    std::string message;  // empty: accepted
  } cases[] = {
      {"not running",
       false,
       "ZN260607123",
       "260607X",
       {},
       false,
       "Simulation is not running. Cannot use this function"},
      {"no reply", true, "ZN260607123", "260607X", {}, true, "Cannot connect to instrument"},
      {"other model", true, "ZX260607123", "260607X", {}, false, "Incompatible instrument connected..."},
      {"one character", true, "Z", "260607X", {}, false, "Incompatible instrument connected..."},
      {"oldest version", true, "ZN1", "260905X", {}, false, ""},
      {"newest version", true, "ZN1", "260607X", {}, false, ""},
      {"one character off", true, "ZN1", "260607Y", {}, false, versionText},
      {"shorter", true, "ZN1", "260607", {}, false, versionText},
      {"length byte short of the X", true, "ZN1", "260607X", 6, false, versionText},
  };
  for (const Case& c : cases) {
    Rig rig;
    rig.context.simulationRunning = c.running;
    rig.unit.ident = c.ident, rig.unit.version = c.version, rig.unit.versionLength = c.versionLength;
    if (c.silent) rig.unit.repliesBeforeSilence = 0;
    const bool accepted = instrumentCompatible(rig.context);
    EXPECT_EQ(accepted, c.message.empty()) << c.name;
    ASSERT_EQ(rig.report.messages.size(), c.message.empty() ? 0u : 1u) << c.name;
    if (!accepted) {
      EXPECT_TRUE(rig.report.messages[0].starts_with(c.message)) << rig.report.messages[0];
    }
    if (c.silent) {
      EXPECT_NE(rig.report.messages[0].find("switched on"), std::string::npos);
    }
    EXPECT_EQ(rig.unit.count(Identify), !c.running ? 0 : c.silent ? Link::Tries : 1) << c.name;
    if (accepted) continue;
    // The procedures stop at the same check, before the instrument's memory.
    const auto before = allItems(rig.z);
    EXPECT_FALSE(uploadPanel(rig.context).has_value()) << c.name;
    EXPECT_FALSE(downloadPanel(rig.context, rig.z.settings)) << c.name;
    EXPECT_EQ(rig.unit.count(ReadE2Block) + rig.unit.count(WriteE2Block) + rig.unit.count(Finish), 0)
        << c.name;
    EXPECT_EQ(allItems(rig.z), before) << c.name;
  }
}

TEST(PanelTransfer, BlockWithAWrongSumIsReadAgainAndNeverApplied) {
  for (int badReplies : {1, Link::Tries}) {
    Rig rig;
    test::makeSamplePanel(rig.z);
    ASSERT_TRUE(downloadPanel(rig.context, rig.z.settings));
    test::loadDefaults(rig.z);
    const auto before = allItems(rig.z);
    rig.unit.badSums[0x0A0] = badReplies;
    const int readsBefore = rig.unit.count(ReadE2Block);
    const auto panel = uploadPanel(rig.context);
    EXPECT_EQ(rig.unit.count(ReadE2Block) - readsBefore, 36 + std::min(badReplies + 1, Link::Tries))
        << badReplies;
    const Lines bad = {"Requesting data from 0A0H", "Data received BAD"};
    EXPECT_NE(std::search(rig.report.lines.begin(), rig.report.lines.end(), bad.begin(), bad.end()),
              rig.report.lines.end());
    EXPECT_EQ(rig.programFile(UploadFileName).size(), 592u);
    if (badReplies < Link::Tries) {
      ASSERT_TRUE(panel.has_value());
      EXPECT_TRUE(rig.report.messages.empty());
    } else {
      EXPECT_FALSE(panel.has_value());
      ASSERT_EQ(rig.report.messages.size(), 1u);
      EXPECT_NE(rig.report.messages[0].find("0A0H"), std::string::npos) << rig.report.messages[0];
      EXPECT_NE(rig.report.messages[0].find(UploadFileName), std::string::npos) << rig.report.messages[0];
      EXPECT_TRUE(rig.report.shown);
      EXPECT_EQ(allItems(rig.z), before);
    }
  }
}

TEST(PanelTransfer, SilenceMidwayFailsAndStillFinishes) {
  // A write that gets no reply: five tries 2.5 s apart, then the failure, then Finish.
  Rig down;
  down.unit.repliesBeforeSilence = 1 + 3;  // Identify and three blocks
  EXPECT_FALSE(downloadPanel(down.context, down.z.settings));
  EXPECT_EQ(down.unit.count(WriteE2Block), 3 + Link::Tries);
  ASSERT_GE(down.transport.sent.size(), 2u);
  const auto& sent = down.transport.sent;
  EXPECT_NEAR(sent[sent.size() - 2].atMs - sent[sent.size() - 3].atMs, 2500, 30);
  EXPECT_EQ(down.report.lines.back(), "Data program failed");
  EXPECT_EQ(down.unit.requests.back(), (Bytes{RequestFrame, Finish}));
  EXPECT_EQ(down.unit.count(Finish), 1);
  EXPECT_TRUE(down.report.shown);

  // A read that gets no reply: nothing applied; the file keeps what was read.
  Rig up;
  up.unit.repliesBeforeSilence = 1 + 5;
  const auto before = allItems(up.z);
  EXPECT_FALSE(uploadPanel(up.context).has_value());
  EXPECT_EQ(up.report.lines.back(), "Data download failed");
  EXPECT_TRUE(up.report.shown);
  EXPECT_EQ(up.programFile(UploadFileName), Bytes(up.unit.e2.begin(), up.unit.e2.begin() + 5 * 16));
  EXPECT_EQ(allItems(up.z), before);
}

// Answers later than the time-out: the request goes out again, and both answers arrive.
TEST(PanelTransfer, LateAnswersEndWithTheInstrumentsBytes) {
  for (double lateMs : {1400.0, 2000.0, 4000.0}) {
    for (const bool every : {true, false}) {
      const std::set<std::size_t> late = every ? std::set<std::size_t>{} : std::set<std::size_t>{3, 20};
      Rig down;
      test::makeSamplePanel(down.z);
      down.unit.lateMs = lateMs, down.unit.lateRequests = late;
      EXPECT_TRUE(downloadPanel(down.context, down.z.settings)) << lateMs << " " << every;
      const PanelSettings sent = panelSettingsOf(down.z);
      EXPECT_EQ(panelPart(down.unit.e2), Bytes(sent.begin(), sent.end())) << lateMs << " " << every;

      Rig up;
      test::makeSamplePanel(up.z);
      up.unitHoldsPanel();
      test::loadDefaults(up.z);
      up.unit.lateMs = lateMs, up.unit.lateRequests = late;
      const auto panel = uploadPanel(up.context);
      ASSERT_TRUE(panel.has_value()) << lateMs << " " << every;
      EXPECT_EQ(Bytes(panel->begin(), panel->end()), panelPart(up.unit.e2)) << lateMs << " " << every;
      EXPECT_EQ(up.programFile(UploadFileName), Bytes(up.unit.e2.begin(), up.unit.e2.begin() + 592));
    }
  }
}

TEST(PanelTransfer, DownloadThatDoesNotReadBackAsWrittenFails) {
  Rig rig;
  test::makeSamplePanel(rig.z);
  // An instrument that acknowledges the block at 0AAH but keeps its old bytes.
  rig.transport.onWrite = [&](const Bytes& frame) {
    const bool dropped = frame[4] == WriteE2Block && frame[5] == 0xAA + 4;
    const Bytes before = rig.unit.e2;
    auto reply = rig.unit.answer(frame);
    if (dropped) rig.unit.e2 = before;
    if (reply) rig.deliverAfter(20, *reply);
  };
  EXPECT_FALSE(downloadPanel(rig.context, rig.z.settings));
  EXPECT_EQ(rig.report.lines.back(), "Data at 0AAH reads back wrong");
  ASSERT_EQ(rig.report.messages.size(), 1u);
  EXPECT_TRUE(rig.report.results.empty());
  EXPECT_TRUE(rig.report.shown);
  EXPECT_EQ(rig.unit.requests.back(), (Bytes{RequestFrame, Finish}));
}

TEST(PanelTransfer, UploadedDataWithAWrongHeaderOrValueIsRefused) {
  struct Case {
    const char* name;
    std::size_t at;
    std::uint8_t value;
    std::string message;
  } cases[] = {
      {"version 2", 0, 2, "Panel file has an incompatible version number"},
      {"length 573", 2, 573 & 0xFF, "Panel file has an incompatible length value"},
      {"13 EGT channels", 4 + 128, 13, "EGT channels 13"},
  };
  for (const Case& c : cases) {
    Rig rig;
    test::makeSamplePanel(rig.z);
    ASSERT_TRUE(downloadPanel(rig.context, rig.z.settings));
    rig.unit.e2[c.at] = c.value;
    EXPECT_FALSE(uploadPanel(rig.context).has_value()) << c.name;
    ASSERT_EQ(rig.report.messages.size(), 1u) << c.name;
    EXPECT_NE(rig.report.messages[0].find(c.message), std::string::npos) << rig.report.messages[0];
  }
}

}  // namespace
}  // namespace zen
