// The USB-to-serial bridge the program prefers over a COM port when one is
// plugged in. Device 0 is opened at start-up and kept until the program ends;
// then every link byte goes through it.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "link/link.h"

namespace zen {

class UsbBridge : public LinkTransport {
 public:
  virtual int deviceCount() = 0;
  // Returns 0 on success.
  virtual int open(int device) = 0;
  virtual void setBaudRate(std::uint32_t baud) = 0;
  virtual void flushBuffers() = 0;
  virtual void close() = 0;

  // Received bytes in arrival order (the link's byte router).
  std::function<void(std::span<const std::uint8_t>)> onReceived;
  // The device failed after opening and is closed; the text says why.
  std::function<void(const std::string& reason)> onLost;
  // Names the opened device in messages.
  virtual std::string deviceName() const { return {}; }
};

class NoUsbBridge : public UsbBridge {
 public:
  int deviceCount() override { return 0; }
  int open(int) override { return -1; }
  void setBaudRate(std::uint32_t) override {}
  void flushBuffers() override {}
  void close() override {}
  bool isOpen() const override { return false; }
  bool write(std::span<const std::uint8_t>) override { return false; }
};

}  // namespace zen
