// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A mass refresh: every master of the game asked at once, the servers of each list queried in
// one paced burst as soon as the list is in, the counting of replies until they stop (4020 ms
// after the last one) once every master is done, then one rebuild of every view. Nothing in it
// waits: the window stays live throughout, and Stop ends the masters and the burst at once. It
// belongs to the main window, which plugs in its views, status bars, log and notices through
// TMassRefreshHost; the command-line tool plugs in a headless host.

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "browse/parted_pass.h"
#include "query/master_query.h"
#include "query/query_pacing.h"

namespace zorvane {

class TMasterSetQuery;
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
  // The visible views rebuild their server grids from the stash a part at a time, a few
  // milliseconds per turn of the event loop: while a master is still out (the servers of the
  // lists in so far), and at the end. How many views there are, and the next part of one
  // (start: its first part of this pass; what an earlier pass left unfinished is dropped);
  // true once that view shows the stash.
  virtual int ViewCount() { return 1; }
  virtual bool RebuildView(int index, bool start) {
    Q_UNUSED(index);
    Q_UNUSED(start);
    return true;
  }
  // Every visible view selects again the server selected before.
  virtual void ReselectServers() {}
  // Window caption, tray tip and both monitors.
  virtual void RefreshCaptionAndMonitors() {}
  // The notice that few servers replied; the host decides whether it is shown (the user may
  // have asked not to see it again).
  virtual void ShowLowReplyNotice(const QString& text) = 0;
  // No master of the game gave a list: one line of MasterFailureText per master, separated by
  // line breaks ("\r\n"). The servers listed before stay; the refresh ends after it.
  virtual void ShowMasterFailure(const QString& text) { Q_UNUSED(text); }
  // Called once the refresh is over (also after the masters failed).
  virtual void MassRefreshFinished() {}
  virtual void ShowProgress(const TRefreshProgress& progress) { Q_UNUSED(progress); }
};

// What a refresh does with its masters' answers.
struct TRefreshPlan {
  bool query = false;           // some list named servers: they are queried
  bool removeUnlisted = false;  // every master gave a whole list: the servers none named go
  bool dropRows = false;        // ... and none named any: the views drop the game's rows at once
  bool tellFailure = false;     // no master gave a list: the user is told why, master by master
  bool replacesCache = false;   // some master gave a whole list: it may replace the server cache
  bool operator==(const TRefreshPlan&) const = default;
};
// outcomes are those of the masters done, asked the number of masters asked, listed the servers
// their lists named (each once). Only a whole list from every master tells which servers are
// gone: a master that failed, cut its list or was not waited for keeps every server listed.
TRefreshPlan PlanRefresh(const std::vector<TMasterOutcome>& outcomes, int asked, int listed);

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
  // While a master is still out, the servers of the lists in so far are shown once they have
  // all answered, or this long after their queries went out.
  static constexpr int kInterimShowMs = 500;
  // A list's servers are added to the stash this many per turn of the event loop, so a long
  // list holds the window for a few milliseconds at a time.
  static constexpr int kAddsPerTurn = 400;

  TMassRefresh(TServerStash& stash, TMassRefreshHost& host, QObject* parent = nullptr);
  ~TMassRefresh() override;

  int QueryPower = kDefaultQueryPower;  // told by the window from the settings
  TMasterLists Masters;                 // the masters of each game, asked in this order
  TMasterQueryOptions MasterOptions;

  // From the start until the replies have been processed (the masters' time included, and
  // the turns the views take to be rebuilt at the end).
  bool MassRefreshing() const { return massRefreshing_; }
  bool MastersRunning() const;
  bool ProcessingReplies() const { return processingReplies_; }
  // Servers that answered (a closed port does not count).
  int RepliesCounted() const { return repliesCounted_; }
  int ReplyPercent() const { return replyPercent_; }
  // The servers the lists named, each once, and those queried (the same, but for SendBurst).
  int ServersListed() const;
  int ServersQueried() const { return massRefreshing_ ? int(queried_.size()) : serversQueried_; }
  // What became of each master of the last refresh, in the order they finished.
  std::vector<TMasterOutcome> MasterOutcomes() const;
  TRefreshPlan Plan() const;
  // True while the burst is still sending (replies are counted meanwhile).
  bool Sending() const { return sending_; }
  // Servers of the last burst that could not be queried for want of sockets.
  int NoSocketCount() const { return noSocket_; }
  QTimer& WaitTimer() { return timMassRefreshWait_; }

  // Asks every master of the variant's game; false when there is none to ask (nothing runs).
  bool StartMassRefresh(const QString& variant);
  // Queries every server of the stash, without a master; the reply wait starts when the burst
  // has been sent. The burst yields to the event loop at every pause, so replies are read
  // meanwhile.
  void SendBurst();
  // The stash's update of a server. True when the mass refresh took it (counting, or ignoring
  // it while processing); false means the window handles it as an ordinary update (also for a
  // server this refresh did not ask, while its masters are out, say). A server
  // is counted once per refresh, when it first answers; the wait restarts then and when it
  // has sent every reply asked of it, not for each datagram in between. Once every master is
  // done and every server queried has sent them all (or its port refused), the replies are
  // processed without waiting.
  bool ServerUpdated(const QString& key);
  // Ends the counting and rebuilds the views, over as many turns of the event loop as that
  // takes; the refresh is over once they are rebuilt.
  void ProcessMassRefreshReplies();
  // Ends the refresh now: the masters still out and the queries not yet sent are dropped (their
  // servers keep what they had, and nothing is removed), the reply wait ends and the replies so
  // far are shown, without the low-reply notice. Nothing when none runs.
  void Stop();

 private:
  void BeginCounting();
  void TakeList(const TMasterOutcome& outcome, const std::vector<TMasterEntry>& fresh);
  // Adds the next of the servers listed to the stash and has them queried.
  void AddListed();
  void MastersDone();
  // Queries keys (added to those of this refresh) in the refresh's one burst.
  void Query(const QStringList& keys);
  void BurstSent(int noSocket);
  // What comes next once the masters, the burst or the replies have moved on.
  void CheckDone();
  void ShowInterim();
  void RebuildNextView();
  // Goes on with the views' rebuild for one slice of a turn; true once the last is done.
  bool RebuildViews();
  void ContinueProcessing();
  // The end of a refresh that queried nothing.
  void EndWithoutReplies();
  void ShowReplyProgress();

  TServerStash& stash_;
  TMassRefreshHost& host_;
  QTimer timMassRefreshWait_;
  QTimer interim_;
  QTimer adding_;    // the next turn of AddListed
  QTimer nextView_;  // the next turn of RebuildNextView
  QTimer processing_;  // the next turn of ContinueProcessing
  TPartedPass rebuild_;        // the views rebuilt, while a master is out or at the end
  bool interimPass_ = false;  // ... while a master is out
  std::deque<TMasterEntry> toAdd_;
  std::unique_ptr<TMasterSetQuery> masters_;
  QString variant_;
  QString querying_;  // "N servers available. Querying individual servers... "
  bool massRefreshing_ = false;
  bool processingReplies_ = false;
  bool autoRefreshWasOn_ = false;
  bool stopped_ = false;
  bool waiting_ = false;         // "Waiting for replies..." was shown
  bool interimPending_ = false;  // servers were queried since the views last showed them
  int repliesCounted_ = 0;
  int replyPercent_ = -1;
  int queryPercent_ = -1;
  int noSocket_ = 0;
  int sentCount_ = 0;
  bool sending_ = false;
  // The stash's handles of the servers queried in this refresh, each with what it has done so
  // far (one look-up of a number per reply); and how many have answered, and settled.
  enum TServerState : std::uint8_t { kCounted = 1, kSettled = 2 };
  QHash<quint32, std::uint8_t> queried_;
  int settledCount_ = 0;
  int serversQueried_ = 0;  // queried_'s count once the refresh is over and its keys gone
};

// round(part * 100 / whole), halves to even.
int RoundedPercent(int part, int whole);

}  // namespace zorvane
