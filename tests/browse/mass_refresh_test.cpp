// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/mass_refresh.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <vector>

#include "query/query_burst.h"
#include "query/server_stash.h"
#include "support/fake_server.h"

namespace zorvane {
namespace {

// Records what the window would show.
struct FakeHost : TMassRefreshHost {
  void ActivityLog(const QString& text) override { activity << text; }
  void DebugLog(const QString& text) override { debug << text; }
  void ShowStatus(const QString& text) override { status << text; }
  bool StopFavoritesAutoRefresh() override { return autoRefreshOn; }
  void RestartFavoritesAutoRefresh() override { ++autoRefreshRestarts; }
  void RebuildViews() override { ++rebuilds; }
  bool ShowLowReplyNotice(const QString& text) override {
    notices << text;
    return tickDontShowAgain;
  }
  void MassRefreshFinished() override { ++finished; }
  void ShowProgress(int percent) override { progress << percent; }

  QStringList activity, debug, status, notices;
  QList<int> progress;
  bool autoRefreshOn = false, tickDontShowAgain = false;
  int autoRefreshRestarts = 0, rebuilds = 0, finished = 0;
};

// Servers known by names that never resolve: the burst sends nothing, and the test delivers
// the replies itself.
void FillStash(TServerStash& stash, int count) {
  stash.SetHostLookup([](const QString&, QObject*, THostLookupDone) {});
  for (int i = 0; i < count; ++i)
    stash.AddServer("server" + QString::number(i) + ".test", "7778", {}, false, "UT", "True", {});
}

struct Refresh {
  explicit Refresh(int servers) : refresh(stash, host) {
    FillStash(stash, servers);
    stash.Bursts().SetPauseHook([this](int ms) { sleeps << ms; });
  }
  // Starts the burst and lets it run to its end.
  void SendBurst() {
    refresh.SendBurst();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !refresh.Sending(); }, 5000));
  }
  TServerStash stash;
  FakeHost host;
  TMassRefresh refresh;
  QList<int> sleeps;
};

TEST(MassRefreshTest, BurstIsPacedAndReportsItsProgress) {
  Refresh r(1000);
  r.refresh.QueryPower = 3;
  r.SendBurst();
  EXPECT_EQ(r.sleeps.size(), 142);
  EXPECT_TRUE(r.refresh.MassRefreshing());
  EXPECT_TRUE(r.refresh.WaitTimer().isActive());
  EXPECT_EQ(r.refresh.WaitTimer().interval(), 4020);
  EXPECT_EQ(r.host.status.first(), "1000 servers available. Querying individual servers... ");
  EXPECT_EQ(r.host.status[1], "1000 servers available. Querying individual servers... 0%");
  EXPECT_EQ(r.host.status.last(), "Waiting for replies...");
  EXPECT_TRUE(
      r.host.status.contains("1000 servers available. Querying individual servers... 100%"));
  EXPECT_EQ(r.host.debug.first(), "Master Server delay variable = 3");
  EXPECT_TRUE(r.host.debug.contains("On loop #6, sleep was requested for 1 ms."));
  EXPECT_EQ(r.refresh.ReplyPercent(), -1);
}

// The bar counts the queries sent and the replies in, each as half, so a burst whose replies
// keep up with it is not shown half done.
TEST(MassRefreshTest, ProgressCountsQueriesAndRepliesAlike) {
  const struct {
    int sent, replied, count, progress;
  } cases[] = {
      {0, 0, 1000, 0},         {880, 880, 1000, 88}, {1000, 0, 1000, 50}, {1000, 500, 1000, 75},
      {1000, 1000, 1000, 100}, {999, 999, 1000, 99}, {3, 0, 0, 100},      {5000, -1, 1000, 50},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MassRefreshProgress(c.sent, c.replied, c.count), c.progress)
        << c.sent << " " << c.replied << " " << c.count;
}

// Stop while sending drops the rest of the burst and ends at once; while waiting it ends the
// wait; with nothing running it does nothing.
TEST(MassRefreshTest, StopEndsTheRefreshAndLogsWhatWasLeftOut) {
  Refresh r(1000);
  r.refresh.QueryPower = 3;
  r.refresh.Stop();
  EXPECT_EQ(r.host.finished, 0);
  r.refresh.SendBurst();
  ASSERT_TRUE(QTest::qWaitFor([&] { return r.host.progress.size() > 5; }, 5000));
  r.refresh.Stop();
  EXPECT_FALSE(r.refresh.MassRefreshing());
  EXPECT_FALSE(r.refresh.Sending());
  EXPECT_FALSE(r.refresh.WaitTimer().isActive());
  EXPECT_EQ(r.host.rebuilds, 1);
  EXPECT_EQ(r.host.finished, 1);
  const QStringList stopped = r.host.activity.filter("Stopped: ");
  ASSERT_EQ(stopped.size(), 1);
  const int leftOut = stopped[0].section(' ', 1, 1).toInt();
  EXPECT_GT(leftOut, 0);
  EXPECT_LT(leftOut, 1000);
  EXPECT_EQ(r.host.progress.last(), 100);
  EXPECT_TRUE(std::is_sorted(r.host.progress.begin(), r.host.progress.end()));
  const qsizetype shown = r.host.status.size();
  QTest::qWait(50);  // the burst is gone: nothing more is sent or shown
  EXPECT_EQ(r.host.status.size(), shown);

  r.SendBurst();
  r.refresh.ServerUpdated(r.stash.Key(0));
  r.refresh.Stop();
  EXPECT_EQ(r.host.activity.filter("Stopped: ").last(), "Stopped: 0 servers were left out.");
  EXPECT_EQ(r.host.finished, 2);
  EXPECT_EQ(r.refresh.ReplyPercent(), 0);  // 1 of 1000
}

TEST(MassRefreshTest, PercentShownBeforeCountingAndProcessingOnTheLastReply) {
  Refresh r(200);
  r.refresh.QueryPower = 0;
  r.SendBurst();
  r.host.status.clear();
  ASSERT_TRUE(r.refresh.ServerUpdated(r.stash.Key(0)));
  EXPECT_EQ(r.host.status.last(), "Receiving Replies... 0% (estimated)");
  for (int i = 1; i < 199; ++i) r.refresh.ServerUpdated(r.stash.Key(i));
  EXPECT_TRUE(r.refresh.WaitTimer().isActive());
  EXPECT_EQ(r.host.rebuilds, 0);
  r.refresh.ServerUpdated(r.stash.Key(199));
  EXPECT_TRUE(r.host.status.contains("Receiving Replies... 100% (estimated)"));  // 99.5 -> 100
  EXPECT_EQ(r.host.rebuilds, 1);  // at once, without waiting
  EXPECT_FALSE(r.refresh.WaitTimer().isActive());
  EXPECT_FALSE(r.refresh.MassRefreshing());
  EXPECT_EQ(r.refresh.ReplyPercent(), 100);
  EXPECT_EQ(r.host.status.last(), "200 total servers");
  EXPECT_EQ(r.host.activity.last(), "100% of servers replied to the last master server request.");
  EXPECT_TRUE(r.host.notices.isEmpty());
  EXPECT_FALSE(r.refresh.ServerUpdated(r.stash.Key(3)));  // ordinary updates again
}

TEST(MassRefreshTest, WaitEndsTheRefreshAndLowRepliesShowTheNoticeOnce) {
  Refresh r(100);
  r.host.autoRefreshOn = true;
  r.host.tickDontShowAgain = true;
  r.refresh.QueryPower = 0;
  r.refresh.WaitTimer().setInterval(30);
  r.SendBurst();
  for (int i = 0; i < 89; ++i) r.refresh.ServerUpdated(r.stash.Key(i));
  EXPECT_EQ(r.refresh.ReplyPercent(), 88);  // shown before the 89th reply was counted
  ASSERT_TRUE(QTest::qWaitFor([&] { return r.host.finished == 1; }, 2000));
  EXPECT_EQ(r.refresh.ReplyPercent(), 89);
  ASSERT_EQ(r.host.notices.size(), 1);
  EXPECT_EQ(r.host.notices[0],
            "Only 89% of the servers responded to their ping requests.\r\n\r\nPlease see the "
            "Tools/Options - 'Master Server Query delay strength' option on how to improve this "
            "value.");
  EXPECT_TRUE(r.refresh.SkipLowReplyInfo);

  r.SendBurst();
  r.refresh.ProcessMassRefreshReplies();  // nobody replied this time
  EXPECT_EQ(r.refresh.ReplyPercent(), 0);
  EXPECT_EQ(r.host.notices.size(), 1);  // "Don't show this message again" was ticked
}

TEST(MassRefreshTest, EveryServerOfAShortListReplyingIsAHundredPercent) {
  Refresh r(9);
  r.refresh.QueryPower = 0;
  r.SendBurst();
  for (int i = 0; i < 9; ++i) r.refresh.ServerUpdated(r.stash.Key(i));
  EXPECT_EQ(r.refresh.ReplyPercent(), 100);  // while counting the status showed 89 %
  EXPECT_TRUE(r.host.notices.isEmpty());
}

TEST(MassRefreshTest, UpdatesWhileProcessingAreIgnoredAndUnknownKeysNotCounted) {
  Refresh r(10);
  EXPECT_FALSE(r.refresh.ServerUpdated(r.stash.Key(0)));  // not refreshing: the window's
  r.refresh.QueryPower = 0;
  r.SendBurst();
  EXPECT_TRUE(r.refresh.ServerUpdated("nowhere:1"));
  EXPECT_EQ(r.refresh.RepliesCounted(), 0);
}

// Servers on 127.0.0.1 that answer every status query with one whole reply.
struct AnsweringServers {
  explicit AnsweringServers(TServerStash& stash, int count) {
    for (int i = 0; i < count; ++i) {
      fakes.push_back(std::make_unique<testing::FakeServer>([](const QByteArray&) {
        return QList<QByteArray>{"\\hostname\\Fake\\mapname\\DM-Deck16\\final\\"};
      }));
      stash.AddServer("127.0.0.1", QString::number(fakes.back()->Port()), {}, false, "UT", "True",
                      {});
    }
  }
  std::vector<std::unique_ptr<testing::FakeServer>> fakes;
};

TEST(MassRefreshTest, RepliesAreReadWhileTheBurstIsStillSending) {
  Refresh r(0);
  AnsweringServers servers(r.stash, 20);
  QStringList events;
  QObject::connect(&r.stash, &TServerStash::OnServerUpdated, [&](const QString& key) {
    events << "reply";
    r.refresh.ServerUpdated(key);
  });
  r.refresh.QueryPower = 9;  // a pause after every query
  r.refresh.SendBurst();
  EXPECT_TRUE(r.refresh.Sending());  // the first pause handed the thread back
  ASSERT_TRUE(QTest::qWaitFor([&] { return !r.refresh.Sending(); }, 5000));
  events << "sent";
  EXPECT_EQ(r.sleeps, QList<int>(19, 1));
  ASSERT_GE(events.indexOf("reply"), 0);
  EXPECT_LT(events.indexOf("reply"), events.indexOf("sent"));
  EXPECT_GT(r.refresh.RepliesCounted(), 0);  // counted while sending
  ASSERT_TRUE(QTest::qWaitFor([&] { return r.host.finished == 1; }, 5000));
  EXPECT_EQ(r.refresh.ReplyPercent(), 100);
}

TEST(MassRefreshTest, EachServerCountsOnceAndItsLaterUpdatesDoNotExtendTheWait) {
  Refresh r(3);
  r.refresh.QueryPower = 0;
  r.SendBurst();
  r.refresh.ServerUpdated(r.stash.Key(0));
  QTest::qWait(100);
  const int remaining = r.refresh.WaitTimer().remainingTime();
  EXPECT_TRUE(r.refresh.ServerUpdated(r.stash.Key(0)));  // the rest of a reply, say
  EXPECT_EQ(r.refresh.RepliesCounted(), 1);
  EXPECT_LE(r.refresh.WaitTimer().remainingTime(), remaining);
  r.refresh.ServerUpdated(r.stash.Key(1));
  r.refresh.ServerUpdated(r.stash.Key(2));
  EXPECT_EQ(r.host.rebuilds, 1);  // all three counted: done without waiting
}

TEST(MassRefreshTest, NamedServerResolvedDuringTheWaitIsQueriedAndCounted) {
  Refresh r(0);
  testing::FakeServer fake(
      [](const QByteArray&) { return QList<QByteArray>{"\\hostname\\Named\\final\\"}; });
  r.stash.SetHostLookup([](const QString&, QObject* context, THostLookupDone done) {
    QTimer::singleShot(50, context, [done] { done(QHostAddress("127.0.0.1"), {}); });
  });
  QObject::connect(&r.stash, &TServerStash::OnServerUpdated,
                   [&](const QString& key) { r.refresh.ServerUpdated(key); });
  r.stash.AddServer("fav.example", QString::number(fake.Port()), {}, true, "UT", "True", {});
  r.refresh.QueryPower = 0;
  r.SendBurst();  // its name is still being resolved
  EXPECT_TRUE(fake.Requests().isEmpty());
  ASSERT_TRUE(QTest::qWaitFor([&] { return r.host.finished == 1; }, 3000));
  EXPECT_EQ(fake.Requests().size(), 1);
  EXPECT_EQ(r.refresh.ReplyPercent(), 100);
  EXPECT_EQ(r.stash.Server(0)->Description(), "Named");
}

TEST(MassRefreshTest, ServersWithoutASocketAreCountedInTheLogAndStatus) {
  Refresh r(0);
  const int base = testing::ClosedPort();
  for (int i = 0; i < 100; ++i)
    r.stash.AddServer("127.0.0.1", QString::number(base + i), {}, false, "UT", "True", {});
  rlimit saved{};
  getrlimit(RLIMIT_NOFILE, &saved);
  rlimit tight = saved;
  tight.rlim_cur = 64;
  setrlimit(RLIMIT_NOFILE, &tight);
  r.refresh.QueryPower = 0;
  r.SendBurst();
  setrlimit(RLIMIT_NOFILE, &saved);
  const int missing = r.refresh.NoSocketCount();
  EXPECT_GT(missing, 0);
  EXPECT_LT(missing, 100);
  const QString text =
      QString::number(missing) + " servers could not be queried: no free sockets (open file limit)";
  EXPECT_TRUE(r.host.activity.contains(text));
  EXPECT_TRUE(r.host.status.contains(text));
  r.refresh.ProcessMassRefreshReplies();
  EXPECT_EQ(r.host.status.last(), QString("100 total servers (%1 could not be queried: no free "
                                          "sockets)")
                                      .arg(missing));
  EXPECT_EQ(r.stash.Count(), 100);  // nobody was dropped
}

TEST(MassRefreshTest, FailedMasterQueryEndsWithZeroServers) {
  Refresh r(3);
  r.refresh.Master = {"127.0.0.1", 1};  // nothing listens on port 1
  r.refresh.MasterOptions.connectTimeoutMs = 2000;
  EXPECT_FALSE(r.refresh.StartMassRefresh("UT"));
  EXPECT_EQ(r.host.activity.first(), "UT Master Server query requested...");
  EXPECT_TRUE(r.host.status.contains("Could not open connection to GameSpy"));
  EXPECT_EQ(r.host.status.last(), "0 servers");
  EXPECT_EQ(r.host.finished, 1);
  EXPECT_EQ(r.stash.Count(), 3);  // left as it was
  EXPECT_FALSE(r.refresh.MassRefreshing());
}

}  // namespace
}  // namespace zorvane
