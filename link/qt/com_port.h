// COM port names of the instrument's link mapped to serial devices.
#pragma once

#include <QString>
#include <string>

class QSerialPort;

namespace zen {

class IniFile;

// "COMn" is /dev/ttyS(n-1) unless section "Devices" of SM.INI names another
// device for it (for example COM3=/dev/ttyUSB0).
std::string comPortDevice(const IniFile& ini, int comPort);

// Opens the device at 19200 Bd, 8 data bits, no parity, 1 stop bit, no flow control, DTR on.
bool openSerialPort(QSerialPort& port, const QString& device);

}  // namespace zen
