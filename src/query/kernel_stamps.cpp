// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/kernel_stamps.h"

#include <sys/socket.h>
#include <unistd.h>

namespace zorvane {

TKernelStampKeeper::TKernelStampKeeper() {
  fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return;
  const int one = 1;
  if (::setsockopt(fd_, SOL_SOCKET, SO_TIMESTAMPNS, &one, sizeof one) != 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

TKernelStampKeeper::~TKernelStampKeeper() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace zorvane
