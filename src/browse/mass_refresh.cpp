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

int MassRefreshProgress(int sent, int replied, int count) {
  if (count <= 0) return 100;
  const auto share = [count](int part) { return std::clamp(part, 0, count) * 50.0 / count; };
  return std::clamp(int(std::floor(share(sent) + share(replied))), 0, 100);
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

  listed_ = QueryMasterServer(stash_, variant, Master, MasterOptions,
                              [this](const QString& text) { host_.ShowStatus(text); });
  if (listed_ == 0) {
    host_.RemoveServersOfGame(variant);
    host_.ShowStatus(QStringLiteral("0 servers"));
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
  sentCount_ = 0;
  counted_.clear();
  sending_ = true;
  progressShown_ = 0;
  host_.ShowProgress(0);

  TBurstRequest burst;
  burst.owner = this;
  burst.keys.reserve(count);
  for (int i = 0; i < count; ++i) burst.keys << stash_.Key(i);
  burst.queryPower = QueryPower;
  burst.debugLog = [this](const QString& line) { host_.DebugLog(line); };
  auto shown = std::make_shared<int>(-1);
  burst.sent = [this, querying, count, shown](int i) {
    sentCount_ = i + 1;
    UpdateProgress();
    const int percent = RoundedPercent(i, count);
    if (percent == *shown) return;
    *shown = percent;
    host_.ShowStatus(querying + QString::number(percent) + u'%');
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
  UpdateProgress();
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
  if (repliesCounted_ >= stash_.Count() && stash_.Count() > 0)
    ProcessMassRefreshReplies();  // every server answered while the burst was still going
  else
    timMassRefreshWait_.start();
}

bool TMassRefresh::ServerUpdated(const QString& key) {
  if (processingReplies_) return true;
  if (!massRefreshing_) return false;
  if (stash_.IndexOf(key) < 0) return true;
  if (counted_.contains(key.toLower())) return true;  // completes nothing new
  counted_.insert(key.toLower());
  timMassRefreshWait_.stop();
  const int count = stash_.Count();
  const int percent = RoundedPercent(repliesCounted_, count);
  if (percent != replyPercent_) {
    const QString text = QStringLiteral("Receiving Replies... ") + QString::number(percent) +
                         QStringLiteral("% (estimated)");
    host_.ShowStatus(text);
    host_.DebugLog(text);
    replyPercent_ = percent;
  }
  ++repliesCounted_;
  UpdateProgress();
  if (sending_) return true;  // the wait starts when the burst has been sent
  if (count > repliesCounted_)
    timMassRefreshWait_.start();
  else
    ProcessMassRefreshReplies();
  return true;
}

void TMassRefresh::UpdateProgress() {
  const int count = stash_.Count();
  const int progress = MassRefreshProgress(sending_ ? sentCount_ : count, repliesCounted_, count);
  if (progress <= progressShown_) return;
  progressShown_ = progress;
  host_.ShowProgress(progress);
}

void TMassRefresh::Stop() {
  if (!massRefreshing_ || processingReplies_) return;
  const int leftOut = sending_ ? stash_.Count() - sentCount_ : 0;
  if (sending_) {
    sending_ = false;
    stash_.Bursts().Cancel(this);
  }
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
  host_.ShowProgress(100);
  // The share of servers that replied, counting the last reply too: the figure shown while
  // counting lags one reply behind, and with a short list that alone would read "Only 89%"
  // when every server answered (and -1 % when none did).
  replyPercent_ = RoundedPercent(repliesCounted_, stash_.Count());
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
  if (replyPercent_ < 90 && !SkipLowReplyInfo) {
    SkipLowReplyInfo = host_.ShowLowReplyNotice(
        QStringLiteral("Only ") + QString::number(replyPercent_) +
        QStringLiteral("% of the servers responded to their ping requests.\r\n\r\n"
                       "Please see the Tools/Options - 'Master Server Query delay strength' "
                       "option on how to improve this value."));
  }
  host_.MassRefreshFinished();
}

}  // namespace zorvane
