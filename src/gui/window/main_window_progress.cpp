// SPDX-License-Identifier: GPL-2.0-or-later
// The mass refresh as the user follows it: a progress bar under the pages while it runs, and
// Stop, which ends it with what has come in so far.
#include <QAction>
#include <QMenu>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolBar>

#include "browse/mass_refresh.h"
#include "gui/window/main_window.h"
#include "gui/window/notifications_controller.h"

namespace zorvane {

void TfrmZorvane::CreateStopControls() {
  stopAction_ = AddWindowAction(serverMenu_, "actStopMassRefresh",
                                QStringLiteral("Stop Master Server Query"), Qt::Key_Escape);
  stopAction_->setIconText(QStringLiteral("Stop"));
  stopAction_->setToolTip(QStringLiteral("Stop the master server query"));
  // Enabled only while a refresh runs, so Esc means nothing to the window otherwise.
  stopAction_->setEnabled(false);
  connect(stopAction_, &QAction::triggered, this, [this] { massRefresh_->Stop(); });
  toolBar_->addSeparator();
  toolBar_->addAction(stopAction_);

  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("barMassRefresh"));
  progress_->setRange(0, 100);
  progress_->setMaximumWidth(300);
  statusBar()->addPermanentWidget(progress_);
  statusBar()->setSizeGripEnabled(false);
  statusBar()->hide();
}

void TfrmZorvane::ShowStopControls(bool on) {
  stopAction_->setEnabled(on);
  statusBar()->setVisible(on);
}

void TfrmZorvane::ShowProgress(const TRefreshProgress& progress) {
  // The bar says which share it shows, so the step from the queries sent to the replies in
  // reads as what it is.
  progress_->setFormat(progress.phase == TRefreshProgress::Querying ? QStringLiteral("Querying %p%")
                                                                    : QStringLiteral("Replies %p%"));
  progress_->setValue(progress.percent);
}

void TfrmZorvane::ShowMasterFailure(const QString& text) {
  dialogs_.Warning(this, text);
}

void TfrmZorvane::StopNotificationTimers() { notifications_->StopTimers(); }

void TfrmZorvane::MassRefreshFinished() {
  // A failed master query leaves the stash as it was, and the cache file too; a cut list adds
  // its servers but is not the list to keep.
  if (massRefresh_->Plan().replacesCache) ScheduleServerCacheWrite();
  notifications_->UpdateTrayForCurrentView();
}

}  // namespace zorvane
