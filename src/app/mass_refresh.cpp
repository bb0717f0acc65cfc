#include "app/mass_refresh.h"

#include <cmath>

#include "query/server_stash.h"

namespace zorvane {

int RoundedPercent(int part, int whole) {
  if (whole <= 0) return 0;
  return int(std::nearbyint(double(part) * 100.0 / double(whole)));
}

TMassRefresh::TMassRefresh(TServerStash& stash, TMassRefreshHost& host, QObject* parent)
    : QObject(parent), stash_(stash), host_(host) {
  timMassRefreshWait_.setInterval(kReplyWaitMs);
  timMassRefreshWait_.setSingleShot(true);
  connect(&timMassRefreshWait_, &QTimer::timeout, this, &TMassRefresh::ProcessMassRefreshReplies);
}

bool TMassRefresh::StartMassRefresh(const QString& variant) {
  host_.ActivityLog(QStringLiteral("UT Master Server query requested..."));
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
  const QString querying =
      QString::number(count) + QStringLiteral(" servers available. Querying individual servers... ");
  host_.ShowStatus(querying);
  host_.ActivityLog(querying);
  host_.DebugLog(QStringLiteral("Master Server delay variable = ") + QString::number(QueryPower));

  massRefreshing_ = true;
  host_.SetMassRefreshing(true);
  TQueryPacer pacer(QueryPower, Sleep, [this](const QString& line) { host_.DebugLog(line); });
  int shown = -1;
  for (int i = 0; i < count; ++i) {
    stash_.QueryServer(stash_.Key(i));
    const int percent = RoundedPercent(i, count);
    if (percent != shown) {
      shown = percent;
      host_.ShowStatus(querying + QString::number(percent) + u'%');
      host_.DebugLog(QStringLiteral("percentage queried = ") + QString::number(percent) +
                     QStringLiteral("% "));
    }
    pacer.AfterQuery(i, count);
  }

  host_.ShowStatus(QStringLiteral("Waiting for replies..."));
  host_.ActivityLog(QStringLiteral("Waiting for replies..."));
  replyPercent_ = -1;
  repliesCounted_ = 0;
  timMassRefreshWait_.start();
}

bool TMassRefresh::ServerUpdated(const QString& key) {
  if (processingReplies_) return true;
  if (!massRefreshing_) return false;
  if (stash_.IndexOf(key) < 0) return true;
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
  if (count > repliesCounted_)
    timMassRefreshWait_.start();
  else
    ProcessMassRefreshReplies();
  return true;
}

void TMassRefresh::ProcessMassRefreshReplies() {
  timMassRefreshWait_.stop();
  processingReplies_ = true;
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
  host_.ShowStatus(QString::number(stash_.Count()) + QStringLiteral(" total servers"));
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
