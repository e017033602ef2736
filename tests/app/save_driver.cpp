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
// panel file, the item location exports and SM.INI are written as the
// windows write them. A flight with the engine running keeps the clock
// memory changing, which the host writes to RTC.ram by itself; each
// simulated second the fuel used and engine minutes in the clock memory are
// noted in DIR.clock, and the check finds RTC.ram no older than the host's
// save interval. Every file replacement goes through rename(), which this
// program wraps to note the new content's hash in DIR.journal before the
// file is replaced.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
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
#include "firmware/core/timekeeping.h"
#include "sim/atomic_file.h"
#include "sim/ini_file.h"
#include "sim/virtual_host.h"

namespace {

std::filesystem::path journalPath;
std::filesystem::path clockNotesPath;

// What the clock memory holds that only grows while the engine runs.
struct ClockProgress {
  std::uint32_t fuelUsed = 0;
  unsigned engineMinutes = 0;
};

ClockProgress progressIn(std::span<const std::uint8_t> ram) {
  const std::size_t fuel = zen::clock_offset::TripRecordA + 8;
  const std::size_t hours = zen::clock_offset::EngineHoursA;
  return {static_cast<std::uint32_t>(ram[fuel] | ram[fuel + 1] << 8 | ram[fuel + 2] << 16 |
                                     static_cast<std::uint32_t>(ram[fuel + 3]) << 24),
          ram[hours] + 60u * (ram[hours + 1] + 100u * ram[hours + 2])};
}

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

[[noreturn]] void fail(const char* what, const std::string& error) {
  std::fprintf(stderr, "zenara_save_driver: %s: %s\n", what, error.c_str());
  std::exit(1);
}

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
    ini_.writeInteger("settings", "Slider1", static_cast<int>(count_ % 1200));
    ini_.writeInteger("General", "PORT", static_cast<int>(count_ % 8) + 1);
    if (auto error = ini_.save(folder_ / "SM.INI")) fail("SM.INI", *error);
    double t = host_.nowMs() + 200;
    t = keys(t, count_ % 2 ? "M N + M" : "M N - M");
    t = keys(t + 300, "M PPP S N S S M");
    host_.at(t + 300, [this] { round(); });
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
  Instrument& z = host.instrument();
  if (!std::filesystem::exists(folder / "e2.rom")) buildImageFromDefaults(z, true);
  // In flight with the engine running: fuel used and engine time grow.
  host.switchEngineUnit(0, true);
  host.setEngineBar(0, 20, 26);     // about 6000 rpm
  host.setEngineBar(0, 17, 50);     // fuel flow pulses
  host.setPressureBar(0, 2, 3000);  // about 100 mph
  const int notes = ::open(clockNotesPath.c_str(), O_WRONLY | O_TRUNC | O_CREAT | O_CLOEXEC, 0644);
  if (notes < 0) fail("clock notes", std::strerror(errno));
  host.onClockTick = [&] {
    if (host.nowMicros() % 1000000 != 0) return;
    const ClockProgress p = progressIn(z.rtc.bytes);
    char line[64];
    const int n =
        std::snprintf(line, sizeof line, "%llu %u %u\n",
                      static_cast<unsigned long long>(host.nowMicros() / 1000), p.fuelUsed, p.engineMinutes);
    if (::write(notes, line, static_cast<std::size_t>(n)) != n) std::abort();
  };
  SaveRounds rounds(host, folder);
  rounds.start(PanelShownMs);
  host.run();
  return 0;
}

// The file's complete lines; one cut short is ignored.
std::vector<std::string> lines(const std::filesystem::path& file) {
  std::vector<std::string> result;
  const ReadResult read = readFilePrefix(file, std::size_t{1} << 30);
  std::string_view text(reinterpret_cast<const char*>(read.bytes.data()), read.bytes.size());
  for (std::size_t nl; (nl = text.find('\n')) != std::string_view::npos; text.remove_prefix(nl + 1))
    result.emplace_back(text.substr(0, nl));
  return result;
}

// The journal's hashes per file name, in order.
std::map<std::string, std::vector<std::uint64_t>> readJournal() {
  std::map<std::string, std::vector<std::uint64_t>> journal;
  for (const std::string& line : lines(journalPath)) {
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
  // RTC.ram is no older than the save interval before the last note (the
  // kill came within a second of it); both counts only grow.
  const std::vector<std::string> notes = lines(clockNotesPath);
  if (!notes.empty()) {
    unsigned long long lastMs = 0;
    std::sscanf(notes.back().c_str(), "%llu", &lastMs);
    const unsigned long long intervalMs = SimulationHost::ClockRamSaveTicks * 25ull;
    ClockProgress due{};
    bool anyDue = false;
    for (const std::string& note : notes) {
      unsigned long long ms = 0;
      ClockProgress p;
      if (std::sscanf(note.c_str(), "%llu %u %u", &ms, &p.fuelUsed, &p.engineMinutes) == 3 &&
          ms + intervalMs <= lastMs) {
        due = p;
        anyDue = true;
      }
    }
    const ReadResult ram = readFilePrefix(folder / "RTC.ram", ClockRam::Size);
    if (anyDue && ram.bytes.size() != ClockRam::Size) {
      problem("RTC.ram missing after " + std::to_string(lastMs) + " ms");
    } else if (anyDue) {
      const ClockProgress saved = progressIn(ram.bytes);
      if (saved.fuelUsed < due.fuelUsed || saved.engineMinutes < due.engineMinutes)
        problem("RTC.ram lost more than " + std::to_string(intervalMs) + " ms: fuel used " +
                std::to_string(saved.fuelUsed) + " < " + std::to_string(due.fuelUsed) +
                " or engine minutes " + std::to_string(saved.engineMinutes) + " < " +
                std::to_string(due.engineMinutes) + " (last note " + std::to_string(lastMs) + " ms)");
    }
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
  clockNotesPath = folder + ".clock";
  try {
    return std::strcmp(argv[1], "--run") == 0 ? run(folder) : check(folder);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "zenara_save_driver: %s\n", e.what());
    return 1;
  }
}
