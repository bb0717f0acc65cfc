// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/view/server_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "browse/country_lookup.h"
#include "browse/server_rows.h"
#include "gui/grid/string_grid.h"
#include "gui/view/country_flag_delegate.h"
#include "gui/view/filter_combobox.h"
#include "gui/view/filter_panel.h"
#include "gui/view/quick_search_box.h"
#include "gui/view/status_line.h"
#include "query/query_burst.h"
#include "query/server_stash.h"
#include "support/fake_server.h"
#include "support/location_db.h"

namespace zorvane {
namespace {

// A view of "CTFGame" over a stash of servers filled by hand: nothing goes on the network
// unless a test refreshes, and then only to ports on 127.0.0.1 that refuse or never answer.
class ServerViewTest : public ::testing::Test {
 protected:
  ServerViewTest() {
    stash.SetHostLookup([](const QString&, QObject* context, THostLookupDone done) {
      QTimer::singleShot(0, context, [done] { done(QHostAddress("127.0.0.1"), {}); });
    });
    for (const auto& [name, visible] : {std::pair{"CTFGame", true}, std::pair{"Other", true}}) {
      types.push_back(std::make_unique<TGameType>());
      types.back()->Name.Set(name);
      types.back()->TabVisible = visible;
    }
    view.SetStash(&stash);
    view.SetGameTypes(&types);
    view.SetGameType("CTFGame");
    view.SetTitle("&CTF");
    stash.Bursts().SetPauseHook([this](int ms) { sleeps << ms; });
    view.resize(900, 600);
  }

  TServer& Add(const QString& host, int port, const QString& name, const QString& ping,
               const QString& players = "0", const QString& gameType = "CTFGame") {
    stash.AddServer(host, QString::number(port), {}, false, "UT", "True", {});
    TServer& s = *stash.Server(stash.Count() - 1);
    s.SetDescription(name);
    s.SetPing(ping);
    s.SetNumPlayers(players);
    s.SetMaxPlayers("16");
    s.SetGameType(gameType);
    s.SetMapName("CTF-Face");
    return s;
  }

  QStringList Column(int col) const {
    QStringList texts;
    const TkorvStringGrid* grid = view.ServerGrid();
    for (int row = grid->FixedRows(); row < grid->RowCount(); ++row) texts << grid->Cells(col, row);
    return texts;
  }

  QString Status() const { return view.StatusLine()->PanelText(0); }

  // A port on 127.0.0.1 that takes queries and never answers them (a closed port refuses, and
  // a refusal is an answer: the record is complete, the server offline).
  int SilentPort() {
    silent.push_back(std::make_unique<testing::FakeServer>(
        [](const QByteArray&) { return QList<QByteArray>{}; }));
    return silent.back()->Port();
  }

  TServerStash stash;
  std::vector<std::unique_ptr<TGameType>> types;
  TkorvUTServerView view;
  QList<int> sleeps;
  std::vector<std::unique_ptr<testing::FakeServer>> silent;
};

TEST_F(ServerViewTest, LayoutColumnsAndActions) {
  EXPECT_EQ(view.ServerGrid()->objectName(), "grdServer");
  EXPECT_EQ(view.ServerGrid()->ColCount(), 10);
  EXPECT_EQ(view.ServerGrid()->Cells(scCountry, 0), "Country");
  EXPECT_EQ(view.ServerGrid()->Cells(scAddress, 0), "Address");
  EXPECT_EQ(view.ServerGrid()->Cells(scPassword, 0), "Password");
  EXPECT_EQ(view.ServerColWidth(scAddress), 0);  // off until the header menu shows them
  EXPECT_EQ(view.ServerColWidth(scPassword), 0);
  EXPECT_EQ(view.ServerGrid()->Cells(scPing, 0), "Ping");
  EXPECT_EQ(view.ServerColWidth(scServer), 320);
  EXPECT_EQ(view.ServerColWidth(scIP), 0);
  EXPECT_EQ(view.PlayerGrid()->Cells(pcTeam, 0), "Team");
  EXPECT_EQ(view.SettingColWidth(stValue), 241);
  EXPECT_EQ(view.FindViewAction("actRefreshServerGrid")->text(), "Ping CTF Server List");
  EXPECT_EQ(view.FindViewAction("actRefreshServerGrid")->shortcut(), QKeySequence(Qt::Key_F5));
  EXPECT_EQ(view.FindViewAction("actJoinServer")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_J));
  EXPECT_EQ(view.FindViewAction("actCopyServer")->text(), "Copy To Clipboard");  // not "serverView"
  EXPECT_TRUE(view.FindViewAction("actDeleteServer")->isVisible());
  EXPECT_FALSE(view.FindViewAction("actAddFavorite")->isVisible());
  view.SetIsFavorite(true);
  EXPECT_FALSE(view.FindViewAction("actDeleteServer")->isVisible());
  EXPECT_TRUE(view.FindViewAction("actEditFavorite")->isVisible());
  EXPECT_EQ(view.FindViewAction("nothing"), nullptr);
  view.SetDebugging(true);
  EXPECT_EQ(view.ServerColWidth(scIP), 130);
  EXPECT_EQ(view.StatusLine()->PanelCount(), 3);
  view.SetAutoRefreshRate(90000);
  EXPECT_EQ(view.StatusLine()->PanelText(2), " CTF Refresh Rate: 1 minute");
  view.SetServerColWidth(scIP, 10);
  EXPECT_EQ(view.ServerColWidth(scIP), 130);  // the IP column is never set this way
}

TEST_F(ServerViewTest, PopulationSkipsNeverHeardOfServersButUpdatesAddThem) {
  Add("10.0.0.1", 7778, "Alpha", "40", "3");
  Add("10.0.0.2", 7778, "", "9999");  // never heard of
  Add("10.0.0.3", 7778, "Elsewhere", "30", "1", "DeathMatchPlus");
  view.SetMorePlayerInfo(true, false);
  view.PopulateServerGrid(true, true);
  EXPECT_EQ(Column(scIP), QStringList{"10.0.0.1:7778"});
  EXPECT_EQ(Column(scPlayers), QStringList{"3/16"});
  EXPECT_EQ(Status(), " 1 CTF server");

  view.ServerUpdated(1);
  EXPECT_EQ(Column(scIP), (QStringList{"10.0.0.1:7778", "10.0.0.2:7778"}));
  EXPECT_EQ(Status(), " 2 CTF servers");
  stash.Server(1)->SetGameType("DeathMatchPlus");
  view.ServerUpdated(1);  // no longer passes: its row goes
  EXPECT_EQ(Column(scIP), QStringList{"10.0.0.1:7778"});
}

// A rebuild a part at a time changes the grid once, at its last part; a reply meanwhile is shown
// with the new rows, servers removed meanwhile start it again, and a new start drops it.
TEST_F(ServerViewTest, RebuildInPartsShowsTheStashOnceWithTheRepliesMeanwhile) {
  for (int i = 1; i <= 5; ++i) Add("127.0.0.1", 7000 + i, "Server" + QString::number(i), "40");
  view.PopulateServerGrid(true, true);
  stash.Server(0)->SetNumPlayers("7");
  EXPECT_FALSE(view.PopulateServerGridPart(2, true));
  EXPECT_EQ(Column(scPlayers).count("0"), 5);  // not yet
  stash.Server(1)->SetNumPlayers("9");            // a reply after its row was built
  view.ServerUpdated(1);
  EXPECT_FALSE(view.PopulateServerGridPart(2, false));
  EXPECT_TRUE(view.PopulateServerGridPart(2, false));
  QStringList players = Column(scPlayers);
  players.sort();
  EXPECT_EQ(players, (QStringList{"0", "0", "0", "7", "9"}));

  EXPECT_FALSE(view.PopulateServerGridPart(3, true));
  stash.ClearServersOfGameExcept("UT", {"127.0.0.1:7005"});
  EXPECT_TRUE(view.PopulateServerGridPart(3, false));  // one server left: all of it at once
  EXPECT_EQ(Column(scIP), QStringList{"127.0.0.1:7005"});

  Add("127.0.0.1", 7006, "Server6", "40");
  EXPECT_FALSE(view.PopulateServerGridPart(1, true));
  EXPECT_FALSE(view.PopulateServerGridPart(1, true));  // started again
  EXPECT_TRUE(view.PopulateServerGridPart(1, false));
  EXPECT_EQ(Column(scIP).size(), 2);
}

TEST_F(ServerViewTest, CountryColumnShowsTheCodeWithItsFlagAndSorts) {
  QTemporaryDir dir;
  const QString path = dir.filePath("location.db");
  ASSERT_TRUE(
      testing::WriteLocationDatabase(path, {{"127.0.0.2/32", "FR"}, {"127.0.0.3/32", "DE"}}));
  TCountryLookup countries(path);
  view.SetCountryLookup(&countries);
  Add("127.0.0.2", 7778, "Paris", "40");
  Add("127.0.0.3", 7778, "Berlin", "50");
  Add("127.0.0.4", 7778, "Nowhere", "30");
  view.PopulateServerGrid(true, true);
  EXPECT_EQ(Column(scCountry), (QStringList{"", "FR", "DE"}));  // by ping
  TkorvStringGrid* grid = view.ServerGrid();
  grid->SetKorvSortCol(scCountry);
  grid->SetColumnSortDirection(scCountry, TSortDirection::Ascending);
  grid->SortGrid(false);
  EXPECT_EQ(Column(scServer), (QStringList{"Nowhere", "Berlin", "Paris"}));
  grid->SetColumnSortDirection(scCountry, TSortDirection::Descending);
  grid->SortGrid(false);
  EXPECT_EQ(Column(scServer), (QStringList{"Paris", "Berlin", "Nowhere"}));

  // A reply rebuilds the row: the country stays.
  stash.Server(0)->SetPing("20");
  view.ServerUpdated(0);
  EXPECT_EQ(grid->Cells(scCountry, view.ServerGrid()->FindRowByKey(stash.Key(0))), "FR");

  auto* flags = qobject_cast<TCountryFlagDelegate*>(grid->itemDelegateForColumn(scCountry));
  ASSERT_NE(flags, nullptr);
  if (!QFile::exists(QString(kFlagDirectory) + "/de.png")) GTEST_SKIP() << "no famfamfam-flag-png";
  for (const char* code : {"DE", "de", "", "XX", "../de"})
    EXPECT_EQ(flags->Flag(code).isNull(), QString(code).compare("de", Qt::CaseInsensitive) != 0)
        << code;
  EXPECT_EQ(flags->Flag("FR").size(), QSize(16, 11));

  // Both flags hold red; nothing else in the column does.
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  const QImage shot = grid->viewport()->grab().toImage();
  const int left = grid->columnViewportPosition(scCountry);
  int red = 0;
  for (int x = left; x < left + grid->columnWidth(scCountry); ++x)
    for (int y = 0; y < shot.height(); ++y) {
      const QColor c = shot.pixelColor(x, y);
      red += c.red() > 150 && c.green() < 80 && c.blue() < 80;
    }
  EXPECT_GT(red, 10);
}

// Widths stored before the Country, Address and Password columns existed: fewer, all still
// applied; the new columns are as designed.
TEST_F(ServerViewTest, OlderStoredWidthsKeepTheirColumns) {
  view.SetGridColWidths({300, 41, 42, 140, 90, 0}, "grdServer");
  EXPECT_EQ(view.ServerColWidth(scServer), 300);
  EXPECT_EQ(view.ServerColWidth(scGameType), 90);
  EXPECT_EQ(view.ServerColWidth(scCountry), 50);  // as designed
  EXPECT_EQ(view.ServerColWidth(scAddress), 0);
  view.SetServerColWidth(scCountry, 70);
  const std::vector<int> widths = view.GridColWidths("grdServer");
  EXPECT_EQ(widths, (std::vector<int>{300, 41, 42, 140, 90, 0, 70, 0, 0, 0}));
  TkorvUTServerView other;
  other.SetGridColWidths(widths, "grdServer");
  EXPECT_EQ(other.GridColWidths("grdServer"), widths);
}

// The "Other" view shows the titles of the game types the table lists and sorts by them; the
// monitors are still told the class.
TEST_F(ServerViewTest, GameTypeCellShowsTheTitleSortsByItAndMonitorsGetTheClass) {
  for (const auto& [name, description] :
       {std::pair{"xDeathMatch", "2K4 Death Match"}, std::pair{"ONSOnslaughtGame", "Onslaught"},
        std::pair{"AGame", "Zeta"}}) {
    types.push_back(std::make_unique<TGameType>());
    types.back()->Name.Set(name);
    types.back()->Description.Set(description);
    types.back()->TabVisible = false;
  }
  view.SetGameType("Other");
  Add("10.0.9.1", 7778, "Onslaught server", "40", "1", "ONSOnslaughtGame");
  Add("10.0.9.2", 7778, "Death match server", "50", "1", "xDeathMatch");
  Add("10.0.9.3", 7778, "Unknown server", "60", "1", "BGame");
  Add("10.0.9.4", 7778, "Listed as Zeta", "70", "1", "AGame");
  view.PopulateServerGrid(true, true);
  TkorvStringGrid* grid = view.ServerGrid();
  grid->SetKorvSortCol(scGameType);
  grid->SetColumnSortDirection(scGameType, TSortDirection::Ascending);
  grid->SortGrid(false);
  // By class the order would be AGame, BGame, ONSOnslaughtGame, xDeathMatch.
  EXPECT_EQ(Column(scGameType), (QStringList{"2K4 Death Match", "BGame", "Onslaught", "Zeta"}));

  QStringList told;
  QObject::connect(
      &view, &TkorvUTServerView::OnAddMapToMonitor,
      [&](const QString&, const QString&, const QString&, const QString& type) { told << type; });
  QObject::connect(
      &view, &TkorvUTServerView::OnAddPlayerToMonitor,
      [&](const QString&, const QString&, const QString&, const QString& type) { told << type; });
  stash.Find("10.0.9.2:7778")->SetPlayer(0, {"Loque", "3", "40", "0", {}, {}, {}, {}});
  view.SetPingServerOnSelect(false);
  ASSERT_TRUE(view.SelectServer("10.0.9.2:7778"));
  view.FindViewAction("actAddMapToMonitor")->trigger();
  view.FindViewAction("actAddServerPlayerToPlayerMonitor")->trigger();
  EXPECT_EQ(told, (QStringList{"xDeathMatch", "xDeathMatch"}));
}

// A right click on the header opens the column menu (as the platform delivers it); the item
// clicked there shows or hides its column, and every other view is told the new widths.
TEST_F(ServerViewTest, HeaderMenuShowsAndHidesTheAddressAndPasswordColumns) {
  Add("10.0.7.12", 7778, "Open", "40").SetIP("10.0.7.12");
  Add("10.0.7.2", 7778, "Locked", "50").SetIP("10.0.7.2");
  stash.Find("10.0.7.2:7778")->SetPassword("True");
  Add("10.0.7.3", 7778, "Locked too", "60").SetIP("10.0.7.3");
  stash.Find("10.0.7.3:7778")->SetPassword("True");
  view.PopulateServerGrid(true, true);
  view.show();
  view.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
  std::vector<std::vector<int>> told;
  QObject::connect(&view, &TkorvUTServerView::OnViewColumnResized,
                   [&](const QString&, const QString& grid, const std::vector<int>& widths) {
                     if (grid == "grdServer") told.push_back(widths);
                   });
  TkorvStringGrid* grid = view.ServerGrid();
  // Clicks the item of the menu that a right click on the header opens; returns its tick.
  const auto toggle = [&](const char* item) {
    bool wasChecked = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu || !menu->isVisible()) return;
      poll.stop();
      EXPECT_EQ(menu, view.ColumnMenu());
      QAction* action = menu->findChild<QAction*>(item);
      wasChecked = action->isChecked();
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    });
    poll.start(5);
    QWidget* header = grid->horizontalHeader()->viewport();
    QTest::mouseClick(view.windowHandle(), Qt::RightButton, {},
                      header->mapTo(&view, QPoint(30, 5)));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !poll.isActive() && !QApplication::activePopupWidget(); }, 2000));
    return wasChecked;
  };

  EXPECT_FALSE(toggle("pmiColumnAddress"));
  EXPECT_GT(view.ServerColWidth(scAddress),
            grid->fontMetrics().horizontalAdvance("10.0.7.12:7777"));
  EXPECT_EQ(Column(scAddress), (QStringList{"10.0.7.12:7777", "10.0.7.2:7777", "10.0.7.3:7777"}));
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].size(), std::size_t(scCount));
  EXPECT_EQ(told[0][scAddress], view.ServerColWidth(scAddress));
  // Sorted by the numbers of the address, not by its text.
  grid->SetKorvSortCol(scAddress);
  grid->SetColumnSortDirection(scAddress, TSortDirection::Ascending);
  grid->SortGrid(false);
  EXPECT_EQ(Column(scServer), (QStringList{"Locked", "Locked too", "Open"}));

  EXPECT_FALSE(toggle("pmiColumnPassword"));
  EXPECT_GT(view.ServerColWidth(scPassword), 0);
  EXPECT_EQ(Column(scPassword), (QStringList{"Yes", "Yes", ""}));
  grid->SetKorvSortCol(scPassword);
  grid->SetColumnSortDirection(scPassword, TSortDirection::Descending);
  grid->SortGrid(false);
  EXPECT_EQ(Column(scPassword).mid(0, 2), (QStringList{"Yes", "Yes"}));  // together

  // The lock is drawn in the rows that need a password, and nothing in the other.
  grid->scrollTo(grid->model()->index(0, scPassword));
  QTest::qWait(20);
  const QImage shot = grid->viewport()->grab().toImage();
  const auto lockPixels = [&](int row) {
    const QRect cell = grid->visualRect(grid->model()->index(row, scPassword));
    int gold = 0;
    for (int x = cell.left(); x <= cell.right(); ++x)
      for (int y = cell.top(); y <= cell.bottom(); ++y) {
        const QColor c = shot.pixelColor(x * shot.devicePixelRatio(), y * shot.devicePixelRatio());
        gold += c.red() > 190 && c.green() > 130 && c.green() < 190 && c.blue() < 90;
      }
    return gold;
  };
  EXPECT_GT(lockPixels(0), 10);
  EXPECT_GT(lockPixels(1), 10);
  EXPECT_EQ(lockPixels(2), 0);

  EXPECT_TRUE(toggle("pmiColumnAddress"));
  EXPECT_EQ(view.ServerColWidth(scAddress), 0);
  EXPECT_EQ(told.back()[scAddress], 0);
  EXPECT_GT(told.back()[scPassword], 0);
}

TEST_F(ServerViewTest, CountTextsAndTheEmptyRow) {
  view.PopulateServerGrid(true, true);
  EXPECT_EQ(view.ServerGrid()->RowCount(), 2);  // the kept empty data row
  EXPECT_EQ(Status(), " 0 CTF servers");
  for (int i = 1; i <= 3; ++i) Add("10.0.1." + QString::number(i), 7778, "S", "20");
  view.PopulateServerGrid(true, true);
  EXPECT_EQ(Status(), " 3 CTF servers");
}

TEST_F(ServerViewTest, SelectionFillsTheDetailsAndKeepsTheSelectedPlayer) {
  TServer& s = Add("10.0.2.1", 7778, "Alpha", "40", "3");
  s.SetPlayer(0, {"Ann", "5", "50", "red", {}, {}, {}, {}});
  s.SetPlayer(1, {"Bob", "9", "60", "blue", {}, {}, {}, {}});
  s.SetAdminName("Admin");
  view.PopulateServerGrid(true, true);
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  ASSERT_TRUE(view.SelectServer("10.0.2.1:7778"));
  EXPECT_EQ(view.PlayerGrid()->Cells(pcPlayer, 1), "Bob");  // sorted by frags, descending
  EXPECT_EQ(view.SelectedPlayerName(), "Ann");  // no player remembered: slot 0, wherever it went
  EXPECT_EQ(view.SettingGrid()->Cells(stValue, 1), "10.0.2.1:7777");
  view.PlayerGrid()->SetRow(2);
  EXPECT_EQ(view.SelectedPlayerName(), "Ann");
  s.SetPlayer(0, {"Ann", "50", "50", "red", {}, {}, {}, {}});  // Ann takes the lead
  view.ServerUpdated(0);
  EXPECT_EQ(view.PlayerGrid()->Cells(pcPlayer, 1), "Ann");
  EXPECT_EQ(view.SelectedPlayerName(), "Ann");
  EXPECT_EQ(view.LastSelectedServerKey(), "10.0.2.1:7778");

  // A player called as the grid's heading is found among the players, not in the heading.
  s.SetPlayer(2, {"Player", "1", "70", "red", {}, {}, {}, {}});
  view.ServerUpdated(0);
  view.PlayerGrid()->SetRow(3);
  ASSERT_EQ(view.SelectedPlayerName(), "Player");
  s.SetPlayer(2, {"Player", "99", "70", "red", {}, {}, {}, {}});
  view.ServerUpdated(0);
  EXPECT_EQ(view.PlayerGrid()->Cells(pcPlayer, 1), "Player");
  EXPECT_EQ(view.SelectedPlayerName(), "Player");

  // The empty row of an emptied grid clears the details.
  view.RemoveServersOfGame("UT");
  EXPECT_EQ(view.PlayerGrid()->Cells(pcPlayer, 1), "");
}

TEST_F(ServerViewTest, DeleteKeyDeletesTheServerInAnOrdinaryView) {
  Add("10.0.3.1", 7778, "Alpha", "40");
  Add("10.0.3.2", 7778, "Beta", "50");
  view.PopulateServerGrid(true, true);
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  view.SelectServer("10.0.3.1:7778");
  view.ServerGrid()->setFocus();
  QTest::keyClick(view.ServerGrid(), Qt::Key_Delete);
  EXPECT_EQ(stash.Count(), 1);
  EXPECT_EQ(Column(scIP), QStringList{"10.0.3.2:7778"});
  EXPECT_EQ(Status(), " 1 CTF server");
  QTest::keyClick(view.ServerGrid(), Qt::Key_Delete, Qt::ShiftModifier);
  EXPECT_EQ(stash.Count(), 1);
}

TEST_F(ServerViewTest, DoubleClickJoinsAndCopyPutsTheNameOnTheClipboard) {
  Add("10.0.4.1", 7778, "Alpha", "40");
  view.PopulateServerGrid(true, true);
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  QStringList joined;
  QObject::connect(&view, &TkorvUTServerView::OnJoinServer,
                   [&](const QString& ip) { joined << ip; });
  TkorvStringGrid* grid = view.ServerGrid();
  const QRect cell = grid->visualRect(grid->model()->index(0, scServer));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_EQ(joined, QStringList{"10.0.4.1:7778"});
  view.FindViewAction("actCopyServer")->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(), "Alpha");
}

TEST_F(ServerViewTest, EnterOnTheServerGridJoinsButNotInTheSearchOrFilterBoxes) {
  Add("10.0.4.2", 7778, "Alpha", "40");
  view.PopulateServerGrid(true, true);
  view.show();
  view.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
  QStringList joined;
  QObject::connect(&view, &TkorvUTServerView::OnJoinServer,
                   [&](const QString& ip) { joined << ip; });
  auto* filterBox = view.FilterPanel()->findChild<QComboBox*>();
  ASSERT_NE(filterBox, nullptr);
  for (QWidget* box : {static_cast<QWidget*>(view.SearchBox()), static_cast<QWidget*>(filterBox)}) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClick(box, Qt::Key_Enter, Qt::KeypadModifier);
  }
  EXPECT_TRUE(joined.isEmpty());
  view.ServerGrid()->setFocus();
  QTest::keyClick(view.ServerGrid(), Qt::Key_Return);
  QTest::keyClick(view.ServerGrid(), Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(joined, (QStringList{"10.0.4.2:7778", "10.0.4.2:7778"}));
}

TEST_F(ServerViewTest, ListRefreshIsPacedAndTheReplyWaitMarksSilentServers) {
  for (int i = 0; i < 10; ++i) Add("127.0.0.1", SilentPort(), "S" + QString::number(i), "40");
  view.PopulateServerGrid(true, true);
  view.SetQueryPower(5);
  view.RefreshCycle().RefreshServerList();
  EXPECT_EQ(Column(scPing), QStringList(10, "..."));
  EXPECT_FALSE(view.RefreshCycle().ReplyWaitTimer().isActive());  // still sending: the wait starts after
  view.RefreshCycle().ReplyWaitOver();                            // a wait ending now changes nothing
  EXPECT_EQ(Column(scPing), QStringList(10, "..."));
  ASSERT_TRUE(QTest::qWaitFor([&] { return stash.Bursts().Idle(); }, 2000));
  EXPECT_EQ(sleeps, (QList<int>{1}));  // after the 5th; never after the stash's last entry
  EXPECT_TRUE(view.RefreshCycle().ReplyWaitTimer().isActive());
  // One answered in time: its record is complete again and its row drawn from it.
  const int answered = stash.IndexOf(view.ServerGrid()->Cells(scIP, 1));
  stash.Server(answered)->SetPing("33");
  stash.Server(answered)->SetNumPlayers("7");
  stash.Server(answered)->ReplyComplete = true;
  view.ServerUpdated(answered);
  view.RefreshCycle().ReplyWaitOver();
  EXPECT_EQ(Column(scPing).count("9999"), 9);
  EXPECT_EQ(Column(scPlayers).count("0"), 9);
  EXPECT_EQ(stash.Server(0)->Transport, nullptr);  // released until the next query
  EXPECT_FALSE(view.RefreshCycle().ReResolveTimer().isActive());  // dotted addresses are not retried

  sleeps.clear();
  view.SetQueryPower(25);
  view.RefreshCycle().RefreshServerList();
  ASSERT_TRUE(QTest::qWaitFor([&] { return stash.Bursts().Idle(); }, 2000));
  EXPECT_EQ(sleeps, QList<int>(9, 2));
}

// F5 pressed again while the list is still being sent: the new refresh replaces the running
// one, and the automatic refresh the first one paused comes back once the second is sent.
TEST_F(ServerViewTest, RefreshWhileSendingReplacesTheBurstAndKeepsTheAutoRefresh) {
  for (int i = 0; i < 6; ++i) Add("127.0.0.1", 1 + i, "S" + QString::number(i), "40");
  view.PopulateServerGrid(true, true);
  view.SetQueryPower(9);
  view.SetAutoRefreshRate(60000);
  ASSERT_TRUE(view.RefreshCycle().AutoRefreshTimer().isActive());
  int refreshed = 0;
  QObject::connect(&view, &TkorvUTServerView::OnRefreshServerGrid, [&] { ++refreshed; });
  view.RefreshCycle().RefreshServerList();
  EXPECT_FALSE(view.RefreshCycle().AutoRefreshTimer().isActive());
  view.RefreshCycle().RefreshServerList();
  ASSERT_TRUE(QTest::qWaitFor([&] { return stash.Bursts().Idle(); }, 2000));
  EXPECT_EQ(refreshed, 1);
  EXPECT_EQ(sleeps.size(), 1 + 5);  // one pause of the replaced burst, five of the new
  EXPECT_TRUE(view.RefreshCycle().AutoRefreshTimer().isActive());
  EXPECT_TRUE(view.RefreshCycle().ReplyWaitTimer().isActive());
}

TEST_F(ServerViewTest, SilentNamedServerIsResolvedAgainAndRetriedOnce) {
  Add("fake.example", SilentPort(), "Named", "40");
  view.PopulateServerGrid(true, true);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !stash.Server(0)->IP().isEmpty(); }, 1000));
  view.RefreshCycle().RefreshServerList();
  ASSERT_TRUE(QTest::qWaitFor([&] { return stash.Bursts().Idle(); }, 2000));
  view.RefreshCycle().ReplyWaitOver();
  EXPECT_EQ(stash.Server(0)->ReResolvePending, 1);
  EXPECT_TRUE(stash.Server(0)->IP().isEmpty());  // looked up afresh
  EXPECT_TRUE(view.RefreshCycle().ReResolveTimer().isActive());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !stash.Server(0)->IP().isEmpty(); }, 1000));
  view.RefreshCycle().ReResolveRetry();
  EXPECT_TRUE(stash.Server(0)->RetriedOnce);
  EXPECT_EQ(Column(scPing), QStringList{"..."});
  view.RefreshCycle().ReplyWaitOver();  // silent again: only the mark is cleared
  EXPECT_FALSE(stash.Server(0)->RetriedOnce);
  EXPECT_EQ(stash.Server(0)->ReResolvePending, 0);
  EXPECT_FALSE(view.RefreshCycle().ReResolveTimer().isActive());
}

TEST_F(ServerViewTest, FiltersNarrowTheList) {
  Add("10.0.5.1", 7778, "Full", "40", "12");
  Add("10.0.5.2", 7778, "Empty", "50", "0");
  view.FilterPanel()->SetFilter(kPlayersFilter, "> 0", true);
  view.LayoutFilters(true);  // repopulates with the new filters
  EXPECT_EQ(Column(scServer), QStringList{"Full"});
}

// Typing narrows the rows the filters let through, deleting widens them again (rows built
// afresh, sorted, the selection kept), and Esc in the box clears it.
TEST_F(ServerViewTest, QuickSearchCombinesWithTheFilters) {
  const QString code = QString(QChar(0x1B)) + "\x01\x7F\x01";
  Add("10.0.6.1", 7778, "Alpha", "40", "1");
  Add("10.0.6.2", 7778, "Beta", "30", "2").SetMapName("DM-Deck16");
  Add("10.0.6.3", 7778, "Gamma", "20", "3").SetPlayer(0, {"Ze" + code + "d", "1", "9", "0", {}, {}, {}, {}});
  Add("10.0.6.4", 7778, "De" + code + "lta", "10", "4");
  Add("10.0.6.5", 7778, "Deck empty", "50", "0");  // the players filter hides it
  view.FilterPanel()->SetFilter(kPlayersFilter, "> 0", true);
  view.LayoutFilters(true);
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  ASSERT_TRUE(view.SelectServer("10.0.6.2:7778"));
  const auto sorted = [this] {
    QStringList names = Column(scServer);
    names.sort();
    return names;
  };

  TQuickSearchBox* box = view.SearchBox();
  box->setFocus();
  QTest::keyClicks(box, "DE");
  EXPECT_EQ(view.SearchText(), "de");
  EXPECT_EQ(sorted(), (QStringList{"Beta", "Delta"}));  // map and coloured name; not the empty one
  EXPECT_EQ(view.SelectedServerKey(), "10.0.6.2:7778");
  EXPECT_EQ(Status(), " 2 CTF servers");
  QTest::keyClicks(box, "l");
  EXPECT_EQ(Column(scServer), QStringList{"Delta"});
  EXPECT_EQ(view.SelectedServerKey(), "10.0.6.4:7778");  // the selected row went
  for (int i = 0; i < 3; ++i) QTest::keyClick(box, Qt::Key_Backspace);
  QTest::keyClicks(box, "zed");
  EXPECT_EQ(Column(scServer), QStringList{"Gamma"});
  QTest::keyClicks(box, "x");
  EXPECT_EQ(Column(scServer), QStringList{""});  // the empty row a list grid keeps
  EXPECT_EQ(Status(), " 0 CTF servers");
  QTest::keyClick(box, Qt::Key_Escape);
  EXPECT_EQ(box->text(), "");
  EXPECT_EQ(Column(scServer), (QStringList{"Delta", "Gamma", "Beta", "Alpha"}));  // by ping
  EXPECT_EQ(Status(), " 4 CTF servers");

  // A new filter keeps the search.
  QTest::keyClicks(box, "deck");
  EXPECT_EQ(Column(scServer), QStringList{"Beta"});
  view.FilterPanel()->SetFilter(kPlayersFilter, "> 0", false);
  view.LayoutFilters(true);
  EXPECT_EQ(sorted(), (QStringList{"Beta", "Deck empty"}));
}

// A new filter lists the rows again: in the order the header shows, with the selected server
// still selected (its details with it).
TEST_F(ServerViewTest, AFilterChangeKeepsTheSortAndTheSelectedServer) {
  Add("10.0.7.1", 7778, "Alpha", "40", "3");
  Add("10.0.7.2", 7778, "Bravo", "20", "0");
  Add("10.0.7.3", 7778, "Charlie", "60", "5");
  Add("10.0.7.4", 7778, "Echo", "30", "0").SetAdminName("Echo's admin");
  Add("10.0.7.5", 7778, "Foxtrot", "50", "0");
  view.FilterPanel()->SetFilter(kPlayersFilter, "[all]", true);
  view.LayoutFilters(true);
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  TkorvStringGrid* grid = view.ServerGrid();
  QHeaderView* header = grid->horizontalHeader();
  // Ping was ascending: a click turns it round.
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    {header->sectionViewportPosition(scPing) + header->sectionSize(scPing) / 2,
                     header->height() / 2});
  ASSERT_EQ(Column(scServer), (QStringList{"Charlie", "Foxtrot", "Alpha", "Echo", "Bravo"}));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                    grid->visualRect(grid->model()->index(3, scServer)).center());
  ASSERT_EQ(view.SelectedServerKey(), "10.0.7.4:7778");

  QComboBox* players = view.FilterPanel()->Box(kPlayersFilter)->Combobox();
  players->setFocus();
  QTest::keyClick(players, Qt::Key_Down);
  ASSERT_EQ(view.FilterPanel()->FilterText(kPlayersFilter), "0");
  EXPECT_EQ(Column(scServer), (QStringList{"Foxtrot", "Echo", "Bravo"}));
  EXPECT_EQ(view.GridSortCol(gtServer), scPing);
  EXPECT_EQ(view.GridSortDirection(gtServer), TSortDirection::Descending);
  EXPECT_EQ(view.SelectedServerKey(), "10.0.7.4:7778");
  EXPECT_GT(view.SettingGrid()->FindRowByText("Echo's admin", stValue), 0);  // its details
}

TEST_F(ServerViewTest, StatusHighlightAlternatesAndFlashes) {
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  view.SetStatusText(0, "one", true, true);
  EXPECT_EQ(view.StatusLine()->LastPanel0Colour(), TStatusLine::kGreen);
  EXPECT_TRUE(view.StatusLine()->FlashTimer().isActive());
  view.SetStatusText(0, "two", false, true);
  EXPECT_EQ(view.StatusLine()->LastPanel0Colour(), TStatusLine::kNavy);
  EXPECT_FALSE(view.StatusLine()->FlashTimer().isActive());
  view.SetStatusText(0, "three", true, true);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Status() == "  three"; }, 1000));
}

// A server on 127.0.0.1 that answers the text protocol at once, as a LAN server does.
class AnsweringViewTest : public ServerViewTest {
 protected:
  AnsweringViewTest()
      : fake([](const QByteArray&) {
          return QList<QByteArray>{
              "\\hostname\\Near\\mapname\\CTF-Face\\gametype\\CTFGame\\numplayers\\1"
              "\\maxplayers\\8\\player_0\\Ann\\frags_0\\3\\ping_0\\ 12\\team_0\\0"
              "\\final\\"};
        }) {
    Add("127.0.0.1", fake.Port(), "Near", "40");
    Add("127.0.0.1", testing::ClosedPort(), "Far", "50");
    QObject::connect(&stash, &TServerStash::OnServerUpdated, &view,
                     [this](const QString& key) { view.ServerUpdated(stash.IndexOf(key)); });
    view.SetPingServerOnSelect(true);
    view.PopulateServerGrid(true, true);
    view.show();
  }
  QPoint CellCenter(int row, int col) const {
    const TkorvStringGrid* grid = view.ServerGrid();
    return grid->visualRect(grid->model()->index(row - grid->FixedRows(), col)).center();
  }
  int RowOf(const QString& key) const { return view.FindServerRow(key); }

  testing::FakeServer fake;
};

TEST_F(AnsweringViewTest, AReplyWhileTheButtonIsDownFillsTheDetailsOnRelease) {
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  QWidget* viewport = view.ServerGrid()->viewport();
  const QPoint at = CellCenter(RowOf(fake.Key()), scServer);
  ASSERT_TRUE(view.SelectServer(stash.Key(1)));  // the click below moves to another row
  QTest::mousePress(viewport, Qt::LeftButton, {}, at);
  ASSERT_EQ(view.SelectedServerKey(), fake.Key());
  ASSERT_TRUE(QTest::qWaitFor([&] { return stash.Find(fake.Key())->NumPlayers() == "1"; }, 3000));
  EXPECT_EQ(view.PlayerGrid()->Cells(pcPlayer, 1), "");  // held back while the button is down
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
  EXPECT_EQ(view.PlayerGrid()->Cells(pcPlayer, 1), "Ann");
  EXPECT_EQ(view.PlayerGrid()->Cells(pcPing, 1), " 12");
  EXPECT_EQ(view.SettingGrid()->Cells(stValue, 1), "127.0.0.1:" + QString::number(fake.Port() - 1));
  EXPECT_EQ(fake.Requests().size(), 1);  // the release queries nothing more

  // Dragged to another row: that row is selected, and queried, when the button goes up.
  const QPoint far = CellCenter(RowOf(stash.Key(1)), scServer);
  QTest::mousePress(viewport, Qt::LeftButton, {}, at);
  ASSERT_EQ(fake.Requests().size(), 1);  // the same row: no new selection
  QTest::mouseMove(viewport, far);
  QMouseEvent move(QEvent::MouseMove, far, viewport->mapToGlobal(far), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(viewport, &move);
  ASSERT_EQ(view.SelectedServerKey(), stash.Key(1));
  EXPECT_EQ(view.LastSelectedServerKey(), fake.Key());
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, far);
  EXPECT_EQ(view.LastSelectedServerKey(), stash.Key(1));
  EXPECT_EQ(view.ServerGrid()->Cells(scPing, RowOf(stash.Key(1))), "...");
  EXPECT_EQ(view.PlayerGrid()->Cells(pcPlayer, 1), "");
}

TEST_F(AnsweringViewTest, LeftAndRightStayOnTheServer) {
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  TkorvStringGrid* grid = view.ServerGrid();
  grid->setFocus();
  ASSERT_TRUE(view.SelectServer(stash.Key(1)));
  ASSERT_TRUE(view.SelectServer(fake.Key()));
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return view.PlayerGrid()->Cells(pcPlayer, 1) == "Ann"; }, 3000));
  ASSERT_EQ(fake.Requests().size(), 1);
  for (const Qt::Key key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Left}) {
    const int col = grid->Col();
    QTest::keyClick(grid, key);
    EXPECT_NE(grid->Col(), col);  // the cursor did move
    EXPECT_EQ(view.SelectedServerKey(), fake.Key());
    EXPECT_EQ(view.PlayerGrid()->Cells(pcPlayer, 1), "Ann") << "details blanked";
    EXPECT_EQ(fake.Requests().size(), 1) << "queried again";
  }
  // Up and Down change the row: that is a new selection.
  const int row = grid->Row();
  QTest::keyClick(grid, row == grid->FixedRows() ? Qt::Key_Down : Qt::Key_Up);
  EXPECT_NE(view.SelectedServerKey(), fake.Key());
  EXPECT_EQ(view.LastSelectedServerKey(), view.SelectedServerKey());
  QTest::keyClick(grid, row == grid->FixedRows() ? Qt::Key_Up : Qt::Key_Down);
  EXPECT_TRUE(QTest::qWaitFor([&] { return fake.Requests().size() == 2; }, 3000));
}

// A reply decides a server's row with the search as with the filters.
TEST_F(AnsweringViewTest, ARepliedServerObeysTheSearch) {
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  QTest::keyClicks(view.SearchBox(), "ann");
  EXPECT_EQ(Column(scIP), QStringList{""});
  stash.QueryServer(fake.Key());
  ASSERT_TRUE(QTest::qWaitFor([&] { return view.FindServerRow(fake.Key()) >= 0; }, 3000));
  EXPECT_EQ(Column(scIP), QStringList{fake.Key()});  // its player Ann came with the reply

  QTest::keyClicks(view.SearchBox(), "e");
  EXPECT_EQ(Column(scIP), QStringList{""});
  stash.QueryServer(fake.Key());
  ASSERT_TRUE(QTest::qWaitFor([&] { return fake.Requests().size() >= 2; }, 3000));
  QTest::qWait(100);
  EXPECT_EQ(Column(scIP), QStringList{""});  // answered, and still hidden
}

}  // namespace
}  // namespace zorvane
