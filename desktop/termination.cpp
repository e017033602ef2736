#include "desktop/termination.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <csignal>

namespace zen {

namespace {

int requestPipe[2] = {-1, -1};
std::atomic<int> requestCount{0};  // lock-free, so safe in a signal handler

void onTerminationSignal(int signal) {
  if (requestCount.fetch_add(1) > 0) ::_exit(128 + signal);
  const char byte = 1;
  [[maybe_unused]] auto written = ::write(requestPipe[0], &byte, 1);
}

}  // namespace

void TerminationSignals::installHandlers() {
  if (requestPipe[0] >= 0) return;
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, requestPipe) != 0) return;
  struct sigaction action {};
  action.sa_handler = onTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
  if (requestPipe[1] < 0) return;
  auto* notifier = new QSocketNotifier(requestPipe[1], QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, [this] {
    char byte;
    [[maybe_unused]] auto got = ::read(requestPipe[1], &byte, 1);
    emit requested();
  });
}

}  // namespace zen
