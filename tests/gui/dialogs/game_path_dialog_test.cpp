// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/game_path_dialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "gui/controls/korv_combobox.h"
#include "gui/controls/korv_edit.h"
#include "support/default_tables.h"
#include "support/recording_dialogs.h"
#include "support/files.h"

namespace zorvane {
namespace {

using testing::RecordingDialogs;
using testing::WhenModal;

using testing::DefaultGameTables;

class GamePathDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::Write(dir.filePath("ut-bin"), "#!/bin/sh\n"); }
  QTemporaryDir dir;
  TGameTables tables = DefaultGameTables();
  RecordingDialogs dialogs;
  const TGamePathFieldInfo& exe = GamePathFieldInfo(TGamePathField::Exe);
};

TEST_F(GamePathDialogTest, EveryFieldIsShownWholeInTheLaidOutDialog) {
  for (const TGamePathField field : {TGamePathField::Exe, TGamePathField::Favorites,
                                     TGamePathField::User}) {
    TfrmGamePath dialog(dialogs, tables, GamePathFieldInfo(field));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    for (TkorvCaptionedPanel* panel : {static_cast<TkorvCaptionedPanel*>(dialog.GameBox()),
                                       static_cast<TkorvCaptionedPanel*>(dialog.PathEdit())}) {
      EXPECT_GE(panel->height(), 21) << panel->objectName().toStdString();
      QLabel* caption = panel->CaptionLabel();
      EXPECT_GE(caption->width(), caption->sizeHint().width()) << caption->text().toStdString();
    }
  }
}

TEST_F(GamePathDialogTest, LeavingTheFieldWithAMissingFileComplainsAndReturns) {
  TfrmGamePath dialog(dialogs, tables, exe);
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  QLineEdit* edit = dialog.PathEdit()->Edit();
  edit->setFocus();
  QTest::keyClicks(edit, dir.filePath("missing"));
  dialog.GameBox()->Combobox()->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(dialogs.errors, QStringList{"Either the path or the file name entered in the "
                                        "'Path and Game Exe' field is incorrect."});
  EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.focusWidget() == edit; }, 1000));
  dialog.OkButton()->setFocus(Qt::MouseFocusReason);  // pressing OK leaves the field
  QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
  EXPECT_TRUE(dialog.isVisible());  // one box, and the click refused
  EXPECT_EQ(dialogs.errors.size(), 2);
  EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.focusWidget() == edit; }, 1000));
  QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);  // OK checks by itself too
  EXPECT_EQ(dialogs.errors.size(), 3);
  EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.focusWidget() == edit; }, 1000));
  edit->clear();  // an empty field passes
  dialog.GameBox()->Combobox()->setFocus(Qt::TabFocusReason);
  QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialogs.errors.size(), 3);
}

TEST_F(GamePathDialogTest, SwitchingGamesKeepsEachPathAndOkCommits) {
  TfrmGamePath dialog(dialogs, tables, exe);
  dialog.SelectGame("ut2004");
  EXPECT_EQ(dialog.SelectedGame(), "UT2004");
  dialog.PathEdit()->SetText(dir.filePath("ut-bin"));
  dialog.SelectGame("UT");
  EXPECT_EQ(dialog.PathEdit()->Text(), "");
  dialog.PathEdit()->SetText("/games/ut/System/ut-bin");
  dialog.SelectGame("UT2004");
  EXPECT_EQ(dialog.PathEdit()->Text(), dir.filePath("ut-bin"));
  EXPECT_EQ(tables.FindPaths("UT2004")->ExePath.Value, "");  // not before OK
  dialog.accept();
  EXPECT_EQ(tables.FindPaths("UT2004")->ExePath.Value, dir.filePath("ut-bin"));
  EXPECT_EQ(tables.FindPaths("UT")->ExePath.Value, "/games/ut/System/ut-bin");
}

TEST_F(GamePathDialogTest, CancelRestoresEveryPath) {
  tables.FindPaths("UT")->UserPath.Set("/ut/System/User.ini");
  TfrmGamePath dialog(dialogs, tables, GamePathFieldInfo(TGamePathField::User));
  dialog.PathEdit()->SetText("/elsewhere/User.ini");
  dialog.SelectGame("UT2004");
  dialog.reject();
  EXPECT_EQ(tables.FindPaths("UT")->UserPath.Value, "/ut/System/User.ini");
  EXPECT_EQ(tables.FindPaths("UT")->UserPath.Working, "/ut/System/User.ini");
}

TEST_F(GamePathDialogTest, BrowseOffersExecutablesAndAllFilesAndStartsInTheFolder) {
  tables.FindPaths("BunnyTrack")->ExePath.Set(dir.filePath("old-bin"));
  TfrmGamePath dialog(dialogs, tables, exe);
  dialog.SelectGame("BunnyTrack");
  QString askedDirectory, askedFilter;
  dialog.SetFileChooser([&](const QString& directory, const QString& filter) {
    askedDirectory = directory;
    askedFilter = filter;
    return dir.filePath("ut-bin");
  });
  QTest::mouseClick(dialog.BrowseButton(), Qt::LeftButton);
  EXPECT_EQ(askedDirectory, dir.path() + "/");
  // The first filter shows the Windows executables and the Linux binaries alike.
  EXPECT_EQ(askedFilter.section(";;", 0, 0),
            "game executables (*.exe *.EXE ut-bin ut-bin-* ut2003-bin ut2004-bin ut2004-bin-* "
            "UT2004)");
  EXPECT_TRUE(askedFilter.endsWith(";;all files (*)"));
  EXPECT_EQ(dialog.PathEdit()->Text(), dir.filePath("ut-bin"));
  EXPECT_TRUE(dialogs.errors.isEmpty());
  EXPECT_EQ(GamePathFileFilter(GamePathFieldInfo(TGamePathField::Favorites)), "ini files (*.ini)");
}

TEST_F(GamePathDialogTest, AChosenExecutableFillsTheEmptyIniPathsItReads) {
  // A native UT2004 picked with "...": its INI files under home; the user INI set by hand stays.
  const QString binary = dir.filePath("ut2004-bin");
  testing::Write(binary, "ELF");
  tables.FindPaths("UT2004")->UserPath.Set("/mine/User.ini");
  TfrmGamePath dialog(dialogs, tables, exe);
  dialog.SetHomeFolder("/h");
  dialog.SelectGame("UT2004");
  dialog.SetFileChooser([&](const QString&, const QString&) { return binary; });
  QTest::mouseClick(dialog.BrowseButton(), Qt::LeftButton);
  EXPECT_EQ(dialog.FilledLabel()->text(), "Game ini set to /h/.ut2004/System/UT2004.ini");
  // A Windows executable typed into UT's field and left: its INI files beside it.
  dialog.SelectGame("UT");
  EXPECT_TRUE(dialog.FilledLabel()->isHidden());
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  testing::Write(dir.filePath("UnrealTournament.exe"), "MZ");
  dialog.PathEdit()->Edit()->setFocus();
  QTest::keyClicks(dialog.PathEdit()->Edit(), dir.filePath("UnrealTournament.exe"));
  dialog.GameBox()->Combobox()->setFocus(Qt::TabFocusReason);
  EXPECT_TRUE(dialog.FilledLabel()->text().endsWith("User ini set to " + dir.filePath("User.ini")));
  EXPECT_EQ(tables.FindPaths("UT")->UserPath.Value, "");  // not before OK
  QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
  EXPECT_EQ(tables.FindPaths("UT2004")->FavoritesPath.Value, "/h/.ut2004/System/UT2004.ini");
  EXPECT_EQ(tables.FindPaths("UT2004")->UserPath.Value, "/mine/User.ini");
  EXPECT_EQ(tables.FindPaths("UT")->UserPath.Value, dir.filePath("User.ini"));
  EXPECT_TRUE(tables.FindPaths("UT2004")->FavoritesMoved);
}

TEST_F(GamePathDialogTest, EntryPointTitlesLocksAndReturnsTheGame) {
  struct Case {
    const char* key;
    int mode;
    bool lock;
    const char* game;
    const char* title;
    const char* shown;
  };
  const Case cases[] = {
      {"gameExePath", 0, false, "", "Set Path and  Game Exe", "BunnyTrack"},
      {"gameExePath", 1, true, "ut2004", "Where can I find the Game Exe?", "UT2004"},
      {"gameFavoritesPath", 2, true, "UT", "Export Favorites", "UT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    QString title, caption, note;
    bool enabled = false;
    WhenModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<TfrmGamePath*>(modal);
      ASSERT_TRUE(dialog);
      title = dialog->windowTitle();
      caption = dialog->PathEdit()->Caption();
      note = dialog->NoteLabel()->text();
      enabled = dialog->GameBox()->isEnabled();
      dialog->PathEdit()->SetText("");
      dialog->accept();
    });
    const QString game =
        EditGamePath(nullptr, dialogs, tables, c.key, c.mode, "Export Favorites", c.lock, c.game);
    EXPECT_EQ(game, c.shown);
    EXPECT_EQ(title, c.title);
    EXPECT_EQ(enabled, !c.lock);
    EXPECT_EQ(caption, QString(GamePathFieldInfo(QString(c.key))->caption) + ":");
    EXPECT_EQ(note, GamePathFieldInfo(QString(c.key))->note);
  }
  EXPECT_EQ(EditGamePath(nullptr, dialogs, tables, "gamePath", 0, "", false, "UT"), "UT");
}

}  // namespace
}  // namespace zorvane
