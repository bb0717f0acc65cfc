#include "app/mass_refresh.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>

#include "query/server_stash.h"

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

  QStringList activity, debug, status, notices;
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
    refresh.Sleep = [this](int ms) { sleeps << ms; };
  }
  TServerStash stash;
  FakeHost host;
  TMassRefresh refresh;
  QList<int> sleeps;
};

TEST(MassRefreshTest, BurstIsPacedAndReportsItsProgress) {
  Refresh r(1000);
  r.refresh.QueryPower = 3;
  r.refresh.SendBurst();
  EXPECT_EQ(r.sleeps.size(), 142);
  EXPECT_TRUE(r.refresh.MassRefreshing());
  EXPECT_TRUE(r.refresh.WaitTimer().isActive());
  EXPECT_EQ(r.refresh.WaitTimer().interval(), 4020);
  EXPECT_EQ(r.host.status.first(), "1000 servers available. Querying individual servers... ");
  EXPECT_EQ(r.host.status[1], "1000 servers available. Querying individual servers... 0%");
  EXPECT_EQ(r.host.status.last(), "Waiting for replies...");
  EXPECT_TRUE(r.host.status.contains("1000 servers available. Querying individual servers... 100%"));
  EXPECT_EQ(r.host.debug.first(), "Master Server delay variable = 3");
  EXPECT_TRUE(r.host.debug.contains("On loop #6, sleep was requested for 1 ms."));
  EXPECT_EQ(r.refresh.ReplyPercent(), -1);
}

TEST(MassRefreshTest, PercentShownBeforeCountingAndProcessingOnTheLastReply) {
  Refresh r(200);
  r.refresh.QueryPower = 0;
  r.refresh.SendBurst();
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
  r.refresh.SendBurst();
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

  r.refresh.SendBurst();
  r.refresh.ProcessMassRefreshReplies();  // nobody replied this time
  EXPECT_EQ(r.refresh.ReplyPercent(), 0);
  EXPECT_EQ(r.host.notices.size(), 1);  // "Don't show this message again" was ticked
}

TEST(MassRefreshTest, EveryServerOfAShortListReplyingIsAHundredPercent) {
  Refresh r(9);
  r.refresh.QueryPower = 0;
  r.refresh.SendBurst();
  for (int i = 0; i < 9; ++i) r.refresh.ServerUpdated(r.stash.Key(i));
  EXPECT_EQ(r.refresh.ReplyPercent(), 100);  // while counting the status showed 89 %
  EXPECT_TRUE(r.host.notices.isEmpty());
}

TEST(MassRefreshTest, UpdatesWhileProcessingAreIgnoredAndUnknownKeysNotCounted) {
  Refresh r(10);
  EXPECT_FALSE(r.refresh.ServerUpdated(r.stash.Key(0)));  // not refreshing: the window's
  r.refresh.QueryPower = 0;
  r.refresh.SendBurst();
  EXPECT_TRUE(r.refresh.ServerUpdated("nowhere:1"));
  EXPECT_EQ(r.refresh.RepliesCounted(), 0);
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
