// The link as the desktop program owns it: the transport chosen at start-up
// (the USB bridge if one opens, else the COM port), the byte router fed from
// either, waits that run the Qt event loop, and the user's messages about
// the port. Later windows reach the link through link().
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "link/link.h"
#include "link/qt/serial_line.h"
#include "link/usb_bridge.h"

class QSerialPort;

namespace zen {

class Dialogs;
class SimulationHost;

// Sleeps in the event dispatcher until the next event, then checks again.
class QtLinkWaiter : public LinkWaiter {
 public:
  void waitUntil(const std::function<bool()>& done) override;
  void runPending() override;
};

class QtLink : public QObject, public LinkTransport {
  Q_OBJECT
 public:
  // deviceOf maps a COM port number to the device that stands for it.
  QtLink(SimulationHost& host, Dialogs& dialogs, UsbBridge& usb, std::function<QString(int)> deviceOf,
         QObject* parent = nullptr);
  ~QtLink() override;

  // Start-up: the USB bridge's device 0 if it opens, else COM port n (with
  // a message when it cannot be opened, unless the caller reports it
  // itself). Returns whether USB is used.
  bool start(int comPort, bool reportUnavailable = true);
  static QString unavailableMessage(int comPort);
  // The port selection window: reopen the serial port on COM n.
  bool selectComPort(int n);
  // Program close: every wait ends, and the serial port closes unless USB is used.
  void shutDown();

  Link& link() { return link_; }
  bool usbMode() const { return usbMode_; }
  int comPort() const { return comPort_; }
  QSerialPort* serialPort() const { return comm1_.port(); }

  // LinkTransport: the bridge when USB is used, else the serial port.
  bool isOpen() const override;
  bool write(std::span<const std::uint8_t> bytes) override;
  std::string lineName() const override;

 private:
  void lineLost(bool usb, const QString& reason);

  Dialogs& dialogs_;
  UsbBridge& usb_;
  std::function<QString(int)> deviceOf_;
  QtLinkWaiter waiter_;
  Link link_;
  SerialLine comm1_;
  int comPort_ = 1;
  bool usbMode_ = false;
};

}  // namespace zen
