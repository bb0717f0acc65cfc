// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/query/query_run.h"

#include <QScopeGuard>
#include <cstdio>

#include "query/ping.h"
#include "query/query_burst.h"
#include "query/server_stash.h"
#include "query/vocabulary.h"

namespace zorvane {

TQueryRun::TQueryRun(TServerStash& stash, int waitMs) : stash_(stash) {
  wait_.setSingleShot(true);
  wait_.setInterval(waitMs);
  QObject::connect(&wait_, &QTimer::timeout, &loop_, [this] { WaitExpired(); });
  QObject::connect(&stash_, &TServerStash::OnServerUpdated, &loop_, [this](const QString& key) {
    Update(stash_.IndexOf(key));
  });
}

void TQueryRun::Add(const std::vector<TQueryTarget>& targets) {
  // Listened to only here: with a listener the stash logs every datagram as text.
  const QMetaObject::Connection logging = QObject::connect(
      &stash_, &TServerStash::OnLog, &loop_, [this](int, const QString& text) { lastLog_ = text; });
  const auto unhook = qScopeGuard([&] { QObject::disconnect(logging); });
  for (const TQueryTarget& target : targets) {
    const QString port = QString::number(target.Port);
    lastLog_.clear();
    if (!stash_.AddServer(target.Host, port, {}, false, target.Game, QStringLiteral("True"), {})) {
      if (stash_.Find(target.Host + u':' + port)) continue;  // listed twice
      std::fprintf(stderr, "zorvane-query: %s\n",
                   qUtf8Printable(lastLog_.isEmpty() ? target.Host + u':' + port + u" not added"
                                                     : lastLog_));
      continue;
    }
    Track(stash_.Count() - 1);
  }
}

void TQueryRun::TrackAll() {
  for (int i = int(sent_.size()); i < stash_.Count(); ++i) Track(i);
}

void TQueryRun::Track(int index) {
  sent_.push_back(false);
  done_.push_back(false);
  progress_.push_back(0);
  TServer* server = stash_.Server(index);
  if (!server->Resolver) return;
  // Named servers get their address later; a failed look-up only shows up as a display text.
  ++pendingLookups_;
  TkorvPing* resolver = server->Resolver.get();
  QObject::connect(resolver, &TkorvPing::OnResolved, &loop_, [this, index] {
    LookupFinished(index);
  });
  QObject::connect(resolver, &TPing::OnDisplay, &loop_, [this, index] {
    LookupFinished(index);
  });
}

void TQueryRun::Run(int queryPower) {
  TBurstRequest burst;
  for (int i = 0; i < stash_.Count(); ++i) {
    if (stash_.Server(i)->TextEmpty(TServerText::IP) || sent_[i]) continue;
    sent_[i] = true;
    burst.keys << stash_.Key(i);
  }
  burst.queryPower = queryPower;
  // Replies are read between the burst's pauses; the wait for the rest starts once it is sent.
  burst.finished = [this](const TBurstOutcome&) { wait_.start(); };
  stash_.Bursts().Start(std::move(burst));
  if (doneCount_ == stash_.Count()) return;
  loop_.exec();
}

bool TQueryRun::IsDone(const TServer& server) {
  if (server.ReplyComplete && server.TextLatin1(TServerText::Ping) == kNoReplyPing)
    return true;  // the port refused the query
  switch (QueryProtocolOf(server.Game())) {
    case TQueryProtocol::Text:
      return server.RepliesSeen & rpTextFinal;
    case TQueryProtocol::Binary: {
      constexpr int kAll = rpInfo | rpRules | rpPlayers;
      return ParsesBinaryReplies(server.Game()) && (server.RepliesSeen & kAll) == kAll;
    }
    case TQueryProtocol::None:
      break;
  }
  return false;
}

void TQueryRun::Query(int index) {
  if (sent_[index]) return;
  sent_[index] = true;
  stash_.QueryServer(stash_.Key(index));
}

int TQueryRun::Progress(const TServer& server) {
  return server.RepliesSeen | (server.ReplyComplete ? kReplyCompleteBit : 0);
}

void TQueryRun::Update(int index) {
  if (index < 0 || index >= int(done_.size()) || done_[index]) return;
  const TServer& server = *stash_.Server(index);
  // Only a datagram that completes something counts as the servers still answering: one that
  // repeats a reply or never ends one must not keep the run alive.
  const int progress = Progress(server);
  if ((progress & ~progress_[index]) != 0) wait_.start();
  progress_[index] |= progress;
  if (IsDone(server)) MarkDone(index);
}

void TQueryRun::MarkDone(int index) {
  done_[index] = true;
  if (++doneCount_ == stash_.Count()) loop_.quit();
}

void TQueryRun::LookupFinished(int index) {
  --pendingLookups_;
  wait_.start();
  if (stash_.Server(index)->TextEmpty(TServerText::IP)) {
    MarkDone(index);  // no address: nothing to ask
    return;
  }
  Query(index);
}

void TQueryRun::WaitExpired() {
  // A look-up still running, or a burst still sending, is not silence from the servers.
  if (pendingLookups_ > 0 || !stash_.Bursts().Idle()) return;
  loop_.quit();
}

}  // namespace zorvane
