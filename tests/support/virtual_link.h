// The link on the virtual clock: waits advance simulated time, and a
// transport records what was written and when, and may answer.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <vector>

#include "link/link.h"
#include "sim/virtual_host.h"

namespace zen::test {

class VirtualLinkWaiter : public LinkWaiter {
 public:
  explicit VirtualLinkWaiter(VirtualHost& host) : host_(host) {}
  void waitUntil(const std::function<bool()>& done) override {
    const double limit = host_.nowMs() + MaxWaitMs;
    while (!done()) {
      if (host_.nowMs() > limit) throw std::runtime_error("a link wait did not end");
      host_.advance(1);
    }
  }
  void runPending() override { host_.advance(0); }

  static constexpr double MaxWaitMs = 60000;

 private:
  VirtualHost& host_;
};

struct SentFrame {
  double atMs;
  std::vector<std::uint8_t> bytes;
};

class RecordingTransport : public LinkTransport {
 public:
  explicit RecordingTransport(VirtualHost& host) : host_(host) {}
  bool isOpen() const override { return open; }
  bool write(std::span<const std::uint8_t> bytes) override {
    if (!open) return false;
    sent.push_back({host_.nowMs(), {bytes.begin(), bytes.end()}});
    if (onWrite) onWrite(sent.back().bytes);
    return true;
  }

  bool open = true;
  std::vector<SentFrame> sent;
  std::function<void(const std::vector<std::uint8_t>&)> onWrite;

 private:
  VirtualHost& host_;
};

// A link on a fresh virtual host, with the recording transport attached.
struct VirtualLinkRig {
  VirtualLinkRig() { link.setTransport(&transport); }
  // Delivers bytes to the link at a simulated time from now.
  void deliverAfter(double ms, std::vector<std::uint8_t> bytes) {
    host.at(host.nowMs() + ms, [this, bytes = std::move(bytes)] { link.receive(bytes); });
  }

  static VirtualHost::Options withoutFiles() {
    VirtualHost::Options options;
    options.loadFiles = false;
    return options;
  }

  VirtualHost host{withoutFiles()};
  VirtualLinkWaiter waiter{host};
  RecordingTransport transport{host};
  Link link{host, waiter};
};

}  // namespace zen::test
