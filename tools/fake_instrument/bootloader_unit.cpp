#include "tools/fake_instrument/bootloader_unit.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include "sim/atomic_file.h"

namespace zen::fake {

namespace {

constexpr NamedFault<BootFault> Faults[] = {
    {BootFault::None, "none"},
    {BootFault::Silence, "silence"},
    {BootFault::WrongAnswer, "wrong-answer"},
    {BootFault::PowerLost, "power-lost"},
};

// What a refused or unknown command gets instead of CR.
constexpr std::uint8_t Refused = '?';
constexpr std::size_t PageCommandBytes = 3 + boot::PageSize;

std::string hex4(unsigned v) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", v & 0xFFFF);
  return text;
}

std::size_t commandLength(std::uint8_t first) {
  switch (first) {
    case boot::WritePage:
      return PageCommandBytes;
    case boot::WriteE2Byte:
      return 4;
    default:
      return 1;
  }
}

}  // namespace

std::optional<BootFault> bootFaultNamed(const std::string& name) { return faultByName(Faults, name); }

void BootloaderUnit::Memory::load(std::size_t size) {
  bytes.assign(size, 0xFF);
  if (file.empty()) return;
  ReadResult read = readFilePrefix(file, size + 1);
  if (read.missing) {
    if (auto error = writeFileAtomically(file, bytes))
      throw std::runtime_error(file.string() + ": " + *error);
    return;
  }
  if (read.error) throw std::runtime_error(file.string() + ": " + *read.error);
  if (read.bytes.size() != size)
    throw std::runtime_error(file.string() + ": holds " + std::to_string(read.bytes.size()) +
                             " bytes, this memory exactly " + std::to_string(size));
  bytes = std::move(read.bytes);
}

void BootloaderUnit::Memory::store(std::size_t at, std::size_t count) const {
  if (file.empty()) return;
  const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
  const bool written = fd >= 0 && ::pwrite(fd, bytes.data() + at, count, static_cast<off_t>(at)) ==
                                      static_cast<ssize_t>(count);
  const int error = errno;
  if (fd >= 0) ::close(fd);
  if (!written) throw std::runtime_error(file.string() + ": " + std::strerror(error));
}

BootloaderUnit::BootloaderUnit(Wire& wire, BootloaderOptions options)
    : wire_(wire), options_(std::move(options)) {
  flashMemory_.load(FlashSize);
  e2Memory_.load(E2Size);
}

void BootloaderUnit::powerOn() {
  powered_ = true;
  accepted_ = false;
  answerMatched_ = 0;
  command_.clear();
  silent_ = false;
  wire_.log("power-on");
  wire_.send({boot::Greeting.begin(), boot::Greeting.end()});
}

void BootloaderUnit::powerOff() {
  powered_ = false;
  wire_.log("power-off");
}

double BootloaderUnit::tick(double nowMs) {
  if (startMs_ < 0) startMs_ = nowMs;
  if (options_.powerOnAfterMs >= 0 && nowMs >= startMs_ + options_.powerOnAfterMs) {
    options_.powerOnAfterMs = -1;
    powerOn();
  }
  return options_.powerOnAfterMs >= 0 ? startMs_ + options_.powerOnAfterMs : nowMs + 1000;
}

bool BootloaderUnit::command(const std::string& line) {
  std::istringstream in(line);
  std::string word;
  in >> word;
  if (word == "power-on") {
    powerOn();
    return true;
  }
  if (word == "power-off") {
    powerOff();
    return true;
  }
  if (word == "fault") {
    std::string name;
    in >> name;
    const auto fault = bootFaultNamed(name);
    if (!fault) return false;
    int after = 0;
    in >> after;
    options_.fault = *fault;
    options_.faultAfter = (*fault == BootFault::PowerLost ? pages_ : commands_) + after;
    silent_ = false;
    wire_.log("fault-set " + name);
    return true;
  }
  return false;
}

bool BootloaderUnit::faulty(BootFault fault) const {
  if (options_.fault != fault) return false;
  return (fault == BootFault::PowerLost ? pages_ : commands_) >= options_.faultAfter;
}

void BootloaderUnit::receive(std::span<const std::uint8_t> bytes) {
  std::vector<std::uint8_t> echo;
  for (std::uint8_t b : bytes) {
    if (!powered_) break;
    take(b, echo);
  }
  if (!echo.empty()) wire_.send(std::move(echo));
}

void BootloaderUnit::take(std::uint8_t b, std::vector<std::uint8_t>& echo) {
  if (!accepted_) {
    const auto& answer = boot::ProgramAnswer;
    answerMatched_ = b == answer[answerMatched_] ? answerMatched_ + 1 : (b == answer[0] ? 1 : 0);
    if (answerMatched_ < answer.size()) return;
    accepted_ = true;
    wire_.log("handshake");
    echo.push_back(boot::Accepted);
    return;
  }
  if (command_.empty() && faulty(BootFault::Silence)) {
    if (!silent_) wire_.log("fault silence");
    silent_ = true;
    return;
  }
  command_.push_back(b);
  echo.push_back(b);
  if (command_[0] == boot::WritePage && command_.size() == 3 + options_.cutAfterBytes &&
      faulty(BootFault::PowerLost)) {
    wire_.log("fault power-lost after page " + std::to_string(pages_));
    return powerOff();
  }
  if (command_.size() < commandLength(command_[0])) return;
  run(echo);
  command_.clear();
}

void BootloaderUnit::run(std::vector<std::uint8_t>& echo) {
  const bool wrong = faulty(BootFault::WrongAnswer);
  std::uint8_t last = wrong ? Refused : boot::CR;
  const unsigned address = command_.size() >= 3 ? (command_[1] << 8 | command_[2]) : 0;
  switch (command_[0]) {
    case boot::IdentifyChip:
      wire_.log("identify");
      echo.insert(echo.end(), options_.signature.begin(), options_.signature.end());
      break;
    case boot::EraseFlash:
      wire_.log("erase");
      if (wrong) break;
      std::fill_n(flash_.begin(), boot::ApplicationBytes, 0xFF);
      flashMemory_.store(0, boot::ApplicationBytes);
      break;
    case boot::WritePage: {
      const std::size_t at = address * 2;
      wire_.log("write-page " + hex4(address));
      // The bootloader's own section and unaligned pages stay untouched.
      if (at % boot::PageSize != 0 || at >= boot::ApplicationBytes) {
        wire_.log("refused-page " + hex4(address));
        last = Refused;
        break;
      }
      if (wrong) break;
      boot::WireScrambler scrambler;
      scrambler.startPage();
      for (std::size_t i = 0; i < boot::PageSize; ++i) flash_[at + i] = scrambler.unscramble(command_[3 + i]);
      flashMemory_.store(at, boot::PageSize);
      ++pages_;
      break;
    }
    case boot::WriteE2Byte:
      wire_.log("write-e2 " + hex4(address));
      if (address >= E2Size) {
        last = Refused;
        break;
      }
      if (wrong) break;
      e2_[address] = command_[3];
      e2Memory_.store(address, 1);
      break;
    default:
      wire_.log("unknown-command " + hex4(command_[0]));
      last = Refused;
      break;
  }
  if (wrong) wire_.log("fault wrong-answer");
  echo.push_back(last);
  ++commands_;
}

}  // namespace zen::fake
