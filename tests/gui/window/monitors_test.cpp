// SPDX-License-Identifier: GPL-2.0-or-later
// The monitors and find in the window: keys on real widgets reach the monitors' rows, replies
// move them, stored names are listed at start and written back at close.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "browse/map_monitor.h"
#include "browse/player_monitor.h"
#include "browse/server_rows.h"
#include "gui/controls/korv_edit.h"
#include "gui/dialogs/single_edit_dialog.h"
#include "gui/grid/string_grid.h"
#include "gui/window/main_window.h"
#include "support/cancel_path_dialogs.h"
#include "support/farm_process.h"
#include "support/files.h"
#include "support/shown_window.h"
#include "support/recording_dialogs.h"

namespace zorvane {
namespace {

using testing::RecordingDialogs;
using testing::WhenModal;

class MonitorsInWindowTest : public ::testing::Test {
 protected:
  void Start(const QByteArray& extra = {}) {
    ASSERT_TRUE(dir.isValid());
    window = testing::ShownWindow(
        dir.path(),
        "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\nautoPingServer=0\n" +
            extra,
        dialogs);
  }

  // A CTF server on the stash holding the given players.
  TServer* AddServer(const QString& port, const QString& name, const QStringList& players) {
    TServerStash& stash = window->Stash();
    stash.AddServer("127.0.0.1", port, {}, false, "UT", "True", {});
    TServer* server = stash.Find("127.0.0.1:" + port);
    server->SetDescription(name);
    server->SetGameType("CTFGame");
    server->SetPing("40");
    SetPlayers(server, players);
    return server;
  }
  static void SetPlayers(TServer* server, const QStringList& players) {
    for (int slot = 0; slot < kPlayerSlots; ++slot)
      server->SetPlayerText(slot, TPlayerField::Name, slot < players.size() ? players[slot] : "");
  }

  QStringList Row(TkorvStringGrid* grid, int row) { return grid->RowTexts(row).mid(0, 3); }

  QTemporaryDir dir;
  RecordingDialogs dialogs;
  std::unique_ptr<TfrmZorvane> window;
};

TEST_F(MonitorsInWindowTest, StoredNamesAreListedAtStartAndSavedAtClose) {
  Start("[player]\nplayerCount=1\nplayer[0]=Ghost\n[map]\nmapCount=1\nmap[0]=DM-Deck16\n");
  EXPECT_EQ(Row(window->PlayerMonitorGrid(), 1),
            (QStringList{"Ghost", "{not in server list}", ""}));
  EXPECT_EQ(Row(window->MapMonitorGrid(), 1),
            (QStringList{"DM-Deck16", "{not in server list}", ""}));
  window->PlayerMonitor().LoadWatchedPlayers({"Ghost", "Other"});
  window->close();
  const QByteArray ini = testing::Read(dir.filePath("zorvane.ini"));
  EXPECT_TRUE(ini.contains("player[1]=Other")) << ini.toStdString();
  EXPECT_TRUE(ini.contains("map[0]=DM-Deck16")) << ini.toStdString();
}

TEST_F(MonitorsInWindowTest, F6AddsTheSelectedPlayerWithItsServer) {
  Start();
  AddServer("7778", "Flags", {"Alice", "Bob"});
  TkorvUTServerView* view = window->View("CTFGame");
  window->Pages()->setCurrentWidget(view);
  view->PopulateServerGrid(true, true);
  view->ReloadDetails();
  ASSERT_TRUE(view->SelectServerAndPlayer("127.0.0.1:7778", "Bob"));
  view->PlayerGrid()->setFocus();
  QTest::keyClick(view->PlayerGrid(), Qt::Key_F6);
  TkorvStringGrid* grid = window->PlayerMonitorGrid();
  EXPECT_EQ(Row(grid, 1), (QStringList{"Bob", "Flags", "CTFGame"}));
  EXPECT_EQ(grid->Cells(3, 1), "127.0.0.1:7778");
  EXPECT_EQ(window->PlayerMonitor().WatchedPlayers(), QStringList{"Bob"});
}

// The stash's reply hook: a watched player leaving one server and turning up on another.
TEST_F(MonitorsInWindowTest, RepliesMoveAWatchedPlayersRow) {
  Start("[player]\nplayerCount=1\nplayer[0]=Bob\n");
  TServer* first = AddServer("7778", "Flags", {"Bob"});
  TServer* second = AddServer("7780", "Deck", {});
  TkorvStringGrid* grid = window->PlayerMonitorGrid();
  int cameOnline = 0;
  QObject::connect(&window->PlayerMonitor(), &TPlayerMonitor::OnPlayerCameOnline,
                   [&] { ++cameOnline; });
  Q_EMIT window->Stash().OnServerUpdated("127.0.0.1:7778");
  EXPECT_EQ(grid->Cells(1, 1), "Flags");
  SetPlayers(first, {});
  Q_EMIT window->Stash().OnServerUpdated("127.0.0.1:7778");
  EXPECT_EQ(grid->Cells(1, 1), "{not in server list}");
  SetPlayers(second, {"bob"});
  Q_EMIT window->Stash().OnServerUpdated("127.0.0.1:7780");
  EXPECT_EQ(grid->Cells(1, 1), "Deck");
  EXPECT_EQ(grid->Cells(3, 1), "127.0.0.1:7780");
  EXPECT_EQ(cameOnline, 2);
}

// The popup names the watched player's server as it is, and its item makes that server a
// favourite.
TEST_F(MonitorsInWindowTest, PopupAddsAWatchedPlayersServerToTheFavourites) {
  Start("[player]\nplayerCount=2\nplayer[0]=Bob\nplayer[1]=Gone\n");
  AddServer("7778", "Flags & Co", {"Bob"});
  Q_EMIT window->Stash().OnServerUpdated("127.0.0.1:7778");
  TkorvStringGrid* grid = window->PlayerMonitorGrid();
  QAction* item = window->FindWindowAction("actAddPlayerMonitorServerToFaves");
  ASSERT_NE(item, nullptr);
  const int bob = grid->Cells(0, 1) == "Bob" ? 1 : 2;
  bool canPopup = true;
  Q_EMIT grid->OnPreContextMenu(nullptr, 3 - bob, 0, canPopup);  // not in the server list
  EXPECT_FALSE(item->isVisible());
  Q_EMIT grid->OnPreContextMenu(nullptr, bob, 0, canPopup);
  EXPECT_TRUE(item->isVisible());
  EXPECT_EQ(item->text(), "Add Flags && Co To Favorites");  // no accelerator from a name
  grid->SetRow(bob);
  item->trigger();
  EXPECT_TRUE(window->Stash().Find("127.0.0.1:7778")->Favorite);
  EXPECT_GE(window->FavoritesView()->FindServerRow("127.0.0.1:7778"), 0);
  item->trigger();  // once is enough
  EXPECT_EQ(dialogs.information, QStringList{"This server is already a favorite."});
}

// While F8's replies come in they are only counted: the monitors keep their rows until the
// list is in, then both are refreshed from it.
TEST_F(MonitorsInWindowTest, AMasterQueryRefreshesTheMonitorsOnceItsRepliesAreIn) {
  // Two of its eight servers stay silent, so the replies are in only after the reply wait.
  testing::FarmProcess farm(8, 0, 1, {"--silent", "0.25"});
  ASSERT_TRUE(farm.Start());
  Start("queryPower=0\nskipPercentageInfo=1\nmasterServer=127.0.0.1:" +
        QByteArray::number(farm.MasterPort()) + "\n");
  // A player and a map of the farm, from its servers asked one by one.
  TServerStash& stash = window->Stash();
  for (int i = 0; i < 8; ++i) {
    stash.AddServer("127.0.0.1", QString::number(farm.Base() + i), {}, false, "UT", "True", {});
    stash.QueryServer("127.0.0.1:" + QString::number(farm.Base() + i));
  }
  QString player, map;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        for (int i = 0; i < stash.Count() && player.isEmpty(); ++i) {
          player = stash.Server(i)->PlayerText(0, TPlayerField::Name);
          map = stash.Server(i)->MapName();
        }
        return !player.isEmpty();
      },
      5000));
  window->PlayerMonitor().LoadWatchedPlayers({player});
  window->MapMonitor().LoadWatchedMaps({map});
  TkorvStringGrid* players = window->PlayerMonitorGrid();
  TkorvStringGrid* maps = window->MapMonitorGrid();
  const QStringList before{players->Cells(1, 1), maps->Cells(1, 1)};
  ASSERT_EQ(before, (QStringList{"{not in server list}", "{not in server list}"}));

  int during = 0;  // replies of the player's server seen while the query still ran
  QObject::connect(&stash, &TServerStash::OnServerUpdated, window.get(), [&](const QString& key) {
    const TServer* server = stash.Find(key);
    if (!window->MassRefresh().MassRefreshing() || !server ||
        server->PlayerText(0, TPlayerField::Name) != player)
      return;
    ++during;
    EXPECT_EQ((QStringList{players->Cells(1, 1), maps->Cells(1, 1)}), before);
  });
  QTest::keyClick(window.get(), Qt::Key_F8);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return testing::LogHas(*window, "of servers replied"); }, 15000));
  EXPECT_GT(during, 0);
  EXPECT_NE(players->Cells(1, 1), "{not in server list}");
  EXPECT_FALSE(players->Cells(3, 1).isEmpty());
  EXPECT_NE(maps->Cells(1, 1), "{not in server list}");
  EXPECT_EQ(maps->Cells(0, 1), map);
}

TEST_F(MonitorsInWindowTest, F3AsksForAPlayerThenSelectsEachHit) {
  Start();
  AddServer("7778", "Flags", {"Joanna"});
  AddServer("7780", "Deck", {"ANNA"});
  window->View("CTFGame")->PopulateServerGrid(true, true);
  window->View("CTFGame")->ReloadDetails();
  window->Pages()->setCurrentIndex(window->Pages()->count() - 2);  // the player monitor
  WhenModal([](QWidget* dialog) {
    auto* edit = qobject_cast<TfrmLocalPort*>(dialog);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->windowTitle(), "Find Player");
    ASSERT_TRUE(edit->ExactMatchBox()->isVisibleTo(edit));
    EXPECT_TRUE(edit->ExactMatchBox()->isChecked());  // the stored setting
    QTest::keyClicks(edit->Edit()->Edit(), "ann");
    edit->ExactMatchBox()->setChecked(false);
    QTest::mouseClick(edit->OkButton(), Qt::LeftButton);
  });
  QTest::keyClick(window.get(), Qt::Key_F3);
  TkorvUTServerView* view = window->View("CTFGame");
  EXPECT_EQ(window->Pages()->currentWidget(), view);
  EXPECT_EQ(view->SelectedServerKey(), "127.0.0.1:7778");
  window->activateWindow();  // back from the dialog
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QTest::keyClick(window.get(), Qt::Key_F3);
  EXPECT_EQ(view->SelectedServerKey(), "127.0.0.1:7780");
  EXPECT_EQ(view->SelectedPlayerName(), "ANNA");
  EXPECT_FALSE(window->Config().settings.exactMatchPlayer);
  QTest::keyClick(window.get(), Qt::Key_F3);
  EXPECT_EQ(dialogs.information, QStringList{"Player ann not found."});
}

// A part of a name finds nothing with Exact Match on (the stored default): the box says why.
TEST_F(MonitorsInWindowTest, CtrlShiftFWithExactMatchOnSaysWhyAPartFindsNothing) {
  Start();
  AddServer("7778", "Flags", {"Joanna"});
  window->View("CTFGame")->PopulateServerGrid(true, true);
  WhenModal([](QWidget* dialog) {
    auto* edit = qobject_cast<TfrmLocalPort*>(dialog);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->windowTitle(), "Find Server");
    EXPECT_TRUE(edit->ExactMatchBox()->isChecked());
    QTest::keyClicks(edit->Edit()->Edit(), "Fla");
    QTest::mouseClick(edit->OkButton(), Qt::LeftButton);
  });
  QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(dialogs.information, QStringList{"Server Fla not found.\n(Exact Match is on.)"});
}

// Pinging the selected server empties its details until the reply; a find must still pick the
// player, on a server that was not current and on one that was, with stale details.
TEST_F(MonitorsInWindowTest, FindSelectsThePlayerWhileTheServerIsPinged) {
  Start();
  AddServer("7778", "Flags", {"Joanna"});
  TServer* deck = AddServer("7780", "Deck", {"Anna"});
  TkorvUTServerView* view = window->View("CTFGame");
  view->PopulateServerGrid(true, true);
  view->SetPingServerOnSelect(true);
  ASSERT_TRUE(view->SelectServerAndPlayer("127.0.0.1:7778", "Joanna"));
  EXPECT_EQ(view->SelectedPlayerName(), "Joanna");
  ASSERT_TRUE(view->SelectServerAndPlayer("127.0.0.1:7780", "Anna"));
  SetPlayers(deck, {"Anna", "Zed"});  // joined since the details were filled
  ASSERT_TRUE(view->SelectServerAndPlayer("127.0.0.1:7780", "Zed"));
  EXPECT_EQ(view->SelectedPlayerName(), "Zed");
  // A name on the current server is no hit for a server the view does not list.
  EXPECT_FALSE(view->SelectServerAndPlayer("127.0.0.1:9999", "Zed"));
}

// With two games whose buddies could be meant, Cancel in the question ends both commands with
// nothing read or written.
TEST_F(MonitorsInWindowTest, CancelInTheBuddyGameQuestionEndsImportAndExport) {
  Start("[player]\nplayerCount=1\nplayer[0]=Cid\n");
  const QByteArray before =
      "[GUI2K4.UT2k4Browser_ServerListPageBuddy]\r\nBuddies=Ann\r\n";
  const QString path = dir.filePath("User.ini");
  testing::Write(path, before);
  window->Config().tables.FindPaths("UT2004")->UserPath.Set(path);
  window->Config().tables.FindPaths("UT2003")->UserPath.Set(path);
  TkorvStringGrid* grid = window->PlayerMonitorGrid();
  window->Pages()->setCurrentIndex(window->Pages()->count() - 2);
  grid->setFocus();
  testing::CancelEveryPathDialog cancel;
  QTest::keyClick(grid, Qt::Key_I, Qt::ControlModifier | Qt::ShiftModifier);
  window->activateWindow();  // a cancelled dialog leaves no window active offscreen
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  grid->setFocus();
  grid->SetRow(1);
  QTest::keyClick(grid, Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(cancel.titles.size(), 2);
  EXPECT_EQ(window->PlayerMonitor().WatchedPlayers(), QStringList{"Cid"});
  EXPECT_EQ(testing::Read(path), before);
  EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('|').toStdString();
  EXPECT_TRUE(dialogs.information.isEmpty()) << dialogs.information.join('|').toStdString();
}

// Ctrl+Shift+I lists UT2004's buddies; Ctrl+Shift+R writes the current row's name into the
// user's file, and nothing else of the file changes.
TEST_F(MonitorsInWindowTest, BuddyKeysExchangeNamesWithTheUserFile) {
  Start("[player]\nplayerCount=1\nplayer[0]=Cid\n");
  const QByteArray before =
      "[Engine.PlayerReplicationInfo]\r\nPlayerName=Me\r\n\r\n"
      "[GUI2K4.UT2k4Browser_ServerListPageBuddy]\r\nBuddies=Ann\r\nBuddies=cid\r\n\r\n"
      "[XInterface.Tab_PlayerSettings]\r\nCharacter=Jakob\r\n";
  const QString path = dir.filePath("User.ini");
  testing::Write(path, before);
  window->Config().tables.FindPaths("UT2004")->UserPath.Set(path);
  TkorvStringGrid* grid = window->PlayerMonitorGrid();
  window->Pages()->setCurrentIndex(window->Pages()->count() - 2);
  grid->setFocus();
  QTest::keyClick(grid, Qt::Key_I, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(window->PlayerMonitor().WatchedPlayers(), (QStringList{"Cid", "Ann"}));
  EXPECT_EQ(testing::Read(path), before);

  window->PlayerMonitor().LoadWatchedPlayers({"Cid", "Ann", "Dee"});
  for (int row = 1; row < grid->RowCount(); ++row)
    if (grid->Cells(0, row) == "Dee") grid->SetRow(row);
  QTest::keyClick(grid, Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
  QByteArray after = before;
  after.replace("Buddies=Ann", "Buddies=Dee\r\nBuddies=Ann");
  EXPECT_EQ(testing::Read(path), after);
  QTest::keyClick(grid, Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);  // listed now
  EXPECT_EQ(testing::Read(path), after);
  EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
}

// The map popup names the row's server and map; a placeholder row cannot be joined.
TEST_F(MonitorsInWindowTest, MapPopupCaptionsFollowTheRowUnderTheMouse) {
  Start("[map]\nmapCount=2\nmap[0]=CTF-Face\nmap[1]=DM-Gone\n");
  TServer* server = AddServer("7778", "Face & Friends", {});
  server->SetMapName("CTF-Face");
  Q_EMIT window->Stash().OnServerUpdated("127.0.0.1:7778");
  TkorvStringGrid* grid = window->MapMonitorGrid();
  const int face = grid->Cells(0, 1) == "CTF-Face" ? 1 : 2;
  ASSERT_EQ(grid->Cells(1, face), "Face & Friends");
  QAction* join = window->FindWindowAction("actJoinMapServer");
  QAction* del = window->FindWindowAction("actDeleteMapMonitorMap");
  QAction* copy = window->FindWindowAction("actCopyMonitorMapToClipboard");
  bool canPopup = true;
  Q_EMIT grid->OnPreContextMenu(nullptr, face, 0, canPopup);
  EXPECT_EQ(join->text(), "Join Face && Friends");
  EXPECT_TRUE(join->isVisible());
  EXPECT_EQ(del->text(), "Delete CTF-Face");
  EXPECT_EQ(copy->text(), "Copy CTF-Face To Clipboard");
  Q_EMIT grid->OnPreContextMenu(nullptr, 3 - face, 0, canPopup);
  EXPECT_FALSE(join->isVisible());
  EXPECT_EQ(del->text(), "Delete DM-Gone");
  Q_EMIT grid->OnPreContextMenu(nullptr, 0, 0, canPopup);  // the header: every item as it is
  EXPECT_TRUE(join->isVisible() && del->isVisible() && copy->isVisible());
}

TEST_F(MonitorsInWindowTest, DeleteKeyAsksFirstAndKeepsTheRowOnCancel) {
  Start("[player]\nplayerCount=2\nplayer[0]=Alice\nplayer[1]=Bob\n");
  TkorvStringGrid* grid = window->PlayerMonitorGrid();
  window->Pages()->setCurrentIndex(window->Pages()->count() - 2);
  grid->setFocus();
  grid->SetRow(2);
  dialogs.answerYes = false;
  QTest::keyClick(grid, Qt::Key_Delete);
  EXPECT_EQ(dialogs.questions, QStringList{"Are you sure you want to delete Bob ?"});
  EXPECT_EQ(grid->RowCount(), 3);
  dialogs.answerYes = true;
  QTest::keyClick(grid, Qt::Key_Delete);
  EXPECT_EQ(grid->RowCount(), 2);
  EXPECT_EQ(window->PlayerMonitor().WatchedPlayers(), QStringList{"Alice"});
}

}  // namespace
}  // namespace zorvane
