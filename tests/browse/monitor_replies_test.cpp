// SPDX-License-Identifier: GPL-2.0-or-later
// Both monitors fed by real replies of servers on 127.0.0.1, as the main window feeds them.

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "browse/map_monitor.h"
#include "browse/monitor_cells.h"
#include "browse/player_monitor.h"
#include "browse/string_table_model.h"
#include "query/server_stash.h"
#include "support/fake_server.h"

namespace zorvane {
namespace {

using testing::FakeServer;

// A UT server whose map and players the test changes between replies.
struct Server {
  QByteArray name, map = "DM-Deck16";
  QList<QByteArray> players;
  FakeServer fake{[this](const QByteArray&) {
    QByteArray reply = "\\hostname\\" + name + "\\mapname\\" + map + "\\gametype\\DeathMatchPlus" +
                       "\\numplayers\\" + QByteArray::number(players.size());
    for (int i = 0; i < players.size(); ++i)
      reply += "\\player_" + QByteArray::number(i) + "\\" + players[i];
    return QList<QByteArray>{reply + "\\final\\"};
  }};
  explicit Server(QByteArray serverName) : name(std::move(serverName)) {}
};

struct Monitors {
  TServerStash stash;
  TStringTableModel playerCells, mapCells;
  TPlayerMonitor players{stash, playerCells};
  TMapMonitor maps{stash, mapCells};
  QSignalSpy updated{&stash, &TServerStash::OnServerUpdated};
  QSignalSpy online{&players, &TPlayerMonitor::OnPlayerCameOnline};
  QSignalSpy found{&players, &TPlayerMonitor::OnPlayerFound};
  QSignalSpy started{&maps, &TMapMonitor::OnMapStarted};

  Monitors() {
    QObject::connect(&stash, &TServerStash::OnServerUpdated, [this](const QString& key) {
      players.UpdatePlayerMonitorForServer(key);
      maps.UpdateMapMonitorForServer(key);
    });
  }
  void Add(const Server& server) {
    stash.AddServer("127.0.0.1", QString::number(server.fake.Port()), "", false, "UT", "True", "");
  }
  bool Query(const Server& server) {
    const int before = int(updated.count());
    stash.QueryServer(server.fake.Key());
    for (int waited = 0; updated.count() == before && waited < 3000; waited += 5) QTest::qWait(5);
    return updated.count() > before;
  }
  QStringList PlayerRow(const QString& name) const {
    return playerCells.RowTexts(players.FindPlayerRow(name));
  }
};

const QString kNone = QString::fromLatin1(kNotInServerList);

TEST(MonitorRepliesTest, APlayerAppearsLeavesAndMoves) {
  Server alpha("Alpha"), beta("Beta");
  Monitors m;
  m.Add(alpha);
  m.Add(beta);
  m.players.LoadWatchedPlayers({"Bob"});

  alpha.players = {"Ann", "Bob|Clan"};  // a longer name is someone else
  ASSERT_TRUE(m.Query(alpha));
  EXPECT_EQ(m.PlayerRow("Bob").value(mcServer), kNone);

  alpha.players = {"Ann", "bob"};
  ASSERT_TRUE(m.Query(alpha));
  EXPECT_EQ(m.PlayerRow("Bob"), QStringList({"Bob", "Alpha", "DeathMatchPlus", alpha.fake.Key()}));
  ASSERT_TRUE(m.Query(alpha));  // still there: no second came-online
  EXPECT_EQ(m.online.count(), 1);

  alpha.players = {"Ann"};
  ASSERT_TRUE(m.Query(alpha));
  EXPECT_EQ(m.PlayerRow("Bob"), QStringList({"Bob", kNone, "", ""}));

  // Moves: on Beta while the row still shows Alpha, Beta's reply leaves it; Alpha's reply
  // without him clears it and the next Beta reply shows him there.
  alpha.players = {"Bob"};
  ASSERT_TRUE(m.Query(alpha));
  beta.players = {"Bob"};
  alpha.players = {};
  ASSERT_TRUE(m.Query(beta));
  EXPECT_EQ(m.PlayerRow("Bob").value(mcServer), "Alpha");
  ASSERT_TRUE(m.Query(alpha));
  ASSERT_TRUE(m.Query(beta));
  EXPECT_EQ(m.PlayerRow("Bob").value(mcServer), "Beta");
  EXPECT_EQ(m.online.count(), 3);
  ASSERT_EQ(m.found.count(), 3);
  EXPECT_EQ(m.found[0], (QVariantList{"Bob", alpha.fake.Key()}));
  EXPECT_EQ(m.found[2], (QVariantList{"Bob", beta.fake.Key()}));
}

TEST(MonitorRepliesTest, AMapChangeMovesTheServerRow) {
  Server alpha("Alpha");
  Monitors m;
  m.Add(alpha);
  m.maps.LoadWatchedMaps({"dm-deck16", "CTF-Face"});
  ASSERT_TRUE(m.Query(alpha));
  EXPECT_EQ(m.mapCells.RowTexts(1),
            QStringList({"DM-Deck16", "Alpha", "DeathMatchPlus", alpha.fake.Key()}));
  EXPECT_EQ(m.mapCells.RowTexts(2), QStringList({"CTF-Face", kNone, "", ""}));

  alpha.map = "CTF-Face";
  ASSERT_TRUE(m.Query(alpha));
  EXPECT_EQ(m.mapCells.RowTexts(1),
            QStringList({"CTF-Face", "Alpha", "DeathMatchPlus", alpha.fake.Key()}));
  EXPECT_EQ(m.mapCells.RowTexts(2), QStringList({"dm-deck16", kNone, "", ""}));

  ASSERT_TRUE(m.Query(alpha));  // the same map again starts nothing
  ASSERT_EQ(m.started.count(), 2);
  EXPECT_EQ(m.started[0], (QVariantList{"DM-Deck16", alpha.fake.Key()}));
  EXPECT_EQ(m.started[1], (QVariantList{"CTF-Face", alpha.fake.Key()}));

  alpha.map = "DM-Unwatched";
  ASSERT_TRUE(m.Query(alpha));
  EXPECT_EQ(m.started.count(), 2);
  EXPECT_EQ(m.mapCells.DataRowCount(), 2);
  EXPECT_EQ(m.maps.FindMapRow("CTF-Face"), 2);
  EXPECT_EQ(m.mapCells.RowTexts(2), QStringList({"CTF-Face", kNone, "", ""}));
}

}  // namespace
}  // namespace zorvane
