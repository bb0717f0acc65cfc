// SPDX-License-Identifier: GPL-2.0-or-later
// The server history fed by a farm whose players follow the time of day, as the program
// feeds it: every reply of the stash, then a restart that must still know where a watched
// player was last seen.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include "history/history_reader.h"
#include "history/server_history.h"
#include "query/file_writer.h"
#include "query/network_text.h"
#include "query/server_stash.h"
#include "support/farm_process.h"
#include "tools/farm/farm_replies.h"

namespace zorvane::farm {
namespace {

constexpr int kUt = 12, kUt2004 = 4, kSeed = 77;

// Queries every server once and waits for all replies (a UT2004 server's three).
bool QueryAll(TServerStash& stash) {
  QSet<QString> waiting;
  for (int i = 0; i < stash.Count(); ++i) waiting.insert(stash.Key(i));
  QEventLoop loop;
  QTimer::singleShot(20000, &loop, &QEventLoop::quit);
  const auto connection = QObject::connect(&stash, &TServerStash::OnServerUpdated, &loop,
                                           [&](const QString& key) {
    const TServer& server = *stash.Find(key);
    const bool done = server.Game() == "UT" ? (server.RepliesSeen & rpTextFinal) != 0
                                            : server.RepliesSeen == (rpInfo | rpRules | rpPlayers);
    if (done) waiting.remove(key);
    if (waiting.isEmpty()) loop.quit();
  });
  for (int i = 0; i < stash.Count(); ++i) stash.QueryServer(stash.Key(i));
  if (!waiting.isEmpty()) loop.exec();
  QObject::disconnect(connection);
  return waiting.isEmpty();
}

TFarmServer Expected(int index, qint64 at) {
  const TFarmGame game = index < kUt ? TFarmGame::UT : TFarmGame::UT2004;
  TFarmServer server = GenerateServer(kSeed, index, game, 0);
  ApplyDailyPattern(server, kSeed, index, at,
                    QDateTime::fromSecsSinceEpoch(at).offsetFromUtc());
  return server;
}

TEST(FarmHistoryTest, RepliesOfADailyPatternFarmAreSampledAndLastSeenSurvivesARestart) {
  testing::FarmProcess farm(kUt, kUt2004, kSeed, {"--daily-pattern"});
  ASSERT_TRUE(farm.Start()) << farm.Process().readAllStandardError().constData();
  EXPECT_TRUE(farm.StartLine().contains("daily pattern")) << farm.StartLine().toStdString();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath("history.sqlite");
  TServerStash stash;
  for (int i = 0; i < kUt + kUt2004; ++i)
    stash.AddServer("127.0.0.1", QString::number(farm.Base() + i), "", false,
                    i < kUt ? "UT" : "UT2004", "True", "");

  TFileWriter writer;
  QString watched;
  QStringList holders;  // the servers whose players include the watched name
  TSighting lastSeen;
  {
    TServerHistory history(stash, writer, path, true);
    QSignalSpy opened(&history, &TServerHistory::OnFileOpened);
    ASSERT_TRUE(opened.wait());
    // The first player of the busiest server is watched; farm names repeat on other servers.
    int busiest = 0;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    for (int i = 0; i < kUt + kUt2004; ++i)
      if (Expected(i, now).players.size() > Expected(busiest, now).players.size()) busiest = i;
    ASSERT_FALSE(Expected(busiest, now).players.empty());
    watched = QString::fromLatin1(Expected(busiest, now).players[0].name);
    for (int i = 0; i < kUt + kUt2004; ++i)
      for (const TFarmPlayer& player : Expected(i, now).players)
        if (QString::fromLatin1(player.name) == watched) holders << stash.Key(i);
    history.SetWatchedPlayers({watched});

    const qint64 before = QDateTime::currentSecsSinceEpoch();
    ASSERT_TRUE(QueryAll(stash));
    ASSERT_TRUE(QueryAll(stash));  // a second refresh within five minutes adds no sample
    history.HandPending();
    writer.Flush();
    for (int i = 0; i < kUt + kUt2004; ++i) {
      const auto samples = history.ChartData(stash.Key(i), before + 600).samples;
      ASSERT_EQ(samples.size(), 1u) << i;
      const THistorySample& sample = samples[0];
      // The count may have moved by the minute between the reply and the clock read here.
      const TFarmServer expected = Expected(i, sample.time), earlier = Expected(i, sample.time - 60);
      EXPECT_TRUE(sample.players == int(expected.players.size()) ||
                  sample.players == int(earlier.players.size()))
          << i << ": " << sample.players;
      EXPECT_EQ(sample.maxPlayers, expected.maxPlayers);
      EXPECT_TRUE(sample.map == QString::fromLatin1(expected.map) ||
                  sample.map == QString::fromLatin1(earlier.map));
    }
    ASSERT_TRUE(history.LastSeen(watched)) << watched.toStdString();
    lastSeen = *history.LastSeen(watched);
    EXPECT_TRUE(holders.contains(lastSeen.serverKey)) << lastSeen.serverKey.toStdString();
  }
  TServerHistory restarted(TServerStash(), writer, path, true);
  QSignalSpy loaded(&restarted, &TServerHistory::OnLastSeenLoaded);
  ASSERT_TRUE(loaded.wait());
  EXPECT_EQ(restarted.LastSeen(watched), lastSeen);
  EXPECT_EQ(lastSeen.serverName,
            PlainName(QString::fromLatin1(Expected(stash.IndexOf(lastSeen.serverKey), 0).name)));
  EXPECT_LE(QDateTime::currentSecsSinceEpoch() - lastSeen.time, 60);
}

}  // namespace
}  // namespace zorvane::farm
