// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/query_burst.h"

#include <gtest/gtest.h>

#include <QTest>
#include <memory>

#include "query/server_stash.h"

namespace zorvane {
namespace {

// Servers known by names that never resolve: a query only marks them as awaiting their
// address, so the bursts run without touching the network.
struct Bursts {
  explicit Bursts(int servers) {
    stash.SetHostLookup([](const QString&, QObject*, THostLookupDone) {});
    for (int i = 0; i < servers; ++i)
      stash.AddServer("s" + QString::number(i) + ".test", "7778", {}, false, "UT", "True", {});
    stash.Bursts().SetPauseHook([this](int ms) { pauses << ms; });
  }
  // A burst over every server, recording its sends and its end under a name.
  TBurstRequest Request(QObject* owner, const QString& name, int power) {
    TBurstRequest r;
    r.owner = owner;
    for (int i = 0; i < stash.Count(); ++i) r.keys << stash.Key(i);
    r.queryPower = power;
    r.sent = [this, name](int position) { log << name + QString::number(position); };
    r.finished = [this, name](const TBurstOutcome& o) {
      log << name + (o.cancelled ? " cancelled " : " done ") + QString::number(o.sent);
    };
    return r;
  }
  bool WaitIdle() { return QTest::qWaitFor([&] { return stash.Bursts().Idle(); }, 2000); }

  TServerStash stash;
  QList<int> pauses;
  QStringList log;
};

TEST(QueryBurstTest, SendsUpToThePauseAtOnceThenYields) {
  Bursts b(5);
  QObject owner;
  b.stash.Bursts().Start(b.Request(&owner, "a", 8));  // a pause after every second query
  EXPECT_EQ(b.log, (QStringList{"a0", "a1"}));
  EXPECT_TRUE(b.stash.Bursts().Pending(&owner));
  ASSERT_TRUE(b.WaitIdle());
  EXPECT_EQ(b.log, (QStringList{"a0", "a1", "a2", "a3", "a4", "a done 5"}));
  EXPECT_EQ(b.pauses, (QList<int>{1, 1}));  // none after the last
}

TEST(QueryBurstTest, BurstsOfDifferentOwnersTakeTurnsAndAnOwnersNewBurstReplacesItsOld) {
  const struct {
    const char* name;
    bool sameOwner;
    QStringList log;
  } cases[] = {
      {"queued", false, {"a0", "a1", "a2", "a done 3", "b0", "b1", "b2", "b done 3"}},
      {"replaced", true, {"a0", "a cancelled 1", "b0", "b1", "b2", "b done 3"}},
  };
  for (const auto& c : cases) {
    Bursts b(3);
    QObject first, second;
    b.stash.Bursts().Start(b.Request(&first, "a", 9));
    b.stash.Bursts().Start(b.Request(c.sameOwner ? &first : &second, "b", 9));
    ASSERT_TRUE(b.WaitIdle()) << c.name;
    EXPECT_EQ(b.log, c.log) << c.name;
  }
}

// Keys appended to an owner's running burst follow its own keys under its callbacks; with no
// burst of that owner, an append starts one.
TEST(QueryBurstTest, AnAppendJoinsTheOwnersBurstOrStartsOne) {
  Bursts b(4);
  QObject owner;
  TBurstRequest first = b.Request(&owner, "a", 9);
  first.keys = first.keys.mid(0, 2);
  b.stash.Bursts().Append(std::move(first));
  TBurstRequest more = b.Request(&owner, "b", 9);
  more.keys = more.keys.mid(2);
  b.stash.Bursts().Append(std::move(more));
  ASSERT_TRUE(b.WaitIdle());
  EXPECT_EQ(b.log, (QStringList{"a0", "a1", "a2", "a3", "a done 4"}));
  EXPECT_EQ(b.pauses, (QList<int>{1, 1, 1}));
}

TEST(QueryBurstTest, ClearedStashAndDestroyedOwnerLeaveNothingDangling) {
  Bursts b(6);
  auto owner = std::make_unique<QObject>();
  QObject other;
  b.stash.Bursts().Start(b.Request(owner.get(), "a", 9));
  b.stash.Bursts().Start(b.Request(&other, "b", 9));
  b.stash.ClearServers(false);  // the keys still to be sent are gone
  ASSERT_TRUE(b.WaitIdle());
  EXPECT_EQ(b.log.first(), "a0");
  EXPECT_TRUE(b.log.contains("a done 1"));  // the rest were skipped, not sent
  EXPECT_TRUE(b.log.contains("b done 0"));

  b.log.clear();
  for (int i = 0; i < 4; ++i)
    b.stash.AddServer("t" + QString::number(i) + ".test", "7778", {}, false, "UT", "True", {});
  b.stash.Bursts().Start(b.Request(owner.get(), "c", 9));
  owner.reset();  // its callbacks must not run any more
  ASSERT_TRUE(b.WaitIdle());
  EXPECT_EQ(b.log, (QStringList{"c0"}));
}

}  // namespace
}  // namespace zorvane
