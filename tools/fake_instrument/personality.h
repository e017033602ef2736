// What the fake instrument plays on the line. The frame-speaking instrument
// is one personality; others (a bootloader) plug into the same loop.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zen::fake {

// The line as a personality sees it.
class Wire {
 public:
  virtual ~Wire() = default;
  // Sends bytes after delayMs (0: now); sends due at the same time keep their order.
  virtual void send(std::vector<std::uint8_t> bytes, double delayMs = 0) = 0;
  // Drops the line at once, as a pulled cable would.
  virtual void disconnect() = 0;
  // One line on standard output for whoever watches the fake.
  virtual void log(const std::string& line) = 0;
};

class Personality {
 public:
  virtual ~Personality() = default;
  virtual void receive(std::span<const std::uint8_t> bytes) = 0;
  // Periodic work; returns the time of its next call.
  virtual double tick(double nowMs) = 0;
  // A command line from standard input; false when it is not understood.
  virtual bool command(const std::string& line) = 0;
};

// The faults a personality plays, by the names the command line uses.
template <class Fault>
struct NamedFault {
  Fault fault;
  const char* name;
};

template <class Fault, std::size_t N>
std::optional<Fault> faultByName(const NamedFault<Fault> (&faults)[N], const std::string& name) {
  for (const NamedFault<Fault>& f : faults)
    if (name == f.name) return f.fault;
  return std::nullopt;
}

}  // namespace zen::fake
