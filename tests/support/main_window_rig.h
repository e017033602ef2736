// The main window in a fresh program folder whose SM.INI maps COM1, COM2..
// to the given devices; messages are recorded instead of shown.
#pragma once

#include <QSignalSpy>
#include <QStringList>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <memory>

#include "desktop/main_window.h"
#include "link/qt/cp210x_bridge.h"
#include "support/recording_dialogs.h"

namespace zen::test {

struct MainWindowRig {
  explicit MainWindowRig(const QStringList& devices, UsbBridge* usb = nullptr,
                         const std::filesystem::path& programFile = {}) {
    std::ofstream ini(folder / "SM.INI", std::ios::binary);
    ini << "[General]\r\nPORT=1\r\n[Devices]\r\n";
    for (int n = 1; n <= devices.size(); ++n)
      ini << "COM" << n << "=" << devices[n - 1].toStdString() << "\r\n";
    ini.close();
    dialogs.allowAnything();
    window = std::make_unique<TForm1>(
        TForm1::Options{folder, 1, &dialogs, usb ? usb : &noUsb, nullptr, programFile});
    finished = std::make_unique<QSignalSpy>(window.get(), &TForm1::finished);
    window->show();
  }

  QTemporaryDir dir;
  std::filesystem::path folder = dir.path().toStdString();
  RecordingDialogs dialogs;
  NoUsbBridge noUsb;
  std::unique_ptr<TForm1> window;
  std::unique_ptr<QSignalSpy> finished;
};

}  // namespace zen::test
