// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The mass refresh as the window runs it: the refresh itself, its view of the window (the
// visible server views, the favourites' automatic refresh, the notices), the progress bar under
// the pages while it runs and Stop, which ends it with what has come in so far; and "Ping All
// Server Lists".

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "browse/mass_refresh.h"
#include "gui/window/window_context.h"

class QAction;
class QMenu;
class QProgressBar;
class QToolBar;

namespace zorvane {

// What the refresh asks of the rest of the window.
struct TMassRefreshHooks {
  // Before a refresh starts (the one-time offer of new tabs); false: the window has closed.
  std::function<bool(const QString& variant)> beforeStart;
  std::function<void()> refreshMonitors;
  std::function<void()> stopNotificationTimers;
  std::function<void()> finished;
};

class TMassRefreshController : public QObject, private TMassRefreshHost {
  Q_OBJECT
 public:
  TMassRefreshController(TWindowContext& context, TMassRefreshHooks hooks);
  ~TMassRefreshController() override;

  TMassRefresh& Refresh() { return *massRefresh_; }
  // Stop in the Server menu (Esc) and on the tool bar, and the progress bar.
  void CreateStopControls(QMenu* serverMenu, QToolBar* toolBar);
  // Asks every master of variant and queries the servers they list (nothing while one runs).
  void Start(const QString& variant);
  // Pings the servers of every shown list, the favourites' automatic refresh paused meanwhile.
  void PingAllServerLists();

 private:
  void ActivityLog(const QString& text) override { context_.log(text); }
  void DebugLog(const QString& text) override { context_.debugLog(text); }
  void ShowStatus(const QString& text) override;
  bool StopFavoritesAutoRefresh() override;
  void RestartFavoritesAutoRefresh() override;
  void StopReplyWaitTimers() override;
  void RestartReplyWaitTimers() override;
  void RemoveServersOfGame(const QString& variant) override;
  void SetMassRefreshing(bool on) override;
  int ViewCount() override;
  bool RebuildView(int index, bool start) override;
  void ReselectServers() override;
  void ShowLowReplyNotice(const QString& text) override;
  void ShowMasterFailure(const QString& text) override;
  void RefreshCaptionAndMonitors() override { hooks_.refreshMonitors(); }
  void ShowProgress(const TRefreshProgress& progress) override;
  void StopNotificationTimers() override { hooks_.stopNotificationTimers(); }
  void MassRefreshFinished() override { hooks_.finished(); }

  TWindowContext& context_;
  TMassRefreshHooks hooks_;
  std::unique_ptr<TMassRefresh> massRefresh_;
  QProgressBar* progress_ = nullptr;  // in the window's status bar
  QAction* stopAction_ = nullptr;
};

}  // namespace zorvane
