// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// TRefreshCycle: the refreshes of one server view. It sends the view's list (paced, through
// the stash's bursts) or one server, waits for the replies, marks the servers that stayed
// silent and gives silent servers known by name one fresh look-up and one more query. It owns
// the view's automatic-refresh, reply-wait and re-resolve timers.
//
// Which servers are still awaited is decided from the records: a server is awaited from the
// moment the cycle asks it until its record is complete again. Asking clears the record's
// ReplyComplete; the stash sets it when a reply (or a refusal) completes the record. So a
// refused server counts as answered, as its row then shows the refusal, and only the
// servers that sent nothing at all are marked silent.
//
// The view draws; the cycle tells it what through TRefreshCycleView.

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include "query/query_pacing.h"

namespace zorvane {

class TServer;
class TServerStash;

// What the cycle needs from its view.
class TRefreshCycleView {
 public:
  virtual ~TRefreshCycleView() = default;
  // The servers the view lists (before its filters): the list refresh asks these.
  virtual bool BelongsToView(const TServer& server) const = 0;
  // The server the automatic refresh of only the selected server asks; empty for none.
  virtual QString SelectedServerKey() const = 0;
  // The server was just asked: its row shows the awaited mark.
  virtual void ShowAwaited(const QString& key) = 0;
  // These servers sent nothing before the wait ended; their records are reset already.
  virtual void ShowSilent(const QStringList& keys) = 0;
  // A problem of the refresh, for the status line and the activity log.
  virtual void ShowWarning(const QString& text) = 0;
  // One server was refreshed by command or by the automatic refresh.
  virtual void ServerRefreshed(const QString& key) = 0;
  // The list refresh has been sent; the reply wait has started.
  virtual void ListRefreshSent() = 0;
  virtual void DebugLog(const QString& text) = 0;
};

class TRefreshCycle : public QObject {
  Q_OBJECT
 public:
  static constexpr int kReResolveMs = 1000;

  explicit TRefreshCycle(TRefreshCycleView& view, QObject* parent = nullptr);
  ~TRefreshCycle() override;

  void SetStash(TServerStash* stash) { stash_ = stash; }

  // ---- Settings
  int AutoRefreshRate() const { return autoRefreshRate_; }
  // A changed rate restarts the automatic refresh with it (stops it for 0 or less).
  void SetAutoRefreshRate(int ms);
  bool AutoRefreshSelectedServerOnly() const { return autoRefreshSelectedOnly_; }
  void SetAutoRefreshSelectedServerOnly(bool on) { autoRefreshSelectedOnly_ = on; }
  int PingWaitTime() const { return pingWaitTime_; }
  // The reply wait's length; a running wait keeps running.
  void SetPingWaitTime(int ms);
  int QueryPower() const { return queryPower_; }
  void SetQueryPower(int power) { queryPower_ = power; }

  // ---- Commands
  // Asks one server (when the stash knows it); starts no wait.
  void RefreshServer(const QString& key);
  // Asks the view's selected server and waits for it afresh.
  void RefreshSelectedServer();
  // Asks every server of the view in one paced burst; the wait starts once it is sent. A
  // burst of this cycle still sending gives way to the new one.
  void RefreshServerList();
  void StartAutoRefresh();
  // True when the automatic refresh was running.
  bool StopAutoRefresh();
  void RestartReplyWait();
  void StopReplyWait();
  void StopAllTimers();

  // ---- The timers' work (public so that tests need not wait for them)
  void AutoRefreshDue();
  // The end of the wait for replies: the servers still awaited are silent.
  void ReplyWaitOver();
  // The second query of silent servers whose name was looked up again.
  void ReResolveRetry();

  QTimer& AutoRefreshTimer() { return autoRefresh_; }
  QTimer& ReplyWaitTimer() { return replyWait_; }
  QTimer& ReResolveTimer() { return reResolve_; }

  // Asked by this cycle and not answered since.
  bool Awaited(const QString& key) const;

 private:
  // Belongs to the view or has not answered at all (no game type yet, so no view's so far).
  bool AwaitedByView(const TServer& server) const;
  // Marks the server (by its stash key) asked: awaited until its record is complete.
  void Ask(const QString& key, TServer& server);

  TRefreshCycleView& view_;
  TServerStash* stash_ = nullptr;
  int autoRefreshRate_ = -1;
  bool autoRefreshSelectedOnly_ = false;
  int pingWaitTime_ = 2000;
  int queryPower_ = kDefaultQueryPower;
  QSet<QString> asked_;  // stash keys asked since the last wait ended
  QTimer autoRefresh_;
  QTimer replyWait_;
  QTimer reResolve_;
};

}  // namespace zorvane
