// The instrument's USB-to-serial bridge, a Silicon Labs CP210x. Linux shows
// it as a ttyUSB serial device; device n is the n-th serial port whose USB
// vendor is Silicon Labs.
#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <optional>

#include "link/qt/serial_line.h"
#include "link/usb_bridge.h"

namespace zen {

inline constexpr quint16 SiliconLabsVendorId = 0x10C4;

struct SerialPortEntry {
  QString systemLocation;  // for example /dev/ttyUSB0
  std::optional<quint16> vendorId;
  QString description;  // what the system calls it, for example "CP2102 USB to UART Bridge Controller"
};
using SerialPortLister = std::function<QList<SerialPortEntry>()>;

// The serial ports the system has now.
QList<SerialPortEntry> availableSerialPorts();

class Cp210xBridge : public UsbBridge {
 public:
  explicit Cp210xBridge(SerialPortLister lister = availableSerialPorts);

  int deviceCount() override;
  int open(int device) override;
  void setBaudRate(std::uint32_t baud) override;
  void flushBuffers() override;
  void close() override { line_.close(); }
  bool isOpen() const override { return line_.isOpen(); }
  bool write(std::span<const std::uint8_t> bytes) override { return line_.write(bytes); }
  std::string deviceName() const override { return line_.device().toStdString(); }

 private:
  QList<QString> bridges() const;

  SerialPortLister lister_;
  SerialLine line_;
};

}  // namespace zen
