// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/open_file_limit.h"

#include <sys/resource.h>

namespace zorvane {

long RaiseOpenFileLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return -1;
  if (limit.rlim_cur < limit.rlim_max) {
    rlimit raised = limit;
    raised.rlim_cur = limit.rlim_max;
    if (setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
  }
  return limit.rlim_cur == RLIM_INFINITY ? -1 : long(limit.rlim_cur);
}

}  // namespace zorvane
