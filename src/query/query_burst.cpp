// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/query_burst.h"

#include "query/server_stash.h"

namespace zorvane {

struct TQueryBurst::TBurst {
  explicit TBurst(TBurstRequest r)
      : request(std::move(r)), owner(request.owner), pacer(request.queryPower, request.debugLog) {}
  TBurstRequest request;
  quint64 id = 0;
  QPointer<QObject> owner;
  bool owned = request.owner != nullptr;
  TQueryPacer pacer;
  int position = 0;
  int unbroken = 0;
  TBurstOutcome outcome;
  bool OwnerAlive() const { return !owned || owner; }
};

TQueryBurst::TQueryBurst(TServerStash& stash, QObject* parent) : QObject(parent), stash_(stash) {
  pause_.setSingleShot(true);
  pause_.setTimerType(Qt::PreciseTimer);
  connect(&pause_, &QTimer::timeout, this, &TQueryBurst::Step);
}

TQueryBurst::~TQueryBurst() = default;

void TQueryBurst::Start(TBurstRequest request) {
  if (request.owner) Cancel(request.owner);
  queue_.push_back(std::make_unique<TBurst>(std::move(request)));
  queue_.back()->id = ++lastId_;
  if (queue_.size() == 1 && !stepping_) Step();
}

void TQueryBurst::Append(TBurstRequest request) {
  for (const auto& burst : queue_) {
    if (!request.owner || burst->request.owner != request.owner) continue;
    TBurstRequest& r = burst->request;
    if (!r.paceIndex.empty()) {  // paced as one list with its own count: the new keys follow it
      for (qsizetype i = 0; i < request.keys.size(); ++i) r.paceIndex.push_back(r.paceCount++);
    }
    r.keys += request.keys;
    return;
  }
  Start(std::move(request));
}

void TQueryBurst::Cancel(const QObject* owner) {
  for (auto it = queue_.begin(); it != queue_.end(); ++it) {
    if ((*it)->request.owner != owner) continue;
    const bool running = it == queue_.begin();
    std::unique_ptr<TBurst> burst = std::move(*it);
    queue_.erase(it);
    if (running) {
      pause_.stop();
      ResumeSoon();
    }
    Finish(std::move(burst), true);
    return;  // an owner has at most one burst
  }
}

void TQueryBurst::CancelAll() {
  pause_.stop();
  while (!queue_.empty()) {
    std::unique_ptr<TBurst> burst = std::move(queue_.front());
    queue_.pop_front();
    Finish(std::move(burst), true);
  }
}

bool TQueryBurst::Pending(const QObject* owner) const {
  for (const auto& burst : queue_)
    if (burst->request.owner == owner) return true;
  return false;
}

void TQueryBurst::ResumeSoon() {
  if (!queue_.empty() && !stepping_ && !pause_.isActive()) pause_.start(0);
}

void TQueryBurst::Step() {
  if (stepping_) return;
  stepping_ = true;
  while (!queue_.empty()) {
    TBurst* burst = queue_.front().get();
    const quint64 id = burst->id;
    const TBurstRequest& r = burst->request;
    if (burst->position >= r.keys.size() || !burst->OwnerAlive()) {
      std::unique_ptr<TBurst> done = std::move(queue_.front());
      queue_.pop_front();
      Finish(std::move(done), false);
      continue;
    }
    const int position = burst->position++;
    switch (stash_.QueryServer(r.keys[position])) {
      case TQuerySent::Sent:
      case TQuerySent::AwaitingAddress:
        ++burst->outcome.sent;
        break;
      case TQuerySent::NoSocket:
        ++burst->outcome.noSocket;
        break;
      case TQuerySent::NotSent:
        break;
    }
    if (r.sent && burst->OwnerAlive()) r.sent(position);
    if (queue_.empty() || queue_.front()->id != id) continue;  // the callback ended it
    const bool paced = !r.paceIndex.empty();
    const int ms = burst->pacer.AfterQuery(paced ? r.paceIndex[position] : position,
                                           paced ? r.paceCount : int(r.keys.size()));
    if (ms == 0 && ++burst->unbroken < kMaxUnbrokenQueries) continue;
    burst->unbroken = 0;
    if (ms > 0 && pauseHook_) pauseHook_(ms);
    pause_.start(pauseHook_ ? 0 : ms);
    break;
  }
  stepping_ = false;
}

void TQueryBurst::Finish(std::unique_ptr<TBurst> burst, bool cancelled) {
  burst->outcome.cancelled = cancelled;
  if (burst->request.finished && burst->OwnerAlive()) burst->request.finished(burst->outcome);
}

}  // namespace zorvane
