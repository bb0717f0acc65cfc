// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/window/main_window.h"

#include <gtest/gtest.h>

#include <map>

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include "browse/server_rows.h"
#include "gui/controls/log_window.h"
#include "gui/grid/string_grid.h"
#include "gui/view/filter_panel.h"
#include "gui/view/quick_search_box.h"
#include "gui/window/join_controller.h"
#include "gui/window/notifications_controller.h"
#include "support/fake_server.h"
#include "support/farm_process.h"
#include "support/files.h"
#include "support/recording_dialogs.h"
#include "support/shown_window.h"

namespace zorvane {
namespace {

// Answers every box the window shows and remembers it.
using testing::RecordingDialogs;

using testing::Read;
using testing::Write;

class MainWindowTest : public ::testing::Test {
 protected:
  std::unique_ptr<TfrmZorvane> Start() {
    auto window = testing::OpenWindow(dir.path(), dialogs);
    // Joining a server of a game without a path would open the modal path dialog.
    window->Joining().SetAskGamePath([](const QString&) { return false; });
    return window;
  }
  // A window whose master is the farm's, with the settings given.
  std::unique_ptr<TfrmZorvane> StartOnFarm(const testing::FarmProcess& farm,
                                           const QByteArray& settings) {
    Write(dir.filePath("zorvane.ini"),
          "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\n" + settings +
              "masterServer=127.0.0.1:" + QByteArray::number(farm.MasterPort()) + "\n");
    return Start();
  }
  QTemporaryDir dir;
  RecordingDialogs dialogs;
};

TEST_F(MainWindowTest, FreshStartCreatesBothFilesWithDefaultsAndNoMigrationNotice) {
  auto window = Start();
  ASSERT_TRUE(window->StartedUp());
  EXPECT_TRUE(QFile::exists(dir.filePath("zorvane.ini")));
  EXPECT_TRUE(QFile::exists(dir.filePath("utGameType.ini")));
  QStringList tabs;
  for (int i = 0; i < window->Pages()->count(); ++i) tabs << window->Pages()->tabText(i);
  EXPECT_EQ(tabs, (QStringList{"Other", "Last Man", "Assault", "Team DM", "Domination", "CTF",
                               "Death Match", "Favorites", "LAN", "Player Monitor", "Map Monitor"}));
  // As designed, 871 wide, but never wider than the screen (800 wide here).
  const QRect screen = window->screen()->availableGeometry();
  EXPECT_GE(window->width(), std::min(871, screen.width() - 8));
  EXPECT_LE(window->width(), screen.width());
  EXPECT_TRUE(window->LogWindow()->Lines().last().startsWith("Application Started -- "));
  window->FirstShow();
  EXPECT_TRUE(dialogs.information.isEmpty());  // the file did not exist before
  EXPECT_EQ(dialogs.notices.size(), 1);        // no game installation was found
  EXPECT_TRUE(dialogs.notices[0].startsWith("This application could not automatically detect"));
  window->close();
  EXPECT_TRUE(Read(dir.filePath("zorvane.ini")).contains("Zorvane=2.91"));
}

TEST_F(MainWindowTest, OneTimeNoticeForAFileWithoutTheStampThenNeverAgain) {
  Write(dir.filePath("zorvane.ini"), "[settings]\nskipDefaultPathsInfo=1\n");
  auto window = Start();
  window->FirstShow();
  ASSERT_EQ(dialogs.information.size(), 1);
  EXPECT_TRUE(dialogs.information[0].startsWith("Version 2.91 one-time only message."));
  window->close();
  window.reset();
  auto again = Start();
  again->FirstShow();
  EXPECT_EQ(dialogs.information.size(), 1);
}

TEST_F(MainWindowTest, FileThatCannotBeCreatedEndsTheStartWithoutWriting) {
  QDir(dir.path()).mkdir("zorvane.ini");  // in the way of the settings file
  auto window = Start();
  EXPECT_TRUE(window->StartFailed());
  window->show();
  window->FirstShow();
  ASSERT_EQ(dialogs.errors.size(), 1);
  EXPECT_EQ(dialogs.errors[0],
            "This application will need to close: \r\n\r\nCould not open "
            "zorvane.ini for some reason :-[ \r\n");
  EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 2000));
  EXPECT_FALSE(QFile::exists(dir.filePath("utGameType.ini")));
}

// A settings file from before the Address, Password and Busiest columns: its widths load as they were,
// the new columns stay hidden; one shown is stored after the others and comes back in every
// view.
TEST_F(MainWindowTest, ServerColumnWidthsOfAnOlderFileLoadUnchangedAndNewOnesAreKept) {
  const QByteArray older =
      "[serverGrid]\ncolWidth[0]=300\ncolWidth[1]=41\ncolWidth[2]=42\ncolWidth[3]=140\n"
      "colWidth[4]=90\ncolWidth[5]=0\ncolWidth[6]=0\ncolWidth[7]=-1\n";
  Write(dir.filePath("zorvane.ini"),
        "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\n" + older);
  auto window = Start();
  for (const char* type : {"Favorite", "CTFGame", "Other"}) {
    EXPECT_EQ(window->EnsureView(type)->GridColWidths("grdServer"),
              (std::vector<int>{300, 41, 42, 140, 90, 0, 0, 0, 0, 0}))
        << type;
  }
  window->View("CTFGame")->ShowServerColumn(scAddress, true);
  const int address = window->View("CTFGame")->ServerColWidth(scAddress);
  EXPECT_GT(address, 0);
  EXPECT_EQ(window->FavoritesView()->ServerColWidth(scAddress), address);  // views in step
  window->close();
  const QByteArray saved = Read(dir.filePath("zorvane.ini"));
  const QByteArray expected =
      "colWidth[0]=300\ncolWidth[1]=41\ncolWidth[2]=42\ncolWidth[3]=140\n"
      "colWidth[4]=90\ncolWidth[5]=0\ncolWidth[6]=0\ncolWidth[7]=" +
      QByteArray::number(address) + "\ncolWidth[8]=0\ncolWidth[9]=0\ncolWidth[10]=-1\n";
  EXPECT_TRUE(saved.contains(expected)) << saved.toStdString();
  window.reset();
  auto again = Start();
  for (const char* type : {"Favorite", "xDeathMatch"}) {
    EXPECT_EQ(again->EnsureView(type)->ServerColWidth(scAddress), address) << type;
    EXPECT_EQ(again->EnsureView(type)->ServerColWidth(scPassword), 0) << type;
    EXPECT_EQ(again->EnsureView(type)->ServerColWidth(scServer), 300) << type;
  }
}

TEST_F(MainWindowTest, StartInTrayIsRead) {
  Write(dir.filePath("zorvane.ini"), "[settings]\nZorvane=2.91\nstartInTray=1\n");
  EXPECT_TRUE(Start()->StartInTray());
}

TEST_F(MainWindowTest, FavoritesOnlyQueriesTheFavouritesAtStart) {
  testing::FakeServer fake([](const QByteArray&) {
    return QList<QByteArray>{
        "\\hostname\\Fave\\mapname\\CTF-Face\\gametype\\CTFGame"
        "\\numplayers\\2\\maxplayers\\8\\final\\"};
  });
  Write(dir.filePath("zorvane.ini"),
        "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=Favorites Only\n"
        "[server]\nserverCount=1\nserver[0]=127.0.0.1\\" +
            QByteArray::number(fake.Port()) + "\\True\\Typed\\UT\n");
  auto window = Start();
  window->FirstShow();
  TkorvUTServerView* favorites = window->FavoritesView();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return favorites->ServerGrid()->Cells(scMap, 1) == "CTF-Face"; }, 3000));
  EXPECT_EQ(favorites->ServerGrid()->Cells(scServer, 1), "Fave");
  // The reply also went to the view of its game type.
  EXPECT_EQ(window->View("CTFGame")->ServerGrid()->Cells(scServer, 1), "Fave");
}

TEST_F(MainWindowTest, F8FillsTheTabsAndLogsTheReplyShareAndWarnsWhenLow) {
  testing::FarmProcess farm(120, 0, 9, {"--silent", "0.5"});
  ASSERT_TRUE(farm.Start());
  auto window = StartOnFarm(farm, "startupQuery=none\nqueryPower=0\n");
  window->FirstShow();
  window->FindWindowAction("actMasterServerQuery")->trigger();
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return testing::LogHas(*window, "of servers replied"); }, 15000));
  int rows = 0;
  for (const char* type : {"CTFGame", "Domination", "Assault", "TeamGamePlus", "DeathMatchPlus",
                           "LastManStanding", "Other"}) {
    const TkorvStringGrid* grid = window->View(type)->ServerGrid();
    if (!grid->Cells(scIP, 1).isEmpty()) rows += grid->RowCount() - 1;
  }
  EXPECT_GT(rows, 40);
  EXPECT_LT(rows, 80);
  ASSERT_EQ(dialogs.notices.size(), 1);
  EXPECT_TRUE(dialogs.notices[0].startsWith("Only "));
}

// The start-up query may fetch the UT2004 list; a later F8 adds the UT list and keeps it.
TEST_F(MainWindowTest, UT2004MasterListFillsItsTabsBesideTheUTList) {
  testing::FarmProcess farm(12, 6, 9);
  ASSERT_TRUE(farm.Start());
  auto window = StartOnFarm(farm, "startupQuery=UT2004 Master Server\nqueryPower=0\n");
  window->FirstShow();
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return testing::LogHas(*window, "of servers replied"); }, 15000));
  const auto counts = [&] {
    std::map<QString, int> games;
    for (int i = 0; i < window->Stash().Count(); ++i) ++games[window->Stash().Server(i)->Game()];
    return games;
  };
  EXPECT_EQ(counts(), (std::map<QString, int>{{"UT2004", 6}}));
  int rows = 0;
  for (int page = 0; page < window->Pages()->count(); ++page) {
    auto* view = qobject_cast<TkorvUTServerView*>(window->Pages()->widget(page));
    if (!view) continue;
    const TkorvStringGrid* grid = view->ServerGrid();
    if (!grid->Cells(scIP, 1).isEmpty()) rows += grid->RowCount() - 1;
  }
  EXPECT_EQ(rows, 6);
  EXPECT_TRUE(testing::LogHas(*window, "UT2004 Master Server query requested..."));

  window->FindWindowAction("actMasterServerQuery")->trigger();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return counts() == std::map<QString, int>{{"UT", 12}, {"UT2004", 6}};
      },
      15000));
  ASSERT_NE(window->FindWindowAction("actMasterServerQueryUT2003"), nullptr);
}

// Ctrl+L reaches the current view's search box; Esc there clears it and leaves the query running.
// Esc elsewhere stops the query: the progress bar goes, and the log says what was left out.
TEST_F(MainWindowTest, CtrlLFocusesTheSearchAndEscStopsTheQueryOnlyOutsideIt) {
  testing::FarmProcess farm(400, 0, 9);
  ASSERT_TRUE(farm.Start());
  auto window = StartOnFarm(farm, "startupQuery=none\nqueryPower=400\nskipPercentageInfo=1\n");
  window->show();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  TkorvUTServerView* view = window->CurrentView();
  ASSERT_NE(view, nullptr);
  view->ServerGrid()->setFocus();
  QTest::keyClick(window.get(), Qt::Key_L, Qt::ControlModifier);
  QLineEdit* box = view->SearchBox();
  ASSERT_TRUE(box->hasFocus());
  QAction* stop = window->FindWindowAction("actStopMassRefresh");
  EXPECT_FALSE(stop->isEnabled());
  window->FindWindowAction("actMasterServerQuery")->trigger();
  ASSERT_TRUE(stop->isEnabled());  // while the master is asked already
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->MassRefresh().Sending(); }, 10000));
  auto* bar = window->findChild<QProgressBar*>("barMassRefresh");
  ASSERT_NE(bar, nullptr);
  EXPECT_TRUE(bar->isVisibleTo(window.get()));
  QTest::keyClicks(QApplication::focusWidget(), "ctf");
  EXPECT_EQ(view->SearchText(), "ctf");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  EXPECT_EQ(box->text(), "");
  EXPECT_TRUE(stop->isEnabled());
  EXPECT_FALSE(testing::LogHas(*window, "Stopped: "));
  view->ServerGrid()->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);  // elsewhere Esc stops
  EXPECT_TRUE(testing::LogHas(*window, "Stopped: "));
  // The lists are rebuilt over a few turns of the event loop.
  EXPECT_TRUE(QTest::qWaitFor([&] { return !stop->isEnabled(); }, 2000));
  EXPECT_TRUE(testing::LogHas(*window, "of servers replied"));
  EXPECT_FALSE(bar->isVisibleTo(window.get()));
}

TEST_F(MainWindowTest, CloseAndReopenKeepsFavouritesLayoutSortsAndFilters) {
  Write(dir.filePath("zorvane.ini"),
        "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\n"
        "[server]\nserverCount=1\nserver[0]=10.1.2.3\\7778\\False\\Mine\\UT2004\n");
  {
    auto window = Start();
    TkorvUTServerView* favorites = window->FavoritesView();
    favorites->ResortGrid(gtServer, scMap, TSortDirection::Descending);
    favorites->SetDetailHeight(230);
    favorites->SetServerColWidth(scServer, 280);  // the stretch column: shown wider
    favorites->SetServerColWidth(scPlayers, 10);  // narrower than its heading: shown wider
    favorites->FilterPanel()->SetFilter(kPlayersFilter, "> 0", true);
    window->View("CTFGame")->FilterPanel()->SetFilter(1, "godlike", true);
    window->close();
  }
  auto window = Start();
  TkorvUTServerView* favorites = window->FavoritesView();
  ASSERT_EQ(window->Stash().Count(), 1);
  EXPECT_TRUE(window->Stash().Server(0)->Favorite);
  EXPECT_EQ(window->Stash().Server(0)->Game(), "UT2004");
  EXPECT_EQ(favorites->GridSortCol(gtServer), scMap);
  EXPECT_EQ(favorites->GridSortDirection(gtServer), TSortDirection::Descending);
  EXPECT_EQ(window->View("CTFGame")->GridSortCol(gtServer), scMap);  // all views alike
  EXPECT_EQ(favorites->DetailHeight(), 230);
  EXPECT_EQ(favorites->ServerColWidth(scServer), 280);
  EXPECT_EQ(favorites->ServerColWidth(scPlayers), 10);  // kept as stored, shown as needed
  EXPECT_GT(favorites->ServerGrid()->ShownColWidth(scPlayers), 10);
  EXPECT_TRUE(favorites->FilterPanel()->FilterUsed(kPlayersFilter));
  EXPECT_EQ(favorites->FilterPanel()->FilterText(kPlayersFilter), "> 0");
  EXPECT_EQ(window->View("CTFGame")->FilterPanel()->FilterText(1), "godlike");
}

TEST_F(MainWindowTest, ClosingWhileTheStartNoticeIsOpenSavesWhatWasStored) {
  // No game is found, so the notice shows at this start; the window is closed under it.
  Write(dir.filePath("zorvane.ini"),
        "[settings]\nZorvane=2.91\nqueryPower=7\nskipPercentageInfo=1\nmasterServer=127.0.0.1:" +
            QByteArray::number(testing::ClosedPort()) +
            "\nstartupQuery=UT Master Server\nlastSelectedServer=10.1.2.3:7778\n"
            "[server]\nserverCount=1\nserver[0]=10.1.2.3\\7778\\False\\Mine\\UT\n");
  auto window = Start();
  dialogs.whileNoticeOpen = [&] { window->close(); };
  window->FirstShow();
  ASSERT_EQ(dialogs.notices.size(), 1);
  const QByteArray saved = Read(dir.filePath("zorvane.ini"));
  EXPECT_TRUE(saved.contains("queryPower=7\n")) << saved.toStdString();
  EXPECT_TRUE(saved.contains("skipPercentageInfo=1\n"));
  EXPECT_TRUE(saved.contains("lastSelectedServer=10.1.2.3:7778\n"));
  EXPECT_TRUE(saved.contains("masterServer=127.0.0.1:"));
  // A closed window starts no query.
  EXPECT_FALSE(window->MassRefresh().MassRefreshing());
  EXPECT_FALSE(testing::LogHas(*window, "Master"));

  // Closed after the start-up query, the selection is the favourites view's again.
  dialogs.whileNoticeOpen = nullptr;
  Write(dir.filePath("zorvane.ini"),
        "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\n"
        "lastSelectedServer=10.1.2.3:7778\n[server]\nserverCount=1\n"
        "server[0]=10.1.2.3\\7778\\False\\Mine\\UT\n");
  window = Start();
  window->FirstShow();
  EXPECT_EQ(window->FavoritesView()->SelectedServerKey(), "10.1.2.3:7778");
  window->FavoritesView()->RemoveServersOfGame({});  // nothing listed, nothing selected
  window->close();
  EXPECT_TRUE(Read(dir.filePath("zorvane.ini")).contains("lastSelectedServer=\n"));
}

TEST_F(MainWindowTest, MonitorGridsTakeTheirStoredSortAndWidthsAndKeepThem) {
  struct TCase {
    QByteArray stored;
    int playerCol;
    TSortDirection playerDirection;
    int mapCol;
    TSortDirection mapDirection;
    QByteArray saved;
  };
  const std::vector<TCase> cases = {
      {"monitorGridSortCol=1\nmonitorGridSortColDirection=down\nmapGridSortCol=2\n"
       "mapGridSortColDirection=up\n[monitorGrid]\ncolWidth[0]=111\ncolWidth[1]=222\n"
       "[mapGrid]\ncolWidth[0]=99\ncolWidth[1]=x\n",
       1, TSortDirection::Descending, 2, TSortDirection::Ascending,
       "monitorGridSortCol=1\nmonitorGridSortColDirection=down\nmapGridSortCol=2\n"
       "mapGridSortColDirection=up\n"},
      // Nothing stored: by the name column, ascending. -1: unsorted, and it stays so.
      {"mapGridSortCol=-1\n", 0, TSortDirection::Ascending, -1, TSortDirection::None,
       "monitorGridSortCol=0\nmonitorGridSortColDirection=up\nmapGridSortCol=-1\n"},
  };
  for (const TCase& c : cases) {
    Write(dir.filePath("zorvane.ini"),
          "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\n" + c.stored);
    auto window = Start();
    const TkorvStringGrid* players = window->findChild<TkorvStringGrid*>("grdPlayerMonitor");
    const TkorvStringGrid* maps = window->findChild<TkorvStringGrid*>("grdMapMonitor");
    ASSERT_TRUE(players && maps);
    EXPECT_EQ(players->KorvSortCol(), c.playerCol) << c.stored.toStdString();
    EXPECT_EQ(players->ColumnSortDirection(c.playerCol), c.playerDirection);
    EXPECT_EQ(maps->KorvSortCol(), c.mapCol);
    if (c.mapCol >= 0) {
      EXPECT_EQ(maps->ColumnSortDirection(c.mapCol), c.mapDirection);
    }
    const bool widths = c.stored.contains("colWidth");
    EXPECT_EQ(players->ColWidths(0), widths ? 111 : 150);
    EXPECT_EQ(players->ColWidths(1), widths ? 222 : 300);
    EXPECT_EQ(maps->ColWidths(0), widths ? 99 : 200);
    EXPECT_EQ(maps->ColWidths(1), 300);  // unreadable: as designed
    EXPECT_EQ(players->ColWidths(2), 150);
    EXPECT_EQ(maps->ColWidths(2), 150);
    window->close();
    const QByteArray saved = Read(dir.filePath("zorvane.ini"));
    for (const QByteArray& line : c.saved.split('\n'))
      EXPECT_TRUE(saved.contains(QByteArray(line + '\n'))) << line.toStdString();
    if (widths) {
      EXPECT_TRUE(saved.contains("[monitorGrid]\ncolWidth[0]=111\ncolWidth[1]=222\n"));
      EXPECT_TRUE(saved.contains("[mapGrid]\ncolWidth[0]=99\ncolWidth[1]=300\n"));
    }
  }
}

TEST_F(MainWindowTest, ToolBarSettingIsSavedNotItsMomentaryVisibility) {
  struct TCase {
    bool stored;
    bool show;
    bool hideToTray;
    bool userToggles;
    bool saved;
  };
  const std::vector<TCase> cases = {
      {false, true, true, false, false},  // hidden in the tray at close
      {true, true, true, false, true},
      {true, false, false, false, true},  // never shown (started in the tray)
      {false, false, false, false, false},
      {true, true, false, true, false},  // the user hid it
      {false, true, false, true, true},
  };
  for (const TCase& c : cases) {
    Write(dir.filePath("zorvane.ini"),
          QByteArray("[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\n"
                     "showToolbar=") +
              (c.stored ? "1" : "0") + "\n");
    auto window = Start();
    QToolBar* bar = window->findChild<QToolBar*>("tlbMain");
    ASSERT_NE(bar, nullptr);
    if (c.show) {
      window->show();
      ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    if (c.userToggles) bar->setVisible(!bar->isVisible());  // as its toggle in the menu does
    if (c.hideToTray) window->hide();
    window->close();
    EXPECT_TRUE(
        Read(dir.filePath("zorvane.ini"))
            .contains(QByteArray(QByteArray("showToolbar=") + (c.saved ? "1" : "0") + "\n")))
        << c.stored << c.show << c.hideToTray << c.userToggles;
  }
}

TEST_F(MainWindowTest, StartInTrayWithoutATrayShowsTheWindow) {
  Write(dir.filePath("zorvane.ini"), "[settings]\nZorvane=2.91\nstartInTray=1\n");
  auto window = Start();
  EXPECT_TRUE(window->StartInTray());
  if (window->Notifications().Tray()) GTEST_SKIP() << "this desktop has a tray";
  EXPECT_TRUE(window->ShowAtStart());
}

// Every key of the window and of its views, pressed on the real window: each runs its action
// once, where that action can act, whether the tool bar (which shows the same commands) is
// shown or not.
TEST_F(MainWindowTest, EveryShortcutRunsItsActionExactlyOnce) {
  const int favoritePort = testing::ClosedPort();
  int serverPort = testing::ClosedPort();
  while (serverPort == favoritePort) serverPort = testing::ClosedPort();
  Write(dir.filePath("zorvane.ini"),
        "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\nqueryPower=0\n"
        "masterServer=127.0.0.1:" +
            QByteArray::number(favoritePort) + "\n[server]\nserverCount=1\nserver[0]=127.0.0.1\\" +
            QByteArray::number(favoritePort) + "\\False\\Mine\\UT\n");
  auto window = Start();
  window->FirstShow();
  window->show();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  TkorvUTServerView* ctf = window->View("CTFGame");
  TkorvUTServerView* favorites = window->FavoritesView();

  // The Server menu opened and closed while the view lists nothing hides items for a moment.
  window->Pages()->setCurrentWidget(ctf);
  QMenu* serverMenu = window->findChild<QMenu*>("miServer");
  QMenuBar* menuBar = window->menuBar();
  QTest::mouseClick(menuBar, Qt::LeftButton, {},
                    menuBar->actionGeometry(serverMenu->menuAction()).center());
  ASSERT_TRUE(QTest::qWaitFor([&] { return serverMenu->isVisible(); }, 2000));
  EXPECT_FALSE(window->FindWindowAction("miRefreshServer")->isVisible());
  QTest::keyClick(serverMenu, Qt::Key_Escape);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !serverMenu->isVisible(); }, 2000));

  // Then a server is listed and selected.
  TServerStash& stash = window->Stash();
  ASSERT_TRUE(
      stash.AddServer("127.0.0.1", QString::number(serverPort), {}, false, "UT", "True", {}));
  TServer& server = *stash.Server(stash.Count() - 1);
  server.SetDescription("Flags");
  server.SetGameType("CTFGame");
  server.SetPing("40");
  server.SetPlayer(0, {"Ann", "5", "50", "red", {}, {}, {}, {}});
  ctf->PopulateServerGrid(true, true);
  ASSERT_TRUE(ctf->SelectServer("127.0.0.1:" + QString::number(serverPort)));

  enum TWhere { kViews, kOrdinaryView, kFavoritesView, kWindow };
  struct TKey {
    QKeyCombination key;
    const char* action;
    TWhere where;
  };
  const std::vector<TKey> keys = {
      {Qt::Key_F5, "actRefreshServerGrid", kViews},
      {Qt::CTRL | Qt::Key_F5, "actRefreshServer", kViews},
      {Qt::CTRL | Qt::Key_J, "actJoinServer", kViews},
      {Qt::Key_F6, "actAddServerPlayerToPlayerMonitor", kViews},
      {Qt::Key_F9, "actAddServerToFavorites", kOrdinaryView},
      {Qt::CTRL | Qt::Key_I, "actImportFavorites", kFavoritesView},
      {Qt::CTRL | Qt::Key_R, "actExportFavorites", kFavoritesView},
      {Qt::CTRL | Qt::Key_T, "actExportFavorite", kFavoritesView},
      {Qt::CTRL | Qt::Key_N, "actAddFavorite", kFavoritesView},
      {Qt::CTRL | Qt::Key_E, "actEditFavorite", kFavoritesView},
      {Qt::CTRL | Qt::Key_D, "actDeleteFavorite", kFavoritesView},
      {Qt::Key_F8, "actMasterServerQuery", kWindow},
      {Qt::Key_F10, "actRefreshAllServerGrids", kWindow},
      {Qt::CTRL | Qt::Key_F11, "actDebug", kWindow},
      {Qt::SHIFT | Qt::Key_F5, "actRefreshPlayerMonitorList", kWindow},
      {Qt::CTRL | Qt::Key_A, "actAddPlayerMonitorPlayer", kWindow},
      {Qt::CTRL | Qt::Key_F, "actFindPlayer", kWindow},
      {Qt::Key_F2, "actFindNextServer", kWindow},
      {Qt::Key_F11, "actOptions", kWindow},
      {Qt::Key_F7, "actSetRefreshRateToNone", kWindow},
      {Qt::CTRL | Qt::Key_F7, "actToggleRefreshRate", kWindow},
  };
  QToolBar* toolBar = window->findChild<QToolBar*>("tlbMain");
  ASSERT_TRUE(toolBar->isVisible());
  // The favourites commands open dialogs: each is cancelled as soon as it is up.
  QTimer cancelDialogs;
  QObject::connect(&cancelDialogs, &QTimer::timeout, [] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
  });
  cancelDialogs.start(5);
  for (const bool toolBarShown : {true, false}) {
    toolBar->setVisible(toolBarShown);
    for (TkorvUTServerView* view : {ctf, favorites}) {
      window->Pages()->setCurrentWidget(view);
      view->ServerGrid()->setFocus();
      for (const TKey& k : keys) {
        const auto action = [&](TkorvUTServerView* of) {
          return k.where == kWindow ? window->FindWindowAction(k.action)
                                    : of->FindViewAction(k.action);
        };
        QSignalSpy here(action(view), &QAction::triggered);
        QSignalSpy there(action(view == ctf ? favorites : ctf), &QAction::triggered);
        // A cancelled dialog leaves no window active offscreen.
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        view->ServerGrid()->setFocus();
        QTest::keyClick(view->ServerGrid(), k.key.key(), k.key.keyboardModifiers());
        const bool acts = k.where == kViews || k.where == kWindow ||
                          (k.where == kFavoritesView) == view->IsFavorite();
        EXPECT_EQ(here.count(), acts ? 1 : 0)
            << QKeySequence(k.key).toString().toStdString() << " in " << view->Title().toStdString()
            << (toolBarShown ? " with" : " without") << " the tool bar";
        if (k.where != kWindow) {
          EXPECT_EQ(there.count(), 0);
        }
      }
    }
  }
}

}  // namespace
}  // namespace zorvane
