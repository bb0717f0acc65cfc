// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Leaves the test process a given number of free descriptors while it lives: the open-file
// limit is lowered and every descriptor below it but those few is taken. Sockets shared by
// many servers make "no socket" depend on descriptors, not on servers, so tests of what
// happens without one squeeze the descriptors themselves. (The sanitizers' runtime needs two
// free descriptors to check an object's type: code run with fewer must make no new objects
// that it checks.)

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <vector>

namespace zorvane::testing {

class DescriptorSqueeze {
 public:
  explicit DescriptorSqueeze(int free, rlim_t limit = 64) {
    getrlimit(RLIMIT_NOFILE, &saved_);
    rlimit tight = saved_;
    tight.rlim_cur = limit;
    setrlimit(RLIMIT_NOFILE, &tight);
    for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) taken_.push_back(fd);
    for (int i = 0; i < free && !taken_.empty(); ++i) {
      ::close(taken_.back());
      taken_.pop_back();
    }
  }
  ~DescriptorSqueeze() { Release(); }
  DescriptorSqueeze(const DescriptorSqueeze&) = delete;
  DescriptorSqueeze& operator=(const DescriptorSqueeze&) = delete;

  void Release() {
    for (const int fd : taken_) ::close(fd);
    taken_.clear();
    setrlimit(RLIMIT_NOFILE, &saved_);
  }

 private:
  rlimit saved_{};
  std::vector<int> taken_;
};

}  // namespace zorvane::testing
