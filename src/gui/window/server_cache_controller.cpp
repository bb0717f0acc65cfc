// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/window/server_cache_controller.h"

#include <QTimer>

#include "config/configuration.h"
#include "config/ini_utils.h"
#include "gui/view/server_view.h"
#include "query/file_writer.h"
#include "query/server_cache.h"
#include "query/server_cache_stream.h"
#include "query/server_stash.h"

namespace zorvane {

namespace {

// How long after a refresh's end the server cache is written.
constexpr int kCacheWriteDelayMs = 100;
// About two milliseconds' work on this machine, for the bytes and for the lists.
constexpr int kServersPerPart = 1000;

}  // namespace

TServerCacheController::TServerCacheController(TWindowContext& context, TFileWriter& writer)
    : context_(context), writer_(writer), stream_(std::make_unique<TServerCacheStream>()) {
  delay_.setSingleShot(true);
  delay_.setInterval(kCacheWriteDelayMs);
  connect(&delay_, &QTimer::timeout, this, [this] {
    if (context_.massRefreshing()) return;
    StartStream();
    BuildPart();
  });
  part_.setSingleShot(true);
  part_.setInterval(0);
  connect(&part_, &QTimer::timeout, this, &TServerCacheController::BuildPart);
  list_.setSingleShot(true);
  list_.setInterval(0);
  connect(&list_, &QTimer::timeout, this, &TServerCacheController::ListPart);
}

TServerCacheController::~TServerCacheController() {
  DropStream();
  // The stream goes with this object: the writer must be done with it (at once when joined).
  writer_.Flush();
}

QString TServerCacheController::Path() const {
  return JoinPath(context_.config.directory, QString::fromLatin1(kServerCacheFileName));
}

void TServerCacheController::Load() {
  const TServerCacheLoad load = LoadServerCache(Path(), context_.stash);
  listed_ = load.added;
  // A file that could not be read is not written over by a session without a list of its own.
  writable_ = !load.ignored;
  if (!load.logLine.isEmpty()) context_.log(load.logLine);
}

void TServerCacheController::ShowListed() {
  if (listed_ == 0) return;
  listing_.Restart();
  list_.start();
}

void TServerCacheController::ListPart() {
  const std::vector<TkorvUTServerView*> views = context_.visibleViews();
  const bool done = listing_.Run(int(views.size()), kPartSliceMs, [&](int index, bool first) {
    TkorvUTServerView* view = views[index];
    if (view->IsFavorite()) return true;
    if (!view->PopulateServerGridPart(kServersPerPart, first)) return false;
    if (!view->SelectServerIfNotCurrent(view->LastSelectedServerKey())) view->ReloadDetails();
    return true;
  });
  if (!done) list_.start();
}

void TServerCacheController::ScheduleWrite() {
  // A new list's reply wait is over. The file is written a moment later, once the rebuilt
  // lists are on the screen: turning thousands of servers into bytes takes a good part of a
  // frame. A refresh started meanwhile writes it when it ends; a close at once.
  writable_ = true;  // the list is this session's own, whatever the file held
  DropStream();
  delay_.start();
}

void TServerCacheController::StartStream() {
  // The writer opens the file before any part reaches it; the parts are moved into their
  // jobs, and the stream is touched nowhere else.
  builder_ = std::make_unique<TServerCachePartBuilder>();
  ++turn_;  // a turn of a file given up does not start this one's
  next_ = 0;
  stashCount_ = context_.stash.Count();
  TServerCacheStream* stream = stream_.get();
  writer_.Hand([stream, path = Path()] { stream->Open(path); });
}

void TServerCacheController::DropStream() {
  part_.stop();
  if (!builder_) return;
  builder_.reset();
  // Cancelled on the writer thread after the parts handed before: the old file stays whole.
  TServerCacheStream* stream = stream_.get();
  writer_.Hand([stream] { stream->Cancel(); });
}

void TServerCacheController::BuildPart() {
  if (!builder_) return;
  if (context_.massRefreshing()) return DropStream();  // it writes the file when it ends
  const TServerStash& stash = context_.stash;
  const int count = stash.Count();
  // Servers removed since the last part moved the others down: start again.
  if (count < stashCount_) {
    DropStream();
    StartStream();
  }
  stashCount_ = count;
  const int end = std::min(count, next_ + kServersPerPart);
  for (; next_ < end; ++next_) {
    builder_->Add(*stash.Server(next_));
    if (builder_->Full()) HandPart();
  }
  HandPart();
  if (next_ < count) {
    // The next turn once the writer has taken this one's parts: behind a slow disk they wait
    // here as servers, not in memory as bytes.
    writer_.Hand([] { return true; }, this, [this, turn = ++turn_](bool) {
      if (builder_ && turn == turn_) part_.start();
    });
    return;
  }
  const quint32 servers = builder_->Count();
  builder_.reset();
  TServerCacheStream* stream = stream_.get();
  writer_.Hand([stream, servers] { return stream->Finish(servers); }, this,
               [this](const QString& error) { LogFailure(error); });
}

void TServerCacheController::HandPart() {
  if (builder_->Empty()) return;
  TServerCacheStream* stream = stream_.get();
  writer_.Hand([stream, part = builder_->TakePart()] { stream->Append(part); });
}

void TServerCacheController::SaveAtClose() {
  delay_.stop();
  DropStream();
  // A list whose replies are still coming in would replace the last good one half empty.
  if (writable_ && !context_.massRefreshing()) SaveNow();
}

void TServerCacheController::SaveNow() {
  // The stash goes on changing (a single refresh, the monitors): its bytes are taken on the
  // GUI thread and handed over whole. A disk that syncs slowly holds the writer thread, not
  // the window.
  auto write = [path = Path(), bytes = WriteServerCache(context_.stash)] {
    return SaveServerCacheBytes(path, bytes);
  };
  writer_.Hand(std::move(write), this, [this](const QString& error) { LogFailure(error); });
}

void TServerCacheController::LogFailure(const QString& error) {
  if (!error.isEmpty())
    context_.log(QStringLiteral("The server list could not be saved: ") + error);
}

}  // namespace zorvane
