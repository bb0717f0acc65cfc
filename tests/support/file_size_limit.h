// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A disk that fills up, for as long as this lives: no file of the process grows past `bytes`
// (the write fails with EFBIG instead of the process being stopped).

#include <csignal>
#include <sys/resource.h>

namespace zorvane::testing {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) : oldSignal_(std::signal(SIGXFSZ, SIG_IGN)) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    const rlimit small{bytes, old_.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &small);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldSignal_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  void (*oldSignal_)(int);
  rlimit old_{};
};

}  // namespace zorvane::testing
