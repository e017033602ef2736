#include "link/qt/cp210x_bridge.h"

#include <QSerialPort>
#include <QSerialPortInfo>

namespace zen {

QList<SerialPortEntry> availableSerialPorts() {
  QList<SerialPortEntry> ports;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    SerialPortEntry entry{info.systemLocation(), std::nullopt, info.description()};
    if (entry.description.isEmpty()) entry.description = info.manufacturer();
    if (info.hasVendorIdentifier()) entry.vendorId = info.vendorIdentifier();
    ports << entry;
  }
  return ports;
}

Cp210xBridge::Cp210xBridge(SerialPortLister lister) : lister_(std::move(lister)) {
  line_.onReceived = [this](std::span<const std::uint8_t> bytes) {
    if (onReceived) onReceived(bytes);
  };
  line_.onLost = [this](const QString& reason) {
    if (onLost) onLost(reason.toStdString());
  };
}

QList<QString> Cp210xBridge::bridges() const {
  QList<QString> found;
  for (const SerialPortEntry& port : lister_())
    if (port.vendorId == SiliconLabsVendorId) found << port.systemLocation;
  return found;
}

int Cp210xBridge::deviceCount() { return static_cast<int>(bridges().size()); }

int Cp210xBridge::open(int device) {
  const QList<QString> found = bridges();
  if (device < 0 || device >= found.size()) return -1;
  return line_.open(found[device]) ? 0 : -1;
}

void Cp210xBridge::setBaudRate(std::uint32_t baud) {
  if (line_.isOpen()) line_.port()->setBaudRate(static_cast<qint32>(baud));
}

void Cp210xBridge::flushBuffers() { line_.flush(); }

}  // namespace zen
