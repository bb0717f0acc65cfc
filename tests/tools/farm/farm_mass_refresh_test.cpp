// SPDX-License-Identifier: GPL-2.0-or-later
// Whole mass refreshes of farm servers through the controller the window uses, and the farm's
// masters, each with its share and its fault, asked as the program asks them.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include "browse/mass_refresh.h"
#include "query/master_exchange.h"
#include "query/server_stash.h"
#include "support/farm_process.h"

namespace zorvane {
namespace {

struct Host : TMassRefreshHost {
  explicit Host(QEventLoop& loop) : loop(loop) {}
  void ActivityLog(const QString& text) override { activity << text; }
  void DebugLog(const QString&) override {}
  void ShowStatus(const QString& text) override { status << text; }
  bool RebuildView(int, bool) override {
    ++rebuilds;
    return true;
  }
  void ShowLowReplyNotice(const QString& text) override { notices << text; }
  void MassRefreshFinished() override { loop.quit(); }
  QEventLoop& loop;
  QStringList activity, status, notices;
  int rebuilds = 0;
};

TEST(FarmMassRefreshTest, FiveHundredServersAllReplyAndEveryViewRebuildsOnce) {
  testing::FarmProcess farm(500, 0, 77);
  ASSERT_TRUE(farm.Start()) << farm.Process().readAllStandardError().constData();

  TServerStash stash;
  QEventLoop loop;
  Host host(loop);
  TMassRefresh refresh(stash, host);
  refresh.Masters["UT"] = {{"127.0.0.1", farm.MasterPort()}};
  QObject::connect(&stash, &TServerStash::OnServerUpdated, &refresh,
                   [&](const QString& key) { refresh.ServerUpdated(key); });
  ASSERT_TRUE(refresh.StartMassRefresh("UT")) << host.status.join(" | ").toStdString();
  QTimer::singleShot(60000, &loop, &QEventLoop::quit);
  loop.exec();

  EXPECT_EQ(refresh.ServersListed(), 500);
  EXPECT_EQ(stash.Count(), 500);
  EXPECT_EQ(host.rebuilds, 1);
  EXPECT_FALSE(refresh.MassRefreshing());
  EXPECT_EQ(refresh.ReplyPercent(), 100);
  EXPECT_TRUE(host.notices.isEmpty());
  EXPECT_TRUE(host.status.contains("Waiting for replies..."));
  EXPECT_EQ(host.status.last(), "500 total servers");
  int replied = 0;
  for (int i = 0; i < stash.Count(); ++i) {
    const TServer& server = *stash.Server(i);
    replied += server.Online;
    EXPECT_FALSE(server.MapName().isEmpty()) << stash.Key(i).toStdString();
  }
  EXPECT_EQ(replied, 500);
}

QString Arg(quint16 port, const char* rest = "") {
  return QString::number(port) + QString::fromLatin1(rest);
}

// Each fault of a farm master as the program meets it: a master that never greets times out,
// one that sends half its list and closes cuts it, one that trickles a byte at a time gives its
// list whole but slowly, and is given up when the exchange's time is shorter.
TEST(FarmMassRefreshTest, EachMasterFaultAsTheProgramMeetsIt) {
  const quint16 silent = testing::FreeTcpPort(), half = testing::FreeTcpPort(),
                trickle = testing::FreeTcpPort();
  testing::FarmProcess farm(4, 0, 11,
                            {"--master", Arg(silent, ":silent"), "--master", Arg(half, ":half"),
                             "--master", Arg(trickle, ":0-1:trickle")});
  ASSERT_TRUE(farm.Start()) << farm.Process().readAllStandardError().constData();
  EXPECT_TRUE(farm.StartLine().contains(Arg(trickle, " (servers 0-1, trickle)")))
      << farm.StartLine().toStdString();
  const struct {
    const char* name;
    quint16 port;
    TMasterQueryOptions options;
    TMasterResult result;
    int listed;
    int atLeastMs;
  } cases[] = {
      {"silent", silent, {500, 5000}, TMasterResult::TimedOut, 0, 450},
      {"half", half, {5000, 5000}, TMasterResult::Cut, 1, 0},
      {"trickle", trickle, {5000, 20000}, TMasterResult::Listed, 2, 1000},
      {"trickle, short time", trickle, {5000, 800}, TMasterResult::TimedOut, 0, 750},
      {"whole", farm.MasterPort(), {5000, 5000}, TMasterResult::Listed, 4, 0},
  };
  for (const auto& c : cases) {
    TMasterExchange exchange(*MasterGameOfVariant(u"UT"), {"127.0.0.1", c.port}, c.options, {});
    TMasterOutcome outcome;
    bool done = false;
    QObject::connect(&exchange, &TMasterExchange::OnFinished, [&](const TMasterOutcome& o) {
      outcome = o;
      done = true;
    });
    QElapsedTimer elapsed;
    elapsed.start();
    exchange.Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 25000)) << c.name;
    EXPECT_EQ(outcome.result, c.result) << c.name << ": " << outcome.text.toStdString();
    EXPECT_EQ(outcome.listed, c.listed) << c.name;
    EXPECT_GE(elapsed.elapsed(), c.atLeastMs) << c.name;
  }
}

// Four masters at once: two whole lists that overlap, one silent, one that cuts its list. Every
// server of the good lists is listed once and asked; as not every list was whole, nothing goes;
// the log names each master's outcome.
TEST(FarmMassRefreshTest, FourMastersTwoOverlappingOneSilentOneCutting) {
  const quint16 first = testing::FreeTcpPort(), second = testing::FreeTcpPort(),
                silent = testing::FreeTcpPort();
  testing::FarmProcess farm(60, 0, 12,
                            {"--master-fault", "half", "--master", Arg(first, ":0-39"), "--master",
                             Arg(second, ":20-59"), "--master", Arg(silent, ":silent")});
  ASSERT_TRUE(farm.Start()) << farm.Process().readAllStandardError().constData();

  TServerStash stash;
  stash.AddServer("127.0.0.1", "7001", {}, false, "UT", "True", {});  // listed last time
  QEventLoop loop;
  Host host(loop);
  TMassRefresh refresh(stash, host);
  refresh.QueryPower = 0;
  refresh.MasterOptions = {1500, 60000};
  for (const quint16 port : {farm.MasterPort(), first, second, silent})
    refresh.Masters["UT"].push_back({"127.0.0.1", port});
  QObject::connect(&stash, &TServerStash::OnServerUpdated, &refresh,
                   [&](const QString& key) { refresh.ServerUpdated(key); });
  ASSERT_TRUE(refresh.StartMassRefresh("UT"));
  QTimer::singleShot(30000, &loop, &QEventLoop::quit);
  loop.exec();

  EXPECT_FALSE(refresh.MassRefreshing());
  EXPECT_EQ(refresh.ServersListed(), 60);
  EXPECT_EQ(refresh.ServersQueried(), 60);
  EXPECT_EQ(refresh.RepliesCounted(), 60);
  EXPECT_EQ(stash.Count(), 61);
  EXPECT_TRUE(stash.Find("127.0.0.1:7001"));
  const auto logged = [&](quint16 port, const QString& what) {
    return host.activity.contains("127.0.0.1:" + QString::number(port) + ": " + what);
  };
  EXPECT_TRUE(logged(first, "40 servers"));
  EXPECT_TRUE(logged(second, "40 servers"));
  EXPECT_TRUE(logged(silent, "no answer (timed out)"));
  EXPECT_TRUE(logged(farm.MasterPort(), "list cut short (kept 29 servers, removed none)"))
      << host.activity.join(" | ").toStdString();
  EXPECT_TRUE(host.activity.contains("No server was removed: not every master server gave a "
                                     "whole list"));
  EXPECT_TRUE(host.notices.isEmpty());
}

}  // namespace
}  // namespace zorvane
