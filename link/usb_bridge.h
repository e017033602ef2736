// The USB-to-serial bridge the program prefers over a COM port when one is
// plugged in. Until the bridge driver layer is in place the default bridge
// reports no device; tests substitute their own.
#pragma once

#include <cstdint>
#include <memory>

namespace zen {

class UsbBridge {
 public:
  virtual ~UsbBridge() = default;
  virtual int deviceCount() = 0;
  // Returns 0 on success.
  virtual int open(int device) = 0;
  virtual void setBaudRate(std::uint32_t baud) = 0;
  virtual void flushBuffers() = 0;
  virtual void close() = 0;
};

class NoUsbBridge : public UsbBridge {
 public:
  int deviceCount() override { return 0; }
  int open(int) override { return -1; }
  void setBaudRate(std::uint32_t) override {}
  void flushBuffers() override {}
  void close() override {}
};

}  // namespace zen
