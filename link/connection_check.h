// "Test connection": asks the instrument on the link to identify itself and
// says what answered, or what to check when nothing did.
#pragma once

#include <string>
#include <string_view>

namespace zen {

class Link;

struct ConnectionCheck {
  bool connected = false;
  // Empty only when the program is closing.
  std::string text;
};

// line names the port for the user, for example "COM3 (/dev/ttyUSB0)".
ConnectionCheck checkConnection(Link& link, const std::string& line);

// Panels are exchanged only with the same model (the identification's first
// two characters) running one of CompatibleVersions.
bool sameModel(std::string_view ident);
bool panelCompatibleVersion(std::string_view version);

}  // namespace zen
