// Keeps the program's saves going in a program folder, so that a script can
// kill it at random moments (tests/app/kill9_test.sh), and checks the folder
// afterwards.
//
//   zenara_save_driver --run DIR      saves until killed
//   zenara_save_driver --check DIR    every file whole, old or new; then a
//                                     start-up, after which no temporary is left
//
// The firmware runs on the virtual-time host with the folder as its program
// folder: the menus save the settings (pilot number, heading mode), items
// are moved and the settings saved as the panel designer does, and the
// panel file, the item location exports, RTC.ram and SM.INI are written as
// the windows write them. Every file replacement goes through rename(),
// which this program wraps to note the new content's hash in DIR.journal
// before the file is replaced.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "files/developer_exports.h"
#include "files/panel_file.h"
#include "firmware/core/instrument.h"
#include "firmware/core/keys.h"
#include "firmware/core/settings_store.h"
#include "sim/atomic_file.h"
#include "sim/ini_file.h"
#include "sim/virtual_host.h"

namespace {

std::filesystem::path journalPath;

std::uint64_t hashOf(std::span<const std::uint8_t> bytes) {
  std::uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (std::uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
  return h;
}

std::optional<std::uint64_t> hashOfFile(const std::filesystem::path& file) {
  const zen::ReadResult read = zen::readFilePrefix(file, 1 << 20);
  if (read.missing || read.error) return std::nullopt;
  return hashOf(read.bytes);
}

bool isTemporary(const std::string& name) { return name.find(".tmp-") != std::string::npos; }

}  // namespace

// Every replacement, noted before it happens: "NAME HASH".
extern "C" int __real_rename(const char* from, const char* to);
extern "C" int __wrap_rename(const char* from, const char* to) {
  if (const auto hash = hashOfFile(from); hash && !journalPath.empty()) {
    char line[512];
    const int n =
        std::snprintf(line, sizeof line, "%s %016llx\n", std::filesystem::path(to).filename().c_str(),
                      static_cast<unsigned long long>(*hash));
    const int fd = ::open(journalPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, line, static_cast<std::size_t>(n)) != n) std::abort();
    ::close(fd);
  }
  return __real_rename(from, to);
}

namespace {

using namespace zen;

constexpr double PanelShownMs = 3500;
constexpr double ClickMs = 100;

// One round of saves; schedules the next one at its end.
class SaveRounds {
 public:
  SaveRounds(VirtualHost& host, const std::filesystem::path& folder) : host_(host), folder_(folder) {
    if (auto error = ini_.load(findFileNoCase(folder, "SM.INI"))) fail("SM.INI", *error);
  }

  void start(double ms) {
    host_.at(ms, [this] { round(); });
  }

 private:
  // Menu keys: "M N + M" steps the pilot number, "M PPP S N S S M" flips the
  // heading mode; both save when their menu returns.
  double keys(double t, std::string_view script) {
    for (char c : script) {
      const int bit = c == 'M'   ? key_bit::Menu
                      : c == 'S' ? key_bit::Select
                      : c == 'N' ? key_bit::Next
                      : c == 'P' ? key_bit::Prev
                      : c == '+' ? key_bit::Plus
                      : c == '-' ? key_bit::Minus
                                 : -1;
      if (bit < 0) continue;
      host_.clickKey(t, bit, ClickMs);
      t += 2 * ClickMs;
    }
    return t;
  }

  void round() {
    Instrument& z = host_.instrument();
    ++count_;
    // As the panel designer: move an item, then save the settings.
    z.settings.page1Locations[0].column = static_cast<std::uint8_t>(count_ % 30);
    saveAllSettings(z);
    if (auto error = savePanelFile(z, folder_ / "panel.pcf")) fail("panel.pcf", *error);
    if (auto failure = saveItemLocations(z.settings, folder_)) fail("item locations", failure->reason);
    saveClockRam(z);
    ini_.writeInteger("settings", "Slider1", static_cast<int>(count_ % 1200));
    ini_.writeInteger("General", "PORT", static_cast<int>(count_ % 8) + 1);
    if (auto error = ini_.save(folder_ / "SM.INI")) fail("SM.INI", *error);
    double t = host_.nowMs() + 200;
    t = keys(t, count_ % 2 ? "M N + M" : "M N - M");
    t = keys(t + 300, "M PPP S N S S M");
    host_.at(t + 300, [this] { round(); });
  }

  static void fail(const char* file, const std::string& error) {
    std::fprintf(stderr, "zenara_save_driver: %s: %s\n", file, error.c_str());
    std::exit(1);
  }

  VirtualHost& host_;
  std::filesystem::path folder_;
  IniFile ini_;
  unsigned count_ = 0;
};

int run(const std::filesystem::path& folder) {
  VirtualHost::Options options;
  options.programFolder = folder;
  options.closeAfterMs = 1000ull * 3600 * 24 * 365;
  VirtualHost host(options);  // loads e2.rom, RTC.ram and logo.bin
  if (!std::filesystem::exists(folder / "e2.rom")) buildImageFromDefaults(host.instrument(), true);
  SaveRounds rounds(host, folder);
  rounds.start(PanelShownMs);
  host.run();
  return 0;
}

// The journal's hashes per file name, in order; a line cut short is ignored.
std::map<std::string, std::vector<std::uint64_t>> readJournal() {
  std::map<std::string, std::vector<std::uint64_t>> journal;
  const ReadResult read = readFilePrefix(journalPath, std::size_t{1} << 30);
  std::string_view text(reinterpret_cast<const char*>(read.bytes.data()), read.bytes.size());
  while (true) {
    const std::size_t nl = text.find('\n');
    if (nl == std::string_view::npos) break;
    const std::string line(text.substr(0, nl));
    text.remove_prefix(nl + 1);
    const std::size_t space = line.rfind(' ');
    if (space == std::string::npos) continue;
    journal[line.substr(0, space)].push_back(std::stoull(line.substr(space + 1), nullptr, 16));
  }
  return journal;
}

int check(const std::filesystem::path& folder) {
  int problems = 0;
  auto problem = [&](const std::string& text) {
    std::fprintf(stderr, "zenara_save_driver: %s\n", text.c_str());
    ++problems;
  };
  // Each file is the last version noted (renamed) or the one before it
  // (killed between the note and the rename); never anything else.
  for (const auto& [name, hashes] : readJournal()) {
    const auto hash = hashOfFile(folder / name);
    const bool last = hash == hashes.back();
    const bool previous = hashes.size() >= 2 ? hash == hashes[hashes.size() - 2] : !hash.has_value();
    if (!last && !previous) problem(name + " is neither its old nor its new version");
  }
  {
    VirtualHost::Options options;
    options.programFolder = folder;
    VirtualHost host(options);  // the next start-up
    for (const auto& [file, error] : host.fileErrors()) problem(file.string() + ": " + error);
  }
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (isTemporary(entry.path().filename().string()))
      problem("temporary file left after a start-up: " + entry.path().filename().string());
  return problems == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[1], "--run") != 0 && std::strcmp(argv[1], "--check") != 0)) {
    std::fprintf(stderr, "usage: zenara_save_driver --run DIR | --check DIR\n");
    return 2;
  }
  std::string folder = argv[2];
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  journalPath = folder + ".journal";
  try {
    return std::strcmp(argv[1], "--run") == 0 ? run(folder) : check(folder);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "zenara_save_driver: %s\n", e.what());
    return 1;
  }
}
