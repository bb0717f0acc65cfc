// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Runs bursts of status queries paced by TQueryPacer without blocking: a pause is a precise
// timer, so the event loop reads the replies that come in between batches and their pings
// are not held up by the burst. One burst runs at a time; the others wait their turn, so
// bursts started together (every view at once, say) keep the pace of one.
//
// A burst holds server keys, never records: each key is looked up when its turn comes, so a
// server deleted or a stash cleared meanwhile is simply skipped.

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "query/query_pacing.h"

namespace zorvane {

class TServerStash;

struct TBurstOutcome {
  int sent = 0;      // queries that went out (or wait for the server's address)
  int noSocket = 0;  // servers that could not be queried for want of a socket
  bool cancelled = false;
};

struct TBurstRequest {
  // The burst's owner: a new burst of the same owner replaces the one it has queued or
  // running; callbacks are dropped once the owner is destroyed.
  QObject* owner = nullptr;
  QStringList keys;
  // Index and count the pacing rule sees for each key; empty means the key's position in
  // keys and keys.size().
  std::vector<int> paceIndex;
  int paceCount = 0;
  int queryPower = 0;
  TQueryPacer::TDebugLog debugLog;
  // After the query of keys[position] was sent.
  std::function<void(int position)> sent;
  // Once, when the burst ends or is cancelled or replaced.
  std::function<void(const TBurstOutcome&)> finished;
};

class TQueryBurst : public QObject {
  Q_OBJECT
 public:
  // Without a pause the event loop still gets a turn after this many queries.
  static constexpr int kMaxUnbrokenQueries = 64;

  explicit TQueryBurst(TServerStash& stash, QObject* parent = nullptr);
  ~TQueryBurst() override;

  // Sends the first batch at once when no other burst is running.
  void Start(TBurstRequest request);
  // Adds the request's keys to its owner's burst, queued or running, which keeps its own
  // callbacks and pacing; without such a burst, starts the request as Start does.
  void Append(TBurstRequest request);
  void Cancel(const QObject* owner);
  void CancelAll();
  bool Pending(const QObject* owner) const;
  bool Idle() const { return queue_.empty(); }

  // Tests: every pause is reported here and waited out as a zero-length timer instead.
  void SetPauseHook(std::function<void(int ms)> hook) { pauseHook_ = std::move(hook); }

 private:
  struct TBurst;
  void Step();
  void Finish(std::unique_ptr<TBurst> burst, bool cancelled);
  void ResumeSoon();

  TServerStash& stash_;
  std::deque<std::unique_ptr<TBurst>> queue_;  // front: the running burst
  QTimer pause_;
  bool stepping_ = false;
  quint64 lastId_ = 0;
  std::function<void(int ms)> pauseHook_;
};

}  // namespace zorvane
