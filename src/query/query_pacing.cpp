#include "query/query_pacing.h"

#include <QThread>

namespace zorvane {

TQueryPacer::TQueryPacer(int queryPower, TSleep sleep, TDebugLog debugLog)
    : power_(queryPower), sleep_(std::move(sleep)), debugLog_(std::move(debugLog)) {
  if (!sleep_) sleep_ = [](int ms) { QThread::msleep(ulong(ms)); };
}

void TQueryPacer::AfterQuery(int index, int count) {
  if (index >= count - 1 || power_ < 1) return;
  if (power_ < 10) {
    if (counter_ >= 10 - power_) {
      counter_ = 1;
      Pause(index, 1);
    } else {
      ++counter_;
    }
    return;
  }
  if (const int ms = power_ / 10; ms > 0) Pause(index, ms);
}

void TQueryPacer::Pause(int index, int milliseconds) {
  if (debugLog_)
    debugLog_(QStringLiteral("On loop #%1, sleep was requested for %2 ms.").arg(index).arg(milliseconds));
  ++pauses_;
  sleep_(milliseconds);
}

}  // namespace zorvane
