// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A mass refresh: the master server's list, one paced burst of status queries, the counting of
// replies until they stop (4020 ms after the last one), then one rebuild of every view. It
// belongs to the main window, which plugs in its views, status bars, log and notice through
// TMassRefreshHost; the command-line tool plugs in a headless host.

#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include "query/master_query.h"
#include "query/query_pacing.h"

namespace zorvane {

class TServer;
class TServerStash;

// The progress bar shows the share the status line shows: the queries sent until the first
// reply comes in, then the replies counted (the "Receiving Replies..." figure).
struct TRefreshProgress {
  enum TPhase { Querying, Replies };
  TPhase phase = Querying;
  int percent = 0;
  bool operator==(const TRefreshProgress&) const = default;
};

class TMassRefreshHost {
 public:
  virtual ~TMassRefreshHost() = default;
  virtual void ActivityLog(const QString& text) = 0;
  // Written only in debug mode, with the " :: " prefix.
  virtual void DebugLog(const QString& text) = 0;
  // Every status bar and the current view.
  virtual void ShowStatus(const QString& text) = 0;
  // Stops the favourites view's auto refresh; true when it was running.
  virtual bool StopFavoritesAutoRefresh() { return false; }
  virtual void RestartFavoritesAutoRefresh() {}
  virtual void StopReplyWaitTimers() {}
  virtual void RestartReplyWaitTimers() {}
  virtual void StopNotificationTimers() {}
  // Every visible view drops the rows of servers of the variant (a whole list named none).
  virtual void RemoveServersOfGame(const QString& variant) { Q_UNUSED(variant); }
  virtual void SetMassRefreshing(bool on) { Q_UNUSED(on); }
  // Every visible view rebuilds its server grid from the stash.
  virtual void RebuildViews() {}
  // Every visible view selects again the server selected before.
  virtual void ReselectServers() {}
  // Window caption, tray tip and both monitors.
  virtual void RefreshCaptionAndMonitors() {}
  // The notice that few servers replied; the host decides whether it is shown (the user may
  // have asked not to see it again).
  virtual void ShowLowReplyNotice(const QString& text) = 0;
  // The master gave no usable list (the text of MasterFailureText); the refresh ends after it.
  virtual void ShowMasterFailure(const QString& text) { Q_UNUSED(text); }
  // Called once the refresh is over (also after a failed master query).
  virtual void MassRefreshFinished() {}
  virtual void ShowProgress(const TRefreshProgress& progress) { Q_UNUSED(progress); }
};

// What a refresh does with its master's answer.
struct TRefreshPlan {
  bool query = false;          // query every server of the stash
  bool dropRows = false;       // the views drop the variant's rows: a whole list named none
  bool tellFailure = false;    // the user is told that the master failed
  bool replacesCache = false;  // the list may replace the server cache once its replies are in
  bool operator==(const TRefreshPlan&) const = default;
};
// A failed master changes nothing that was listed; a cut list adds its servers but neither
// drops rows nor replaces the cache; only a whole list does.
TRefreshPlan PlanRefresh(const TMasterOutcome& outcome);

// "UT Master Server 127.0.0.1:28900: Could not open connection to GameSpy".
QString MasterFailureText(const QString& variant, const TMasterAddress& master,
                          const QString& failure);

// How far a server has answered its last query, asked when the stash reports it.
enum class TServerAnswer {
  Nothing,  // nothing completed yet
  Refused,  // its port is closed: the system answered for it, not the server
  Part,     // the first replies of several (UT2003/UT2004: information, rules or players due)
  Whole,    // every reply asked of it
};
TServerAnswer ServerAnswer(const TServer& server);

class TMassRefresh : public QObject {
  Q_OBJECT
 public:
  static constexpr int kReplyWaitMs = 4020;

  TMassRefresh(TServerStash& stash, TMassRefreshHost& host, QObject* parent = nullptr);

  int QueryPower = kDefaultQueryPower;  // told by the window from the settings
  TMasterAddress Master;
  TMasterQueryOptions MasterOptions;

  bool MassRefreshing() const { return massRefreshing_; }
  bool ProcessingReplies() const { return processingReplies_; }
  // Servers that answered (a closed port does not count).
  int RepliesCounted() const { return repliesCounted_; }
  int ReplyPercent() const { return replyPercent_; }
  int ServersListed() const { return master_.added; }
  // The last master query's outcome, and what the refresh made of it.
  const TMasterOutcome& MasterOutcome() const { return master_; }
  TRefreshPlan Plan() const { return PlanRefresh(master_); }
  // True while the burst is still sending (replies are counted meanwhile).
  bool Sending() const { return sending_; }
  // Servers of the last burst that could not be queried for want of sockets.
  int NoSocketCount() const { return noSocket_; }
  QTimer& WaitTimer() { return timMassRefreshWait_; }

  // Returns false when the refresh ended with the master (no server to query).
  bool StartMassRefresh(const QString& variant);
  // Starts the burst over every server of the stash; the reply wait starts when it has been
  // sent. The burst yields to the event loop at every pause, so replies are read meanwhile.
  void SendBurst();
  // The stash's update of a server. True when the mass refresh took it (counting, or ignoring
  // it while processing); false means the window handles it as an ordinary update. A server
  // is counted once per refresh, when it first answers; the wait restarts then and when it
  // has sent every reply asked of it, not for each datagram in between. Once every server has
  // sent them all (or its port refused), the replies are processed without waiting.
  bool ServerUpdated(const QString& key);
  void ProcessMassRefreshReplies();
  // Ends the refresh now: the queries not yet sent are dropped (their servers keep what they
  // had), the reply wait ends and the replies so far are shown, without the low-reply notice.
  // Nothing when none runs.
  void Stop();

 private:
  void BurstSent(int noSocket);
  void ShowReplyProgress();

  TServerStash& stash_;
  TMassRefreshHost& host_;
  QTimer timMassRefreshWait_;
  TMasterOutcome master_;
  bool massRefreshing_ = false;
  bool processingReplies_ = false;
  bool autoRefreshWasOn_ = false;
  bool stopped_ = false;
  int repliesCounted_ = 0;
  int replyPercent_ = -1;
  int noSocket_ = 0;
  int sentCount_ = 0;
  bool sending_ = false;
  QSet<QString> counted_;  // lower-cased keys of the servers that answered in this refresh
  QSet<QString> settled_;  // ... that sent every reply asked of them, or refused
};

// round(part * 100 / whole), halves to even.
int RoundedPercent(int part, int whole);

}  // namespace zorvane
