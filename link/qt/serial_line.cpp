#include "link/qt/serial_line.h"

#include <termios.h>

#include <QElapsedTimer>
#include <QSerialPort>
#include <array>

#include "link/qt/com_port.h"

namespace zen {

SerialLine::SerialLine(QObject* parent) : QObject(parent), port_(new QSerialPort(this)) {
  connect(port_, &QSerialPort::readyRead, this, &SerialLine::readAvailable);
  connect(port_, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) { failed(e); });
}

SerialLine::~SerialLine() { onLost = nullptr; }

bool SerialLine::open(const QString& device) {
  close();
  device_ = device;
  lost_ = false;
  // Line settings a device does not support (DTR on a pseudo-terminal) are no failure.
  opening_ = true;
  const bool opened = openSerialPort(*port_, device);
  opening_ = false;
  return opened;
}

void SerialLine::close() {
  if (port_->isOpen()) port_->close();
}

bool SerialLine::isOpen() const { return port_->isOpen(); }

bool SerialLine::write(std::span<const std::uint8_t> bytes) {
  if (!port_->isOpen()) return false;
  const auto size = static_cast<qint64>(bytes.size());
  // A pseudo-terminal has no RTS: the port then reports an unsupported operation, which is no failure.
  port_->setRequestToSend(true);
  bool sent = port_->write(reinterpret_cast<const char*>(bytes.data()), size) == size;
  QElapsedTimer clock;
  clock.start();
  while (sent && port_->isOpen() && port_->bytesToWrite() > 0) {
    const qint64 left = WriteTimeoutMs - clock.elapsed();
    if (left <= 0 || !port_->waitForBytesWritten(static_cast<int>(left))) sent = false;
  }
  if (!port_->isOpen()) return false;
  // The converter may turn round only once the last stop bit is out.
  if (sent) ::tcdrain(static_cast<int>(port_->handle()));
  port_->setRequestToSend(false);
  if (!sent && !lost_) lose(QStringLiteral("the device took no data for %1 s").arg(WriteTimeoutMs / 1000.0));
  return sent;
}

void SerialLine::flush() {
  if (port_->isOpen()) port_->clear();
}

void SerialLine::readAvailable() {
  std::array<char, 4096> buffer;
  while (port_->isOpen()) {
    const qint64 got = port_->read(buffer.data(), buffer.size());
    if (got <= 0) break;
    if (onReceived)
      onReceived(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(buffer.data()),
                                               static_cast<std::size_t>(got)));
  }
}

void SerialLine::failed(int error) {
  switch (error) {
    case QSerialPort::NoError:
    case QSerialPort::TimeoutError:
    case QSerialPort::NotOpenError:
    case QSerialPort::UnsupportedOperationError:
      return;
    default:
      break;
  }
  if (opening_ || lost_ || !port_->isOpen()) return;
  // Qt's own text here is often a stale system error ("No such file or directory").
  QString reason;
  switch (error) {
    case QSerialPort::ResourceError:
      reason = QStringLiteral("the device went away (cable unplugged, or the other end closed)");
      break;
    case QSerialPort::ReadError:
      reason = QStringLiteral("the device could not be read (cable unplugged, or the other end closed)");
      break;
    case QSerialPort::WriteError:
      reason = QStringLiteral("the device could not be written");
      break;
    default:
      reason = QStringLiteral("the device reported an error (%1)").arg(port_->errorString());
      break;
  }
  lose(reason);
}

void SerialLine::lose(const QString& reason) {
  lost_ = true;
  port_->clear();
  port_->close();
  if (onLost) onLost(reason);
}

}  // namespace zen
