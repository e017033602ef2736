#include "link/connection_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/virtual_link.h"

namespace zen {
namespace {

std::vector<std::uint8_t> identifyReply(const std::string& ident, const std::string& version) {
  std::vector<std::uint8_t> payload{ReplyFrame, Identify};
  for (const auto& [text, room] : {std::pair{ident, 11u}, std::pair{version, 7u}}) {
    payload.push_back(static_cast<std::uint8_t>(text.size()));
    for (std::size_t i = 0; i < room; ++i) payload.push_back(i < text.size() ? text[i] : 0);
  }
  return encodeFrame(LowestFrameAddress, payload);
}

TEST(ConnectionCheck, SaysWhatAnsweredOrWhatToCheck) {
  struct Case {
    const char* name;
    bool open;
    const char* ident;  // nullptr: nothing answers
    const char* version;
    bool connected;
    std::string says;
  };
  const Case cases[] = {
      {"compatible", true, "ZN260607123", "260607X", true,
       "Connected on COM3 (/dev/x): instrument ZN260607123, firmware version 260607X. Panels can be "
       "exchanged"},
      {"old firmware", true, "ZN260607123", "010101X", true, "update the instrument's firmware first"},
      {"other model", true, "AB260607123", "260607X", true, "It is not an Orvex Zenara"},
      {"silent", true, nullptr, nullptr, false,
       "No instrument answered on COM3 (/dev/x). Check that the cable"},
      {"closed port", false, nullptr, nullptr, false, "COM3 (/dev/x) is not open."},
  };
  for (const Case& c : cases) {
    test::VirtualLinkRig rig;
    rig.transport.open = c.open;
    int requests = 0;
    rig.transport.onWrite = [&](const std::vector<std::uint8_t>&) {
      ++requests;
      if (c.ident) rig.deliverAfter(20, identifyReply(c.ident, c.version));
    };
    const ConnectionCheck check = checkConnection(rig.link, "COM3 (/dev/x)");
    EXPECT_EQ(check.connected, c.connected) << c.name;
    EXPECT_NE(check.text.find(c.says), std::string::npos) << c.name << ": " << check.text;
    EXPECT_EQ(requests, !c.open ? 0 : c.ident ? 1 : Link::Tries) << c.name;
  }
}

TEST(ConnectionCheck, HeldLinkSaysWhyNothingWasSent) {
  test::VirtualLinkRig rig;
  rig.link.hold(true);
  const ConnectionCheck check = checkConnection(rig.link, "COM3 (/dev/x)");
  EXPECT_FALSE(check.connected);
  EXPECT_EQ(check.text, rig.link.busyMessage());
  EXPECT_TRUE(rig.transport.sent.empty());
}

}  // namespace
}  // namespace zen
