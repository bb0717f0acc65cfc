// SPDX-License-Identifier: GPL-2.0-or-later
// The last session's server list: listed at start, marked as not yet refreshed, and written
// again once a master list's replies are in and at close.
#include <QTimer>

#include "browse/mass_refresh.h"
#include "config/ini_utils.h"
#include "gui/view/server_view.h"
#include "gui/window/main_window.h"
#include "gui/window/mass_refresh_controller.h"
#include "query/server_cache.h"

namespace zorvane {

namespace {

// How long after a refresh's end the server cache is written.
constexpr int kCacheWriteDelayMs = 100;

}  // namespace

void TfrmZorvane::LoadServerCacheAtStart() {
  const QString path = JoinPath(config_.directory, QString::fromLatin1(kServerCacheFileName));
  const TServerCacheLoad load = LoadServerCache(path, stash_);
  cachedServers_ = load.added;
  // A file that could not be read is not written over by a session without a list of its own.
  cacheWritable_ = !load.ignored;
  if (!load.logLine.isEmpty()) Log(load.logLine);
}

void TfrmZorvane::ShowCachedServers() {
  if (cachedServers_ == 0) return;
  for (TkorvUTServerView* view : VisibleViews()) {
    if (view->IsFavorite()) continue;
    view->PopulateServerGrid(true, true);
    if (!view->SelectServerIfNotCurrent(view->LastSelectedServerKey())) view->ReloadDetails();
  }
}

void TfrmZorvane::ScheduleServerCacheWrite() {
  // A new list's reply wait is over. The file is written a moment later, once the rebuilt
  // lists are on the screen: writing thousands of servers takes about as long again as
  // rebuilding them. A refresh started meanwhile writes it when it ends; a close at once.
  cacheWritable_ = true;  // the list is this session's own, whatever the file held
  QTimer::singleShot(kCacheWriteDelayMs, this, [this] {
    if (!refresher_->Refresh().MassRefreshing()) SaveServerCacheNow();
  });
}

void TfrmZorvane::SaveServerCacheNow() {
  const QString path = JoinPath(config_.directory, QString::fromLatin1(kServerCacheFileName));
  const QString error = SaveServerCache(path, stash_);
  if (error.isEmpty())
    cacheWritable_ = true;
  else
    Log(QStringLiteral("The server list could not be saved: ") + error);
}

}  // namespace zorvane
