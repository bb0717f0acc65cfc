// SPDX-License-Identifier: GPL-2.0-or-later
// UT2004 names with colour codes: shown, matched, searched and watched as their plain text.
#include <gtest/gtest.h>

#include "browse/monitor_cells.h"
#include "browse/player_monitor.h"
#include "browse/server_rows.h"
#include "browse/string_table_model.h"
#include "monitor_test_support.h"

namespace zorvane {
namespace {

// 0x1B and three colour bytes; a colour byte may look like a letter or a line break.
const QString kRed = QString::fromLatin1("\x1b\xff\x01\x01");
const QString kGreen = QString::fromLatin1("\x1b\x0a\x41\x0d");

TEST(ColourNamesTest, NamesAreShownAndFoundWithoutTheirCodes) {
  TServerStash stash;
  const int index = testing::AddKnownServer(stash, kRed + "Red" + kGreen + "Fox", "DM-Rankin",
                                            {kGreen + "Bob", "Plain"});
  const TServer& server = *stash.Server(index);

  EXPECT_EQ(ServerRowTexts(server, stash.Key(index), false)[scServer], "RedFox");
  const auto players = PlayerRows(server);
  ASSERT_EQ(players.size(), 2u);
  EXPECT_EQ(players[0][pcPlayer], "Bob");
  EXPECT_EQ(players[1][pcPlayer], "Plain");

  // Find Server and Find Player, whole names and parts, hand back what the grids show.
  for (const bool exact : {true, false}) {
    QString name = exact ? "redfox" : "dfo";
    EXPECT_EQ(stash.FindServerByDescription(name, 0, exact), index + 1) << exact;
    if (!exact) {
      EXPECT_EQ(name, "RedFox");
    }
    QString player = exact ? "BOB" : "ob";
    int serverIndex = 0, slot = -1;
    EXPECT_EQ(stash.FindPlayerInStash(player, exact, serverIndex, slot), index) << exact;
    if (!exact) {
      EXPECT_EQ(player, "Bob");
    }
  }
  // A code's bytes are no part of the name.
  QString codeBytes = QString::fromLatin1("\x0a\x41");
  EXPECT_EQ(stash.FindServerByDescription(codeBytes, 0, false), -1);

  TStringTableModel cells;
  TPlayerMonitor monitor(stash, cells);
  monitor.LoadWatchedPlayers({"bob"});
  monitor.RefreshPlayerMonitor();
  EXPECT_EQ(cells.Cell(mcServer, monitor.FindPlayerRow("bob")), "RedFox");
}

}  // namespace
}  // namespace zorvane
