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

namespace zorvane {

class TServerStash;

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
  // Every visible view drops the rows of servers of the variant (the list came back empty).
  virtual void RemoveServersOfGame(const QString& variant) { Q_UNUSED(variant); }
  virtual void SetMassRefreshing(bool on) { Q_UNUSED(on); }
  // Every visible view rebuilds its server grid from the stash.
  virtual void RebuildViews() {}
  // Every visible view selects again the server selected before.
  virtual void ReselectServers() {}
  // Window caption, tray tip and both monitors.
  virtual void RefreshCaptionAndMonitors() {}
  // The notice that few servers replied; returns whether "Don't show this message again" was
  // ticked.
  virtual bool ShowLowReplyNotice(const QString& text) = 0;
  // Called once the refresh is over (also after a failed master query).
  virtual void MassRefreshFinished() {}
  // The share of the refresh done, 0 to 100 (see MassRefreshProgress).
  virtual void ShowProgress(int percent) { Q_UNUSED(percent); }
};

// The share of a refresh done, 0 to 100: half for the queries sent, half for the replies
// counted. Replies come in while the burst is still sent, and both halves count them as they
// come, so the share never lags behind what the status line says.
int MassRefreshProgress(int sent, int replied, int count);

class TMassRefresh : public QObject {
  Q_OBJECT
 public:
  static constexpr int kReplyWaitMs = 4020;

  TMassRefresh(TServerStash& stash, TMassRefreshHost& host, QObject* parent = nullptr);

  int QueryPower = 3;
  bool SkipLowReplyInfo = false;
  TMasterAddress Master;
  TMasterQueryOptions MasterOptions;

  bool MassRefreshing() const { return massRefreshing_; }
  bool ProcessingReplies() const { return processingReplies_; }
  int RepliesCounted() const { return repliesCounted_; }
  int ReplyPercent() const { return replyPercent_; }
  int ServersListed() const { return listed_; }
  // True while the burst is still sending (replies are counted meanwhile).
  bool Sending() const { return sending_; }
  // Servers of the last burst that could not be queried for want of sockets.
  int NoSocketCount() const { return noSocket_; }
  QTimer& WaitTimer() { return timMassRefreshWait_; }

  // Returns false when the master added no server (the refresh ended there).
  bool StartMassRefresh(const QString& variant);
  // Starts the burst over every server of the stash; the reply wait starts when it has been
  // sent. The burst yields to the event loop at every pause, so replies are read meanwhile.
  void SendBurst();
  // The stash's update of a server. True when the mass refresh took it (counting, or ignoring
  // it while processing); false means the window handles it as an ordinary update. Each
  // server is counted once per refresh: later updates of it (the rest of a reply) neither
  // count nor extend the wait.
  bool ServerUpdated(const QString& key);
  void ProcessMassRefreshReplies();
  // Ends the refresh now: the queries not yet sent are dropped (their servers keep what they
  // had), the reply wait ends and the replies so far are shown. Nothing when none runs.
  void Stop();

 private:
  void BurstSent(int noSocket);

  TServerStash& stash_;
  TMassRefreshHost& host_;
  QTimer timMassRefreshWait_;
  bool massRefreshing_ = false;
  bool processingReplies_ = false;
  bool autoRefreshWasOn_ = false;
  int repliesCounted_ = 0;
  int replyPercent_ = -1;
  int listed_ = 0;
  int noSocket_ = 0;
  int sentCount_ = 0;
  int progressShown_ = -1;
  void UpdateProgress();
  bool sending_ = false;
  QSet<QString> counted_;  // lower-cased keys of the servers counted in this refresh
};

// round(part * 100 / whole), halves to even.
int RoundedPercent(int part, int whole);

}  // namespace zorvane
