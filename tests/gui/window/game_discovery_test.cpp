// SPDX-License-Identifier: GPL-2.0-or-later
// The games found by themselves, from the window: at a first start, from the System menu's
// path dialogs and from Quick Player Setup, on fake home folders.
#include "gui/window/game_discovery.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "gui/controls/korv_combobox.h"
#include "gui/controls/korv_edit.h"
#include "gui/dialogs/found_games_dialog.h"
#include "gui/dialogs/game_path_dialog.h"
#include "gui/dialogs/player_setup_dialog.h"
#include "gui/window/main_window.h"
#include "support/files.h"
#include "support/recording_dialogs.h"

namespace zorvane {
namespace {

using testing::RecordingDialogs;
using testing::WhenModal;
using testing::Write;

class GameDiscoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QDir().mkpath(Home()));
    Write(dir.filePath("zorvane.ini"), "[settings]\nZorvane=2.91\nstartupQuery=none\n");
    dialogs.answerYes = false;  // no favourites import from files that are not there
  }
  QString Home(const QString& relative = {}) const {
    return relative.isEmpty() ? dir.filePath("home") : dir.filePath("home/" + relative);
  }
  // A native UT2004 under the fake home, already played once.
  QString InstallUT2004() {
    const QString binary = Home("ut2004/System/ut2004-bin");
    QDir().mkpath(QFileInfo(binary).path());
    Write(binary,
          "\x7f"
          "ELF");
    QDir().mkpath(Home(".ut2004/System"));
    Write(Home(".ut2004/System/User.ini"), "[DefaultPlayer]\r\nName=Xan\r\n");
    return binary;
  }
  std::unique_ptr<TfrmZorvane> Open() {
    TStartOptions options;
    options.directory = dir.path();
    options.dialogs = &dialogs;
    TGameSearchPlaces places;
    places.home = Home();
    options.gameSearch = places;
    return std::make_unique<TfrmZorvane>(options);
  }
  QAction* Action(TfrmZorvane& window, const char* name) {
    return window.FindWindowAction(QString::fromLatin1(name));
  }

  QTemporaryDir dir;
  RecordingDialogs dialogs;
};

TEST_F(GameDiscoveryTest, AFirstStartOffersTheFoundGamesInsteadOfTheNotice) {
  struct Case {
    const char* name;
    bool installed;
    const char* pathsInFile;  // the game-type file's UT paths
    bool take;                // the dialog's answer
    bool asked;
    bool notice;
    bool set;
  };
  const Case cases[] = {
      {"found and taken", true, "", true, true, false, true},
      {"found and cancelled: the user has seen the games", true, "", false, true, false, false},
      {"nothing found: the notice as before", false, "", true, false, true, false},
      {"a path in the file: no search at start", true,
       "[gameUT]\ngameExePath=/ut/ut-bin\ngameFavoritesPath=/ut/UT.ini\ngameUserPath=/ut/"
       "User.ini\n",
       true, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QDir(Home()).removeRecursively();
    QDir().mkpath(Home());
    const QString binary = c.installed ? InstallUT2004() : QString();
    Write(dir.filePath("utGameType.ini"),
          QByteArray("[game]\nUT=UT\nUT2003=UT2004\nUT2004=UT2004\n") + c.pathsInFile);
    dialogs.notices.clear();
    auto window = Open();
    bool asked = false;
    window->GameDiscovery()->SetAskFoundGames([&](const std::vector<TFoundGame>& found) {
      asked = true;
      EXPECT_EQ(found.size(), 1u);
      return c.take ? std::optional(found) : std::nullopt;
    });
    window->FirstShow();
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(dialogs.notices.size(), c.notice ? 1 : 0);
    const TGameInfo& ut2004 = *window->Config().tables.FindPaths("UT2004");
    EXPECT_EQ(ut2004.ExePath.Value, c.set ? binary : "");
    EXPECT_EQ(ut2004.FavoritesPath.Value, c.set ? Home(".ut2004/System/UT2004.ini") : "");
    EXPECT_EQ(ut2004.UserPath.Value, c.set ? Home(".ut2004/System/User.ini") : "");
    // The new favourites file is offered for import.
    EXPECT_EQ(dialogs.questions.size(), c.set ? 1 : 0);
    dialogs.questions.clear();
    window->close();
  }
}

TEST_F(GameDiscoveryTest, TheDialogAtStartSetsWhatIsTicked) {
  const QString binary = InstallUT2004();
  auto window = Open();
  bool seen = false;
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<TfrmFoundGames*>(modal);
    ASSERT_TRUE(dialog);
    seen = true;
    ASSERT_EQ(dialog->Count(), 1);
    EXPECT_TRUE(dialog->Box(0)->isChecked());
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
  });
  window->FirstShow();
  EXPECT_TRUE(seen);
  EXPECT_EQ(window->Config().tables.FindPaths("UT2004")->ExePath.Value, binary);
  window->close();
  // Written at close like every path.
  EXPECT_TRUE(testing::Read(dir.filePath("utGameType.ini"))
                  .contains(QByteArray("gameExePath=").append(binary.toUtf8())));
}

TEST_F(GameDiscoveryTest, PathDialogsOpenOnTheFirstGameWithoutAPathThenOnTheLastChosen) {
  auto window = Open();
  window->Config().tables.FindPaths("UT")->ExePath.Set("/ut/System/ut-bin");
  QStringList shown;
  const auto open = [&](const char* action, const QString& choose) {
    WhenModal([&, choose](QWidget* modal) {
      auto* dialog = qobject_cast<TfrmGamePath*>(modal);
      ASSERT_TRUE(dialog);
      shown << dialog->SelectedGame();
      if (!choose.isEmpty()) dialog->SelectGame(choose);
      dialog->reject();
    });
    Action(*window, action)->trigger();
  };
  open("miGameExes", "BunnyTrack");
  open("miUserINIs", "");
  EXPECT_EQ(shown, (QStringList{"UT2003", "BunnyTrack"}));
}

TEST_F(GameDiscoveryTest, QuickPlayerSetupWithoutAUserIniOffersToSetOne) {
  Write(dir.filePath("zorvane.ini"),
        "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\n"
        "defaultGame=UT2004\n");
  auto window = Open();
  window->FirstShow();
  QAction* setup = Action(*window, "actPlayerSetup");
  // Declined: nothing opens, and no box sends the user elsewhere.
  setup->trigger();
  EXPECT_EQ(dialogs.questions, QStringList{"No game has the path of its User.ini yet. Would you "
                                           "like to set it now?"});
  EXPECT_TRUE(dialogs.information.isEmpty());
  // Accepted: the user INI dialog on the default game, then the setup on the file set there.
  dialogs.answerYes = true;
  const QString user = dir.filePath("User.ini");
  Write(user, "[DefaultPlayer]\r\nName=Gorge\r\n");
  QString pathGame, setupGame, name;
  WhenModal([&](QWidget* modal) {
    auto* paths = qobject_cast<TfrmGamePath*>(modal);
    ASSERT_TRUE(paths);
    pathGame = paths->SelectedGame();
    paths->PathEdit()->SetText(user);
    WhenModal([&](QWidget* next) {
      auto* player = qobject_cast<TfrmPlayerSetup*>(next);
      ASSERT_TRUE(player);
      setupGame = player->SelectedGame();
      name = player->NameEdit()->Text();
      player->reject();
    });
    QTest::mouseClick(paths->OkButton(), Qt::LeftButton);
  });
  setup->trigger();
  EXPECT_EQ(pathGame, "UT2004");
  EXPECT_EQ(setupGame, "UT2004");
  EXPECT_EQ(name, "Gorge");
  EXPECT_EQ(window->Config().tables.FindPaths("UT2004")->UserPath.Value, user);
}

TEST_F(GameDiscoveryTest, QuickPlayerSetupTakesAFoundGamesUserIni) {
  Write(dir.filePath("zorvane.ini"),
        "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\n");
  auto window = Open();
  window->FirstShow();  // nothing is installed yet
  InstallUT2004();
  window->GameDiscovery()->SetAskFoundGames(
      [](const std::vector<TFoundGame>& found) { return std::optional(found); });
  QString name;
  WhenModal([&](QWidget* modal) {
    auto* player = qobject_cast<TfrmPlayerSetup*>(modal);
    ASSERT_TRUE(player);
    name = player->NameEdit()->Text();
    player->reject();
  });
  Action(*window, "actPlayerSetup")->trigger();
  EXPECT_EQ(name, "Xan");
  EXPECT_TRUE(dialogs.questions.filter("No game has the path").isEmpty());
}

}  // namespace
}  // namespace zorvane
