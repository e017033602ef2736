// zenara-fake-instrument: plays an Orvex Zenara on a serial line, or on a
// pseudo-terminal it creates, so the link can be tried without the real unit.
#include <fcntl.h>
#include <getopt.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "firmware/core/firmware.h"
#include "firmware/core/firmware_state.h"
#include "sim/atomic_file.h"
#include "tools/fake_instrument/bootloader_unit.h"
#include "tools/fake_instrument/frame_unit.h"
#include "tools/option_errors.h"

using namespace zen;
using namespace zen::fake;

namespace {

constexpr const char* Help = R"(Usage: zenara-fake-instrument [OPTIONS]

Plays an Orvex Zenara instrument on a serial line at 19200 Bd. Without
--device it creates a pseudo-terminal; the first line on standard output is
the device to give the simulator as its COM port, for example in SM.INI:
[Devices] COM1=/dev/pts/5. Then one line per event follows (identify,
read-e2 0040, write-e2 000E, read-ram 0277 1, finish, fault ...).

Options:
  --device PATH      use this serial device instead of a new pseudo-terminal
                     example: --device /dev/ttyUSB1
  --ident TEXT       identification, 11 characters (default: the simulator's own)
                     example: --ident ZN260607001
  --version TEXT     firmware version, 7 characters
                     example: --version 260607X
  --e2 FILE          the unit's 4096-byte E2 memory; if missing, created erased
                     (0xFF) but for the layout header (version 1, length 576)
                     example: --e2 unit-e2.bin
  --ram FILE         what Read RAM returns (default: each byte is the low byte of its address)
                     example: --ram ram.bin
  --attitude HZ      attitude records (type 55) per second
                     example: --attitude 10
  --heading HZ       heading samples (type 50) per second
                     example: --heading 2
  --blocks HZ        sets of dual-panel data blocks (type 1) per second
                     example: --blocks 1
  --bank DEG         bank angle in the records          example: --bank -20
  --pitch DEG        pitch angle                        example: --pitch 5
  --heading-deg DEG  heading                            example: --heading-deg 270
  --slip N           slip value                         example: --slip -4
  --turn-rate N      rate of turn                       example: --turn-rate 30
  --status N         sensor status byte                 example: --status 8
  --swing            bank, pitch and heading move by themselves
                     example: --attitude 10 --swing
  --altitude FEET    altitude in the primary data block example: --altitude 4500
  --fault KIND       misbehave on requests: no-reply, late-reply, bad-check,
                     bad-sum, garbage or disconnect; with --bootloader:
                     silence, wrong-answer or power-lost
                     example: --fault no-reply
  --fault-after N    answer N requests normally before the fault starts; with
                     --fault power-lost: write N pages before the power goes
                     example: --fault disconnect --fault-after 3
  --fault-count N    the fault lasts for N requests, then answers are good
                     again (default: to the end)
                     example: --fault late-reply --fault-after 5 --fault-count 1
  --late-ms MS       how late a late reply comes        example: --late-ms 3000
  --help             this text

The bootloader (--bootloader) instead of the running instrument: switched
on, it greets with "OK" CR; after the program's answer it takes the chip,
erase, page and E2 commands of a firmware update, echoing every byte. Events:
power-on, handshake, identify, erase, write-page 0080, write-e2 0000, fault ...
  --bootloader       play the bootloader               example: --bootloader
  --flash FILE       its 131072-byte flash; created full of 0xFF if missing
                     example: --flash flash.bin
  --signature HEX    the chip signature it reports (default 1E9702)
                     example: --signature 1E9704
  --power-on-after MS  switch on by itself this long after the start
                     (default: only on the power-on command)
                     example: --power-on-after 500
  --cut-after N      with power-lost: data bytes of the page that arrive
                     before the power goes (default 128)
                     example: --fault power-lost --fault-after 2 --cut-after 10

Standard input takes one command a line:
  fault KIND [N [M]] start a fault (after N more good answers, for M requests);
                     fault none ends it
  attitude B P H     bank, pitch and heading of the next records
  power-on           (bootloader) switch on: greet again, flash and E2 kept
  power-off          (bootloader) switch off: silent until power-on
  send HEX...        put raw bytes on the line, example: send 82 E5 40
  disconnect         drop the line at once, as a pulled cable would
  quit               end the program
)";

volatile std::sig_atomic_t stopRequested = 0;
void onSignal(int) { stopRequested = 1; }

double nowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

void logLine(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

bool makeRaw(int fd) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) return false;
  cfmakeraw(&t);
  cfsetispeed(&t, B19200);
  cfsetospeed(&t, B19200);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS | CSTOPB | PARENB);
  return tcsetattr(fd, TCSANOW, &t) == 0;
}

// The line: a device, or the master side of a new pseudo-terminal.
class Line : public Wire {
 public:
  Line(int fd, int slaveFd) : fd_(fd), slaveFd_(slaveFd) {}
  ~Line() override { closeAll(); }

  void send(std::vector<std::uint8_t> bytes, double delayMs) override {
    // Whole frames in order of their time; a late reply lets records pass.
    const double due = nowMs() + delayMs;
    const auto at = std::upper_bound(pending_.begin(), pending_.end(), due,
                                     [](double t, const Pending& p) { return t < p.due; });
    pending_.insert(at, {due, std::move(bytes)});
    if (delayMs <= 0) flushDue();
  }
  void disconnect() override {
    logLine("disconnected");
    closeAll();
  }
  void log(const std::string& line) override { logLine(line); }

  bool open() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  double nextDue() const { return pending_.empty() ? 1e300 : pending_.front().due; }

  void flushDue() {
    const double now = nowMs();
    while (!pending_.empty() && pending_.front().due <= now && fd_ >= 0) {
      writeAll(pending_.front().bytes);
      pending_.erase(pending_.begin());
    }
  }

 private:
  struct Pending {
    double due;
    std::vector<std::uint8_t> bytes;
  };

  void writeAll(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
      } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        pollfd p{fd_, POLLOUT, 0};
        ::poll(&p, 1, 100);
      } else {
        logLine(std::string("line-error ") + std::strerror(errno));
        return closeAll();
      }
    }
  }
  void closeAll() {
    if (fd_ >= 0) ::close(fd_);
    if (slaveFd_ >= 0) ::close(slaveFd_);
    fd_ = slaveFd_ = -1;
    pending_.clear();
  }

  int fd_;
  int slaveFd_;
  std::vector<Pending> pending_;
};

struct Settings {
  std::string device;
  FrameUnitOptions unit;
  bool bootloader = false;
  BootloaderOptions boot;
};

[[noreturn]] void usageError(const std::string& message) {
  std::fprintf(stderr, "zenara-fake-instrument: %s (see --help)\n", message.c_str());
  std::exit(2);
}

// Three bytes in hexadecimal, e.g. 1E9704 or "1E 97 04".
std::array<std::uint8_t, 3> signature(std::string text) {
  std::erase(text, ' ');
  std::array<std::uint8_t, 3> bytes{};
  if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
    usageError("--signature takes three bytes in hexadecimal, such as 1E9702");
  for (std::size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<std::uint8_t>(std::stoul(text.substr(2 * i, 2), nullptr, 16));
  return bytes;
}

double number(const char* option, const char* text) {
  char* end = nullptr;
  const double v = std::strtod(text, &end);
  if (end == text || *end != '\0')
    usageError(std::string("--") + option + " takes a number, not \"" + text + "\"");
  return v;
}

Settings parse(int argc, char** argv) {
  Settings s;
  s.unit.ident = UnitIdentText;
  s.unit.version = FirmwareVersion;
  enum {
    Device = 1,
    Ident,
    Version,
    E2,
    Ram,
    AttitudeHz,
    HeadingHz,
    BlocksHz,
    Bank,
    Pitch,
    HeadingDeg,
    Slip,
    TurnRate,
    Status,
    Swing,
    Altitude,
    FaultKind,
    FaultAfter,
    FaultCount,
    LateMs,
    Bootloader,
    Flash,
    Signature,
    PowerOnAfter,
    CutAfter,
    HelpOption
  };
  const option options[] = {
      {"device", required_argument, nullptr, Device},
      {"ident", required_argument, nullptr, Ident},
      {"version", required_argument, nullptr, Version},
      {"e2", required_argument, nullptr, E2},
      {"ram", required_argument, nullptr, Ram},
      {"attitude", required_argument, nullptr, AttitudeHz},
      {"heading", required_argument, nullptr, HeadingHz},
      {"blocks", required_argument, nullptr, BlocksHz},
      {"bank", required_argument, nullptr, Bank},
      {"pitch", required_argument, nullptr, Pitch},
      {"heading-deg", required_argument, nullptr, HeadingDeg},
      {"slip", required_argument, nullptr, Slip},
      {"turn-rate", required_argument, nullptr, TurnRate},
      {"status", required_argument, nullptr, Status},
      {"swing", no_argument, nullptr, Swing},
      {"altitude", required_argument, nullptr, Altitude},
      {"fault", required_argument, nullptr, FaultKind},
      {"fault-after", required_argument, nullptr, FaultAfter},
      {"fault-count", required_argument, nullptr, FaultCount},
      {"late-ms", required_argument, nullptr, LateMs},
      {"bootloader", no_argument, nullptr, Bootloader},
      {"flash", required_argument, nullptr, Flash},
      {"signature", required_argument, nullptr, Signature},
      {"power-on-after", required_argument, nullptr, PowerOnAfter},
      {"cut-after", required_argument, nullptr, CutAfter},
      {"help", no_argument, nullptr, HelpOption},
      {nullptr, 0, nullptr, 0},
  };
  Attitude& a = s.unit.attitude;
  std::string fault;
  int faultAfter = 0;
  for (int c; (c = getopt_long(argc, argv, ":", options, nullptr)) != -1;) {
    const char* name = c > 0 && c <= HelpOption ? options[c - 1].name : "";
    switch (c) {
      case Device:
        s.device = optarg;
        break;
      case Ident:
        s.unit.ident = optarg;
        break;
      case Version:
        s.unit.version = optarg;
        break;
      case E2:
        s.unit.e2File = optarg;
        break;
      case Ram: {
        ReadResult ram = readFilePrefix(optarg, 65536);
        if (ram.missing || ram.error)
          usageError(std::string(optarg) + ": " + (ram.error ? *ram.error : "no such file"));
        s.unit.ram = std::move(ram.bytes);
        break;
      }
      case AttitudeHz:
        s.unit.attitudeHz = number(name, optarg);
        break;
      case HeadingHz:
        s.unit.headingHz = number(name, optarg);
        break;
      case BlocksHz:
        s.unit.blocksHz = number(name, optarg);
        break;
      case Bank:
        a.bank = static_cast<int>(number(name, optarg));
        break;
      case Pitch:
        a.pitch = static_cast<int>(number(name, optarg));
        break;
      case HeadingDeg:
        a.heading = static_cast<int>(number(name, optarg));
        break;
      case Slip:
        a.slip = static_cast<int>(number(name, optarg));
        break;
      case TurnRate:
        a.turnRate = static_cast<int>(number(name, optarg));
        break;
      case Status:
        a.status = static_cast<int>(number(name, optarg));
        break;
      case Swing:
        a.swing = true;
        break;
      case Altitude:
        s.unit.altitudeFeet = static_cast<int>(number(name, optarg));
        break;
      case FaultKind:
        fault = optarg;
        break;
      case FaultAfter:
        faultAfter = static_cast<int>(number(name, optarg));
        break;
      case FaultCount:
        s.unit.faultCount = static_cast<int>(number(name, optarg));
        break;
      case LateMs:
        s.unit.lateMs = number(name, optarg);
        break;
      case Bootloader:
        s.bootloader = true;
        break;
      case Flash:
        s.boot.flashFile = optarg;
        break;
      case Signature:
        s.boot.signature = signature(optarg);
        break;
      case PowerOnAfter:
        s.boot.powerOnAfterMs = number(name, optarg);
        break;
      case CutAfter:
        s.boot.cutAfterBytes = static_cast<std::size_t>(
            std::clamp(number(name, optarg), 0.0, static_cast<double>(boot::PageSize - 1)));
        break;
      case HelpOption:
        std::fputs(Help, stdout);
        std::exit(0);
      default:
        usageError(zen::optionProblem(c, argv));
    }
  }
  if (optind < argc) usageError(std::string("unexpected argument \"") + argv[optind] + "\"");
  s.boot.e2File = s.unit.e2File;
  s.unit.faultAfter = s.boot.faultAfter = faultAfter;
  if (!fault.empty()) {
    const auto frameFault = faultNamed(fault);
    const auto bootFault = bootFaultNamed(fault);
    if (s.bootloader ? !bootFault : !frameFault) usageError("unknown fault \"" + fault + "\"");
    if (s.bootloader)
      s.boot.fault = *bootFault;
    else
      s.unit.fault = *frameFault;
  }
  return s;
}

// Commands about the line itself, whatever plays on it.
bool lineCommand(Line& line, const std::string& command) {
  std::istringstream in(command);
  std::string word;
  in >> word;
  if (word == "disconnect") {
    line.disconnect();
    return true;
  }
  if (word != "send") return false;
  std::vector<std::uint8_t> bytes;
  unsigned b;
  while (in >> std::hex >> b) bytes.push_back(static_cast<std::uint8_t>(b));
  line.send(std::move(bytes), 0);
  return true;
}

// Opens the device, or creates a pseudo-terminal; prints the device path.
std::unique_ptr<Line> openLine(const std::string& device) {
  if (!device.empty()) {
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0 || !makeRaw(fd)) throw std::runtime_error(device + ": " + std::strerror(errno));
    logLine(device);
    return std::make_unique<Line>(fd, -1);
  }
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
    throw std::runtime_error(std::string("cannot create a pseudo-terminal: ") + std::strerror(errno));
  const std::string slave = ::ptsname(master);
  // Held open and raw, so nothing is echoed before the simulator opens its side.
  const int slaveFd = ::open(slave.c_str(), O_RDWR | O_NOCTTY);
  if (slaveFd < 0 || !makeRaw(slaveFd)) throw std::runtime_error(slave + ": " + std::strerror(errno));
  logLine(slave);
  return std::make_unique<Line>(master, slaveFd);
}

}  // namespace

int main(int argc, char** argv) {
  const Settings settings = parse(argc, argv);
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGINT, onSignal);
  std::signal(SIGTERM, onSignal);
  try {
    std::unique_ptr<Line> line = openLine(settings.device);
    std::unique_ptr<Personality> unit;
    if (settings.bootloader)
      unit = std::make_unique<BootloaderUnit>(*line, settings.boot);
    else
      unit = std::make_unique<FrameUnit>(*line, settings.unit);
    std::string input;
    bool stdinOpen = true;
    double nextTick = nowMs();
    while (!stopRequested && line->open()) {
      const double now = nowMs();
      if (now >= nextTick) nextTick = unit->tick(now);
      line->flushDue();
      const double wake = std::min(nextTick, line->nextDue());
      const int timeout = static_cast<int>(std::clamp(wake - nowMs(), 0.0, 1000.0)) + 1;
      pollfd fds[2] = {{line->fd(), POLLIN, 0}, {stdinOpen ? STDIN_FILENO : -1, POLLIN, 0}};
      if (::poll(fds, 2, timeout) < 0) {
        if (errno == EINTR) continue;
        throw std::runtime_error(std::string("poll: ") + std::strerror(errno));
      }
      if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
        std::uint8_t buffer[4096];
        const ssize_t n = ::read(line->fd(), buffer, sizeof buffer);
        if (n > 0) {
          unit->receive(std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(n)));
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
          logLine("line-closed");
          return 1;
        }
      }
      if (fds[1].revents & (POLLIN | POLLHUP)) {
        char chunk[512];
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n <= 0) stdinOpen = false;
        input.append(chunk, static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
        for (std::size_t end; (end = input.find('\n')) != std::string::npos;) {
          const std::string command = input.substr(0, end);
          input.erase(0, end + 1);
          if (command == "quit") return 0;
          if (!command.empty() && !lineCommand(*line, command) && !unit->command(command))
            logLine("unknown-command " + command);
        }
      }
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "zenara-fake-instrument: %s\n", e.what());
    return 1;
  }
}
