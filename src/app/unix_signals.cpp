// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/unix_signals.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace zorvane {

namespace {

// A signal handler can only reach the write end of the pipe through a variable of its own:
// the one file-level variable of the program, written once by the watcher.
int g_signalWriteFd = -1;

void HandleSignal(int) {
  const char byte = 1;
  if (g_signalWriteFd >= 0) [[maybe_unused]] auto n = ::write(g_signalWriteFd, &byte, 1);
}

}  // namespace

TUnixSignalWatcher::TUnixSignalWatcher(QObject* parent) : QObject(parent) {
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds_) != 0) return;
  g_signalWriteFd = fds_[0];
  notifier_ = new QSocketNotifier(fds_[1], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] {
    char byte;
    [[maybe_unused]] auto n = ::read(fds_[1], &byte, 1);
    Q_EMIT Terminated();
  });
  struct sigaction action = {};
  action.sa_handler = HandleSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

TUnixSignalWatcher::~TUnixSignalWatcher() {
  signal(SIGTERM, SIG_DFL);
  signal(SIGINT, SIG_DFL);
  g_signalWriteFd = -1;
  for (int fd : fds_)
    if (fd >= 0) ::close(fd);
}

}  // namespace zorvane
