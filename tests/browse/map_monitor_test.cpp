// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/map_monitor.h"

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
  TMapMonitor monitor{stash, cells};

  // Every data row as "map|server|key".
  QStringList Rows() const {
    QStringList rows;
    for (int row = 1; row < cells.RowCount(); ++row)
      rows << cells.Cell(mcName, row) + "|" + cells.Cell(mcServer, row) + "|" +
                  cells.Cell(mcKey, row);
    return rows;
  }
  void Reply(int index, const QString& map) {
    stash.Server(index)->SetMapName(map);
    monitor.UpdateMapMonitorForServer(stash.Key(index));
  }
};

const QString kNone = QString::fromLatin1(kNotInServerList);

TEST(MapMonitorTest, AWatchedMapGetsOneRowPerServerPlayingIt) {
  Monitor m;
  AddKnownServer(m.stash, "A", "dm-deck16", {});
  AddKnownServer(m.stash, "B", "CTF-Face", {});
  AddKnownServer(m.stash, "C", "DM-DECK16", {});
  AddKnownServer(m.stash, "D", "dm-deck16", {});
  RecordingSink messages;
  QSignalSpy sorts(&m.monitor, &TMapMonitor::OnSortWanted);
  EXPECT_TRUE(m.monitor.AddWatchedMap("DM-Deck16", messages));
  EXPECT_FALSE(m.monitor.AddWatchedMap("dm-DECK16", messages));
  EXPECT_EQ(messages.messages, QStringList({"dm-DECK16 is already in the list."}));
  EXPECT_EQ(m.Rows(), QStringList({"dm-deck16|A|10.0.0.1:7778", "DM-DECK16|C|10.0.0.3:7778",
                                   "dm-deck16|D|10.0.0.4:7778"}));
  ASSERT_EQ(sorts.count(), 1);
  EXPECT_EQ(sorts[0][0].toInt(), 3);  // the last row

  EXPECT_TRUE(m.monitor.AddWatchedMap("DM-Nowhere", messages));
  EXPECT_EQ(m.Rows().last(), "DM-Nowhere|" + kNone + "|");
  // The header's text is watched but gets no row.
  EXPECT_TRUE(m.monitor.AddWatchedMap("Map", messages));
  EXPECT_EQ(m.Rows().size(), 4);
  EXPECT_TRUE(m.monitor.IsWatched("MAP"));

  // A refresh rebuilds the same rows from one walk; no server started a map.
  QSignalSpy started(&m.monitor, &TMapMonitor::OnMapStarted);
  m.monitor.RefreshMapMonitor();
  EXPECT_EQ(m.Rows().size(), 4);
  EXPECT_EQ(m.Rows().count("DM-Nowhere|" + kNone + "|"), 1);
  EXPECT_EQ(started.count(), 0);
  // B moved to a watched map, A left it: only B started one.
  m.stash.Server(1)->SetMapName("dm-nowhere");
  m.stash.Server(0)->SetMapName("DM-Elsewhere");
  m.monitor.RefreshMapMonitor();
  ASSERT_EQ(started.count(), 1);
  EXPECT_EQ(started[0], (QVariantList{"dm-nowhere", "10.0.0.2:7778"}));
}

TEST(MapMonitorTest, RepliesMoveServersBetweenMaps) {
  const struct {
    const char* name;
    const char* newMap;
    QStringList rows;
  } cases[] = {
      // unwatched map: the row goes; the server was the map's last, so its placeholder returns
      {"to unwatched", "DM-Other", {"ctf-face|" + kNone + "|", "DM-Morpheus|" + kNone + "|"}},
      // another watched map: the row stays with the new name, and that map's placeholder goes
      {"to watched", "dm-morpheus", {"dm-morpheus|A|10.0.0.1:7778", "ctf-face|" + kNone + "|"}},
      // a cleared map (empty reply) counts as unwatched
      {"cleared", "", {"ctf-face|" + kNone + "|", "DM-Morpheus|" + kNone + "|"}},
      // the same map in another case: nothing changes
      {"same map", "CTF-FACE", {"CTF-Face|A|10.0.0.1:7778", "DM-Morpheus|" + kNone + "|"}},
  };
  for (const auto& c : cases) {
    Monitor m;
    AddKnownServer(m.stash, "A", "CTF-Face", {});
    m.monitor.LoadWatchedMaps({"ctf-face", "DM-Morpheus"});
    m.monitor.RefreshMapMonitor();
    ASSERT_EQ(m.Rows(), QStringList({"CTF-Face|A|10.0.0.1:7778", "DM-Morpheus|" + kNone + "|"}));
    m.Reply(0, QString::fromLatin1(c.newMap));
    QStringList rows = m.Rows();
    rows.sort();
    QStringList expected = c.rows;
    expected.sort();
    EXPECT_EQ(rows, expected) << c.name;
  }
}

TEST(MapMonitorTest, AServerNewlyOnAWatchedMapTakesThePlaceholderThenAddsRows) {
  Monitor m;
  AddKnownServer(m.stash, "A", "DM-A", {});
  AddKnownServer(m.stash, "B", "DM-B", {});
  m.monitor.LoadWatchedMaps({"DM-Deck16", "", "dm-deck16"});
  EXPECT_EQ(m.Rows(), QStringList({"DM-Deck16|" + kNone + "|"}));
  m.Reply(0, "DM-Deck16");
  m.Reply(1, "dm-deck16");
  EXPECT_EQ(m.Rows(), QStringList({"DM-Deck16|A|10.0.0.1:7778", "dm-deck16|B|10.0.0.2:7778"}));
  m.Reply(1, "dm-deck16");  // a repeat changes nothing
  m.Reply(0, "DM-Other");
  EXPECT_EQ(m.Rows(), QStringList({"dm-deck16|B|10.0.0.2:7778"}));
  m.Reply(1, "DM-Other");
  EXPECT_EQ(m.Rows(), QStringList({"DM-Deck16|" + kNone + "|"}));
}

TEST(MapMonitorTest, DeletingRowsKeepsOneEmptyRow) {
  Monitor m;
  AddKnownServer(m.stash, "A", "DM-A", {});
  AddKnownServer(m.stash, "B", "DM-A", {});
  m.monitor.LoadWatchedMaps({"DM-A", "DM-B"});
  m.monitor.RefreshMapMonitor();
  ASSERT_EQ(m.Rows().size(), 3);
  EXPECT_FALSE(m.monitor.DeleteWatchedMap(0));
  EXPECT_TRUE(m.monitor.DeleteWatchedMap(m.monitor.FindMapRow("dm-a")));
  EXPECT_EQ(m.Rows(), QStringList({"DM-B|" + kNone + "|"}));
  EXPECT_TRUE(m.monitor.DeleteWatchedMap(1));
  EXPECT_EQ(m.Rows(), QStringList({"||"}));
  EXPECT_TRUE(m.monitor.WatchedMaps().isEmpty());
  // A server reply finds no row by its key in the emptied row.
  m.monitor.UpdateMapMonitorForServer("10.0.0.1:7778");
  EXPECT_EQ(m.Rows(), QStringList({"||"}));
}

TEST(MapMonitorTest, AMapFromAViewGetsARowOnlyWhenItHasNone) {
  Monitor m;
  QSignalSpy sorts(&m.monitor, &TMapMonitor::OnSortWanted);
  EXPECT_EQ(m.monitor.AddMapFromView("DM-A", "10.0.0.5:7778", "E", "xDeathMatch"), 1);
  EXPECT_EQ(m.monitor.AddMapFromView("dm-a", "10.0.0.6:7778", "F", "xDeathMatch"), -1);
  EXPECT_EQ(m.monitor.WatchedMaps(), QStringList({"DM-A"}));
  EXPECT_EQ(m.Rows(), QStringList({"DM-A|E|10.0.0.5:7778"}));
  EXPECT_EQ(sorts.count(), 1);
}

}  // namespace
}  // namespace zorvane
