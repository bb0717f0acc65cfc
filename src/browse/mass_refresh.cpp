// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/mass_refresh.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "query/query_burst.h"
#include "query/server_stash.h"

namespace zorvane {

int RoundedPercent(int part, int whole) {
  if (whole <= 0) return 0;
  return int(std::nearbyint(double(part) * 100.0 / double(whole)));
}

TRefreshPlan PlanRefresh(const TMasterOutcome& outcome) {
  TRefreshPlan plan;
  switch (outcome.result) {
    case TMasterResult::Listed:
      plan.query = outcome.added > 0;
      plan.dropRows = outcome.added == 0;
      plan.replacesCache = true;
      break;
    case TMasterResult::Cut:
      plan.query = outcome.added > 0;
      break;
    case TMasterResult::Failed:
      plan.tellFailure = !outcome.text.isEmpty();
      break;
  }
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
}

bool TMassRefresh::StartMassRefresh(const QString& variant) {
  const TMasterGame* game = MasterGameOfVariant(variant);
  host_.ActivityLog((game ? QString::fromLatin1(game->caption) : variant) +
                    QStringLiteral(" query requested..."));
  // Bursts of the views still sending end here: their owners put back what they paused.
  stash_.Bursts().CancelAll();
  autoRefreshWasOn_ = host_.StopFavoritesAutoRefresh();
  host_.StopReplyWaitTimers();
  host_.StopNotificationTimers();

  master_ = QueryMasterServer(stash_, variant, Master, MasterOptions,
                              [this](const QString& text) { host_.ShowStatus(text); });
  if (master_.skipped > 0)
    host_.ActivityLog(QString::number(master_.skipped) +
                      QStringLiteral(" entries of the master server list were left out: not an "
                                     "IPv4 address and port"));
  if (master_.result == TMasterResult::Cut) host_.ActivityLog(master_.text);
  const TRefreshPlan plan = PlanRefresh(master_);
  if (plan.tellFailure) {
    const QString text = MasterFailureText(variant, Master, master_.text);
    host_.ActivityLog(text);
    host_.ShowMasterFailure(text);
  }
  if (plan.dropRows) {
    host_.RemoveServersOfGame(variant);
    host_.ShowStatus(QStringLiteral("0 servers"));
  }
  if (!plan.query) {
    // Nothing to wait for: what was paused for the refresh runs again.
    if (autoRefreshWasOn_) host_.RestartFavoritesAutoRefresh();
    host_.RestartReplyWaitTimers();
    host_.MassRefreshFinished();
    return false;
  }
  SendBurst();
  return true;
}

void TMassRefresh::SendBurst() {
  const int count = stash_.Count();
  const QString querying = QString::number(count) +
                           QStringLiteral(" servers available. Querying individual servers... ");
  host_.ShowStatus(querying);
  host_.ActivityLog(querying);
  host_.DebugLog(QStringLiteral("Master Server delay variable = ") + QString::number(QueryPower));

  massRefreshing_ = true;
  host_.SetMassRefreshing(true);
  // Replies are read while the burst is paused, so counting starts now.
  timMassRefreshWait_.stop();
  replyPercent_ = -1;
  repliesCounted_ = 0;
  noSocket_ = 0;
  stopped_ = false;
  sentCount_ = 0;
  counted_.clear();
  settled_.clear();
  sending_ = true;
  host_.ShowProgress({TRefreshProgress::Querying, 0});

  TBurstRequest burst;
  burst.owner = this;
  burst.keys.reserve(count);
  for (int i = 0; i < count; ++i) burst.keys << stash_.Key(i);
  burst.queryPower = QueryPower;
  burst.debugLog = [this](const QString& line) { host_.DebugLog(line); };
  auto shown = std::make_shared<int>(-1);
  burst.sent = [this, querying, count, shown](int i) {
    sentCount_ = i + 1;
    const int percent = RoundedPercent(i, count);
    if (percent == *shown) return;
    *shown = percent;
    host_.ShowStatus(querying + QString::number(percent) + u'%');
    // Once replies come in, the status line shows mostly their share: so does the bar.
    if (repliesCounted_ == 0) host_.ShowProgress({TRefreshProgress::Querying, percent});
    host_.DebugLog(QStringLiteral("percentage queried = ") + QString::number(percent) +
                   QStringLiteral("% "));
  };
  burst.finished = [this](const TBurstOutcome& outcome) {
    if (!outcome.cancelled) BurstSent(outcome.noSocket);
  };
  stash_.Bursts().Start(std::move(burst));
}

void TMassRefresh::BurstSent(int noSocket) {
  sending_ = false;
  noSocket_ = noSocket;
  if (noSocket > 0) {
    const QString text =
        QString::number(noSocket) + QStringLiteral(
                                        " servers could not be queried: no free sockets "
                                        "(open file limit)");
    host_.ShowStatus(text);
    host_.ActivityLog(text);
  }
  host_.ShowStatus(QStringLiteral("Waiting for replies..."));
  host_.ActivityLog(QStringLiteral("Waiting for replies..."));
  ShowReplyProgress();
  if (settled_.size() >= stash_.Count() && stash_.Count() > 0)
    ProcessMassRefreshReplies();  // every server answered while the burst was still going
  else
    timMassRefreshWait_.start();
}

void TMassRefresh::ShowReplyProgress() {
  // The figure the status line shows; none shown yet is none counted.
  host_.ShowProgress({TRefreshProgress::Replies, std::max(replyPercent_, 0)});
}

bool TMassRefresh::ServerUpdated(const QString& key) {
  if (processingReplies_) return true;
  if (!massRefreshing_) return false;
  const int index = stash_.IndexOf(key);
  if (index < 0) return true;
  const TServerAnswer answer = ServerAnswer(*stash_.Server(index));
  if (answer == TServerAnswer::Nothing) return true;
  const QString lower = key.toLower();
  bool progressed = false;  // a new server answered, or one sent its last reply
  if (answer != TServerAnswer::Refused && !counted_.contains(lower)) {
    counted_.insert(lower);
    progressed = true;
    const int percent = RoundedPercent(repliesCounted_, stash_.Count());
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
  // A closed port settles its server too: nothing more will come from it.
  if (answer != TServerAnswer::Part && !settled_.contains(lower)) {
    settled_.insert(lower);
    progressed = progressed || answer == TServerAnswer::Whole;
  }
  if (sending_) return true;  // the wait starts when the burst has been sent
  if (settled_.size() >= stash_.Count()) {
    ProcessMassRefreshReplies();
  } else if (progressed) {
    timMassRefreshWait_.stop();
    timMassRefreshWait_.start();
  }
  return true;
}

void TMassRefresh::Stop() {
  if (!massRefreshing_ || processingReplies_) return;
  int leftOut = 0;
  if (sending_) {
    leftOut = stash_.Count() - sentCount_;
    sending_ = false;
    stash_.Bursts().Cancel(this);
  }
  stopped_ = true;
  host_.ActivityLog(QStringLiteral("Stopped: ") + QString::number(leftOut) +
                    QStringLiteral(" servers were left out."));
  ProcessMassRefreshReplies();
}

void TMassRefresh::ProcessMassRefreshReplies() {
  timMassRefreshWait_.stop();
  if (sending_) {  // ended before its burst was sent (a test, or a quit): the burst goes too
    sending_ = false;
    stash_.Bursts().Cancel(this);
  }
  processingReplies_ = true;
  // The share of servers that replied, counting the last reply too: the figure shown while
  // counting lags one reply behind, and with a short list that alone would read "Only 89%"
  // when every server answered (and -1 % when none did).
  replyPercent_ = RoundedPercent(repliesCounted_, stash_.Count());
  host_.ShowProgress({TRefreshProgress::Replies, replyPercent_});
  host_.ShowStatus(QStringLiteral("Processing responses..."));
  host_.ActivityLog(QStringLiteral("Processing responses..."));
  stash_.NormalizePings(QString());
  host_.RebuildViews();
  processingReplies_ = false;
  massRefreshing_ = false;
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
