// SIGINT and SIGTERM as a Qt signal, so a termination request closes the
// program in order (open dialogs closed, files written) from the first
// moment on. A second request ends the program at once: every file is
// replaced atomically, so nothing is left half-written.
#pragma once

#include <QObject>

namespace zen {

class TerminationSignals : public QObject {
  Q_OBJECT
 public:
  // First thing in main(), before any window or message box exists. A
  // request that comes before the watcher below is kept for it.
  static void installHandlers();
  // Watches for the handlers' requests; without them it only relays what a
  // caller emits.
  explicit TerminationSignals(QObject* parent = nullptr);

 signals:
  void requested();
};

}  // namespace zen
