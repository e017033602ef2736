#include "link/qt/qt_link.h"

#include <QEventLoop>
#include <QSerialPort>
#include <QTimer>

#include "sim/qt/dialogs.h"
#include "sim/simulation_host.h"

namespace zen {

namespace {
// Waits recheck at least this often even if the clock is not running.
constexpr int WaitRecheckMs = 250;
}  // namespace

void QtLinkWaiter::waitUntil(const std::function<bool()>& done) {
  QEventLoop loop;
  QTimer recheck;
  recheck.start(WaitRecheckMs);
  while (!done()) loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void QtLinkWaiter::runPending() {
  QEventLoop loop;
  loop.processEvents(QEventLoop::AllEvents);
}

QtLink::QtLink(SimulationHost& host, Dialogs& dialogs, UsbBridge& usb, std::function<QString(int)> deviceOf,
               QObject* parent)
    : QObject(parent),
      dialogs_(dialogs),
      usb_(usb),
      deviceOf_(std::move(deviceOf)),
      link_(host, waiter_),
      comm1_(this) {
  comm1_.port()->setObjectName("Comm1");
  link_.setTransport(this);
  auto route = [this](std::span<const std::uint8_t> bytes) { link_.receive(bytes); };
  comm1_.onReceived = route;
  usb_.onReceived = route;
  comm1_.onLost = [this](const QString& reason) { lineLost(false, reason); };
  usb_.onLost = [this](const std::string& reason) { lineLost(true, QString::fromStdString(reason)); };
}

QtLink::~QtLink() {
  usb_.onReceived = nullptr;
  usb_.onLost = nullptr;
}

QString QtLink::unavailableMessage(int comPort) {
  return QStringLiteral(
             "Comms port COM%1 is not available, please use \"setup\" to choose an available port.")
      .arg(comPort);
}

bool QtLink::start(int comPort, bool reportUnavailable) {
  comPort_ = comPort;
  usbMode_ = false;
  if (usb_.deviceCount() > 0) {
    if (usb_.open(0) == 0) usbMode_ = true;
    usb_.setBaudRate(19200);
    usb_.flushBuffers();
  }
  if (!usbMode_ && !comm1_.open(deviceOf_(comPort_)) && reportUnavailable)
    dialogs_.showMessage(unavailableMessage(comPort_));
  return usbMode_;
}

bool QtLink::selectComPort(int n) {
  comm1_.close();
  if (!comm1_.open(deviceOf_(n))) {
    dialogs_.showMessage(QStringLiteral("The selected port COM%1 is not available, please choose another if "
                                        "possible or free this port if it is in use by another application.")
                             .arg(n));
    return false;
  }
  comPort_ = n;
  return true;
}

void QtLink::shutDown() {
  link_.cancel();
  if (!usbMode_) comm1_.close();
}

bool QtLink::isOpen() const { return usbMode_ ? usb_.isOpen() : comm1_.isOpen(); }

bool QtLink::write(std::span<const std::uint8_t> bytes) {
  return usbMode_ ? usb_.write(bytes) : comm1_.write(bytes);
}

std::string QtLink::lineName() const {
  if (usbMode_) return "the USB bridge (" + usb_.deviceName() + ")";
  return "COM" + std::to_string(comPort_) + " (" + comm1_.device().toStdString() + ")";
}

void QtLink::lineLost(bool usb, const QString& reason) {
  if (link_.cancelled()) return;
  const QString text =
      usb ? QStringLiteral(
                "The link to the instrument through the USB bridge (%1) was lost: %2. The bridge is "
                "closed; reconnect the instrument and restart the program.")
                .arg(QString::fromStdString(usb_.deviceName()), reason)
          : QStringLiteral(
                "The link to the instrument on COM%1 (%2) was lost: %3. The port is closed; check the "
                "cable, then choose the port again with \"Setup Velonet comms port\".")
                .arg(comPort_)
                .arg(comm1_.device(), reason);
  // Not from inside the port's own notification: a message box runs an event loop of its own.
  QTimer::singleShot(0, this, [this, text] {
    if (!link_.cancelled()) dialogs_.showMessage(text);
  });
}

}  // namespace zen
