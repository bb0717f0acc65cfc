// SPDX-License-Identifier: GPL-2.0-or-later
// The server lists keep the stored sort order: the lists a start or a master list draws, and
// a new favourite, stand in the order the header's arrow shows.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <functional>

#include "browse/server_rows.h"
#include "gui/grid/string_grid.h"
#include "gui/window/main_window.h"
#include "query/server_cache.h"
#include "query/server_stash.h"
#include "support/fake_server.h"
#include "support/farm_process.h"
#include "support/recording_dialogs.h"
#include "support/shown_window.h"

namespace zorvane {
namespace {

const QByteArray kSettings =
    "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\nautoPingServer=0\n";

QStringList Names(const TkorvUTServerView* view) {
  QStringList names;
  const TkorvStringGrid* grid = view->ServerGrid();
  for (int row = grid->FixedRows(); row < grid->RowCount(); ++row)
    names << grid->Cells(scServer, row);
  return names;
}

TServer& AddServer(TServerStash& stash, int port, const QString& name, const QString& players) {
  stash.AddServer("127.0.0.1", QString::number(port), {}, false, "UT", "True", {});
  TServer& server = *stash.Server(stash.Count() - 1);
  server.SetDescription(name);
  server.SetGameType("CTFGame");
  server.SetPing("40");
  server.SetNumPlayers(players);
  return server;
}

// The last session's list comes up under the stored arrow: by players, most first.
TEST(SortOrderTest, TheListsOfAStartStandInTheStoredOrder) {
  QTemporaryDir dir;
  {
    TServerStash last;
    AddServer(last, 7778, "Few", "2");
    AddServer(last, 7780, "None", "0");
    AddServer(last, 7782, "Many", "9");
    ASSERT_EQ(SaveServerCache(dir.filePath(kServerCacheFileName), last), "");
  }
  testing::RecordingDialogs dialogs;
  auto window = testing::ShownWindow(
      dir.path(), kSettings + "serverGridSortCol=1\nserverGridSortColDirection=down\n", dialogs);
  const TkorvUTServerView* ctf = window->View("CTFGame");
  EXPECT_EQ(ctf->GridSortCol(gtServer), scPlayers);
  EXPECT_EQ(ctf->GridSortDirection(gtServer), TSortDirection::Descending);
  EXPECT_EQ(Names(ctf), (QStringList{"Many", "Few", "None"}));
}

// F8 rebuilds every list from the master's: by players, most first, as stored.
TEST(SortOrderTest, AMasterListComesUpInTheStoredOrder) {
  testing::FarmProcess farm(40, 0, 5);
  ASSERT_TRUE(farm.Start());
  QTemporaryDir dir;
  testing::RecordingDialogs dialogs;
  auto window = testing::ShownWindow(
      dir.path(),
      kSettings + "queryPower=0\nskipPercentageInfo=1\nserverGridSortCol=1\n"
                  "serverGridSortColDirection=down\nmasterServer=127.0.0.1:" +
          QByteArray::number(farm.MasterPort()) + "\n",
      dialogs);
  QTest::keyClick(window.get(), Qt::Key_F8);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return testing::LogHas(*window, "of servers replied"); }, 15000));
  int longest = 0;
  for (int page = 0; page < window->Pages()->count(); ++page) {
    auto* view = qobject_cast<TkorvUTServerView*>(window->Pages()->widget(page));
    if (!view) continue;
    QList<int> players;
    const TkorvStringGrid* grid = view->ServerGrid();
    for (int row = grid->FixedRows(); row < grid->RowCount(); ++row)
      players << grid->Cells(scPlayers, row).section(u'/', 0, 0).toInt();  // "3/16": 3
    QList<int> sorted = players;
    std::sort(sorted.begin(), sorted.end(), std::greater<>());
    EXPECT_EQ(players, sorted) << view->GameType().toStdString();
    longest = std::max(longest, int(players.size()));
  }
  EXPECT_GE(longest, 5);  // some list long enough to have an order
}

// F9 on a listed server: the favourites list takes it in its place and selects it.
TEST(SortOrderTest, ANewFavouriteTakesItsPlaceInTheOrder) {
  QTemporaryDir dir;
  testing::RecordingDialogs dialogs;
  // Never queried: the start asks no server.
  auto window = testing::ShownWindow(dir.path(),
                                     kSettings +
                                         "serverGridSortCol=0\n[server]\nserverCount=2\n"
                                         "server[0]=127.0.0.1\\7778\\False\\Zulu\\UT\n"
                                         "server[1]=127.0.0.1\\7780\\False\\Bravo\\UT\n",
                                     dialogs);
  TkorvUTServerView* favorites = window->FavoritesView();
  ASSERT_EQ(Names(favorites), (QStringList{"Bravo", "Zulu"}));
  const int mike = testing::ClosedPort();  // its query, once a favourite, goes nowhere
  AddServer(window->Stash(), mike, "Mike", "1");
  TkorvUTServerView* ctf = window->View("CTFGame");
  window->Pages()->setCurrentWidget(ctf);
  ctf->PopulateServerGrid(true, true);
  ASSERT_TRUE(ctf->SelectServer("127.0.0.1:" + QString::number(mike)));
  QTest::keyClick(ctf->ServerGrid(), Qt::Key_F9);
  EXPECT_EQ(Names(favorites), (QStringList{"Bravo", "Mike", "Zulu"}));
  EXPECT_EQ(favorites->SelectedServerKey(), "127.0.0.1:" + QString::number(mike));
}

}  // namespace
}  // namespace zorvane
