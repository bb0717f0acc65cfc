// SPDX-License-Identifier: GPL-2.0-or-later
// The last master list across a restart: written when its reply wait ends, listed at the next
// start with its pings in brackets, and unmarked server by server as replies come in.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <atomic>

#include "browse/server_rows.h"
#include "gui/grid/string_grid.h"
#include "gui/view/server_view.h"
#include "gui/controls/log_window.h"
#include "gui/window/main_window.h"
#include "query/file_writer.h"
#include "query/server_cache.h"
#include "query/server_stash.h"
#include "support/farm_process.h"
#include "support/files.h"
#include "support/recording_dialogs.h"
#include "support/shown_window.h"

namespace zorvane {
namespace {

class ServerCacheWindowTest : public ::testing::Test {
 protected:
  std::unique_ptr<TfrmZorvane> Start() { return testing::OpenWindow(dir.path(), dialogs); }
  // The first row of any server view but the favourites whose ping cell passes test.
  struct TRow {
    TkorvUTServerView* view = nullptr;
    QString key, ping;
  };
  TRow FindRow(TfrmZorvane& window, const std::function<bool(const QString&)>& test) {
    for (int page = 0; page < window.Pages()->count(); ++page) {
      auto* view = qobject_cast<TkorvUTServerView*>(window.Pages()->widget(page));
      if (!view || view->IsFavorite()) continue;
      const TkorvStringGrid* grid = view->ServerGrid();
      for (int row = 1; row < grid->RowCount(); ++row)
        if (!grid->Cells(scIP, row).isEmpty() && test(grid->Cells(scPing, row)))
          return {view, grid->Cells(scIP, row), grid->Cells(scPing, row)};
    }
    return {};
  }
  static QString PingOf(const TRow& row) {
    const TkorvStringGrid* grid = row.view->ServerGrid();
    for (int r = 1; r < grid->RowCount(); ++r)
      if (grid->Cells(scIP, r) == row.key) return grid->Cells(scPing, r);
    return {};
  }
  QString CachePath() const { return dir.filePath(kServerCacheFileName); }
  // Settings that ask the farm's master at once and quietly; `more` follows them.
  void WriteFarmSettings(const testing::FarmProcess& farm, const QByteArray& more = {}) {
    testing::Write(dir.filePath("zorvane.ini"),
                   "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\n"
                   "queryPower=0\nskipPercentageInfo=1\nmasterServer=127.0.0.1:" +
                       QByteArray::number(farm.MasterPort()) + "\n" + more);
  }

  QTemporaryDir dir;
  testing::RecordingDialogs dialogs;
};

TEST_F(ServerCacheWindowTest, TheLastListIsListedMarkedAtStartUntilItsServersReply) {
  testing::FarmProcess farm(30, 0, 9);
  ASSERT_TRUE(farm.Start());
  // One of the farm's servers is also a favourite.
  const QByteArray favorite =
      "server[0]=127.0.0.1\\" + QByteArray::number(farm.Base()) + "\\True\\Typed\\UT\n";
  WriteFarmSettings(farm, "[server]\nserverCount=1\n" + favorite);
  int listed = 0;
  {
    auto window = Start();
    window->FirstShow();
    EXPECT_FALSE(QFile::exists(CachePath()));
    window->FindWindowAction("actMasterServerQuery")->trigger();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return testing::LogHas(*window, "of servers replied"); }, 15000));
    // Written once the reply wait ended and the lists were drawn.
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(CachePath()); }, 2000));
    listed = window->Stash().Count();
    EXPECT_EQ(listed, 30);  // the favourite is one of the thirty
    EXPECT_FALSE(FindRow(*window, [](const QString& ping) { return ping.startsWith('('); }).view);
    window->close();
  }

  auto window = Start();
  EXPECT_TRUE(
      testing::LogHas(*window, "29 servers listed from the last session (not yet refreshed)"));
  window->FirstShow();
  ASSERT_EQ(window->Stash().Count(), listed);
  const TServer* kept = window->Stash().Find("127.0.0.1:" + QString::number(farm.Base()));
  ASSERT_TRUE(kept);
  EXPECT_TRUE(kept->Favorite);
  EXPECT_FALSE(kept->FromCache);
  EXPECT_TRUE(testing::Read(dir.filePath("zorvane.ini")).contains("serverCount=1"));

  // A server that answered last time: its ping in brackets (the lists fill over a few turns).
  const auto answeredBefore = [](const QString& ping) {
    return ping.startsWith('(') && ping != "(9999)";
  };
  ASSERT_TRUE(QTest::qWaitFor([&] { return FindRow(*window, answeredBefore).view; }, 2000));
  const TRow row = FindRow(*window, answeredBefore);
  EXPECT_TRUE(window->Stash().Find(row.key)->FromCache);
  // The selected server's players and settings are shown too.
  EXPECT_FALSE(row.view->SelectedServerKey().isEmpty());
  EXPECT_EQ(row.view->SettingGrid()->Cells(0, 1), "IP Address");

  row.view->RefreshCycle().RefreshServerList();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        const QString ping = PingOf(row);
        return !ping.startsWith('(') && ping != "..." && !ping.isEmpty();
      },
      10000))
      << PingOf(row).toStdString();
  EXPECT_FALSE(window->Stash().Find(row.key)->FromCache);
}

// Closed while a master list's servers are still being asked, the window keeps the list of
// the last session rather than a new one with half its replies.
TEST_F(ServerCacheWindowTest, ClosingDuringAMasterQueryKeepsTheLastGoodList) {
  testing::FarmProcess farm(400, 0, 9);
  ASSERT_TRUE(farm.Start());
  {
    TServerStash last;
    ASSERT_TRUE(last.AddServer("10.0.0.1", "7778", "", false, "UT", "True", ""));
    last.Server(0)->SetDescription("Last Session");
    ASSERT_EQ(SaveServerCache(CachePath(), last), "");
  }
  const QByteArray before = testing::Read(CachePath());
  testing::Write(dir.filePath("zorvane.ini"),
                 "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\n"
                 "queryPower=400\nskipPercentageInfo=1\nmasterServer=127.0.0.1:" +
                     QByteArray::number(farm.MasterPort()) + "\n");
  auto window = Start();
  window->FirstShow();
  ASSERT_EQ(window->Stash().Count(), 1);
  window->FindWindowAction("actMasterServerQuery")->trigger();
  ASSERT_TRUE(window->FindWindowAction("actStopMassRefresh")->isEnabled());  // still asking
  window->close();
  EXPECT_EQ(testing::Read(CachePath()), before);
}

TEST_F(ServerCacheWindowTest, ADamagedCacheIsLoggedAndKeptUntilANewListComesIn) {
  testing::Write(dir.filePath("zorvane.ini"),
                 "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\n");
  testing::Write(CachePath(), "ZorvaneServers\r\n\x01");
  {
    auto window = Start();
    window->FirstShow();
    EXPECT_TRUE(
        testing::LogHas(*window, "The server list of the last session was not read: truncated"));
    EXPECT_EQ(window->Stash().Count(), 0);
    window->close();
  }
  EXPECT_EQ(testing::Read(CachePath()), "ZorvaneServers\r\n\x01");

  // A list of this session replaces it, even when the window is closed right after the list's
  // reply wait, before the file would have been written.
  testing::FarmProcess farm(12, 0, 9);
  ASSERT_TRUE(farm.Start());
  WriteFarmSettings(farm);
  {
    auto window = Start();
    window->FirstShow();
    window->FindWindowAction("actMasterServerQuery")->trigger();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return testing::LogHas(*window, "of servers replied"); }, 15000));
    window->close();
  }
  TServerStash read;
  EXPECT_EQ(LoadServerCache(CachePath(), read).added, 12);
}

// The list is handed to the writer thread as bytes: the window keeps turning while the writer
// is busy, the file comes when the writer gets to it, and a close waits for what it holds.
TEST_F(ServerCacheWindowTest, TheWriterThreadWritesTheListAndACloseWaitsForIt) {
  testing::FarmProcess farm(12, 0, 9);
  ASSERT_TRUE(farm.Start());
  WriteFarmSettings(farm);
  auto window = Start();
  window->FirstShow();
  std::atomic<bool> release = false;
  window->Writer().Hand([&] {  // holds the writer (ten seconds at most)
    for (int i = 0; i < 2000 && !release; ++i) QThread::msleep(5);
  });
  window->FindWindowAction("actMasterServerQuery")->trigger();
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return testing::LogHas(*window, "of servers replied"); }, 15000));
  QTest::qWait(400);  // well past the moment the list is handed over
  EXPECT_FALSE(QFile::exists(CachePath()));
  release = true;
  EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(CachePath()); }, 5000));

  // A write that fails comes back to the log.
  ASSERT_TRUE(QFile::remove(CachePath()));
  ASSERT_TRUE(QDir(dir.path()).mkdir(kServerCacheFileName));
  window->FindWindowAction("actMasterServerQuery")->trigger();
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return testing::LogHas(*window, "The server list could not be saved: "); }, 15000));
  ASSERT_TRUE(QDir(CachePath()).removeRecursively());

  window->Writer().Hand([] { QThread::msleep(300); });
  window->close();
  TServerStash read;
  EXPECT_EQ(LoadServerCache(CachePath(), read).added, 12);
}

}  // namespace
}  // namespace zorvane
