// SPDX-License-Identifier: GPL-2.0-or-later
// The games found by themselves, from the window: at a first start, from the System menu's
// path dialogs and from Quick Player Setup, on a fake home folder.
#include "gui/window/game_discovery.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QGroupBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "gui/controls/korv_edit.h"
#include "gui/dialogs/found_games_dialog.h"
#include "gui/dialogs/game_path_dialog.h"
#include "gui/dialogs/player_setup_dialog.h"
#include "gui/window/main_window.h"
#include "support/files.h"
#include "support/recording_dialogs.h"

namespace zorvane {
namespace {

using testing::WhenModal;
using testing::Write;

class GameDiscoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QDir().mkpath(Home());
    Write(dir.filePath("zorvane.ini"), "[settings]\nZorvane=2.91\nstartupQuery=none\n");
    dialogs.answerYes = false;  // no favourites import from files that are not there
  }
  QString Home(const QString& relative = {}) const {
    return relative.isEmpty() ? dir.filePath("home") : dir.filePath("home/" + relative);
  }
  // A native UT2004 under the fake home.
  QString InstallUT2004() {
    QDir().mkpath(Home("ut2004/System"));
    Write(Home("ut2004/System/ut2004-bin"), "ELF");
    return Home("ut2004/System/ut2004-bin");
  }
  std::unique_ptr<TfrmZorvane> Open() {
    TStartOptions options;
    options.directory = dir.path();
    options.dialogs = &dialogs;
    options.gameSearch = TGameSearchPlaces{Home(), {}, {}, {}};
    return std::make_unique<TfrmZorvane>(options);
  }

  QTemporaryDir dir;
  testing::RecordingDialogs dialogs;
};

TEST_F(GameDiscoveryTest, AFirstStartOffersTheFoundGamesInsteadOfTheNotice) {
  struct Case {
    const char* name;
    bool installed;
    const char* pathsInFile;  // UT's paths in the game-type file
    bool take, asked, notice;
  };
  const Case cases[] = {
      {"found and taken", true, "", true, true, false},
      {"found and cancelled: the user has seen the games", true, "", false, true, false},
      {"nothing found: the notice as before", false, "", true, false, true},
      {"a path in the file: no search at start", true,
       "[gameUT]\ngameExePath=/u/ut-bin\ngameFavoritesPath=/u/UT.ini\ngameUserPath=/u/User.ini\n",
       true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QDir(Home()).removeRecursively();
    const QString binary = c.installed ? InstallUT2004() : QString();
    Write(dir.filePath("utGameType.ini"),
          QByteArray("[game]\nUT=UT\nUT2003=UT2004\nUT2004=UT2004\n") + c.pathsInFile);
    dialogs.notices.clear();
    dialogs.questions.clear();
    auto window = Open();
    bool asked = false;
    window->GameDiscovery()->SetAskFoundGames([&](const std::vector<TFoundGame>& found) {
      asked = true;
      return c.take ? std::optional(found) : std::nullopt;
    });
    window->FirstShow();
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(dialogs.notices.size(), c.notice ? 1 : 0);
    const bool set = c.take && c.asked;
    const TGameInfo& ut2004 = *window->Config().tables.FindPaths("UT2004");
    EXPECT_EQ(ut2004.ExePath.Value, set ? binary : "");
    EXPECT_EQ(ut2004.UserPath.Value, set ? Home(".ut2004/System/User.ini") : "");
    EXPECT_EQ(dialogs.questions.size(), set ? 1 : 0);  // the favourites of the new file
    window->close();
  }
}

TEST_F(GameDiscoveryTest, TheDialogAtStartSetsWhatIsTickedAndPathDialogsFollowTheUser) {
  const QString binary = InstallUT2004();
  auto window = Open();
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<TfrmFoundGames*>(modal);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->Box(0)->isChecked());
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
  });
  window->FirstShow();
  EXPECT_EQ(window->Config().tables.FindPaths("UT2004")->ExePath.Value, binary);
  // The path dialogs open on the first game without a path, then on the one chosen last.
  QStringList shown;
  for (const auto& [action, choose] : {std::pair{"miGameExes", "BunnyTrack"}, {"miUserINIs", ""}}) {
    WhenModal([&, choose = QString(choose)](QWidget* modal) {
      auto* dialog = qobject_cast<TfrmGamePath*>(modal);
      ASSERT_TRUE(dialog);
      shown << dialog->SelectedGame();
      if (!choose.isEmpty()) dialog->SelectGame(choose);
      dialog->reject();
    });
    window->FindWindowAction(action)->trigger();
  }
  EXPECT_EQ(shown, (QStringList{"UT", "BunnyTrack"}));
}

TEST_F(GameDiscoveryTest, QuickPlayerSetupWithoutAUserIniOffersToSetOne) {
  Write(
      dir.filePath("zorvane.ini"),
      "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\ndefaultGame=UT2004\n");
  auto window = Open();
  window->FirstShow();
  QAction* setup = window->FindWindowAction("actPlayerSetup");
  setup->trigger();  // declined: nothing opens, and no box sends the user elsewhere
  EXPECT_EQ(dialogs.questions, QStringList{"No game has the path of its User.ini yet. Would you "
                                           "like to set it now?"});
  EXPECT_TRUE(dialogs.information.isEmpty());
  // Accepted: the user INI dialog on the default game, then the setup on the file set there.
  dialogs.answerYes = true;
  const QString user = dir.filePath("User.ini");
  Write(user, "[DefaultPlayer]\r\nName=Gorge\r\n");
  QString pathGame, setupName;
  WhenModal([&](QWidget* modal) {
    auto* paths = qobject_cast<TfrmGamePath*>(modal);
    ASSERT_TRUE(paths);
    pathGame = paths->SelectedGame();
    paths->PathEdit()->SetText(user);
    WhenModal([&](QWidget* next) {
      auto* player = qobject_cast<TfrmPlayerSetup*>(next);
      ASSERT_TRUE(player);
      setupName = player->SelectedGame() + " " + player->NameEdit()->Text();
      player->reject();
    });
    QTest::mouseClick(paths->OkButton(), Qt::LeftButton);
  });
  setup->trigger();
  EXPECT_EQ(pathGame, "UT2004");
  EXPECT_EQ(setupName, "UT2004 Gorge");
}

}  // namespace
}  // namespace zorvane
