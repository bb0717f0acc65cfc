#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app/log_window.h"
#include "support/fake_server.h"
#include "support/files.h"
#include "support/farm_process.h"
#include "view/filter_panel.h"
#include "view/server_rows.h"
#include "view/string_grid.h"

namespace zorvane {
namespace {

// Answers every box the window shows and remembers it.
struct RecordingDialogs : TWindowDialogs {
  void Error(QWidget*, const QString& text) override { errors << text; }
  void Information(QWidget*, const QString& text) override { information << text; }
  bool Notice(QWidget*, const QString& text, bool) override {
    notices << text;
    return tickDontShowAgain;
  }
  QStringList errors, information, notices;
  bool tickDontShowAgain = false;
};

using testing::Read;
using testing::Write;

class MainWindowTest : public ::testing::Test {
 protected:
  std::unique_ptr<TfrmZorvane> Start() {
    TStartOptions options;
    options.directory = dir.path();
    options.dialogs = &dialogs;
    return std::make_unique<TfrmZorvane>(options);
  }
  bool LogHas(const TfrmZorvane& window, const QString& part) {
    for (const QString& line : window.LogWindow()->Lines())
      if (line.contains(part)) return true;
    return false;
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
                               "Death Match", "Favorites", "Player Monitor", "Map Monitor"}));
  EXPECT_EQ(window->width(), 871);
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
  EXPECT_EQ(dialogs.errors[0], "This application will need to close: \r\n\r\nCould not open "
                               "zorvane.ini for some reason :-[ \r\n");
  EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 2000));
  EXPECT_FALSE(QFile::exists(dir.filePath("utGameType.ini")));
}

TEST_F(MainWindowTest, StartInTrayIsRead) {
  Write(dir.filePath("zorvane.ini"), "[settings]\nZorvane=2.91\nstartInTray=1\n");
  EXPECT_TRUE(Start()->StartInTray());
}

TEST_F(MainWindowTest, FavoritesOnlyQueriesTheFavouritesAtStart) {
  testing::FakeServer fake([](const QByteArray&) {
    return QList<QByteArray>{"\\hostname\\Fave\\mapname\\CTF-Face\\gametype\\CTFGame"
                             "\\numplayers\\2\\maxplayers\\8\\final\\"};
  });
  Write(dir.filePath("zorvane.ini"),
        "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=Favorites Only\n"
        "[server]\nserverCount=1\nserver[0]=127.0.0.1\\" + QByteArray::number(fake.Port()) +
            "\\True\\Typed\\UT\n");
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
  Write(dir.filePath("zorvane.ini"),
        "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\nqueryPower=0\n"
        "masterServer=127.0.0.1:" + QByteArray::number(farm.MasterPort()) + "\n");
  auto window = Start();
  window->FirstShow();
  window->FindWindowAction("actMasterServerQuery")->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return LogHas(*window, "of servers replied"); }, 15000));
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

TEST_F(MainWindowTest, CloseAndReopenKeepsFavouritesLayoutSortsAndFilters) {
  Write(dir.filePath("zorvane.ini"),
        "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\n"
        "[server]\nserverCount=1\nserver[0]=10.1.2.3\\7778\\False\\Mine\\UT2004\n");
  {
    auto window = Start();
    TkorvUTServerView* favorites = window->FavoritesView();
    favorites->ResortGrid(gtServer, scMap, TSortDirection::Descending);
    favorites->SetDetailHeight(230);
    favorites->SetServerColWidth(scServer, 280);
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
  EXPECT_TRUE(favorites->FilterPanel()->FilterUsed(kPlayersFilter));
  EXPECT_EQ(favorites->FilterPanel()->FilterText(kPlayersFilter), "> 0");
  EXPECT_EQ(window->View("CTFGame")->FilterPanel()->FilterText(1), "godlike");
}

}  // namespace
}  // namespace zorvane
