#include "link/connection_check.h"

#include <algorithm>

#include "firmware/core/firmware.h"
#include "link/frame.h"
#include "link/link.h"
#include "link/panel_transfer.h"

namespace zen {

bool sameModel(std::string_view ident) {
  return ident.size() >= 2 && ident.substr(0, 2) == std::string_view(UnitIdentText, 2);
}

bool panelCompatibleVersion(std::string_view version) {
  return std::find(CompatibleVersions.begin(), CompatibleVersions.end(), version) != CompatibleVersions.end();
}

ConnectionCheck checkConnection(Link& link, const std::string& line) {
  const std::uint8_t identify[] = {RequestFrame, Identify};
  if (link.request(identify, true, ReplyTimeoutTicks)) {
    const std::string ident = link.replies().identText();
    const std::string version = link.replies().versionText();
    std::string text =
        "Connected on " + line + ": instrument " + ident + ", firmware version " + version + ". ";
    if (!sameModel(ident))
      text += "It is not an Orvex Zenara, so panels cannot be exchanged with it.";
    else if (!panelCompatibleVersion(version))
      text +=
          "Panels cannot be exchanged with this firmware version: update the instrument's firmware first.";
    else
      text += "Panels can be exchanged with it.";
    return {true, text};
  }
  switch (link.lastOutcome()) {
    case LinkOutcome::Cancelled:
      return {};
    case LinkOutcome::NotSent:
      return {false, line +
                         " is not open. Check that the device exists (the adapter is plugged in), that no "
                         "other program uses it, and that you may use it (group dialout)."};
    case LinkOutcome::LineLost:
      return {false, "The line on " + line +
                         " was lost during the test. Check the cable and the adapter, "
                         "then choose the port again."};
    case LinkOutcome::Busy:
      return {false, link.busyMessage()};
    default:
      return {false, "No instrument answered on " + line +
                         ". Check that the cable is on this port and "
                         "plugged in at both ends, and that the instrument has power and is switched on."};
  }
}

}  // namespace zen
