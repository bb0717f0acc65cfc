// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/master_set_query.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTest>
#include <memory>

#include "support/fake_master.h"

namespace zorvane {
namespace {

using testing::FakeMaster;
using testing::kGreeting;

std::vector<TMasterEntry> Entries(const QStringList& keys) {
  std::vector<TMasterEntry> entries;
  for (const QString& key : keys) entries.push_back(*ParseMasterEntry(key.toLatin1()));
  return entries;
}

QStringList KeysOf(const std::vector<TMasterEntry>& entries) {
  QStringList keys;
  for (const TMasterEntry& entry : entries) keys << EntryKey(entry);
  return keys;
}

QByteArray ListOf(const QStringList& keys, bool whole = true) {
  QByteArray list;
  for (const QString& key : keys) list += "\\ip\\" + key.toLatin1();
  return whole ? list + "\\final\\" : list;
}

// Each server once, however many lists name it and however often; the same address with
// another port is another server.
TEST(MasterSetQueryTest, TheMergeNamesEachServerOnce) {
  TMasterListMerge merge;
  EXPECT_EQ(KeysOf(merge.Add(Entries({"1.2.3.4:7778", "1.2.3.4:7778", "1.2.3.4:7779"}))),
            (QStringList{"1.2.3.4:7778", "1.2.3.4:7779"}));
  EXPECT_EQ(KeysOf(merge.Add(Entries({"1.2.3.4:7779", "10.0.0.1:7778", "1.2.3.4:7778"}))),
            QStringList{"10.0.0.1:7778"});
  EXPECT_TRUE(merge.Add({}).empty());
  EXPECT_EQ(merge.Count(), 3);
  EXPECT_TRUE(merge.Contains("10.0.0.1:7778"));
  EXPECT_FALSE(merge.Contains("10.0.0.1:7779"));
  for (const char* other : {"010.0.0.1:7778", "10.0.0.1", "10.0.0:7778", "host:7778", "10.0.0.1:x"})
    EXPECT_FALSE(merge.Contains(other)) << other;
  // A name or an address written otherwise never becomes an entry, so never a second server.
  for (const char* other : {"localhost:7778", "001.2.3.4:7778", "1.2.3.4:07778", "1.2.3.4 :7778"})
    EXPECT_FALSE(ParseMasterEntry(other)) << other;
}

struct SetRun {
  SetRun(const TMasterAddresses& masters, TMasterQueryOptions options = {5000, 20000})
      : set(*MasterGameOfVariant(u"UT"), masters, options, {}) {
    QObject::connect(&set, &TMasterSetQuery::OnListed,
                     [this](const TMasterOutcome& outcome, const std::vector<TMasterEntry>& fresh) {
                       listed << MasterOutcomeLine(outcome);
                       elapsedAt << clock.elapsed();
                       freshKeys << KeysOf(fresh);
                     });
    QObject::connect(&set, &TMasterSetQuery::OnFinished, [this] { ++finished; });
    clock.start();
    set.Start();
  }
  bool Wait() { return QTest::qWaitFor([&] { return finished > 0; }, 20000); }

  TMasterSetQuery set;
  QElapsedTimer clock;
  QStringList listed;
  QList<qint64> elapsedAt;
  QList<QStringList> freshKeys;
  int finished = 0;
};

quint16 ClosedTcpPort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

// Four masters at once: two whole lists that overlap, one that never greets, one that cuts its
// list. Each list is handed on as it comes, with only what no list before it named; the silent
// master holds back none of it, and the set is whole only when every list was.
TEST(MasterSetQueryTest, EveryMasterIsAskedAtOnceAndEachListHandedOnAsItComes) {
  FakeMaster first({kGreeting, true, ListOf({"127.0.0.1:7001", "127.0.0.1:7002"})});
  testing::MasterScript late{kGreeting, true, ListOf({"127.0.0.1:7002", "127.0.0.1:7003"})};
  late.holdMs = 200;
  FakeMaster second(late);
  FakeMaster silent({"", false, "", 0, 0, 0, 5000});
  FakeMaster cut({kGreeting, true, ListOf({"127.0.0.1:7004", "127.0.0.1:7005"}, false)});
  const quint16 nobody = ClosedTcpPort();
  SetRun run({{"127.0.0.1", first.Port()},
              {"127.0.0.1", second.Port()},
              {"127.0.0.1", silent.Port()},
              {"127.0.0.1", cut.Port()},
              {"127.0.0.1", nobody},
              {"127.0.0.1", first.Port()}},  // named twice: asked once
             {700, 20000});
  ASSERT_TRUE(run.Wait());
  EXPECT_EQ(run.finished, 1);
  EXPECT_EQ(first.Connections(), 1);
  ASSERT_EQ(run.listed.size(), 5);
  const QString port = "127.0.0.1:" + QString::number(second.Port());
  // The refused and cut masters answer first, then the first list; the late one after 200 ms,
  // long before the silent master is given up.
  EXPECT_EQ(run.listed.indexOf(port + ": 2 servers"), 3) << run.listed.join(" | ").toStdString();
  EXPECT_LT(run.elapsedAt[3], 600);
  EXPECT_EQ(run.listed[4], "127.0.0.1:" + QString::number(silent.Port()) +
                               ": no answer (timed out)");
  EXPECT_TRUE(run.listed.contains("127.0.0.1:" + QString::number(cut.Port()) +
                                  ": list cut short (kept 1 server, removed none)"));
  EXPECT_TRUE(run.listed.contains("127.0.0.1:" + QString::number(nobody) +
                                  ": no answer (refused)"));
  QStringList all;
  for (const QStringList& fresh : run.freshKeys) all += fresh;
  all.sort();
  EXPECT_EQ(all, (QStringList{"127.0.0.1:7001", "127.0.0.1:7002", "127.0.0.1:7003",
                              "127.0.0.1:7004"}));
  EXPECT_EQ(run.freshKeys[3], QStringList{"127.0.0.1:7003"});
  EXPECT_EQ(run.set.Listed().Count(), 4);
  EXPECT_FALSE(run.set.AllWhole());
  EXPECT_EQ(run.set.Outcomes().size(), 5u);
}

TEST(MasterSetQueryTest, WholeOnlyWhenEveryListWasWhole) {
  FakeMaster a({kGreeting, true, ListOf({"127.0.0.1:7001"})});
  FakeMaster b({kGreeting, true, ListOf({})});
  SetRun run({{"127.0.0.1", a.Port()}, {"127.0.0.1", b.Port()}});
  EXPECT_FALSE(run.set.AllWhole());  // not before the last
  ASSERT_TRUE(run.Wait());
  EXPECT_TRUE(run.set.AllWhole());
  EXPECT_EQ(run.set.Listed().Count(), 1);

  SetRun none({});
  ASSERT_TRUE(none.Wait());
  EXPECT_FALSE(none.set.AllWhole());
}

// Stop ends every exchange at once, a look-up still running among them: nothing more is
// reported.
TEST(MasterSetQueryTest, StopEndsEveryExchangeAtOnce) {
  FakeMaster silent({"", false, "", 0, 0, 0, 5000});
  FakeMaster slow({kGreeting, true, ListOf({"127.0.0.1:7001"}), 0, 0, 0, 5000});
  const THostLookup never = [](const QString&, QObject*, THostLookupDone) {};
  TMasterSetQuery set(*MasterGameOfVariant(u"UT"),
                      {{"127.0.0.1", silent.Port()}, {"127.0.0.1", slow.Port()},
                       {"master.example", 28900}},
                      {5000, 20000}, never);
  int reports = 0;
  QObject::connect(&set, &TMasterSetQuery::OnListed, [&] { ++reports; });
  QObject::connect(&set, &TMasterSetQuery::OnFinished, [&] { ++reports; });
  set.Start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return silent.Connections() + slow.Connections() == 2; }));
  QTest::qWait(100);  // the request is in the slow master's hands
  EXPECT_TRUE(set.Running());
  QElapsedTimer elapsed;
  elapsed.start();
  set.Stop();
  EXPECT_LT(elapsed.elapsed(), 50);
  EXPECT_FALSE(set.Running());
  QTest::qWait(300);
  EXPECT_EQ(reports, 0);
  EXPECT_TRUE(set.Outcomes().empty());
}

}  // namespace
}  // namespace zorvane
