#include "link/qt/com_port.h"

#include <QSerialPort>

#include "sim/ini_file.h"

namespace zen {

std::string comPortDevice(const IniFile& ini, int comPort) {
  if (auto device = ini.readString("Devices", "COM" + std::to_string(comPort)); device && !device->empty())
    return *device;
  return "/dev/ttyS" + std::to_string(comPort - 1);
}

bool openSerialPort(QSerialPort& port, const QString& device) {
  if (port.isOpen()) port.close();
  port.setPortName(device);
  if (!port.open(QIODevice::ReadWrite)) return false;
  port.setBaudRate(QSerialPort::Baud19200);
  port.setDataBits(QSerialPort::Data8);
  port.setParity(QSerialPort::NoParity);
  port.setStopBits(QSerialPort::OneStop);
  port.setFlowControl(QSerialPort::NoFlowControl);
  port.setDataTerminalReady(true);
  return true;
}

}  // namespace zen
