// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/window/mass_refresh_controller.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolBar>

#include "browse/server_route.h"
#include "config/configuration.h"
#include "gui/dialogs/window_dialogs.h"
#include "gui/view/server_view.h"

namespace zorvane {

TMassRefreshController::TMassRefreshController(TWindowContext& context, TMassRefreshHooks hooks)
    : context_(context), hooks_(std::move(hooks)) {
  TMassRefreshHost& host = *this;
  massRefresh_ = std::make_unique<TMassRefresh>(context_.stash, host);
}

TMassRefreshController::~TMassRefreshController() = default;

void TMassRefreshController::CreateStopControls(QMenu* serverMenu, QToolBar* toolBar) {
  stopAction_ = context_.addAction(serverMenu, "actStopMassRefresh",
                                   QStringLiteral("Stop Master Server Query"), Qt::Key_Escape);
  stopAction_->setIconText(QStringLiteral("Stop"));
  stopAction_->setToolTip(QStringLiteral("Stop the master server query"));
  // Enabled only while a refresh runs, so Esc means nothing to the window otherwise.
  stopAction_->setEnabled(false);
  connect(stopAction_, &QAction::triggered, this, [this] { massRefresh_->Stop(); });
  toolBar->addSeparator();
  toolBar->addAction(stopAction_);

  QStatusBar* bar = context_.window->statusBar();
  progress_ = new QProgressBar(context_.window);
  progress_->setObjectName(QStringLiteral("barMassRefresh"));
  progress_->setRange(0, 100);
  progress_->setMaximumWidth(300);
  bar->addPermanentWidget(progress_);
  bar->setSizeGripEnabled(false);
  bar->hide();
}

void TMassRefreshController::Start(const QString& variant) {
  if (massRefresh_->MassRefreshing()) return;
  // Asked before the list comes in, so that the new tabs are filled with it.
  if (!hooks_.beforeStart(variant) || massRefresh_->MassRefreshing()) return;
  massRefresh_->StartMassRefresh(variant);
}

void TMassRefreshController::PingAllServerLists() {
  TRefreshCycle& favorites = context_.view(QString::fromLatin1(kFavoriteGameType))->RefreshCycle();
  const bool autoWasOn = favorites.StopAutoRefresh();
  favorites.StopReplyWait();
  for (const auto& type : context_.config.tables.gameTypes) {
    if (type->Name.Value.compare(QLatin1StringView(kFavoriteGameType), Qt::CaseInsensitive) == 0)
      continue;
    TkorvUTServerView* view = context_.view(type->Name.Value);
    if (view && view->IsOnPage()) view->RefreshCycle().RefreshServerList();
  }
  if (autoWasOn) favorites.StartAutoRefresh();
  favorites.RestartReplyWait();
}

// ---- The refresh's view of the window

void TMassRefreshController::ShowStatus(const QString& text) {
  context_.setStatus(1 | 4, 0, false, false, text);
}

bool TMassRefreshController::StopFavoritesAutoRefresh() {
  return context_.view(QString::fromLatin1(kFavoriteGameType))->RefreshCycle().StopAutoRefresh();
}

void TMassRefreshController::RestartFavoritesAutoRefresh() {
  context_.view(QString::fromLatin1(kFavoriteGameType))->RefreshCycle().StartAutoRefresh();
}

void TMassRefreshController::StopReplyWaitTimers() {
  for (TkorvUTServerView* view : context_.visibleViews()) view->RefreshCycle().StopReplyWait();
}

void TMassRefreshController::RestartReplyWaitTimers() {
  for (TkorvUTServerView* view : context_.visibleViews()) view->RefreshCycle().RestartReplyWait();
}

void TMassRefreshController::RemoveServersOfGame(const QString& variant) {
  for (TkorvUTServerView* view : context_.visibleViews()) view->RemoveServersOfGame(variant);
}

void TMassRefreshController::SetMassRefreshing(bool on) {
  for (TkorvUTServerView* view : context_.visibleViews()) view->SetMassRefresh(on);
  stopAction_->setEnabled(on);
  context_.window->statusBar()->setVisible(on);
}

int TMassRefreshController::ViewCount() {
  return int(context_.visibleViews().size());
}

bool TMassRefreshController::RebuildView(int index, bool start) {
  // A thousand servers looked at, the rows of those the view shows made: a millisecond or two.
  constexpr int kServersPerPart = 1000;
  const std::vector<TkorvUTServerView*> views = context_.visibleViews();
  if (index < 0 || index >= int(views.size())) return true;
  return views[index]->PopulateServerGridPart(kServersPerPart, start);
}

void TMassRefreshController::ReselectServers() {
  for (TkorvUTServerView* view : context_.visibleViews())
    if (!view->SelectServerIfNotCurrent(view->LastSelectedServerKey())) view->ReloadDetails();
}

void TMassRefreshController::ShowLowReplyNotice(const QString& text) {
  bool& skip = context_.config.settings.skipPercentageInfo;
  if (!skip) skip = context_.dialogs.Notice(context_.window, text, false);
}

void TMassRefreshController::ShowMasterFailure(const QString& text) {
  context_.dialogs.Warning(context_.window, text);
}

void TMassRefreshController::ShowProgress(const TRefreshProgress& progress) {
  // The bar says which share it shows, so the step from the queries sent to the replies in
  // reads as what it is.
  progress_->setFormat(progress.phase == TRefreshProgress::Querying
                           ? QStringLiteral("Querying %p%")
                           : QStringLiteral("Replies %p%"));
  progress_->setValue(progress.percent);
}

}  // namespace zorvane
