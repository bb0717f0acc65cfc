// SPDX-License-Identifier: GPL-2.0-or-later
// The one-time question before UT2004's first master list: its game types get tabs, so its
// servers are not all listed under "Other".
#include "gui/window/game_tabs_offer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "browse/server_rows.h"
#include "gui/grid/string_grid.h"
#include "gui/window/game_discovery.h"
#include "gui/window/main_window.h"
#include "support/fake_server.h"
#include "support/farm_process.h"
#include "support/files.h"
#include "support/recording_dialogs.h"
#include "support/shown_window.h"

namespace zorvane {
namespace {

using testing::Read;
using testing::RecordingDialogs;
using testing::Write;

QStringList Tabs(const TfrmZorvane& window) {
  QStringList tabs;
  for (int i = 0; i < window.Pages()->count(); ++i) tabs << window.Pages()->tabText(i);
  return tabs;
}

QStringList Keys(const TkorvUTServerView* view) {
  QStringList keys;
  const TkorvStringGrid* grid = view->ServerGrid();
  for (int row = grid->FixedRows(); row < grid->RowCount(); ++row)
    if (!grid->Cells(scIP, row).isEmpty()) keys << grid->Cells(scIP, row);
  return keys;
}

std::unique_ptr<TfrmZorvane> Open(const QString& dir, int masterPort, RecordingDialogs& dialogs) {
  if (!QFile::exists(dir + "/zorvane.ini"))
    Write(dir + "/zorvane.ini",
          "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\n"
          "startupQuery=none\nqueryPower=0\nskipPercentageInfo=1\n"
          "masterServer=127.0.0.1:" +
              QByteArray::number(masterPort) + "\n");
  auto window = testing::OpenWindow(dir, dialogs);
  window->FirstShow();
  return window;
}

TEST(GameTabsOfferTest, TakenTabsListTheUT2004ServersAndTheQuestionIsNotAskedAgain) {
  testing::FarmProcess farm(3, 6, 4);
  ASSERT_TRUE(farm.Start());
  QTemporaryDir dir;
  RecordingDialogs dialogs;
  auto window = Open(dir.path(), farm.MasterPort(), dialogs);
  EXPECT_FALSE(Tabs(*window).contains("2K4 Death Match"));

  window->FindWindowAction("actMasterServerQuery")->trigger();  // UT asks nothing
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return testing::LogHas(*window, "of servers replied"); }, 15000));
  EXPECT_TRUE(dialogs.questions.isEmpty());

  window->FindWindowAction("actMasterServerQueryUT2004")->trigger();
  ASSERT_EQ(dialogs.questions.size(), 1);
  EXPECT_TRUE(dialogs.questions[0].startsWith("Show a tab for each UT2004 game type?"));
  for (const char* tab : {"2K4 Death Match", "2K4 CTF", "Onslaught", "Bombing Run"})
    EXPECT_TRUE(Tabs(*window).contains(tab)) << tab;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return !window->MassRefresh().MassRefreshing() &&
               !Keys(window->View("xDeathMatch")).isEmpty();
      },
      15000));
  // Every UT2004 server of the farm has a tab of its type now; "Other" keeps none of them.
  int listed = 0;
  for (const char* type :
       {"xDeathMatch", "xTeamGame", "xCTFGame", "ONSOnslaughtGame", "xBombingRun", "ASGameInfo"})
    listed += int(Keys(window->View(type)).size());
  EXPECT_EQ(listed, 6);
  for (const QString& key : Keys(window->View("Other")))
    EXPECT_EQ(window->Stash().Find(key)->Game(), "UT") << key.toStdString();
  const TkorvStringGrid* dm = window->View("xDeathMatch")->ServerGrid();
  EXPECT_EQ(dm->Cells(scGameType, dm->FixedRows()), "2K4 Death Match");

  window->FindWindowAction("actMasterServerQueryUT2003")->trigger();
  EXPECT_EQ(dialogs.questions.size(), 1);
  window->close();
  EXPECT_TRUE(Read(dir.filePath("zorvane.ini")).contains("offeredUT2004Tabs=1"));
  window.reset();
  auto again = Open(dir.path(), farm.MasterPort(), dialogs);
  EXPECT_TRUE(Tabs(*again).contains("2K4 Death Match"));  // kept in utGameType.ini
}

TEST(GameTabsOfferTest, DeclinedTabsAreNotOfferedAgainAfterARestart) {
  QTemporaryDir dir;
  RecordingDialogs dialogs;
  dialogs.answerYes = false;
  auto window = Open(dir.path(), testing::ClosedPort(), dialogs);
  const QStringList before = Tabs(*window);
  window->FindWindowAction("actMasterServerQueryUT2004")->trigger();
  EXPECT_EQ(dialogs.questions.size(), 1);
  EXPECT_EQ(Tabs(*window), before);
  window->FindWindowAction("actMasterServerQueryUT2004")->trigger();
  EXPECT_EQ(dialogs.questions.size(), 1);
  window->close();
  window.reset();
  auto again = Open(dir.path(), testing::ClosedPort(), dialogs);
  again->FindWindowAction("actMasterServerQueryUT2003")->trigger();
  EXPECT_EQ(dialogs.questions.size(), 1);
}

// The game search finds UT2004 at a first start: its game types are offered tabs, once.
TEST(GameTabsOfferTest, AFoundUT2004IsOfferedItsTabs) {
  QTemporaryDir dir;
  QDir().mkpath(dir.filePath("home/ut2004/System"));
  Write(dir.filePath("home/ut2004/System/ut2004-bin"), "ELF");
  Write(dir.filePath("zorvane.ini"), "[settings]\nZorvane=2.91\nstartupQuery=none\n");
  RecordingDialogs dialogs;
  dialogs.answerYes = false;  // no favourites import from a file that is not there
  TStartOptions options;
  options.directory = dir.path();
  options.dialogs = &dialogs;
  options.gameSearch = TGameSearchPlaces{dir.filePath("home"), {}, {}, {}};
  TfrmZorvane window(options);
  window.GameDiscovery()->SetAskFoundGames(
      [](const std::vector<TFoundGame>& found) { return std::optional(found); });
  window.FirstShow();
  EXPECT_EQ(dialogs.questions.filter("Show a tab for each UT2004 game type?").size(), 1);
  EXPECT_TRUE(window.Config().settings.offeredUT2004Tabs);
  window.FindWindowAction("actMasterServerQueryUT2004")->trigger();
  EXPECT_EQ(dialogs.questions.filter("Show a tab for each UT2004 game type?").size(), 1);
}

}  // namespace
}  // namespace zorvane
