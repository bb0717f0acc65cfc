// SPDX-License-Identifier: GPL-2.0-or-later
// F8 in the window when the master fails or cuts its list short, with several masters at once,
// a start-up query whose masters all fail, and Esc while the replies come in, with the progress
// bar that follows them.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProgressBar>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>

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
  // The last session's list: three CTF servers, on ports that refuse queries, and as many of
  // the other game types given.
  void WriteCache(const QStringList& otherTypes = {}) {
    TServerStash last;
    const QStringList types = QStringList{"CTFGame", "CTFGame", "CTFGame"} + otherTypes;
    while (last.Count() < types.size()) {
      last.AddServer("127.0.0.1", QString::number(testing::ClosedPort()), "", false, "UT", "True",
                     "");
      TServer& server = *last.Server(last.Count() - 1);
      server.SetDescription("Cached");
      server.SetGameType(types[last.Count() - 1]);
      server.SetPing("40");
    }
    ASSERT_EQ(SaveServerCache(CachePath(), last), "");
  }
  std::unique_ptr<TfrmZorvane> Shown(quint16 masterPort, const QByteArray& settings = {},
                                     const QByteArray& sections = {}) {
    return testing::ShownWindow(
        dir.path(),
        "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\nqueryPower=0\n" +
            settings + "masterServer=127.0.0.1:" + QByteArray::number(masterPort) + "\n" +
            sections,
        dialogs);
  }
  // Section "masterServers" with the UT masters on these ports.
  static QByteArray UtMasters(const QList<quint16>& ports) {
    QByteArray section = "[masterServers]\nutMasterCount=" + QByteArray::number(ports.size()) + "\n";
    for (int i = 0; i < ports.size(); ++i)
      section += "utMaster[" + QByteArray::number(i) + "]=127.0.0.1:" +
                 QByteArray::number(ports[i]) + "\n";
    return section;
  }
  // The rows of every view (visible or not) whose server is in keys.
  static int RowsOf(const TfrmZorvane& window, const QSet<QString>& keys) {
    int rows = 0;
    for (int page = 0; page < window.Pages()->count(); ++page) {
      auto* view = qobject_cast<TkorvUTServerView*>(window.Pages()->widget(page));
      if (!view) continue;
      const TkorvStringGrid* grid = view->ServerGrid();
      for (int row = grid->FixedRows(); row < grid->RowCount(); ++row)
        rows += keys.contains(grid->Cells(scIP, row));
    }
    return rows;
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

// Four masters at once: two whole lists that overlap, one silent, one cutting its list. Every
// server of the good lists is listed once and asked; the window shows them within a second of
// the last good list, long before the silent master is given up; it never stops turning; the
// log names each master; and as not every list was whole, the cached servers stay.
TEST_F(MasterRefreshWindowTest, FourMastersFillTheWindowWithoutWaitingForTheSilentOne) {
  const quint16 first = testing::FreeTcpPort(), second = testing::FreeTcpPort(),
                silent = testing::FreeTcpPort();
  testing::FarmProcess farm(60, 0, 21,
                            {"--master-fault", "half", "--master", QString::number(first) + ":0-39",
                             "--master", QString::number(second) + ":20-59", "--master",
                             QString::number(silent) + ":silent"});
  ASSERT_TRUE(farm.Start()) << farm.Process().readAllStandardError().constData();
  WriteCache();
  auto window = Shown(farm.MasterPort(), "skipPercentageInfo=1\n",
                      UtMasters({farm.MasterPort(), first, second, silent}));
  window->MassRefresh().MasterOptions = {3000, 60000};
  QSet<QString> listed;
  for (int i = 0; i < 60; ++i) listed.insert("127.0.0.1:" + QString::number(farm.Base() + i));
  const QString lastGood = "127.0.0.1:" + QString::number(second) + ": 40 servers";

  // A probe every 5 ms: how late it came, when the last good list was logged, and when the
  // views held what they hold at the end.
  QElapsedTimer clock;
  qint64 last = 0, worstStall = 0, lastGoodAt = -1;
  QList<QPair<qint64, int>> shown;  // when, how many listed servers had rows
  QTimer probe;
  probe.setTimerType(Qt::PreciseTimer);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    worstStall = std::max(worstStall, now - last - 5);
    last = now;
    if (lastGoodAt < 0 && testing::LogHas(*window, lastGood)) lastGoodAt = now;
    const int rows = RowsOf(*window, listed);
    if (shown.isEmpty() || shown.last().second != rows) shown << qMakePair(now, rows);
  });
  clock.start();
  probe.start(5);
  PressF8(*window);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return testing::LogHas(*window, "of servers replied"); }, 20000));
  probe.stop();

  EXPECT_EQ(window->MassRefresh().ServersListed(), 60);
  EXPECT_EQ(window->MassRefresh().ServersQueried(), 60);
  EXPECT_EQ(window->MassRefresh().RepliesCounted(), 60);
  EXPECT_EQ(window->Stash().Count(), 63);
  EXPECT_EQ(CachedRows(*window), 3);  // a cut list and a silent master remove nothing
  const int rows = RowsOf(*window, listed);
  EXPECT_GT(rows, 0);
  ASSERT_GE(lastGoodAt, 0);
  const auto full = std::find_if(shown.begin(), shown.end(), [&](auto s) { return s.second == rows; });
  ASSERT_NE(full, shown.end());
  EXPECT_LT(full->first - lastGoodAt, 1000) << "shown " << full->first << " ms, list at " << lastGoodAt;
  EXPECT_LT(full->first, 2500);  // the silent master is given up after 3 s
  // No turn of the event loop is held up by a master; the bound leaves room for a busy machine.
  EXPECT_LT(worstStall, 250);
  for (const QString& line : QStringList{
           "127.0.0.1:" + QString::number(first) + ": 40 servers", lastGood,
        "127.0.0.1:" + QString::number(silent) + ": no answer (timed out)",
        "127.0.0.1:" + QString::number(farm.MasterPort()) +
            ": list cut short (kept 29 servers, removed none)",
        QString("No server was removed: not every master server gave a whole list")})
    EXPECT_TRUE(testing::LogHas(*window, line)) << line.toStdString();
  EXPECT_TRUE(dialogs.warnings.isEmpty());
}

// A start-up query whose masters all fail: one box names each master and its failure, and the
// cached servers stay on every tab.
TEST_F(MasterRefreshWindowTest, AStartUpQueryWhoseMastersAllFailKeepsTheCachedList) {
  testing::FarmProcess farm(5, 0, 22, {"--master-fault", "endless"});
  ASSERT_TRUE(farm.Start());
  WriteCache({"DeathMatchPlus", "Domination"});
  const quint16 nobody = testing::FreeTcpPort();
  testing::Write(dir.filePath("zorvane.ini"),
                 "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=UT Master Server\n"
                 "masterServer=127.0.0.1:" + QByteArray::number(nobody) + "\n" +
                     UtMasters({nobody, farm.MasterPort()}));
  auto window = testing::OpenWindow(dir.path(), dialogs);
  window->FirstShow();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window->MassRefresh().MassRefreshing(); }, 15000));
  ASSERT_EQ(dialogs.warnings.size(), 1);
  QStringList lines = dialogs.warnings[0].split("\r\n");
  lines.sort();
  QStringList expected{
      "UT Master Server 127.0.0.1:" + QString::number(nobody) +
          ": Could not open connection to GameSpy",
      "UT Master Server 127.0.0.1:" + QString::number(farm.MasterPort()) +
          ": Did not receive a proper response from GameSpy"};
  expected.sort();
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(window->Stash().Count(), 5);
  for (const char* type : {"CTFGame", "DeathMatchPlus", "Domination"}) {
    const TkorvStringGrid* grid = window->View(type)->ServerGrid();
    int cached = 0;
    for (int row = grid->FixedRows(); row < grid->RowCount(); ++row)
      cached += grid->Cells(scServer, row) == "Cached";
    EXPECT_EQ(cached, QString(type) == "CTFGame" ? 3 : 1) << type;
  }
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
  EXPECT_TRUE(testing::LogHas(*window, "Stopped: 0 servers were left out."));
  // The lists are rebuilt over a few turns of the event loop.
  EXPECT_TRUE(QTest::qWaitFor([&] { return !window->MassRefresh().MassRefreshing(); }, 2000));
  EXPECT_TRUE(testing::LogHas(*window, "of servers replied"));
  EXPECT_TRUE(dialogs.notices.isEmpty());
}

}  // namespace
}  // namespace zorvane
