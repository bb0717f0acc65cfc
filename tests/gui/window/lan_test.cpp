// SPDX-License-Identifier: GPL-2.0-or-later
// The LAN tab against a farm on 127.0.0.1: "Find LAN Servers" (F4) fills it with the farm's
// beaconing servers, queried like any list; F5 on the tab searches again; the "LAN Servers"
// start-up query searches at start; none of them reaches the server cache.
#include <gtest/gtest.h>

#include <QFile>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include "browse/server_rows.h"
#include "gui/grid/string_grid.h"
#include "gui/view/server_view.h"
#include "gui/view/status_line.h"
#include "gui/window/lan_controller.h"
#include "gui/window/main_window.h"
#include "query/server_cache.h"
#include "query/server_stash.h"
#include "support/farm_process.h"
#include "support/recording_dialogs.h"
#include "support/shown_window.h"

namespace zorvane {
namespace {

class LanWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    beaconPort = testing::FreeUdpRun(11);  // ten beacon ports, the LAN port after them
    ASSERT_NE(beaconPort, 0);
    farm = std::make_unique<testing::FarmProcess>(
        3, 2, 21,
        QStringList{"--silent", "0", "--beacon-port", QString::number(beaconPort), "--lan-port",
                    QString::number(beaconPort + 10)});
    ASSERT_TRUE(farm->Start());
  }
  QByteArray Ini(const char* startupQuery) const {
    return QByteArray("[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nqueryPower=0\n"
                      "autoCheckNewVersion=0\nsyncFaves=0\nlanAddresses=127.0.0.1\n"
                      "lanSearchWait=500\nstartupQuery=") +
           startupQuery + "\n";
  }
  // The window's search asks the farm's ports (lanPort 0: its UT servers alone).
  void AskFarm(TfrmZorvane& window, int lanPort) const {
    TLanSearch& search = window.Lan()->Servers().Search();
    search.BeaconPort = beaconPort;
    search.LanServerPort = lanPort;
  }
  static TkorvUTServerView* LanView(TfrmZorvane& window) { return window.View("LAN"); }
  static int Rows(TkorvUTServerView* view) { return view->ServerGrid()->RowCount() - 1; }
  static bool ListsAll(TkorvUTServerView* view, int count) {
    const TkorvStringGrid* grid = view->ServerGrid();
    if (grid->RowCount() - 1 != count) return false;
    for (int row = 1; row < grid->RowCount(); ++row)
      if (grid->Cells(scIP, row).isEmpty() || grid->Cells(scServer, row).isEmpty()) return false;
    return true;
  }
  static void ClickTab(TfrmZorvane& window, QWidget* page) {
    QTabBar* bar = window.Pages()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(window.Pages()->indexOf(page)).center());
    ASSERT_EQ(window.Pages()->currentWidget(), page);
  }

  int beaconPort = 0;
  std::unique_ptr<testing::FarmProcess> farm;
  QTemporaryDir dir;
  testing::RecordingDialogs dialogs;
};

TEST_F(LanWindowTest, FindLanServersFillsTheLanTabAndTheCacheLeavesThemOut) {
  auto window = testing::ShownWindow(dir.path(), Ini("none"), dialogs);
  AskFarm(*window, beaconPort + 10);
  TkorvUTServerView* lan = LanView(*window);
  ASSERT_TRUE(lan && lan->IsOnPage());
  QTest::keyClick(window.get(), Qt::Key_F4);
  ASSERT_TRUE(QTest::qWaitFor([&] { return ListsAll(lan, 5); }, 10000)) << Rows(lan);
  int withPlayers = 0;
  for (int i = 0; i < window->Stash().Count(); ++i) {
    const TServer& server = *window->Stash().Server(i);
    EXPECT_TRUE(server.FromLan && server.Online);
    withPlayers += server.HasPlayers();
  }
  EXPECT_EQ(window->Stash().Count(), 5);
  EXPECT_GT(withPlayers, 0);
  // A LAN server becomes a favourite like any other (F9), and stays on the LAN tab.
  ClickTab(*window, lan);
  lan->ServerGrid()->setFocus();
  const QString key = lan->ServerGrid()->Cells(scIP, 1);
  lan->SelectServer(key);
  QTest::keyClick(window.get(), Qt::Key_F9);
  EXPECT_TRUE(window->Stash().Find(key)->Favorite);
  EXPECT_TRUE(QTest::qWaitFor([&] { return window->FavoritesView()->FindServerRow(key) >= 0; }, 3000));
  EXPECT_EQ(Rows(lan), 5);
  window->close();
  QFile file(dir.filePath(kServerCacheFileName));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const TServerCacheRead cached = ReadServerCache(file.readAll());
  EXPECT_TRUE(cached.problem.isEmpty());
  EXPECT_EQ(cached.servers.size(), 0u);
}

TEST_F(LanWindowTest, F5OnTheLanTabSearchesAgainAndAnUnansweredSearchSaysSo) {
  auto window = testing::ShownWindow(dir.path(), Ini("none"), dialogs);
  TkorvUTServerView* lan = LanView(*window);
  ClickTab(*window, lan);
  // Nobody on these ports: the status line says so.
  TLanSearch& search = window->Lan()->Servers().Search();
  search.BeaconPort = testing::FreeUdpRun(10);
  search.LanServerPort = 0;
  QTest::keyClick(window.get(), Qt::Key_F5);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !search.Running(); }, 5000));
  EXPECT_EQ(lan->StatusLine()->PanelText(0).trimmed(), "No LAN servers found.");

  AskFarm(*window, 0);
  QTest::keyClick(window.get(), Qt::Key_F5);
  ASSERT_TRUE(QTest::qWaitFor([&] { return ListsAll(lan, 3); }, 10000)) << Rows(lan);
  AskFarm(*window, beaconPort + 10);
  QTest::keyClick(window.get(), Qt::Key_F5);
  ASSERT_TRUE(QTest::qWaitFor([&] { return ListsAll(lan, 5); }, 10000)) << Rows(lan);

  // Elsewhere F5 keeps its meaning: no search.
  ClickTab(*window, window->FavoritesView());
  QTest::keyClick(window.get(), Qt::Key_F5);
  EXPECT_FALSE(search.Running());
}

TEST_F(LanWindowTest, TheLanStartUpQuerySearchesAtStart) {
  testing::Write(dir.filePath("zorvane.ini"), Ini("LAN Servers"));
  auto window = testing::OpenWindow(dir.path(), dialogs);
  AskFarm(*window, beaconPort + 10);
  window->FirstShow();
  EXPECT_TRUE(window->Lan()->Servers().Running());
  ASSERT_TRUE(QTest::qWaitFor([&] { return ListsAll(LanView(*window), 5); }, 10000));
  EXPECT_TRUE(testing::LogHas(*window, "LAN search: 5 servers found"));  // the search's log line
}

}  // namespace
}  // namespace zorvane
