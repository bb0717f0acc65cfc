// SPDX-License-Identifier: GPL-2.0-or-later
// The server cache written after a refresh a part per turn of the event loop, each part
// streamed to the file the writer thread holds open: whatever happens between two parts, the
// file ends as the old one or as the whole new list, never as a mix.
#include "gui/window/server_cache_controller.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <optional>

#include "config/configuration.h"
#include "query/file_writer.h"
#include "query/server_cache.h"
#include "query/server_stash.h"
#include "support/file_size_limit.h"
#include "support/files.h"
#include "support/listed_servers.h"
#include "support/recording_dialogs.h"

namespace zorvane {
namespace {

class ServerCacheControllerTest : public ::testing::Test {
 protected:
  ServerCacheControllerTest() { config.directory = dir.path(); }
  QString Path() const { return dir.filePath(kServerCacheFileName); }

  QTemporaryDir dir;
  testing::RecordingDialogs dialogs;
  TConfiguration config;
  TServerStash stash;
  QStringList log;
  bool refreshing = false;
  // Runs when the controller asks whether a refresh runs for the third time: after the delay
  // and the first part, just before the second part is made.
  std::function<void()> beforeSecondPart;
  int asked = 0;
  // What the controller uses of the window: its folder, stash, log and refresh.
  TWindowContext context{.window = nullptr,
                         .dialogs = dialogs,
                         .config = config,
                         .stash = stash,
                         .addAction = {},
                         .findAction = {},
                         .view = {},
                         .currentView = {},
                         .visibleViews = {},
                         .allViews = {},
                         .rebind = {},
                         .join = {},
                         .addToFavorites = {},
                         .log = [this](const QString& line) { log << line; },
                         .debugLog = {},
                         .setStatus = {},
                         .massRefreshing =
                             [this] {
                               if (++asked == 3 && beforeSecondPart) beforeSecondPart();
                               return refreshing;
                             },
                         .onServerPage = {}};
  TFileWriter writer;
};

TEST_F(ServerCacheControllerTest, BetweenPartsTheFileStaysWholeOldOrNew) {
  // Four parts of 1,000 servers; "limit" lets the file grow no larger than 64 KiB.
  enum TEnd { kOld, kNew };
  struct TCase {
    const char* what;
    std::function<void(TServerCacheController&)> beforeSecondPart;
    TEnd end;
    bool limit = false;
    QString logged;
  };
  const TCase cases[] = {
      {"nothing", {}, kNew, false, {}},
      {"a refresh starts", [&](auto&) { refreshing = true; }, kOld, false, {}},
      {"servers go", [&](auto&) { for (int i = 0; i < 3; ++i) stash.DeleteServer(10); }, kNew,
       false, {}},
      {"the window closes",
       [&](TServerCacheController& cache) {
         stash.Server(5)->SetDescription(QStringLiteral("Renamed"));  // in the first part
         QMetaObject::invokeMethod(&cache, [&cache] { cache.SaveAtClose(); },
                                   Qt::QueuedConnection);
       },
       kNew, false, {}},
      {"the disk fills up", {}, kOld, true,
       "The server list could not be saved: " + QString::fromLocal8Bit(std::strerror(EFBIG))},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    stash.ClearServers(false);
    testing::FillListedServers(stash, 1);
    ASSERT_EQ(SaveServerCache(Path(), stash), "");
    const QByteArray old = testing::Read(Path());
    stash.ClearServers(false);
    testing::FillListedServers(stash, 3500);
    log.clear();
    refreshing = false;
    asked = 0;
    TServerCacheController cache(context, writer);
    beforeSecondPart = [&] {
      if (c.beforeSecondPart) c.beforeSecondPart(cache);
    };

    std::optional<testing::FileSizeLimit> limit;
    if (c.limit) limit.emplace(64 << 10);
    cache.ScheduleWrite();
    const auto expected = [&] { return c.end == kOld ? old : WriteServerCache(stash); };
    EXPECT_TRUE(QTest::qWaitFor([&] { return asked >= 3; }, 5000));
    if (c.end == kNew) {
      EXPECT_TRUE(QTest::qWaitFor([&] { return testing::Read(Path()) == expected(); }, 5000));
    }
    QTest::qWait(200);  // nothing comes after it
    writer.Flush();
    QCoreApplication::processEvents();  // the result
    limit.reset();

    EXPECT_EQ(testing::Read(Path()), expected());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{kServerCacheFileName});
    EXPECT_EQ(log.join('\n'), c.logged);
  }
}

// Behind a writer that is held up, one turn's parts wait in memory; the servers after them wait
// in the stash until the writer has taken them.
TEST_F(ServerCacheControllerTest, PartsWaitForTheWriterAsServersNotAsBytes) {
  testing::FillListedServers(stash, 3500);
  std::atomic<bool> release = false;
  writer.Hand([&] {  // ten seconds at most
    for (int i = 0; i < 2000 && !release; ++i) QThread::msleep(5);
  });
  TServerCacheController cache(context, writer);
  cache.ScheduleWrite();
  QTest::qWait(400);
  EXPECT_EQ(asked, 2);  // the delay and the first turn
  release = true;
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return testing::Read(Path()) == WriteServerCache(stash); }, 5000));
  EXPECT_EQ(asked, 5);  // a turn each of four parts
}

}  // namespace
}  // namespace zorvane
