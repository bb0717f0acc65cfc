// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/refresh_cycle.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>

#include "query/query_burst.h"
#include "query/server_stash.h"

namespace zorvane {
namespace {

// Records what the view would draw. Its servers are those of the game type "CTFGame".
struct FakeView : TRefreshCycleView {
  bool BelongsToView(const TServer& server) const override {
    return server.GameType() == u"CTFGame";
  }
  QString SelectedServerKey() const override { return selected; }
  void ShowAwaited(const QString& key) override { awaited << key; }
  void ShowSilent(const QStringList& keys) override {
    silent << keys;
    ++waitsEnded;
  }
  void ShowWarning(const QString& text) override { warnings << text; }
  void ServerRefreshed(const QString& key) override { refreshed << key; }
  void ListRefreshSent() override { ++listsSent; }
  void DebugLog(const QString&) override {}

  QString selected;
  QStringList awaited, silent, warnings, refreshed;
  int waitsEnded = 0, listsSent = 0;
};

// Servers of a game without a query protocol: asking them sends nothing, and each test
// plays the stash's part by setting the records as a reply would.
class RefreshCycleTest : public ::testing::Test {
 protected:
  RefreshCycleTest() {
    cycle.SetStash(&stash);
    stash.Bursts().SetPauseHook([](int) {});
  }

  QString Add(const QString& host, const QString& gameType = "CTFGame") {
    stash.AddServer(host, "7778", {}, false, {}, "True", {});
    TServer& server = *stash.Server(stash.Count() - 1);
    server.SetGameType(gameType);
    server.SetPing("40");
    return stash.Key(stash.Count() - 1);
  }
  TServer& Record(const QString& key) { return *stash.Find(key); }

  void SendList() {
    cycle.RefreshServerList();
    ASSERT_TRUE(QTest::qWaitFor([&] { return stash.Bursts().Idle(); }, 2000));
  }

  TServerStash stash;
  FakeView view;
  TRefreshCycle cycle{view};
};

TEST_F(RefreshCycleTest, TheWaitMarksOnlyServersWhoseRecordsStayedIncomplete) {
  struct Case {
    const char* what;
    bool completed;  // what the stash does to the record when a reply completes it
    bool refused;
    bool silent;
  };
  const Case cases[] = {
      {"replied", true, false, false},
      {"refused: the record is complete, the server offline", true, true, false},
      {"sent nothing", false, false, true},
      {"sent part of a reply", false, false, true},
  };
  QStringList keys;
  for (int i = 0; i < int(std::size(cases)); ++i) {
    keys << Add("10.0.0." + QString::number(i + 1));
    Record(keys.back()).ReplyComplete = true;  // complete after an earlier refresh
    Record(keys.back()).Online = true;
  }
  const QString other = Add("10.0.1.1", "DeathMatchPlus");

  SendList();
  EXPECT_EQ(view.awaited, keys);  // another view's servers are not asked
  EXPECT_EQ(view.listsSent, 1);
  EXPECT_TRUE(cycle.ReplyWaitTimer().isActive());
  for (int i = 0; i < int(std::size(cases)); ++i) {
    EXPECT_TRUE(cycle.Awaited(keys[i])) << cases[i].what;
    TServer& record = Record(keys[i]);
    record.ReplyComplete = cases[i].completed;
    if (cases[i].refused) stash.ResetServer(stash.IndexOf(keys[i]), true);
  }
  EXPECT_FALSE(cycle.Awaited(other));

  cycle.ReplyWaitOver();
  QStringList expected;
  for (int i = 0; i < int(std::size(cases)); ++i) {
    SCOPED_TRACE(cases[i].what);
    if (cases[i].silent) expected << keys[i];
    EXPECT_FALSE(cycle.Awaited(keys[i]));
    // A silent server's record is reset with its online flags; an answered one is untouched.
    EXPECT_EQ(Record(keys[i]).Online, !cases[i].silent && !cases[i].refused);
    EXPECT_EQ(Record(keys[i]).Ping() == "9999", cases[i].silent || cases[i].refused);
  }
  EXPECT_EQ(view.silent, expected);
  EXPECT_EQ(Record(other).Ping(), "40");

  // The next wait finds nothing asked: it marks nobody again.
  cycle.ReplyWaitOver();
  EXPECT_EQ(view.waitsEnded, 2);
  EXPECT_EQ(view.silent, expected);
}

TEST_F(RefreshCycleTest, AWaitEndingWhileTheListIsStillSentChangesNothing) {
  for (int i = 1; i <= 3; ++i) Add("10.0.2." + QString::number(i));
  int pauses = 0;
  stash.Bursts().SetPauseHook([&](int) { ++pauses; });
  cycle.SetQueryPower(9);  // a pause after every query: the burst yields before its end
  cycle.RefreshServerList();
  EXPECT_FALSE(cycle.ReplyWaitTimer().isActive());
  cycle.ReplyWaitOver();
  EXPECT_EQ(view.waitsEnded, 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return stash.Bursts().Idle(); }, 2000));
  EXPECT_EQ(pauses, 2);
  EXPECT_TRUE(cycle.ReplyWaitTimer().isActive());
  EXPECT_TRUE(cycle.Awaited(stash.Key(0)));
}

TEST_F(RefreshCycleTest, TheTimersDoTheirWork) {
  const QString key = Add("10.0.3.1");
  cycle.SetPingWaitTime(1);
  SendList();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view.waitsEnded == 1; }, 2000));
  EXPECT_EQ(view.silent, QStringList{key});

  // The automatic refresh asks the whole list, and stops when the rate goes to 0.
  view.awaited.clear();
  cycle.SetAutoRefreshRate(5);
  EXPECT_TRUE(cycle.AutoRefreshTimer().isActive());
  ASSERT_TRUE(QTest::qWaitFor([&] { return view.listsSent == 2; }, 2000));
  EXPECT_EQ(view.awaited.first(), key);
  cycle.SetAutoRefreshRate(0);
  EXPECT_FALSE(cycle.AutoRefreshTimer().isActive());
}

TEST_F(RefreshCycleTest, RefreshesOfOneServer) {
  const QString first = Add("10.0.4.1");
  const QString second = Add("10.0.4.2");
  cycle.SetAutoRefreshRate(60000);
  cycle.SetAutoRefreshSelectedServerOnly(true);

  cycle.AutoRefreshDue();  // nothing selected: nothing asked
  EXPECT_TRUE(view.awaited.isEmpty());
  view.selected = second;
  cycle.AutoRefreshDue();  // only the selected server, and no new wait
  EXPECT_EQ(view.awaited, QStringList{second});
  EXPECT_EQ(view.refreshed, QStringList{second});
  EXPECT_TRUE(cycle.AutoRefreshTimer().isActive());
  EXPECT_FALSE(cycle.ReplyWaitTimer().isActive());

  view.selected = first;
  cycle.RefreshSelectedServer();  // by command: a full new wait
  EXPECT_EQ(view.awaited, (QStringList{second, first}));
  EXPECT_TRUE(cycle.ReplyWaitTimer().isActive());
  cycle.RefreshServer("10.9.9.9:7778");  // unknown: nothing asked
  EXPECT_EQ(view.awaited.size(), 2);

  Record(first).ReplyComplete = true;
  cycle.ReplyWaitOver();
  EXPECT_EQ(view.silent, QStringList{second});

  cycle.StopAllTimers();
  EXPECT_FALSE(cycle.AutoRefreshTimer().isActive());
  EXPECT_FALSE(cycle.StopAutoRefresh());
  cycle.StartAutoRefresh();
  EXPECT_TRUE(cycle.StopAutoRefresh());
}

TEST_F(RefreshCycleTest, ASilentNamedServerIsLookedUpAgainAndAskedOnceMore) {
  stash.SetHostLookup([](const QString&, QObject* context, THostLookupDone done) {
    QTimer::singleShot(0, context, [done] { done(QHostAddress("127.0.0.1"), {}); });
  });
  const QString key = Add("named.test");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Record(key).IP().isEmpty(); }, 1000));
  SendList();
  cycle.ReplyWaitOver();
  EXPECT_EQ(Record(key).ReResolvePending, 1);
  EXPECT_TRUE(Record(key).IP().isEmpty());  // looked up afresh
  EXPECT_TRUE(cycle.ReResolveTimer().isActive());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Record(key).IP().isEmpty(); }, 1000));
  cycle.ReResolveRetry();
  EXPECT_TRUE(Record(key).RetriedOnce);
  EXPECT_TRUE(cycle.Awaited(key));
  EXPECT_TRUE(cycle.ReplyWaitTimer().isActive());
  cycle.ReplyWaitOver();  // silent again: only the retried mark is cleared
  EXPECT_EQ(view.silent, (QStringList{key, key}));
  EXPECT_FALSE(Record(key).RetriedOnce);
  EXPECT_EQ(Record(key).ReResolvePending, 0);
  EXPECT_FALSE(cycle.ReResolveTimer().isActive());
}

}  // namespace
}  // namespace zorvane
