// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/refresh_cycle.h"

#include <utility>

#include "query/query_burst.h"
#include "query/server_stash.h"

namespace zorvane {

TRefreshCycle::TRefreshCycle(TRefreshCycleView& view, QObject* parent)
    : QObject(parent), view_(view) {
  autoRefresh_.setSingleShot(false);
  connect(&autoRefresh_, &QTimer::timeout, this, &TRefreshCycle::AutoRefreshDue);
  replyWait_.setSingleShot(true);
  replyWait_.setInterval(pingWaitTime_);
  connect(&replyWait_, &QTimer::timeout, this, &TRefreshCycle::ReplyWaitOver);
  reResolve_.setSingleShot(true);
  reResolve_.setInterval(kReResolveMs);
  connect(&reResolve_, &QTimer::timeout, this, &TRefreshCycle::ReResolveRetry);
}

TRefreshCycle::~TRefreshCycle() {
  StopAllTimers();
}

void TRefreshCycle::SetAutoRefreshRate(int ms) {
  if (ms == autoRefreshRate_) return;
  autoRefreshRate_ = ms;
  autoRefresh_.stop();
  if (ms > 0) {
    autoRefresh_.setInterval(ms);
    autoRefresh_.start();
  }
}

void TRefreshCycle::SetPingWaitTime(int ms) {
  if (ms == pingWaitTime_) return;
  pingWaitTime_ = ms;
  const bool active = replyWait_.isActive();
  replyWait_.setInterval(ms);
  if (!active) replyWait_.stop();
}

bool TRefreshCycle::AwaitedByView(const TServer& server) const {
  return view_.BelongsToView(server) || server.TextEmpty(TServerText::GameType);
}

void TRefreshCycle::Ask(const QString& key, TServer& server) {
  server.ReplyComplete = false;
  asked_.insert(key);
  view_.ShowAwaited(key);
}

bool TRefreshCycle::Awaited(const QString& key) const {
  const TServer* server = stash_ ? stash_->Find(key) : nullptr;
  return server && !server->ReplyComplete && asked_.contains(stash_->Key(stash_->IndexOf(key)));
}

void TRefreshCycle::RefreshServer(const QString& key) {
  const int index = stash_ ? stash_->IndexOf(key) : -1;
  if (index < 0) return;
  Ask(stash_->Key(index), *stash_->Server(index));
  stash_->QueryServer(key);
}

void TRefreshCycle::RefreshSelectedServer() {
  const QString key = view_.SelectedServerKey();
  if (key.isEmpty()) return;
  replyWait_.stop();
  RefreshServer(key);
  replyWait_.start();
  view_.ServerRefreshed(key);
}

void TRefreshCycle::RefreshServerList() {
  // A refresh of this view still sending gives way to this one (and puts its timer back).
  if (stash_) stash_->Bursts().Cancel(this);
  const bool autoWasOn = autoRefresh_.isActive();
  autoRefresh_.stop();
  replyWait_.stop();
  reResolve_.stop();
  TBurstRequest burst;
  burst.owner = this;
  if (stash_) {
    const int count = stash_->Count();
    for (int i = 0; i < count; ++i) {
      TServer& server = *stash_->Server(i);
      if (!view_.BelongsToView(server)) continue;
      const QString key = stash_->Key(i);
      Ask(key, server);
      burst.keys << key;
      burst.paceIndex.push_back(i);  // never a pause after the stash's last entry
    }
    burst.paceCount = count;
  }
  burst.queryPower = queryPower_;
  burst.debugLog = [this](const QString& line) { view_.DebugLog(line); };
  burst.finished = [this, autoWasOn](const TBurstOutcome& outcome) {
    if (autoWasOn) autoRefresh_.start();
    if (outcome.cancelled) return;
    if (outcome.noSocket > 0)
      view_.ShowWarning(QString::number(outcome.noSocket) +
                        QStringLiteral(" servers could not be queried: no free sockets"));
    replyWait_.start();
    view_.ListRefreshSent();
  };
  if (stash_)
    stash_->Bursts().Start(std::move(burst));
  else
    burst.finished({});
}

void TRefreshCycle::StartAutoRefresh() {
  if (autoRefreshRate_ > 0) {
    autoRefresh_.setInterval(autoRefreshRate_);
    autoRefresh_.start();
  }
}

bool TRefreshCycle::StopAutoRefresh() {
  const bool was = autoRefresh_.isActive();
  autoRefresh_.stop();
  return was;
}

void TRefreshCycle::RestartReplyWait() {
  replyWait_.stop();
  replyWait_.start();
}

void TRefreshCycle::StopReplyWait() {
  replyWait_.stop();
}

void TRefreshCycle::StopAllTimers() {
  autoRefresh_.stop();
  replyWait_.stop();
  reResolve_.stop();
}

void TRefreshCycle::AutoRefreshDue() {
  if (!autoRefreshSelectedOnly_) {
    RefreshServerList();
    return;
  }
  const QString key = view_.SelectedServerKey();
  if (key.isEmpty()) return;
  const bool was = StopAutoRefresh();
  RefreshServer(key);  // no new wait: the mark stays until a reply or another wait ends it
  if (was) StartAutoRefresh();
  view_.ServerRefreshed(key);
}

void TRefreshCycle::ReplyWaitOver() {
  replyWait_.stop();
  if (!stash_) return;
  if (stash_->Bursts().Pending(this)) return;  // its end starts a full wait
  bool retryDue = false;
  QStringList silent;
  for (int i = 0; i < stash_->Count(); ++i) {
    TServer& server = *stash_->Server(i);
    const QString key = stash_->Key(i);
    if (server.ReplyComplete || !asked_.contains(key)) continue;
    silent << key;
    stash_->ResetServer(i, true);
    if (!server.TextEmpty(TServerText::DNSName) && !server.TextEmpty(TServerText::IP)) {
      if (server.RetriedOnce) {
        server.RetriedOnce = false;
      } else {
        server.ReResolvePending = 1;
        retryDue = true;
      }
    }
  }
  asked_.clear();
  view_.ShowSilent(silent);
  for (int i = 0; i < stash_->Count(); ++i) {
    const TServer& server = *stash_->Server(i);
    if (!AwaitedByView(server)) continue;
    // Nothing more is awaited from it: its socket and transport go until the next query.
    stash_->ReleaseTransport(i);
    if (server.ReResolvePending == 1) stash_->ReResolve(i);
  }
  if (retryDue) reResolve_.start();
}

void TRefreshCycle::ReResolveRetry() {
  reResolve_.stop();
  if (!stash_) return;
  bool refreshed = false;
  for (int i = 0; i < stash_->Count(); ++i) {
    TServer& server = *stash_->Server(i);
    if (!AwaitedByView(server) || server.ReResolvePending != 1) continue;
    server.ReResolvePending = 0;
    if (server.TextEmpty(TServerText::IP)) continue;
    server.RetriedOnce = true;
    RefreshServer(stash_->Key(i));
    refreshed = true;
  }
  if (refreshed) RestartReplyWait();
}

}  // namespace zorvane
