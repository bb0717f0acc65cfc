// SPDX-License-Identifier: GPL-2.0-or-later
// The history file: the five-minute rule across batches and sessions, pruning, sightings, and
// damaged, locked and foreign files set aside without touching anything else in the folder.
#include <gtest/gtest.h>

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "history/history_database.h"
#include "history/history_reader.h"
#include "history/history_store.h"
#include "support/files.h"

namespace zorvane {
namespace {

constexpr qint64 kT0 = 1700000000;
constexpr qint64 kDay = 24 * 3600;

class HistoryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    path = dir.filePath("history.sqlite");
    testing::Write(dir.filePath("zorvane.ini"), kSettings);
  }

  static TKeyedSample At(const QString& key, qint64 time, int players = 3) {
    return {key, {time, players, 16, "CTF-Face"}};
  }
  std::vector<qint64> Times(const QString& key) {
    THistoryReader reader(path, THistoryReader::TMode::Shared);
    std::vector<qint64> times;
    for (const THistorySample& s : reader.Samples(key, 0, kT0 + 1000 * kDay)) times.push_back(s.time);
    return times;
  }
  QStringList SetAside() const {
    return QDir(dir.path()).entryList({"history.sqlite.broken-*"}, QDir::Files, QDir::Name);
  }
  // A database of the test's own, on its own connection.
  void MakeDatabase(const QStringList& statements) {
    THistoryConnection other("test-maker");
    other.Db().setDatabaseName(path);
    ASSERT_TRUE(other.Db().open());
    for (const QString& sql : statements) {
      QSqlError error;
      ASSERT_TRUE(Exec(other.Db(), sql, &error)) << error.text().toStdString();
    }
  }

  static constexpr const char* kSettings = "[settings]\nZorvane=2.91\n";
  QTemporaryDir dir;
  QString path;
};

TEST_F(HistoryStoreTest, OneSamplePerServerEveryFiveMinutesAcrossBatchesAndSessions) {
  {
    THistoryStore store(path);
    ASSERT_TRUE(store.Open(kT0));
    EXPECT_TRUE(QFileInfo::exists(path + "-wal"));  // WAL mode: readers never wait
    store.Write({{At("10.0.0.1:7778", kT0), At("10.0.0.1:7778", kT0 + 60),
                  At("host.example:7778", kT0), At("HOST.example:7778", kT0 + 299)},
                 {}},
                kT0);
    store.Write({{At("10.0.0.1:7778", kT0 + 300), At("host.example:7778", kT0 + 300)}, {}}, kT0);
    EXPECT_TRUE(store.TakeLog().isEmpty());
  }
  EXPECT_FALSE(QFileInfo::exists(path + "-wal"));  // closed cleanly
  THistoryStore again(path);
  ASSERT_TRUE(again.Open(kT0 + 400));
  // The last sample of the file counts, not only this session's.
  again.Write({{At("10.0.0.1:7778", kT0 + 400), At("10.0.0.1:7778", kT0 + 600)}, {}}, kT0 + 600);
  again.Close();
  EXPECT_EQ(Times("10.0.0.1:7778"), (std::vector<qint64>{kT0, kT0 + 300, kT0 + 600}));
  EXPECT_EQ(Times("Host.Example:7778"), (std::vector<qint64>{kT0, kT0 + 300}));
  THistoryReader reader(path, THistoryReader::TMode::Shared);
  const auto samples = reader.Samples("10.0.0.1:7778", kT0, kT0);
  ASSERT_EQ(samples.size(), 1u);
  EXPECT_EQ(samples[0], (THistorySample{kT0, 3, 16, "CTF-Face"}));
  EXPECT_EQ(testing::Read(dir.filePath("zorvane.ini")), kSettings);
}

TEST_F(HistoryStoreTest, FreshSamplesMoveIntoTheSamplesByServerUnchanged) {
  const auto rows = [&](const char* table) {
    THistoryConnection look(QString("test-count-") + table);
    look.Db().setDatabaseName(path);
    look.Db().open();
    QSqlQuery count(look.Db());
    count.exec(QString("SELECT count(*) FROM ") + table);
    return count.next() ? count.value(0).toInt() : -1;
  };
  THistoryStore store(path);
  ASSERT_TRUE(store.Open(kT0));
  store.Write({{At("a:1", kT0), At("b:1", kT0), At("a:1", kT0 + 300)}, {}}, kT0 + 300);
  EXPECT_EQ(rows("fresh"), 3);
  EXPECT_EQ(rows("samples"), 0);
  const auto before = Times("a:1");
  EXPECT_EQ(before, (std::vector<qint64>{kT0, kT0 + 300}));
  // Moved when a write finds the last move three hours old.
  store.Write({{At("b:1", kT0 + 3 * 3600)}, {}}, kT0 + 3 * 3600);
  EXPECT_EQ(rows("fresh"), 0);
  EXPECT_EQ(rows("samples"), 4);
  EXPECT_EQ(Times("a:1"), before);
  // A sample written after the move sits beside the moved ones, and both are read.
  store.Write({{At("a:1", kT0 + 3 * 3600 + 10)}, {}}, kT0 + 3 * 3600 + 10);
  EXPECT_EQ(Times("a:1"), (std::vector<qint64>{kT0, kT0 + 300, kT0 + 3 * 3600 + 10}));
  // And the five-minute rule looks at both after a restart.
  store.Close();
  THistoryStore again(path);
  ASSERT_TRUE(again.Open(kT0 + 3 * 3600 + 20));
  EXPECT_EQ(rows("fresh"), 0);  // opening moves them
  again.Write({{At("a:1", kT0 + 3 * 3600 + 200)}, {}}, kT0 + 3 * 3600 + 200);
  EXPECT_EQ(Times("a:1").size(), 3u);
}

TEST_F(HistoryStoreTest, PrunesSamplesOlderThanThirtyDaysAndServersLeftWithoutAny) {
  THistoryStore store(path);
  ASSERT_TRUE(store.Open(kT0));
  store.Write({{At("a:1", kT0), At("a:1", kT0 + 10 * kDay), At("a:1", kT0 + 29 * kDay),
                At("b:1", kT0)},
               {}},
              kT0);
  store.Prune(kT0 + 30 * kDay + 1);
  EXPECT_EQ(Times("a:1"), (std::vector<qint64>{kT0 + 10 * kDay, kT0 + 29 * kDay}));
  EXPECT_TRUE(Times("b:1").empty());
  {
    THistoryConnection look("test-look");
    look.Db().setDatabaseName(path);
    ASSERT_TRUE(look.Db().open());
    QSqlQuery servers(look.Db());
    ASSERT_TRUE(servers.exec("SELECT key FROM servers") && servers.next());
    EXPECT_EQ(servers.value(0).toString(), "a:1");
    EXPECT_FALSE(servers.next());
  }
  // A write prunes by itself once an hour has passed since the last prune.
  store.Write({{At("c:1", kT0 + 40 * kDay)}, {}}, kT0 + 40 * kDay + 1);
  EXPECT_EQ(Times("a:1"), std::vector<qint64>{kT0 + 29 * kDay});
  EXPECT_EQ(Times("c:1").size(), 1u);
  store.Close();
  // And so does opening.
  THistoryStore later(path);
  ASSERT_TRUE(later.Open(kT0 + 71 * kDay));
  later.Close();
  EXPECT_TRUE(Times("c:1").empty());
  // A server pruned away starts afresh: its next reply makes a sample at once.
  THistoryStore last(path);
  ASSERT_TRUE(last.Open(kT0 + 71 * kDay));
  last.Write({{At("b:1", kT0 + 71 * kDay)}, {}}, kT0 + 71 * kDay);
  last.Close();
  EXPECT_EQ(Times("b:1").size(), 1u);
}

TEST_F(HistoryStoreTest, SightingsKeepTheLatestOfEachPlayer) {
  {
    THistoryStore store(path);
    ASSERT_TRUE(store.Open(kT0));
    store.Write({{}, {{"Zoë", "a:1", "The Pit", kT0 + 100}, {"Rocketeer", "b:1", "Bunker", kT0}}},
                kT0);
    // An older sighting elsewhere (a slow reply) does not replace a newer one.
    store.Write({{}, {{"ZOË", "b:1", "Bunker", kT0 + 50}}}, kT0);
    store.Write({{}, {{"Rocketeer", "c:1", "Café", kT0 + 900}}}, kT0);
  }
  THistoryStore again(path);
  ASSERT_TRUE(again.Open(kT0 + 1000));
  auto seen = again.OpeningSightings();
  std::sort(seen.begin(), seen.end(), [](auto& a, auto& b) { return a.time < b.time; });
  EXPECT_EQ(seen, (std::vector<TSighting>{{"Zoë", "a:1", "The Pit", kT0 + 100},
                                          {"Rocketeer", "c:1", "Café", kT0 + 900}}));
}

TEST_F(HistoryStoreTest, DamagedOrForeignFilesAreSetAsideAndANewOneStarted) {
  struct Case {
    const char* name;
    std::function<void()> make;
  };
  QByteArray garbage;
  while (garbage.size() < 20000) garbage += "not a database, only words ";
  const Case cases[] = {
      {"garbage", [&] { testing::Write(path, garbage); }},
      {"an SQLite header over garbage",
       [&] { testing::Write(path, QByteArray("SQLite format 3\0", 16) + garbage); }},
      {"another program's database",
       [&] { MakeDatabase({"CREATE TABLE moz_places(id INTEGER PRIMARY KEY, url TEXT)"}); }},
      {"a history of a newer version",
       [&] {
         MakeDatabase({"CREATE TABLE samples(x)", "PRAGMA application_id = 1517253238",
                       "PRAGMA user_version = 9"});
       }},
      {"ours with a table missing",
       [&] { MakeDatabase({"CREATE TABLE maps(x)", "PRAGMA application_id = 1517253238",
                           "PRAGMA user_version = 1"}); }},
  };
  for (const Case& c : cases) {
    for (const QString& name : QDir(dir.path()).entryList({"history.sqlite*"}, QDir::Files))
      QFile::remove(dir.filePath(name));
    c.make();
    const QByteArray before = testing::Read(path);
    THistoryStore store(path, 100);
    ASSERT_TRUE(store.Open(kT0)) << c.name;
    const QStringList log = store.TakeLog();
    ASSERT_EQ(log.size(), 1) << c.name;
    EXPECT_TRUE(log[0].startsWith("Server history: history.sqlite ")) << log[0].toStdString();
    EXPECT_TRUE(log[0].contains("it was set aside as history.sqlite.broken-")) << c.name;
    ASSERT_EQ(SetAside().size(), 1) << c.name;
    EXPECT_EQ(dir.filePath(SetAside()[0]), store.LastSetAside());
    EXPECT_EQ(testing::Read(store.LastSetAside()), before) << c.name;
    store.Write({{At("a:1", kT0)}, {}}, kT0);
    store.Close();
    EXPECT_EQ(Times("a:1").size(), 1u) << c.name;
    EXPECT_EQ(testing::Read(dir.filePath("zorvane.ini")), kSettings) << c.name;
  }
}

TEST_F(HistoryStoreTest, AnEmptyFileIsANewHistoryNotAForeignOne) {
  testing::Write(path, "");
  THistoryStore store(path);
  ASSERT_TRUE(store.Open(kT0));
  EXPECT_TRUE(store.TakeLog().isEmpty());
  EXPECT_TRUE(SetAside().isEmpty());
}

TEST_F(HistoryStoreTest, FileLockedByAnotherConnectionIsSetAside) {
  THistoryConnection other("test-locker");
  other.Db().setDatabaseName(path);
  ASSERT_TRUE(other.Db().open());
  for (const char* sql : {"PRAGMA locking_mode = EXCLUSIVE", "CREATE TABLE t(x)", "BEGIN EXCLUSIVE",
                          "INSERT INTO t VALUES(1)"})
    ASSERT_TRUE(Exec(other.Db(), sql)) << sql;
  THistoryStore store(path, 100);
  ASSERT_TRUE(store.Open(kT0));
  const QStringList log = store.TakeLog();
  ASSERT_EQ(log.size(), 1);
  EXPECT_TRUE(log[0].contains("is locked by another program")) << log[0].toStdString();
  ASSERT_EQ(SetAside().size(), 1);
  store.Write({{At("a:1", kT0)}, {}}, kT0);
  EXPECT_EQ(Times("a:1").size(), 1u);
  // The other connection still has its own file.
  EXPECT_TRUE(Exec(other.Db(), "COMMIT"));
}

TEST_F(HistoryStoreTest, AWriteThatFindsTheFileLockedIsWrittenWithTheNextOne) {
  THistoryStore store(path, 100);
  ASSERT_TRUE(store.Open(kT0));
  THistoryConnection other("test-writer");
  other.Db().setDatabaseName(path);
  ASSERT_TRUE(other.Db().open());
  ASSERT_TRUE(Exec(other.Db(), "BEGIN IMMEDIATE"));  // holds the one write lock
  store.Write({{At("a:1", kT0)}, {}}, kT0);
  const QStringList log = store.TakeLog();
  ASSERT_EQ(log.size(), 1);
  EXPECT_TRUE(log[0].contains("is locked")) << log[0].toStdString();
  EXPECT_TRUE(Times("a:1").empty());
  ASSERT_TRUE(Exec(other.Db(), "COMMIT"));
  store.Write({{At("a:1", kT0 + 300)}, {}}, kT0);
  EXPECT_EQ(Times("a:1"), (std::vector<qint64>{kT0, kT0 + 300}));
  EXPECT_TRUE(SetAside().isEmpty());  // a passing lock is no reason to start anew
}

TEST_F(HistoryStoreTest, AFolderThatCannotBeWrittenKeepsNoHistory) {
  THistoryStore store(dir.filePath("missing/history.sqlite"));
  EXPECT_FALSE(store.Open(kT0));
  EXPECT_EQ(store.TakeLog().size(), 1);
  store.Write({{At("a:1", kT0)}, {}}, kT0);  // nothing to write into, and no crash
  EXPECT_TRUE(SetAside().isEmpty());
}

}  // namespace
}  // namespace zorvane
