// One serial device for the link: 19200 Bd, 8 data bits, no parity, 1 stop
// bit, no flow control, DTR on, RTS raised only while sending (half-duplex
// converters key their transmitter from it). Received bytes are handed on as
// they arrive, so no read interval applies. The first error after opening
// closes the line and is reported once, since a pulled cable or a vanished
// peer makes the port report errors without end; so does a write that has
// not left within the write time-out.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <span>

class QSerialPort;

namespace zen {

class SerialLine : public QObject {
  Q_OBJECT
 public:
  explicit SerialLine(QObject* parent = nullptr);
  ~SerialLine() override;

  // Closes what was open, then opens device; false when it cannot be opened.
  static constexpr int WriteTimeoutMs = 1500;

  bool open(const QString& device);
  void close();
  bool isOpen() const;
  // Returns once the bytes have left the port; false when they could not be
  // handed over within the write time-out (the line is then closed as lost).
  bool write(std::span<const std::uint8_t> bytes);
  void flush();
  QSerialPort* port() const { return port_; }
  QString device() const { return device_; }

  std::function<void(std::span<const std::uint8_t>)> onReceived;
  // The line failed and is closed now; called once per opening.
  std::function<void(const QString& reason)> onLost;

 private:
  void readAvailable();
  void failed(int error);
  void lose(const QString& reason);

  QSerialPort* port_;
  QString device_;
  bool lost_ = false;
  bool opening_ = false;
};

}  // namespace zen
