// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Keeps the kernel's receive time stamps switched on.
//
// The kernel stamps arriving datagrams only while some socket asks for stamps, and it switches
// stamping on a moment after the first such socket appears (deferred work). A reply that
// arrives in that moment is stamped when it is read, which is the very error the stamps are
// there to avoid. Transports come and go with every reply wait, so the stash holds one idle
// socket that asks for stamps for as long as it lives.

namespace zorvane {

class TKernelStampKeeper {
 public:
  TKernelStampKeeper();
  ~TKernelStampKeeper();
  TKernelStampKeeper(const TKernelStampKeeper&) = delete;
  TKernelStampKeeper& operator=(const TKernelStampKeeper&) = delete;

  bool Active() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace zorvane
