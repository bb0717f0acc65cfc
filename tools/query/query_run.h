// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One query round over a stash: sends the burst, then runs the event loop until every server is
// done or no datagram has completed anything for the wait time.

#include <QEventLoop>
#include <QString>
#include <QTimer>
#include <vector>

#include "tools/query/query_options.h"

namespace zorvane {

class TServer;
class TServerStash;

class TQueryRun {
 public:
  TQueryRun(TServerStash& stash, int waitMs);

  // Adds the targets to the stash; ones it refuses are reported on stderr and left out.
  void Add(const std::vector<TQueryTarget>& targets);
  // Takes in the servers already in the stash (the favourites of a settings file).
  void TrackAll();
  void Run(int queryPower);

 private:
  // Whether a server needs nothing more from this round.
  static bool IsDone(const TServer& server);
  // The reply kinds a server has completed, and whether its reply ended.
  static int Progress(const TServer& server);
  static constexpr int kReplyCompleteBit = 1 << 30;
  void Track(int index);
  void Query(int index);
  void Update(int index);
  void MarkDone(int index);
  void LookupFinished(int index);
  void WaitExpired();

  TServerStash& stash_;
  QEventLoop loop_;
  QTimer wait_;
  std::vector<char> sent_, done_;
  std::vector<int> progress_;  // Progress() as last seen, per server
  int doneCount_ = 0;
  int pendingLookups_ = 0;
  QString lastLog_;
};

}  // namespace zorvane
