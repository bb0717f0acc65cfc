// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/query/mass_refresh_run.h"

#include <QEventLoop>
#include <cstdio>

#include "browse/mass_refresh.h"
#include "query/server_stash.h"

namespace zorvane {

namespace {

class THeadlessHost : public TMassRefreshHost {
 public:
  explicit THeadlessHost(QEventLoop& loop) : loop_(loop) {}
  void ActivityLog(const QString& text) override { Print(text); }
  void DebugLog(const QString&) override {}
  void ShowStatus(const QString& text) override { Print(text); }
  void ShowMasterFailure(const QString& text) override { Print(text); }
  bool ShowLowReplyNotice(const QString& text) override {
    Print(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    return false;
  }
  void MassRefreshFinished() override { loop_.quit(); }

 private:
  // The same text from the status bar and the log is printed once.
  void Print(const QString& text) {
    if (text == last_) return;
    last_ = text;
    std::fprintf(stderr, "%s\n", qUtf8Printable(text));
  }

  QEventLoop& loop_;
  QString last_;
};

}  // namespace

TMassRefreshOutcome RunMassRefresh(TServerStash& stash, const QString& master, int queryPower,
                                   const QString& variant) {
  QEventLoop loop;
  THeadlessHost host(loop);
  TMassRefresh refresh(stash, host);
  refresh.QueryPower = queryPower;
  refresh.Masters[variant] = {ParseMasterAddress(master).value_or(TMasterAddress{})};
  QObject::connect(&stash, &TServerStash::OnServerUpdated, &refresh,
                   [&refresh](const QString& key) { refresh.ServerUpdated(key); });
  if (refresh.StartMassRefresh(variant) && refresh.MassRefreshing()) loop.exec();
  TMassRefreshOutcome outcome;
  const std::vector<TMasterOutcome> masters = refresh.MasterOutcomes();
  outcome.masterAnswered = !masters.empty() && GaveList(masters.front().result);
  outcome.listCut = !masters.empty() && masters.front().result == TMasterResult::Cut;
  outcome.listed = refresh.ServersListed();
  outcome.replyPercent = outcome.listed > 0 ? refresh.ReplyPercent() : 0;
  return outcome;
}

}  // namespace zorvane
