// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/mass_refresh.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "query/master_set_query.h"
#include "query/query_burst.h"
#include "query/server_stash.h"

namespace zorvane {

int RoundedPercent(int part, int whole) {
  if (whole <= 0) return 0;
  return int(std::nearbyint(double(part) * 100.0 / double(whole)));
}

TRefreshPlan PlanRefresh(const std::vector<TMasterOutcome>& outcomes, int asked, int listed) {
  TRefreshPlan plan;
  const bool allDone = asked > 0 && int(outcomes.size()) == asked;
  const auto any = [&](auto test) { return std::any_of(outcomes.begin(), outcomes.end(), test); };
  const auto whole = [](const TMasterOutcome& o) { return o.result == TMasterResult::Listed; };
  plan.query = listed > 0;
  plan.removeUnlisted = allDone && std::all_of(outcomes.begin(), outcomes.end(), whole);
  plan.dropRows = plan.removeUnlisted && listed == 0;
  plan.tellFailure = allDone && !any([](const TMasterOutcome& o) { return GaveList(o.result); });
  plan.replacesCache = any(whole);
  return plan;
}

QString MasterFailureText(const QString& variant, const TMasterAddress& master,
                          const QString& failure) {
  const TMasterGame* game = MasterGameOfVariant(variant);
  return (game ? QString::fromLatin1(game->caption) : variant) + u' ' + master.host + u':' +
         QString::number(master.port) + QStringLiteral(": ") + failure;
}

TServerAnswer ServerAnswer(const TServer& server) {
  // A refused query resets the record (nothing seen) and completes it.
  if (server.RepliesSeen == 0) return server.ReplyComplete ? TServerAnswer::Refused
                                                           : TServerAnswer::Nothing;
  return (server.RepliesSeen & server.RepliesAsked) == server.RepliesAsked ? TServerAnswer::Whole
                                                                          : TServerAnswer::Part;
}

TMassRefresh::TMassRefresh(TServerStash& stash, TMassRefreshHost& host, QObject* parent)
    : QObject(parent), stash_(stash), host_(host) {
  timMassRefreshWait_.setInterval(kReplyWaitMs);
  timMassRefreshWait_.setSingleShot(true);
  connect(&timMassRefreshWait_, &QTimer::timeout, this, &TMassRefresh::ProcessMassRefreshReplies);
  interim_.setInterval(kInterimShowMs);
  interim_.setSingleShot(true);
  connect(&interim_, &QTimer::timeout, this, &TMassRefresh::ShowInterim);
  adding_.setInterval(0);
  adding_.setSingleShot(true);
  connect(&adding_, &QTimer::timeout, this, &TMassRefresh::AddListed);
  nextView_.setInterval(0);
  nextView_.setSingleShot(true);
  connect(&nextView_, &QTimer::timeout, this, &TMassRefresh::RebuildNextView);
  processing_.setInterval(0);
  processing_.setSingleShot(true);
  connect(&processing_, &QTimer::timeout, this, &TMassRefresh::ContinueProcessing);
}

// The masters end with their set, without a word to the host (which may be going too).
TMassRefresh::~TMassRefresh() = default;

bool TMassRefresh::MastersRunning() const {
  return masters_ && masters_->Running();
}

int TMassRefresh::ServersListed() const {
  return masters_ ? masters_->Listed().Count() : 0;
}

std::vector<TMasterOutcome> TMassRefresh::MasterOutcomes() const {
  return masters_ ? masters_->Outcomes() : std::vector<TMasterOutcome>();
}

TRefreshPlan TMassRefresh::Plan() const {
  return PlanRefresh(MasterOutcomes(), masters_ ? int(masters_->Masters().size()) : 0,
                     ServersListed());
}

bool TMassRefresh::StartMassRefresh(const QString& variant) {
  if (massRefreshing_) return false;
  const TMasterGame* game = MasterGameOfVariant(variant);
  host_.ActivityLog((game ? QString::fromLatin1(game->caption) : variant) +
                    QStringLiteral(" query requested..."));
  const auto masters = game ? Masters.find(QString::fromLatin1(game->variant)) : Masters.end();
  if (masters == Masters.end() || masters->second.empty()) {
    if (game)
      host_.ActivityLog(QStringLiteral("No master server is set for ") +
                        QLatin1StringView(game->variant));
    host_.MassRefreshFinished();
    return false;
  }
  // Bursts of the views still sending end here: their owners put back what they paused.
  stash_.Bursts().CancelAll();
  autoRefreshWasOn_ = host_.StopFavoritesAutoRefresh();
  host_.StopReplyWaitTimers();
  host_.StopNotificationTimers();

  variant_ = QString::fromLatin1(game->variant);
  BeginCounting();
  host_.ShowStatus(QStringLiteral("Querying ") + variant_ +
                   QStringLiteral(" master server list..."));
  // Master names are looked up through the stash, which counts the look-ups still running.
  THostLookup lookup = [this](const QString& name, QObject* context, THostLookupDone done) {
    stash_.LookUpHost(name, context, std::move(done));
  };
  masters_ = std::make_unique<TMasterSetQuery>(*game, masters->second, MasterOptions,
                                               std::move(lookup));
  connect(masters_.get(), &TMasterSetQuery::OnListed, this, &TMassRefresh::TakeList);
  connect(masters_.get(), &TMasterSetQuery::OnFinished, this, &TMassRefresh::MastersDone);
  masters_->Start();
  return true;
}

void TMassRefresh::BeginCounting() {
  massRefreshing_ = true;
  host_.SetMassRefreshing(true);
  timMassRefreshWait_.stop();
  interim_.stop();
  adding_.stop();
  toAdd_.clear();
  nextView_.stop();
  processing_.stop();
  interimPass_ = false;
  replyPercent_ = -1;
  queryPercent_ = -1;
  repliesCounted_ = 0;
  noSocket_ = 0;
  sentCount_ = 0;
  stopped_ = false;
  waiting_ = false;
  interimPending_ = false;
  queried_.clear();
  settledCount_ = 0;
  serversQueried_ = 0;
  host_.ShowProgress({TRefreshProgress::Querying, 0});
  host_.DebugLog(QStringLiteral("Master Server delay variable = ") + QString::number(QueryPower));
}

void TMassRefresh::SendBurst() {
  masters_.reset();
  variant_.clear();
  BeginCounting();
  QStringList keys;
  keys.reserve(stash_.Count());
  for (int i = 0; i < stash_.Count(); ++i) {
    keys << stash_.Key(i);
    queried_.insert(stash_.Handle(i), 0);
  }
  if (keys.isEmpty()) return CheckDone();
  Query(keys);
}

void TMassRefresh::TakeList(const TMasterOutcome& outcome,
                            const std::vector<TMasterEntry>& fresh) {
  const QString line = MasterOutcomeLine(outcome);
  host_.ActivityLog(line);
  host_.ShowStatus(line);
  if (outcome.skipped > 0)
    host_.ActivityLog(MasterAddressText(outcome.master) + QStringLiteral(": ") +
                      QString::number(outcome.skipped) +
                      QStringLiteral(" entries of the master server list were left out: not an "
                                     "IPv4 address and port"));
  toAdd_.insert(toAdd_.end(), fresh.begin(), fresh.end());
  // On the next turn: the list's own work fills this one.
  if (!adding_.isActive()) adding_.start();
}

void TMassRefresh::AddListed() {
  QStringList keys;
  for (int n = 0; n < kAddsPerTurn && !toAdd_.empty(); ++n) {
    const TMasterEntry entry = std::move(toAdd_.front());
    toAdd_.pop_front();
    const QString key = EntryKey(entry);
    // A server already known (a favourite, one of the cache) keeps its record and is asked too.
    stash_.AddServer(QString::fromLatin1(entry.address), QString::number(entry.port), QString(),
                     false, variant_, QStringLiteral("True"), QString());
    const quint32 handle = stash_.Handle(stash_.IndexOf(key));
    if (handle == 0 || queried_.contains(handle)) continue;
    queried_.insert(handle, 0);
    keys << key;
  }
  if (!toAdd_.empty()) adding_.start();
  if (!keys.isEmpty())
    Query(keys);
  else
    CheckDone();
}

void TMassRefresh::Query(const QStringList& keys) {
  querying_ = QString::number(queried_.size()) +
              QStringLiteral(" servers available. Querying individual servers... ");
  host_.ShowStatus(querying_);
  if (toAdd_.empty()) host_.ActivityLog(querying_);  // once a list is in, not per part
  sending_ = true;
  TBurstRequest burst;
  burst.owner = this;
  burst.keys = keys;
  burst.queryPower = QueryPower;
  burst.debugLog = [this](const QString& line) { host_.DebugLog(line); };
  burst.sent = [this](int) {
    // The query just sent counts from 0: the first shows 0 %, the last rounds to 100 %.
    const int percent = RoundedPercent(sentCount_++, int(queried_.size()));
    if (percent == queryPercent_) return;
    queryPercent_ = percent;
    host_.ShowStatus(querying_ + QString::number(percent) + u'%');
    // Once replies come in, the status line shows mostly their share: so does the bar.
    if (repliesCounted_ == 0) host_.ShowProgress({TRefreshProgress::Querying, percent});
    host_.DebugLog(QStringLiteral("percentage queried = ") + QString::number(percent) +
                   QStringLiteral("% "));
  };
  burst.finished = [this](const TBurstOutcome& outcome) {
    if (!outcome.cancelled) BurstSent(outcome.noSocket);
  };
  // A list that comes while the burst of another still sends joins it at its end.
  stash_.Bursts().Append(std::move(burst));
}

void TMassRefresh::BurstSent(int noSocket) {
  sending_ = false;
  noSocket_ += noSocket;
  if (noSocket > 0) {
    const QString text =
        QString::number(noSocket) + QStringLiteral(
                                        " servers could not be queried: no free sockets "
                                        "(open file limit)");
    host_.ShowStatus(text);
    host_.ActivityLog(text);
  }
  if (MastersRunning()) {
    interimPending_ = true;
    interim_.start();
  }
  CheckDone();
}

void TMassRefresh::MastersDone() {
  const TRefreshPlan plan = Plan();
  if (plan.removeUnlisted) {
    // Every master named every server it knows: the others of the game are gone.
    const TMasterListMerge& listed = masters_->Listed();
    const int gone = stash_.ClearServersOfGameExceptWhere(
        variant_, [&](const QString& key) { return listed.Contains(key); });
    if (gone > 0)
      host_.ActivityLog(QStringLiteral("Servers no master server lists any more were removed: ") +
                        QString::number(gone));
  } else {
    host_.ActivityLog(QStringLiteral(
        "No server was removed: not every master server gave a whole list"));
  }
  if (plan.tellFailure) {
    QStringList lines;
    for (const TMasterOutcome& outcome : masters_->Outcomes())
      lines << MasterFailureText(variant_, outcome.master, outcome.text);
    const QString text = lines.join(QStringLiteral("\r\n"));
    host_.ActivityLog(text);
    host_.ShowMasterFailure(text);
  }
  CheckDone();
}

void TMassRefresh::CheckDone() {
  if (!massRefreshing_ || processingReplies_ || sending_ || !toAdd_.empty()) return;
  if (MastersRunning()) {
    if (interimPending_ && settledCount_ >= queried_.size()) ShowInterim();
    return;
  }
  interim_.stop();
  if (queried_.isEmpty()) return EndWithoutReplies();
  if (!waiting_) {
    waiting_ = true;
    host_.ShowStatus(QStringLiteral("Waiting for replies..."));
    host_.ActivityLog(QStringLiteral("Waiting for replies..."));
    ShowReplyProgress();
  }
  if (settledCount_ >= queried_.size())
    ProcessMassRefreshReplies();  // every server answered already
  else if (!timMassRefreshWait_.isActive())
    timMassRefreshWait_.start();
}

void TMassRefresh::ShowInterim() {
  interim_.stop();
  if (!interimPending_ || !MastersRunning() || processingReplies_) return;
  // Shown before every server answered (the time was up): again once they all have.
  interimPending_ = settledCount_ < queried_.size();
  interimPass_ = true;
  rebuild_.Restart();  // a pass under way starts again
  RebuildNextView();
}

bool TMassRefresh::RebuildViews() {
  return rebuild_.Run(host_.ViewCount(), kPartSliceMs,
                      [this](int view, bool first) { return host_.RebuildView(view, first); });
}

void TMassRefresh::RebuildNextView() {
  if (!interimPass_ || !MastersRunning() || processingReplies_) {
    interimPass_ = false;
    return;
  }
  if (!RebuildViews()) return nextView_.start();
  interimPass_ = false;
  host_.ShowStatus(QStringLiteral("Waiting for the other master servers..."));
}

void TMassRefresh::EndWithoutReplies() {
  timMassRefreshWait_.stop();
  interim_.stop();
  nextView_.stop();
  interimPass_ = false;
  if (Plan().dropRows) {
    host_.RemoveServersOfGame(variant_);
    host_.ShowStatus(QStringLiteral("0 servers"));
  }
  massRefreshing_ = false;
  serversQueried_ = 0;
  host_.SetMassRefreshing(false);
  // Nothing to wait for: what was paused for the refresh runs again.
  if (autoRefreshWasOn_) host_.RestartFavoritesAutoRefresh();
  host_.RestartReplyWaitTimers();
  host_.MassRefreshFinished();
}

void TMassRefresh::ShowReplyProgress() {
  // The figure the status line shows; none shown yet is none counted.
  host_.ShowProgress({TRefreshProgress::Replies, std::max(replyPercent_, 0)});
}

bool TMassRefresh::ServerUpdated(const QString& key) {
  // While the views are rebuilt the window shows a reply as usual (a view rebuilding shows it
  // again once its rows are in).
  if (processingReplies_ || !massRefreshing_) return false;
  const int index = stash_.IndexOf(key);
  if (index < 0) return true;
  const auto state = queried_.find(stash_.Handle(index));
  // Not asked by this refresh (a favourite refreshed meanwhile): the window shows it as usual.
  if (state == queried_.end()) return false;
  const TServerAnswer answer = ServerAnswer(*stash_.Server(index));
  if (answer == TServerAnswer::Nothing) return true;
  // Marked before the host hears of it: nothing below touches the table again.
  const bool newlyCounted = answer != TServerAnswer::Refused && !(*state & kCounted);
  // A closed port settles its server too: nothing more will come from it.
  const bool newlySettled = answer != TServerAnswer::Part && !(*state & kSettled);
  if (newlyCounted) *state |= kCounted;
  if (newlySettled) {
    *state |= kSettled;
    ++settledCount_;
  }
  bool progressed = false;  // a new server answered, or one sent its last reply
  if (newlyCounted) {
    progressed = true;
    const int percent = RoundedPercent(repliesCounted_, int(queried_.size()));
    if (percent != replyPercent_) {
      const QString text = QStringLiteral("Receiving Replies... ") + QString::number(percent) +
                           QStringLiteral("% (estimated)");
      host_.ShowStatus(text);
      host_.DebugLog(text);
      replyPercent_ = percent;
      ShowReplyProgress();
    }
    ++repliesCounted_;
  }
  if (newlySettled) progressed = progressed || answer == TServerAnswer::Whole;
  // The wait starts once the burst has been sent and every master is done.
  if (sending_ || !toAdd_.empty()) return true;
  if (MastersRunning()) {
    CheckDone();  // the lists so far may be shown
  } else if (settledCount_ >= queried_.size()) {
    ProcessMassRefreshReplies();
  } else if (progressed) {
    timMassRefreshWait_.stop();
    timMassRefreshWait_.start();
  }
  return true;
}

void TMassRefresh::Stop() {
  if (!massRefreshing_ || processingReplies_) return;
  int leftOut = int(toAdd_.size());
  adding_.stop();
  toAdd_.clear();
  if (MastersRunning()) masters_->Stop();
  if (sending_) {
    leftOut += int(queried_.size()) - sentCount_;
    sending_ = false;
    stash_.Bursts().Cancel(this);
  }
  stopped_ = true;
  host_.ActivityLog(QStringLiteral("Stopped: ") + QString::number(leftOut) +
                    QStringLiteral(" servers were left out."));
  if (queried_.isEmpty()) return EndWithoutReplies();
  ProcessMassRefreshReplies();
}

void TMassRefresh::ProcessMassRefreshReplies() {
  if (processingReplies_) return;
  timMassRefreshWait_.stop();
  interim_.stop();
  nextView_.stop();
  interimPass_ = false;
  // Ended before its masters or its burst were done (Stop, a test, a quit): they go too.
  if (MastersRunning()) masters_->Stop();
  adding_.stop();
  toAdd_.clear();
  if (sending_) {
    sending_ = false;
    stash_.Bursts().Cancel(this);
  }
  processingReplies_ = true;
  // The share of servers that replied, counting the last reply too: the figure shown while
  // counting lags one reply behind, and with a short list that alone would read "Only 89%"
  // when every server answered (and -1 % when none did).
  replyPercent_ = RoundedPercent(repliesCounted_, int(queried_.size()));
  host_.ShowProgress({TRefreshProgress::Replies, replyPercent_});
  host_.ShowStatus(QStringLiteral("Processing responses..."));
  host_.ActivityLog(QStringLiteral("Processing responses..."));
  stash_.NormalizePings(QString());
  rebuild_.Restart();
  ContinueProcessing();
}

void TMassRefresh::ContinueProcessing() {
  if (!RebuildViews()) return processing_.start();
  processingReplies_ = false;
  massRefreshing_ = false;
  // A reply that comes later is no longer counted: the keys of tens of thousands of servers
  // need not be kept until the next refresh.
  serversQueried_ = int(queried_.size());
  queried_.clear();
  host_.SetMassRefreshing(false);
  host_.ReselectServers();
  host_.RefreshCaptionAndMonitors();
  QString total = QString::number(stash_.Count()) + QStringLiteral(" total servers");
  if (noSocket_ > 0)
    total += QStringLiteral(" (%1 could not be queried: no free sockets)").arg(noSocket_);
  host_.ShowStatus(total);
  if (autoRefreshWasOn_) host_.RestartFavoritesAutoRefresh();
  host_.RestartReplyWaitTimers();
  host_.ActivityLog(QString::number(replyPercent_) +
                    QStringLiteral("% of servers replied to the last master server request."));
  // After Stop the user knows why few replied; the delay strength is not to blame.
  if (replyPercent_ < 90 && !stopped_) {
    host_.ShowLowReplyNotice(
        QStringLiteral("Only ") + QString::number(replyPercent_) +
        QStringLiteral("% of the servers responded to their ping requests.\r\n\r\n"
                       "Please see the Tools/Options - 'Master Server Query delay strength' "
                       "option on how to improve this value."));
  }
  host_.MassRefreshFinished();
}

}  // namespace zorvane
