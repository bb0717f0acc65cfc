// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/window/server_cache_controller.h"

#include <QTimer>

#include "config/configuration.h"
#include "config/ini_utils.h"
#include "gui/view/server_view.h"
#include "query/file_writer.h"
#include "query/server_cache.h"

namespace zorvane {

namespace {

// How long after a refresh's end the server cache is written.
constexpr int kCacheWriteDelayMs = 100;

}  // namespace

TServerCacheController::TServerCacheController(TWindowContext& context, TFileWriter& writer)
    : context_(context), writer_(writer) {}

void TServerCacheController::Load() {
  const QString path =
      JoinPath(context_.config.directory, QString::fromLatin1(kServerCacheFileName));
  const TServerCacheLoad load = LoadServerCache(path, context_.stash);
  listed_ = load.added;
  // A file that could not be read is not written over by a session without a list of its own.
  writable_ = !load.ignored;
  if (!load.logLine.isEmpty()) context_.log(load.logLine);
}

void TServerCacheController::ShowListed() {
  if (listed_ == 0) return;
  for (TkorvUTServerView* view : context_.visibleViews()) {
    if (view->IsFavorite()) continue;
    view->PopulateServerGrid(true, true);
    if (!view->SelectServerIfNotCurrent(view->LastSelectedServerKey())) view->ReloadDetails();
  }
}

void TServerCacheController::ScheduleWrite() {
  // A new list's reply wait is over. The file is written a moment later, once the rebuilt
  // lists are on the screen: turning thousands of servers into bytes takes a good part of a
  // frame. A refresh started meanwhile writes it when it ends; a close at once.
  writable_ = true;  // the list is this session's own, whatever the file held
  QTimer::singleShot(kCacheWriteDelayMs, this, [this] {
    if (!context_.massRefreshing()) SaveNow();
  });
}

void TServerCacheController::SaveAtClose() {
  // A list whose replies are still coming in would replace the last good one half empty.
  if (writable_ && !context_.massRefreshing()) SaveNow();
}

void TServerCacheController::SaveNow() {
  const QString path =
      JoinPath(context_.config.directory, QString::fromLatin1(kServerCacheFileName));
  // The stash goes on changing (a single refresh, the monitors): its bytes are taken now, on
  // the GUI thread, and handed over whole. A disk that syncs slowly holds the writer thread,
  // not the window.
  auto write = [path, bytes = WriteServerCache(context_.stash)] {
    return SaveServerCacheBytes(path, bytes);
  };
  writer_.Hand(std::move(write), this, [this](const QString& error) {
    if (!error.isEmpty())
      context_.log(QStringLiteral("The server list could not be saved: ") + error);
  });
}

}  // namespace zorvane
