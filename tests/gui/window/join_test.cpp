// SPDX-License-Identifier: GPL-2.0-or-later
// Joining from the window: the views' join action reaches the game's start, its log line, its
// boxes and the path dialog.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "browse/server_rows.h"
#include "gui/dialogs/game_path_dialog.h"
#include "gui/grid/string_grid.h"
#include "gui/controls/log_window.h"
#include "gui/window/join_controller.h"
#include "gui/window/main_window.h"
#include "support/files.h"
#include "support/recording_dialogs.h"

namespace zorvane {
namespace {

using testing::RecordingDialogs;

struct RecordingLauncher : TGameLauncher {
  bool Start(const TJoinCommand& command) override {
    started << command.CommandLine();
    return true;
  }
  QStringList started;
};

class JoinFromWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    game = dir.filePath("ut/System/ut-bin");
    QDir().mkpath(dir.filePath("ut/System"));
    testing::Write(game, "#!/bin/sh\n");
    QFile(game).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }

  void Start(bool minimizeOnJoin, bool realStart = false) {
    testing::Write(dir.filePath("zorvane.ini"),
                   QByteArray("[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\n"
                              "startupQuery=none\nminimizeOnJoin=") +
                       (minimizeOnJoin ? "1" : "0") + "\n");
    TStartOptions options;
    options.gameSearch = TGameSearchPlaces{};  // none of this machine's games
    options.directory = dir.path();
    options.dialogs = &dialogs;
    options.launcher = realStart ? nullptr : &launcher;
    window = std::make_unique<TfrmZorvane>(options);
    window->FirstShow();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }

  // Lists one server on the tab of its game type (or "Other") and selects it.
  TkorvUTServerView* List(const QString& gameType, const QString& viewType) {
    TServerStash& stash = window->Stash();
    stash.AddServer("127.0.0.1", "7778", {}, false, "UT", "True", {});
    TServer* server = stash.Find("127.0.0.1:7778");
    server->SetDescription("Flags");
    server->SetGameType(gameType);
    server->SetPing("40");
    TkorvUTServerView* view = window->View(viewType);
    window->Pages()->setCurrentWidget(view);
    view->PopulateServerGrid(true, true);
    EXPECT_TRUE(view->SelectServer("127.0.0.1:7778"));
    return view;
  }

  void DoubleClickRow(TkorvUTServerView* view) {
    TkorvStringGrid* grid = view->ServerGrid();
    const QRect cell = grid->visualRect(grid->model()->index(0, scServer));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
  }

  void SetExe(const QString& path) { window->Config().tables.FindPaths("UT")->ExePath.Set(path); }

  QTemporaryDir dir;
  QString game;
  RecordingDialogs dialogs;
  RecordingLauncher launcher;
  std::unique_ptr<TfrmZorvane> window;
};

TEST_F(JoinFromWindowTest, DoubleClickStartsTheGameAndLogsTheCommand) {
  Start(false);
  TkorvUTServerView* ctf = List("CTFGame", "CTFGame");
  SetExe(game);
  const Qt::WindowStates before = window->windowState();
  DoubleClickRow(ctf);
  const QString command = game + " 127.0.0.1:7777";
  EXPECT_EQ(launcher.started, QStringList{command});
  EXPECT_TRUE(window->LogWindow()->Lines().first().startsWith("Request to join server: " + command +
                                                              " -- "));
  EXPECT_EQ(window->windowState(), before);  // minimizeOnJoin is off
  EXPECT_TRUE(dialogs.errors.isEmpty());
  EXPECT_TRUE(dialogs.information.isEmpty());
}

// The game really starts: a script in place of the game writes down its address.
TEST_F(JoinFromWindowTest, DoubleClickRunsTheGame) {
  const QString record = dir.filePath("joined.txt");
  testing::Write(game, "#!/bin/sh\nprintf '%s' \"$1\" > '" + record.toUtf8() + "'\n");
  Start(false, true);
  TkorvUTServerView* ctf = List("CTFGame", "CTFGame");
  SetExe(game);
  DoubleClickRow(ctf);
  EXPECT_TRUE(QTest::qWaitFor([&] { return testing::Read(record) == "127.0.0.1:7777"; }, 5000));
  EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(JoinFromWindowTest, MinimizeOnJoinMinimizesAfterAStart) {
  Start(true);
  TkorvUTServerView* ctf = List("CTFGame", "CTFGame");
  SetExe(game);
  QTest::keyClick(ctf->ServerGrid(), Qt::Key_J, Qt::ControlModifier);
  EXPECT_EQ(launcher.started.size(), 1);
  EXPECT_TRUE(window->windowState() & Qt::WindowMinimized);
}

TEST_F(JoinFromWindowTest, AnEmptyExePathIsAskedForThroughThePathHook) {
  Start(false);
  List("CTFGame", "CTFGame");
  QStringList asked;
  window->Joining().SetAskGamePath([&](const QString& gameName) {
    asked << gameName;
    SetExe(game);
    return true;
  });
  window->FindWindowAction("barJoinServer")->trigger();  // the tool-bar button
  EXPECT_EQ(asked, QStringList{"UT"});
  EXPECT_EQ(launcher.started, QStringList{game + " 127.0.0.1:7777"});
}

TEST_F(JoinFromWindowTest, FailuresAreShownInTheirBoxes) {
  Start(true);
  TkorvUTServerView* ctf = List("CTFGame", "CTFGame");
  const Qt::WindowStates before = window->windowState();
  // No path: the path dialog opens locked on the server's game; cancelled, it gives information.
  QString askedGame;
  testing::WhenModal([&](QWidget* modal) {
    if (auto* dialog = qobject_cast<TfrmGamePath*>(modal)) askedGame = dialog->SelectedGame();
    static_cast<QDialog*>(modal)->reject();
  });
  QTest::keyClick(ctf->ServerGrid(), Qt::Key_J, Qt::ControlModifier);
  EXPECT_EQ(askedGame, "UT");
  EXPECT_EQ(dialogs.information, QStringList{"No exe specified, cannot start game."});
  // A path to nothing: error.
  window->activateWindow();  // back from the dialog
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  SetExe(dir.filePath("ut/System/gone-bin"));
  QTest::keyClick(ctf->ServerGrid(), Qt::Key_J, Qt::ControlModifier);
  ASSERT_EQ(dialogs.errors.size(), 1);
  EXPECT_TRUE(dialogs.errors[0].startsWith("The specified file " +
                                           dir.filePath("ut/System/gone-bin") + " was not found."));
  EXPECT_TRUE(launcher.started.isEmpty());
  EXPECT_EQ(window->windowState(), before);  // nothing started, nothing minimised
}

}  // namespace
}  // namespace zorvane
