// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/player_monitor.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include "browse/monitor_cells.h"
#include "browse/string_table_model.h"
#include "monitor_test_support.h"
#include "support/recording_sink.h"

namespace zorvane {
namespace {

using testing::AddKnownServer;
using testing::RecordingSink;

struct Monitor {
  TServerStash stash;
  TStringTableModel cells;
  TPlayerMonitor monitor{stash, cells};

  QStringList Row(int row) const { return cells.RowTexts(row); }
  QString ServerOf(const QString& name) const {
    return cells.Cell(mcServer, monitor.FindPlayerRow(name));
  }
};

TEST(PlayerMonitorTest, AddingFillsTheEmptyFirstRowThenAppendsAndRefusesDuplicates) {
  Monitor m;
  RecordingSink messages;
  QSignalSpy sorts(&m.monitor, &TPlayerMonitor::OnSortWanted);
  EXPECT_EQ(m.cells.RowTexts(0), QStringList({"Player", "Server", "Game Type", "IP"}));
  ASSERT_EQ(m.cells.DataRowCount(), 1);

  EXPECT_EQ(m.monitor.AddWatchedPlayer("foo", messages), 1);
  EXPECT_EQ(m.monitor.AddWatchedPlayer("Bar", messages), 2);
  EXPECT_EQ(m.monitor.AddWatchedPlayer("Foo", messages), -1);
  EXPECT_EQ(m.monitor.AddWatchedPlayer("", messages), -1);
  EXPECT_EQ(messages.messages, QStringList({"Foo is already in the list."}));
  EXPECT_EQ(m.monitor.WatchedPlayers(), QStringList({"foo", "Bar"}));
  EXPECT_EQ(m.Row(1), QStringList({"foo", kNotInServerList, "", ""}));
  EXPECT_EQ(m.Row(2), QStringList({"Bar", kNotInServerList, "", ""}));
  ASSERT_EQ(sorts.count(), 2);
  EXPECT_EQ(sorts[1][0].toInt(), 2);  // the new row is made current before the sort

  // From a server view: a name watched already keeps its single row.
  EXPECT_EQ(m.monitor.AddPlayerFromView("BAR", "10.0.0.9:7778", "Box", "xCTFGame"), -1);
  EXPECT_EQ(m.monitor.AddPlayerFromView("Cid", "10.0.0.9:7778", "Box", "xCTFGame"), 3);
  EXPECT_EQ(m.Row(3), QStringList({"Cid", "Box", "xCTFGame", "10.0.0.9:7778"}));
  EXPECT_EQ(m.monitor.WatchedPlayers().size(), 3);
}

TEST(PlayerMonitorTest, LoadedNamesGetPlaceholderRowsOnce) {
  Monitor m;
  m.monitor.LoadWatchedPlayers({"Ann", "", "ANN", "Bob"});
  EXPECT_EQ(m.monitor.WatchedPlayers(), QStringList({"Ann", "Bob"}));
  ASSERT_EQ(m.cells.DataRowCount(), 2);
  EXPECT_EQ(m.Row(2), QStringList({"Bob", kNotInServerList, "", ""}));
}

// Every way a row learns of a player matches whole names, ignoring case.
TEST(PlayerMonitorTest, WholeNamesMatchByEveryRoute) {
  const struct {
    const char* slot;
    bool found;
  } cases[] = {{"Foo", true},        {"fOO", true},       {"Foo|Clan", false},
               {"xFoo", false},      {"Foo ", false},     {"", false}};
  enum Route { ByName, ByRefresh, ByReply };
  for (const auto& c : cases) {
    for (Route route : {ByName, ByRefresh, ByReply}) {
      Monitor m;
      AddKnownServer(m.stash, "Box", "DM-Deck16", {"Other", QString::fromLatin1(c.slot)});
      m.monitor.LoadWatchedPlayers({"Foo"});
      QSignalSpy online(&m.monitor, &TPlayerMonitor::OnPlayerCameOnline);
      bool cameOnline = false;
      if (route == ByName) cameOnline = m.monitor.UpdatePlayerRow("foo");
      if (route == ByRefresh) m.monitor.RefreshPlayerMonitor();
      if (route == ByReply) m.monitor.UpdatePlayerMonitorForServer("10.0.0.1:7778");
      if (route != ByName) cameOnline = online.count() == 1;
      const QStringList expected =
          c.found ? QStringList{"Foo", "Box", "xDeathMatch", "10.0.0.1:7778"}
                  : QStringList{"Foo", kNotInServerList, "", ""};
      EXPECT_EQ(m.Row(1), expected) << c.slot << " route " << route;
      EXPECT_EQ(cameOnline, c.found) << c.slot << " route " << route;
      EXPECT_LE(online.count(), 1);
    }
  }
}

TEST(PlayerMonitorTest, TheFirstServerInStashOrderWins) {
  Monitor m;
  AddKnownServer(m.stash, "First", "DM-A", {"Ann"});
  AddKnownServer(m.stash, "Second", "DM-B", {"Bob", "ann"});
  m.monitor.LoadWatchedPlayers({"Ann", "Bob"});
  m.monitor.RefreshPlayerMonitor();
  EXPECT_EQ(m.ServerOf("Ann"), "First");
  EXPECT_EQ(m.ServerOf("Bob"), "Second");

  // A reply of the second server leaves a row that shows another server alone.
  m.monitor.UpdatePlayerMonitorForServer("10.0.0.2:7778");
  EXPECT_EQ(m.ServerOf("Ann"), "First");

  // Ann leaves the first server: its reply clears the row, the refresh finds her again.
  m.stash.Server(0)->ClearPlayers();
  m.monitor.UpdatePlayerMonitorForServer("10.0.0.1:7778");
  EXPECT_EQ(m.ServerOf("Ann"), kNotInServerList);
  EXPECT_EQ(m.Row(m.monitor.FindPlayerRow("Ann")).value(mcKey), "");
  EXPECT_TRUE(m.monitor.UpdatePlayerRow("Ann"));
  EXPECT_EQ(m.ServerOf("Ann"), "Second");
  EXPECT_FALSE(m.monitor.UpdatePlayerRow("Ann"));  // already online: no second time
}

TEST(PlayerMonitorTest, CameOnlineIsSignalledOncePerRefresh) {
  Monitor m;
  AddKnownServer(m.stash, "Box", "DM-A", {"Ann", "Bob"});
  m.monitor.LoadWatchedPlayers({"Ann", "Bob", "Cid"});
  QSignalSpy online(&m.monitor, &TPlayerMonitor::OnPlayerCameOnline);
  QSignalSpy sorts(&m.monitor, &TPlayerMonitor::OnSortWanted);
  QSignalSpy found(&m.monitor, &TPlayerMonitor::OnPlayerFound);
  m.monitor.RefreshPlayerMonitor();
  m.monitor.RefreshPlayerMonitor();
  EXPECT_EQ(online.count(), 1);
  EXPECT_EQ(sorts.count(), 2);
  // Each player that came online is named once, with its server.
  ASSERT_EQ(found.count(), 2);
  EXPECT_EQ(found[0], (QVariantList{"Ann", "10.0.0.1:7778"}));
  EXPECT_EQ(found[1], (QVariantList{"Bob", "10.0.0.1:7778"}));
}

TEST(PlayerMonitorTest, EveryChangeOfTheWatchedNamesIsSignalled) {
  Monitor m;
  AddKnownServer(m.stash, "Box", "DM-A", {"Dee"});
  QSignalSpy changed(&m.monitor, &TPlayerMonitor::OnWatchedPlayersChanged);
  QSignalSpy found(&m.monitor, &TPlayerMonitor::OnPlayerFound);
  RecordingSink messages;
  m.monitor.LoadWatchedPlayers({"Ann"});
  m.monitor.AddWatchedPlayer("Bob", messages);
  m.monitor.AddWatchedPlayer("bob", messages);  // refused: no change
  m.monitor.AddPlayerFromView("Cid", "10.0.0.1:7778", "Box", "DM");
  m.monitor.AddImportedPlayers({"Dee"});
  EXPECT_EQ(changed.count(), 4);
  ASSERT_EQ(found.count(), 1);
  EXPECT_EQ(found[0], (QVariantList{"Dee", "10.0.0.1:7778"}));
  m.monitor.DeleteWatchedPlayer(m.monitor.FindPlayerRow("Ann"));
  EXPECT_EQ(changed.count(), 5);
  EXPECT_EQ(m.monitor.WatchedPlayers(), QStringList({"Bob", "Cid", "Dee"}));
}

TEST(PlayerMonitorTest, DeletingTheLastRowLeavesAnEmptyRow) {
  Monitor m;
  m.monitor.LoadWatchedPlayers({"Ann", "Bob"});
  EXPECT_FALSE(m.monitor.DeleteWatchedPlayer(0));  // the header
  EXPECT_FALSE(m.monitor.DeleteWatchedPlayer(3));
  EXPECT_TRUE(m.monitor.DeleteWatchedPlayer(1));
  EXPECT_EQ(m.monitor.WatchedPlayers(), QStringList({"Bob"}));
  EXPECT_TRUE(m.monitor.DeleteWatchedPlayer(1));
  EXPECT_TRUE(m.monitor.WatchedPlayers().isEmpty());
  ASSERT_EQ(m.cells.DataRowCount(), 1);
  EXPECT_EQ(m.Row(1), QStringList({"", "", "", ""}));
  EXPECT_FALSE(m.monitor.DeleteWatchedPlayer(1));  // no name in it
  EXPECT_EQ(m.monitor.FindPlayerRow("Bob"), -1);
  RecordingSink messages;
  EXPECT_EQ(m.monitor.AddWatchedPlayer("Cid", messages), 1);  // reuses the empty row
}

TEST(PlayerMonitorTest, RowsAreFoundByNameAfterTheGridReordersThem) {
  Monitor m;
  m.monitor.LoadWatchedPlayers({"Ann", "Bob", "Cid"});
  m.cells.Permute({2, 0, 1});
  EXPECT_EQ(m.monitor.FindPlayerRow("cid"), 1);
  EXPECT_EQ(m.monitor.FindPlayerRow("ANN"), 2);
  // Letters beyond A-Z that differ in case only still find their row.
  m.monitor.LoadWatchedPlayers({QString::fromUtf8("Élan")});
  EXPECT_EQ(m.monitor.FindPlayerRow(QString::fromUtf8("éLAN")), 4);
  EXPECT_EQ(m.monitor.FindPlayerRow(""), -1);
}

TEST(PlayerMonitorTest, ImportedNamesAreAddedOnceAndLookedFor) {
  Monitor m;
  AddKnownServer(m.stash, "Box", "DM-A", {"Bob"});
  m.monitor.LoadWatchedPlayers({"Ann"});
  QSignalSpy online(&m.monitor, &TPlayerMonitor::OnPlayerCameOnline);
  QSignalSpy sorts(&m.monitor, &TPlayerMonitor::OnSortWanted);
  EXPECT_EQ(m.monitor.AddImportedPlayers({"ANN", "Bob", "bob", "", "Cid"}), 2);
  EXPECT_EQ(m.monitor.WatchedPlayers(), QStringList({"Ann", "Bob", "Cid"}));
  EXPECT_EQ(m.ServerOf("Bob"), "Box");
  EXPECT_EQ(online.count(), 1);
  EXPECT_EQ(sorts.count(), 1);
  EXPECT_EQ(m.monitor.AddImportedPlayers({"ann"}), 0);
  EXPECT_EQ(sorts.count(), 1);
}

TEST(PlayerMonitorTest, ExportNeedsARowWithAName) {
  Monitor m;
  RecordingSink messages;
  EXPECT_EQ(m.monitor.ExportablePlayer(0, messages), "");
  EXPECT_EQ(m.monitor.ExportablePlayer(1, messages), "");
  m.monitor.LoadWatchedPlayers({"Ann"});
  EXPECT_EQ(m.monitor.ExportablePlayer(1, messages), "Ann");
  EXPECT_EQ(messages.messages,
            QStringList({"Invalid row selected in the Player Monitor list.",
                         "The row selected in the Player Monitor list does not have a player."}));
}

}  // namespace
}  // namespace zorvane
