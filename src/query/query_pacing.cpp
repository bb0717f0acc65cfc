// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/query_pacing.h"

namespace zorvane {

TQueryPacer::TQueryPacer(int queryPower, TDebugLog debugLog)
    : power_(queryPower), debugLog_(std::move(debugLog)) {}

int TQueryPacer::AfterQuery(int index, int count) {
  if (index >= count - 1 || power_ < 1) return 0;
  if (power_ < 10) {
    if (counter_ >= 10 - power_) {
      counter_ = 1;
      return Pause(index, 1);
    }
    ++counter_;
    return 0;
  }
  const int ms = power_ / 10;
  return ms > 0 ? Pause(index, ms) : 0;
}

int TQueryPacer::Pause(int index, int milliseconds) {
  if (debugLog_)
    debugLog_(QStringLiteral("On loop #%1, sleep was requested for %2 ms.").arg(index).arg(milliseconds));
  ++pauses_;
  return milliseconds;
}

}  // namespace zorvane
