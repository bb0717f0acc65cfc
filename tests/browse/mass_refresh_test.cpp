// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/mass_refresh.h"

#include <gtest/gtest.h>


#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>
#include <algorithm>
#include <memory>
#include <vector>

#include "query/query_burst.h"
#include "query/server_stash.h"
#include "support/fake_master.h"
#include "support/descriptor_squeeze.h"
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
  int ViewCount() override { return 3; }
  // Each view in two parts; the rebuild at the end is counted once its last view is done.
  bool RebuildView(int index, bool start) override {
    if (refresh && refresh->ProcessingReplies()) {
      if (!start && index == 2) ++rebuilds;
    } else if (!start) {
      interimViews << index;
    }
    return !start;
  }
  void ShowLowReplyNotice(const QString& text) override {
    if (skipNotice) return;
    notices << text;
    skipNotice = tickDontShowAgain;
  }
  void ShowMasterFailure(const QString& text) override { failures << text; }
  void RemoveServersOfGame(const QString& variant) override { removed << variant; }
  void RestartReplyWaitTimers() override { ++replyWaitRestarts; }
  void MassRefreshFinished() override { ++finished; }
  void ShowProgress(const TRefreshProgress& shown) override { progress << shown; }

  QStringList activity, debug, status, notices, failures, removed;
  QList<TRefreshProgress> progress;
  const TMassRefresh* refresh = nullptr;
  QList<int> interimViews;  // rebuilt one at a time while a master was out
  int replyWaitRestarts = 0;
  bool autoRefreshOn = false, tickDontShowAgain = false, skipNotice = false;
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
    host.refresh = &refresh;
    FillStash(stash, servers);
    stash.Bursts().SetPauseHook([this](int ms) { sleeps << ms; });
  }
  // Starts the burst and lets it run to its end.
  void SendBurst() {
    refresh.SendBurst();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !refresh.Sending(); }, 5000));
  }
  // Server i has sent its whole reply (a text reply), and the stash says so.
  bool Reply(int i) {
    TServer& server = *stash.Server(i);
    server.RepliesAsked = rpTextFinal;
    server.RepliesSeen = rpTextFinal;
    server.ReplyComplete = true;
    return refresh.ServerUpdated(stash.Key(i));
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

// The bar shows the share the status line shows: the queries sent until a reply comes in,
// then the replies counted ("Receiving Replies... 54% (estimated)"), not a blend of the two.
TEST(MassRefreshTest, ProgressBarShowsTheStatusLinesShare) {
  Refresh r(200);
  r.refresh.QueryPower = 0;
  r.SendBurst();
  const QString querying = "200 servers available. Querying individual servers... ";
  QList<TRefreshProgress> whileSending;
  for (const QString& text : r.host.status)
    if (text.startsWith(querying) && text.endsWith('%'))
      whileSending << TRefreshProgress{TRefreshProgress::Querying,
                                       text.sliced(querying.size()).chopped(1).toInt()};
  ASSERT_EQ(whileSending.size(), 101);
  EXPECT_EQ(r.host.progress.mid(1, 101), whileSending);
  EXPECT_EQ(r.host.progress.last(), (TRefreshProgress{TRefreshProgress::Replies, 0}));

  const auto shownOnTheStatusLine = [&] {
    const QString text = r.host.status.filter("Receiving Replies... ").last();
    return text.section(' ', 2, 2).chopped(1).toInt();
  };
  for (int i = 0; i < 110; ++i) r.Reply(i);
  EXPECT_EQ(shownOnTheStatusLine(), 54);  // 109 of 200 before the 110th was counted
  EXPECT_EQ(r.host.progress.last(), (TRefreshProgress{TRefreshProgress::Replies, 54}));
  r.refresh.ProcessMassRefreshReplies();
  EXPECT_EQ(r.host.progress.last(), (TRefreshProgress{TRefreshProgress::Replies, 55}));
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
  EXPECT_TRUE(r.host.notices.isEmpty());  // stopped: the delay strength is not to blame
  const qsizetype shown = r.host.status.size();
  QTest::qWait(50);  // the burst is gone: nothing more is sent or shown
  EXPECT_EQ(r.host.status.size(), shown);

  r.SendBurst();
  r.Reply(0);
  r.refresh.Stop();
  EXPECT_EQ(r.host.activity.filter("Stopped: ").last(), "Stopped: 0 servers were left out.");
  EXPECT_EQ(r.host.finished, 2);
  EXPECT_EQ(r.refresh.ReplyPercent(), 0);  // 1 of 1000
  EXPECT_TRUE(r.host.notices.isEmpty());

  r.SendBurst();
  r.refresh.ProcessMassRefreshReplies();  // the wait ended by itself: few replied
  EXPECT_EQ(r.host.notices.size(), 1);
}

TEST(MassRefreshTest, PercentShownBeforeCountingAndProcessingOnTheLastReply) {
  Refresh r(200);
  r.refresh.QueryPower = 0;
  r.SendBurst();
  r.host.status.clear();
  ASSERT_TRUE(r.Reply(0));
  EXPECT_EQ(r.host.status.last(), "Receiving Replies... 0% (estimated)");
  for (int i = 1; i < 199; ++i) r.Reply(i);
  EXPECT_TRUE(r.refresh.WaitTimer().isActive());
  EXPECT_EQ(r.host.rebuilds, 0);
  r.Reply(199);
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
  for (int i = 0; i < 89; ++i) r.Reply(i);
  EXPECT_EQ(r.refresh.ReplyPercent(), 88);  // shown before the 89th reply was counted
  ASSERT_TRUE(QTest::qWaitFor([&] { return r.host.finished == 1; }, 2000));
  EXPECT_EQ(r.refresh.ReplyPercent(), 89);
  ASSERT_EQ(r.host.notices.size(), 1);
  EXPECT_EQ(r.host.notices[0],
            "Only 89% of the servers responded to their ping requests.\r\n\r\nPlease see the "
            "Tools/Options - 'Master Server Query delay strength' option on how to improve this "
            "value.");
  EXPECT_TRUE(r.host.skipNotice);

  r.SendBurst();
  r.refresh.ProcessMassRefreshReplies();  // nobody replied this time
  EXPECT_EQ(r.refresh.ReplyPercent(), 0);
  EXPECT_EQ(r.host.notices.size(), 1);  // "Don't show this message again" was ticked
}

TEST(MassRefreshTest, EveryServerOfAShortListReplyingIsAHundredPercent) {
  Refresh r(9);
  r.refresh.QueryPower = 0;
  r.SendBurst();
  for (int i = 0; i < 9; ++i) r.Reply(i);
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
  // From the first reply on, the bar shows the replies' share, as the status line does.
  const auto firstReplies = std::find_if(r.host.progress.begin(), r.host.progress.end(), [](auto p) {
    return p.phase == TRefreshProgress::Replies;
  });
  ASSERT_NE(firstReplies, r.host.progress.end());
  EXPECT_TRUE(std::all_of(firstReplies, r.host.progress.end(),
                          [](auto p) { return p.phase == TRefreshProgress::Replies; }));
  ASSERT_TRUE(QTest::qWaitFor([&] { return r.host.finished == 1; }, 5000));
  EXPECT_EQ(r.refresh.ReplyPercent(), 100);
}

// A UT2004 server answers its information first, then its rules and players. It counts as
// replied with the first; the refresh ends without waiting only once every server has sent all
// it was asked for, so the last servers are not shown with their information alone. The wait
// restarts when a server first answers and when it has sent everything, not in between.
TEST(MassRefreshTest, ProcessingWaitsForEveryReplyAskedOfAServer) {
  Refresh r(3);
  r.refresh.QueryPower = 0;
  r.refresh.WaitTimer().setTimerType(Qt::PreciseTimer);  // its remaining time to the ms
  r.SendBurst();
  const auto answer = [&](int i, std::uint8_t seen) {
    TServer& server = *r.stash.Server(i);
    server.RepliesAsked = rpInfo | rpRules | rpPlayers;
    server.RepliesSeen = seen;
    server.ReplyComplete = true;
    return r.refresh.ServerUpdated(r.stash.Key(i));
  };
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(answer(i, rpInfo));
  EXPECT_EQ(r.refresh.RepliesCounted(), 3);
  EXPECT_EQ(r.host.rebuilds, 0);  // every server replied, but not with everything
  QTest::qWait(100);
  const int remaining = r.refresh.WaitTimer().remainingTime();
  answer(0, rpInfo | rpRules);  // a part more: no longer wait
  EXPECT_LE(r.refresh.WaitTimer().remainingTime(), remaining);
  answer(0, rpInfo | rpRules | rpPlayers);  // all of it: the wait starts again
  EXPECT_GT(r.refresh.WaitTimer().remainingTime(), remaining);
  answer(0, rpInfo | rpRules | rpPlayers);  // a further players datagram counts for nothing
  EXPECT_EQ(r.refresh.RepliesCounted(), 3);
  answer(1, rpInfo | rpRules | rpPlayers);
  EXPECT_EQ(r.host.rebuilds, 0);
  answer(2, rpInfo | rpPlayers | rpRules);
  EXPECT_EQ(r.host.rebuilds, 1);  // all in: done without waiting
  EXPECT_EQ(r.refresh.ReplyPercent(), 100);
}

// A closed port makes the system answer for the server ("port unreachable"): that is no reply.
// Such servers need no waiting for, but the share counts only servers that answered.
TEST(MassRefreshTest, ClosedPortsAreNotCountedAsReplies) {
  Refresh r(0);
  AnsweringServers live(r.stash, 20);
  while (r.stash.Count() < 40)
    r.stash.AddServer("127.0.0.1", QString::number(testing::ClosedPort()), {}, false, "UT", "True",
                      {});
  QObject::connect(&r.stash, &TServerStash::OnServerUpdated,
                   [&](const QString& key) { r.refresh.ServerUpdated(key); });
  r.refresh.QueryPower = 0;
  QElapsedTimer elapsed;
  elapsed.start();
  r.refresh.SendBurst();
  ASSERT_TRUE(QTest::qWaitFor([&] { return r.host.finished == 1; }, 10000));
  EXPECT_LT(elapsed.elapsed(), TMassRefresh::kReplyWaitMs);  // the refusals settled their servers
  EXPECT_EQ(r.refresh.RepliesCounted(), 20);
  EXPECT_EQ(r.refresh.ReplyPercent(), 50);
  ASSERT_EQ(r.host.notices.size(), 1);
  EXPECT_TRUE(r.host.notices[0].startsWith("Only 50% of the servers responded"));
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
  // The servers take their queries and never answer (a refusal would free its socket before
  // the burst goes on). Two groups of them have their sockets from a query made while
  // descriptors were free; the burst finds none left for the rest.
  constexpr int kServers = 3 * TSharedUdpPorts::kDefaultGroup;
  std::vector<std::unique_ptr<QUdpSocket>> silent;
  for (int i = 0; i < kServers; ++i) {
    silent.push_back(std::make_unique<QUdpSocket>());
    ASSERT_TRUE(silent.back()->bind(QHostAddress::LocalHost, 0));
    r.stash.AddServer("127.0.0.1", QString::number(silent.back()->localPort()), {}, false, "UT",
                      "True", {});
  }
  for (int i = 0; i < 2 * TSharedUdpPorts::kDefaultGroup; ++i) r.stash.QueryServer(r.stash.Key(i));
  testing::DescriptorSqueeze squeeze(0);
  r.refresh.QueryPower = 0;
  r.SendBurst();
  squeeze.Release();
  const int missing = r.refresh.NoSocketCount();
  EXPECT_GT(missing, 0);
  EXPECT_LT(missing, kServers);
  const QString text =
      QString::number(missing) + " servers could not be queried: no free sockets (open file limit)";
  EXPECT_TRUE(r.host.activity.contains(text));
  EXPECT_TRUE(r.host.status.contains(text));
  r.refresh.ProcessMassRefreshReplies();
  EXPECT_EQ(r.host.status.last(), QString("%1 total servers (%2 could not be queried: no free "
                                          "sockets)")
                                      .arg(kServers)
                                      .arg(missing));
  EXPECT_EQ(r.stash.Count(), kServers);  // nobody was dropped
}

// A master that cannot be reached is told in a box naming it and in the log; the servers listed
// before stay, and what the refresh paused runs again.
TEST(MassRefreshTest, FailedMasterIsToldAndRemovesNothing) {
  Refresh r(3);
  r.host.autoRefreshOn = true;
  r.refresh.Masters["UT"] = {{"127.0.0.1", 1}};  // nothing listens on port 1
  ASSERT_TRUE(r.refresh.StartMassRefresh("UT"));
  EXPECT_TRUE(r.refresh.MassRefreshing());  // the window is free while the master is asked
  ASSERT_TRUE(QTest::qWaitFor([&] { return r.host.finished == 1; }, 5000));
  const QString failure = "UT Master Server 127.0.0.1:1: Could not open connection to GameSpy";
  EXPECT_EQ(r.host.activity.first(), "UT Master Server query requested...");
  EXPECT_EQ(r.host.failures, QStringList{failure});
  EXPECT_TRUE(r.host.activity.contains(failure));
  EXPECT_TRUE(r.host.activity.contains("127.0.0.1:1: no answer (refused)"));
  EXPECT_TRUE(r.host.removed.isEmpty());  // every view keeps its rows
  EXPECT_EQ(r.host.autoRefreshRestarts, 1);
  EXPECT_EQ(r.host.replyWaitRestarts, 1);
  EXPECT_EQ(r.host.rebuilds, 0);
  EXPECT_EQ(r.stash.Count(), 3);  // left as it was
  EXPECT_FALSE(r.refresh.MassRefreshing());
  EXPECT_FALSE(r.refresh.Plan().replacesCache);
  // A game without a master asks nobody.
  r.refresh.Masters.erase("UT");
  EXPECT_FALSE(r.refresh.StartMassRefresh("UT"));
  EXPECT_EQ(r.host.activity.last(), "No master server is set for UT");
}

// Game servers on 127.0.0.1 that answer, and the master lists that name them.
struct ListedServers {
  explicit ListedServers(int count) {
    for (int i = 0; i < count; ++i)
      fakes.push_back(std::make_unique<testing::FakeServer>([](const QByteArray&) {
        return QList<QByteArray>{"\\hostname\\Listed\\mapname\\DM-Deck16\\final\\"};
      }));
  }
  QString Key(int i) const { return fakes[i]->Key(); }
  // The servers first to last (inclusive), whole or cut off after the last.
  QByteArray List(int first, int last, bool whole = true) const {
    QByteArray list;
    for (int i = first; i <= last; ++i) list += "\\ip\\" + Key(i).toLatin1();
    return list + (whole ? "\\final\\" : "\\ip\\127.0.0.1:1");
  }
  std::vector<std::unique_ptr<testing::FakeServer>> fakes;
};

struct MastersRefresh : Refresh {
  MastersRefresh() : Refresh(0) {
    QObject::connect(&stash, &TServerStash::OnServerUpdated,
                     [this](const QString& key) { refresh.ServerUpdated(key); });
    refresh.QueryPower = 0;
    refresh.MasterOptions = {400, 5000};
    // Cached from the last session: a favourite, and a server no master lists any more.
    stash.AddServer("127.0.0.1", "7000", {}, true, "UT", "True", "Mine");
    stash.AddServer("127.0.0.1", "7001", {}, false, "UT", "True", {});
  }
  void Ask(const std::vector<const testing::FakeMaster*>& masters) {
    for (const auto* master : masters) refresh.Masters["UT"].push_back({"127.0.0.1", master->Port()});
    ASSERT_TRUE(refresh.StartMassRefresh("UT"));
  }
  bool Finish() { return QTest::qWaitFor([&] { return host.finished == 1; }, 15000); }
};

// Two masters whose lists overlap: every server of either is added and asked once, and as
// both lists were whole, the server neither named goes; the favourite stays.
TEST(MassRefreshTest, OverlappingListsGiveEachServerOnceAndWholeListsRemoveTheRest) {
  ListedServers servers(6);
  MastersRefresh r;
  testing::FakeMaster a({testing::kGreeting, true, servers.List(0, 3)});
  testing::FakeMaster b({testing::kGreeting, true, servers.List(2, 5)});
  r.Ask({&a, &b});
  ASSERT_TRUE(r.Finish());
  for (const auto& fake : servers.fakes) EXPECT_EQ(fake->Requests().size(), 1);
  EXPECT_EQ(r.refresh.ServersListed(), 6);
  EXPECT_EQ(r.refresh.ServersQueried(), 6);
  EXPECT_EQ(r.refresh.ReplyPercent(), 100);
  EXPECT_EQ(r.stash.Count(), 7);
  EXPECT_TRUE(r.stash.Find("127.0.0.1:7000"));
  EXPECT_FALSE(r.stash.Find("127.0.0.1:7001"));
  EXPECT_TRUE(r.host.activity.contains("127.0.0.1:" + QString::number(a.Port()) + ": 4 servers"));
  EXPECT_TRUE(r.host.activity.contains("Servers no master server lists any more were removed: 1"));
  EXPECT_TRUE(r.refresh.Plan().replacesCache);
  EXPECT_TRUE(r.host.failures.isEmpty());
  EXPECT_EQ(r.host.status.last(), "7 total servers");
}

// A master that fails in any way, or cuts its list, keeps every server listed before: the
// others' servers are added and asked as usual, the log says which master failed, and no box.
TEST(MassRefreshTest, NothingIsRemovedUnlessEveryMasterGaveAWholeList) {
  ListedServers servers(3);
  const struct {
    const char* name;
    testing::MasterScript script;
    const char* line;  // after "127.0.0.1:PORT: "
  } cases[] = {
      {"cut", {testing::kGreeting, true, servers.List(1, 2, false)},
       "list cut short (kept 2 servers, removed none)"},
      {"silent", {"", false, "", 0, 0, 0, 3000}, "no answer (timed out)"},
      {"rejected", {testing::kGreeting, true, ""},
       "rejected (No servers were returned from GameSpy)"},
  };
  for (const auto& c : cases) {
    MastersRefresh r;
    testing::FakeMaster good({testing::kGreeting, true, servers.List(0, 1)});
    testing::FakeMaster other(c.script);
    r.Ask({&good, &other});
    ASSERT_TRUE(r.Finish()) << c.name;
    EXPECT_TRUE(r.stash.Find("127.0.0.1:7001")) << c.name;
    EXPECT_TRUE(r.stash.Find(servers.Key(1))) << c.name;
    EXPECT_TRUE(r.host.activity.contains("127.0.0.1:" + QString::number(other.Port()) + ": " +
                                         c.line))
        << c.name << ": " << r.host.activity.join(" | ").toStdString();
    EXPECT_TRUE(
        r.host.activity.contains("No server was removed: not every master server gave a whole list"))
        << c.name;
    EXPECT_TRUE(r.host.failures.isEmpty()) << c.name;
    EXPECT_TRUE(r.refresh.Plan().replacesCache) << c.name;
    EXPECT_EQ(r.refresh.ReplyPercent(), 100) << c.name;
  }
}

// Every master failed: one box names each with its failure; nothing is removed.
TEST(MassRefreshTest, EveryMasterFailingIsToldMasterByMaster) {
  MastersRefresh r;
  testing::FakeMaster silent({"", false, "", 0, 0, 0, 3000});
  testing::FakeMaster rejecting({testing::kGreeting, true, ""});
  r.Ask({&silent, &rejecting});
  ASSERT_TRUE(r.Finish());
  const QString base = "UT Master Server 127.0.0.1:";
  ASSERT_EQ(r.host.failures.size(), 1);
  QStringList lines = r.host.failures[0].split("\r\n");
  lines.sort();
  QStringList expected{base + QString::number(silent.Port()) +
                           ": Did not receive a proper response from GameSpy",
                       base + QString::number(rejecting.Port()) +
                           ": No servers were returned from GameSpy"};
  expected.sort();
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(r.stash.Count(), 2);
  EXPECT_EQ(r.host.rebuilds, 0);
  EXPECT_FALSE(r.refresh.Plan().replacesCache);
}

// Whole lists that name nobody: the game's servers go from the stash and the views at once.
TEST(MassRefreshTest, WholeEmptyListsDropTheGamesRows) {
  MastersRefresh r;
  testing::FakeMaster a({testing::kGreeting, true, "\\final\\"});
  testing::FakeMaster b({testing::kGreeting, true, "\\final\\"});
  r.Ask({&a, &b});
  ASSERT_TRUE(r.Finish());
  EXPECT_EQ(r.host.removed, QStringList{"UT"});
  EXPECT_EQ(r.host.status.last(), "0 servers");
  EXPECT_EQ(r.stash.Count(), 1);  // the favourite
  EXPECT_TRUE(r.host.failures.isEmpty());
}

// The servers of the lists in are shown while a master is still out, and the refresh ends
// only once that master is done.
TEST(MassRefreshTest, ListsInAreShownWhileAMasterIsStillOut) {
  ListedServers servers(3);
  MastersRefresh r;
  r.refresh.MasterOptions = {2000, 5000};
  testing::FakeMaster good({testing::kGreeting, true, servers.List(0, 2)});
  testing::FakeMaster silent({"", false, "", 0, 0, 0, 5000});
  QElapsedTimer elapsed;
  elapsed.start();
  r.Ask({&good, &silent});
  // One view a turn, so a long list holds the window a little at a time.
  ASSERT_TRUE(QTest::qWaitFor([&] { return r.host.interimViews.size() == 3; }, 3000));
  EXPECT_EQ(r.host.interimViews, (QList<int>{0, 1, 2}));
  EXPECT_LT(elapsed.elapsed(), 1000);
  EXPECT_TRUE(r.refresh.MastersRunning());
  EXPECT_TRUE(r.refresh.MassRefreshing());
  EXPECT_EQ(r.host.rebuilds, 0);
  EXPECT_EQ(r.host.status.last(), "Waiting for the other master servers...");
  EXPECT_FALSE(r.host.activity.contains("Waiting for replies..."));
  ASSERT_TRUE(r.Finish());
  EXPECT_GE(elapsed.elapsed(), 1800);  // the silence, on a coarse timer
  EXPECT_EQ(r.host.rebuilds, 1);
  EXPECT_EQ(r.host.interimViews.size(), 3);
  EXPECT_EQ(r.refresh.ReplyPercent(), 100);
}

// While the masters are out the window stays live: a reply of a server the refresh did not ask
// (a favourite refreshed meanwhile) is the window's to show, not counted.
TEST(MassRefreshTest, RepliesTheRefreshDidNotAskForAreTheWindows) {
  MastersRefresh r;
  testing::FakeMaster silent({"", false, "", 0, 0, 0, 3000});
  r.Ask({&silent});
  TServer& favourite = *r.stash.Find("127.0.0.1:7000");
  favourite.RepliesAsked = favourite.RepliesSeen = rpTextFinal;
  favourite.ReplyComplete = true;
  EXPECT_FALSE(r.refresh.ServerUpdated("127.0.0.1:7000"));
  EXPECT_EQ(r.refresh.RepliesCounted(), 0);
  r.refresh.Stop();
}

// A long list is added a part per turn, and the log tells its querying once, not per part.
TEST(MassRefreshTest, ALongListIsLoggedOnceThoughAddedInParts) {
  MastersRefresh r;
  QByteArray list;
  const int count = 3 * TMassRefresh::kAddsPerTurn;
  for (int i = 0; i < count; ++i) list += "\\ip\\127.0.0.1:" + QByteArray::number(20000 + i);
  testing::FakeMaster master({testing::kGreeting, true, list + "\\final\\"});
  r.Ask({&master});
  ASSERT_TRUE(QTest::qWaitFor([&] { return r.refresh.ServersQueried() == count; }, 10000));
  EXPECT_EQ(r.host.activity.filter("servers available. Querying individual servers").size(), 1);
  r.refresh.Stop();
}

// Stop while the masters are out ends them at once; with nothing queried yet the refresh just
// ends, telling no failure and removing nothing.
TEST(MassRefreshTest, StopWhileTheMastersAreOutEndsThemAtOnce) {
  MastersRefresh r;
  testing::FakeMaster silent({"", false, "", 0, 0, 0, 3000});
  r.Ask({&silent});
  ASSERT_TRUE(QTest::qWaitFor([&] { return silent.Connections() == 1; }));
  r.refresh.Stop();
  EXPECT_EQ(r.host.finished, 1);
  EXPECT_FALSE(r.refresh.MastersRunning());
  EXPECT_FALSE(r.refresh.MassRefreshing());
  EXPECT_TRUE(r.host.activity.contains("Stopped: 0 servers were left out."));
  QTest::qWait(600);  // past the master's silence: nothing more is told
  EXPECT_TRUE(r.host.failures.isEmpty());
  EXPECT_EQ(r.host.finished, 1);
  EXPECT_EQ(r.stash.Count(), 2);
}

}  // namespace
}  // namespace zorvane
