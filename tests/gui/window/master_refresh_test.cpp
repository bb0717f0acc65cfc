// SPDX-License-Identifier: GPL-2.0-or-later
// F8 in the window when the master fails or cuts its list short, and Esc while the replies
// come in, with the progress bar that follows them.
#include <gtest/gtest.h>

#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>

#include "browse/server_rows.h"
#include "gui/grid/string_grid.h"
#include "gui/view/server_view.h"
#include "gui/window/main_window.h"
#include "query/server_cache.h"
#include "query/server_stash.h"
#include "support/fake_server.h"
#include "support/farm_process.h"
#include "support/files.h"
#include "support/recording_dialogs.h"
#include "support/shown_window.h"

namespace zorvane {
namespace {

class MasterRefreshWindowTest : public ::testing::Test {
 protected:
  // The last session's list: three CTF servers, on ports that refuse queries.
  void WriteCache() {
    TServerStash last;
    while (last.Count() < 3) {
      last.AddServer("127.0.0.1", QString::number(testing::ClosedPort()), "", false, "UT", "True",
                     "");
      TServer& server = *last.Server(last.Count() - 1);
      server.SetDescription("Cached");
      server.SetGameType("CTFGame");
      server.SetPing("40");
    }
    ASSERT_EQ(SaveServerCache(CachePath(), last), "");
  }
  std::unique_ptr<TfrmZorvane> Shown(quint16 masterPort, const QByteArray& settings = {}) {
    return testing::ShownWindow(
        dir.path(),
        "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\nqueryPower=0\n" +
            settings + "masterServer=127.0.0.1:" + QByteArray::number(masterPort) + "\n",
        dialogs);
  }
  // F8 as the user presses it, in the CTF list.
  static void PressF8(TfrmZorvane& window) {
    TkorvUTServerView* view = window.View("CTFGame");
    window.Pages()->setCurrentWidget(view);
    view->ServerGrid()->setFocus();
    QTest::keyClick(view->ServerGrid(), Qt::Key_F8);
  }
  static int CachedRows(const TfrmZorvane& window) {
    const TkorvStringGrid* grid = window.View("CTFGame")->ServerGrid();
    int rows = 0;
    for (int row = grid->FixedRows(); row < grid->RowCount(); ++row)
      rows += grid->Cells(scServer, row) == "Cached";
    return rows;
  }
  QString CachePath() const { return dir.filePath(kServerCacheFileName); }

  QTemporaryDir dir;
  testing::RecordingDialogs dialogs;
};

// A master that cannot be reached: a box names it and tells why, the log says the same, and
// the servers listed before stay on their tabs.
TEST_F(MasterRefreshWindowTest, AFailedMasterIsToldByNameAndTheListedServersStay) {
  WriteCache();
  const quint16 nobody = testing::FreeTcpPort();
  auto window = Shown(nobody);
  ASSERT_EQ(CachedRows(*window), 3);
  PressF8(*window);
  EXPECT_TRUE(window->MassRefresh().MassRefreshing());  // the window is free meanwhile
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window->MassRefresh().MassRefreshing(); }, 15000));
  const QString failure = "UT Master Server 127.0.0.1:" + QString::number(nobody) +
                          ": Could not open connection to GameSpy";
  EXPECT_EQ(dialogs.warnings, QStringList{failure});
  EXPECT_TRUE(testing::LogHas(*window, failure));
  EXPECT_FALSE(window->MassRefresh().MassRefreshing());
  EXPECT_EQ(window->Stash().Count(), 3);
  EXPECT_EQ(CachedRows(*window), 3);
}

// A list that ends without its end mark adds its servers and has them queried, but removes
// none and does not replace the server cache; the log says it was cut.
TEST_F(MasterRefreshWindowTest, ACutListAddsItsServersButRemovesNoneNorReplacesTheCache) {
  testing::FarmProcess farm(12, 0, 9, {"--master-fault", "cut"});
  ASSERT_TRUE(farm.Start());
  WriteCache();
  const QByteArray cache = testing::Read(CachePath());
  auto window = Shown(farm.MasterPort(), "skipPercentageInfo=1\n");
  PressF8(*window);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return testing::LogHas(*window, "of servers replied"); }, 15000));
  const int added = window->MassRefresh().ServersListed();
  EXPECT_GT(added, 0);
  EXPECT_LT(added, 12);
  EXPECT_TRUE(testing::LogHas(*window, "127.0.0.1:" + QString::number(farm.MasterPort()) +
                                           ": list cut short (kept " + QString::number(added) +
                                           " servers, removed none)"));
  EXPECT_EQ(window->Stash().Count(), 3 + added);
  EXPECT_EQ(CachedRows(*window), 3);
  EXPECT_TRUE(dialogs.warnings.isEmpty());
  QTest::qWait(500);  // past the moment a whole list's cache is written
  EXPECT_EQ(testing::Read(CachePath()), cache);
}

// While the replies are awaited the bar shows the share the status line showed; Esc ends the
// wait, and the notice that blames the delay strength for few replies stays away.
TEST_F(MasterRefreshWindowTest, EscDuringTheWaitShowsNoLowReplyNoticeAndTheBarFollowsTheReplies) {
  testing::FarmProcess farm(200, 0, 9, {"--silent", "0.5"});
  ASSERT_TRUE(farm.Start());
  auto window = Shown(farm.MasterPort());
  auto* bar = window->findChild<QProgressBar*>("barMassRefresh");
  ASSERT_NE(bar, nullptr);
  PressF8(*window);
  ASSERT_TRUE(QTest::qWaitFor([&] { return testing::LogHas(*window, "Waiting for replies..."); },
                              10000));
  // Replies of the answering half come in; the status line's last figure is the bar's.
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->MassRefresh().ReplyPercent() >= 40; }, 5000));
  ASSERT_TRUE(window->MassRefresh().MassRefreshing());
  EXPECT_EQ(bar->value(), window->MassRefresh().ReplyPercent());
  EXPECT_EQ(bar->text(), "Replies " + QString::number(bar->value()) + "%");
  EXPECT_LE(bar->value(), 55);

  TkorvUTServerView* view = window->View("CTFGame");
  view->ServerGrid()->setFocus();
  QTest::keyClick(view->ServerGrid(), Qt::Key_Escape);
  EXPECT_FALSE(window->MassRefresh().MassRefreshing());
  EXPECT_TRUE(testing::LogHas(*window, "Stopped: 0 servers were left out."));
  EXPECT_TRUE(testing::LogHas(*window, "of servers replied"));
  EXPECT_TRUE(dialogs.notices.isEmpty());
}

}  // namespace
}  // namespace zorvane
