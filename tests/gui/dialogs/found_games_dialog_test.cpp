// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/found_games_dialog.h"

#include <gtest/gtest.h>

#include "support/app_fonts.h"

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "support/default_tables.h"
#include "support/files.h"
#include "support/recording_dialogs.h"

namespace zorvane {
namespace {

class FoundGamesDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* exe :
         {"steam/UT2004.exe", "native/ut2004-bin", "ut/ut-bin", "other/UT2004.exe"}) {
      QDir().mkpath(QFileInfo(dir.filePath(exe)).path());
      testing::Write(dir.filePath(exe), "x");
    }
    found = {Found("UT2004", TGameSource::Steam, false, "steam/UT2004.exe"),
             Found("UT2004", TGameSource::Native, true, "native/ut2004-bin"),
             Found("UT", TGameSource::Native, true, "ut/ut-bin")};
  }
  TFoundGame Found(const char* game, TGameSource source, bool native, const char* exe) const {
    return {game,
            source,
            native,
            "",
            dir.filePath(exe),
            dir.filePath("Game.ini"),
            dir.filePath("User.ini")};
  }
  static QStringList ChosenExes(const TfrmFoundGames& dialog) {
    QStringList exes;
    for (const TFoundGame& game : dialog.Chosen()) exes << game.exePath;
    return exes;
  }

  QTemporaryDir dir;
  TGameTables tables = testing::DefaultGameTables();
  testing::RecordingDialogs dialogs;
  std::vector<TFoundGame> found;
};

TEST_F(FoundGamesDialogTest, OneGameOfEachNameIsTickedAndItsPathsCanBeChanged) {
  tables.FindPaths("UT")->ExePath.Set("/elsewhere/ut-bin");  // a path of the user's own
  TfrmFoundGames dialog(dialogs, tables, dir.filePath("home"), found);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  // Listed by game in the tables' order; the first UT2004 is taken, UT keeps the user's path.
  ASSERT_EQ(dialog.Count(), 3);
  EXPECT_EQ(dialog.Box(1)->title(), "UT2004 - Windows version (Steam)");
  EXPECT_EQ(dialog.Box(2)->title(), "UT2004 - Linux version");
  EXPECT_EQ(ChosenExes(dialog), QStringList{found[0].exePath});
  // Ticking the native UT2004 (the check sits in the box's title) unticks the Steam one.
  QGroupBox* native = dialog.Box(2);
  QTest::mouseClick(native, Qt::LeftButton, {}, QPoint(12, native->fontMetrics().height() / 2 + 2));
  EXPECT_EQ(ChosenExes(dialog), QStringList{found[1].exePath});
  // Another executable picked with "..." brings the INI files it reads.
  const QString other = dir.filePath("other/UT2004.exe");
  dialog.SetFileChooser([&](const QString& folder, const QString& filter) {
    EXPECT_EQ(folder, dir.filePath("native/"));
    EXPECT_TRUE(filter.contains("ut2004-bin"));
    return other;
  });
  QTest::mouseClick(dialog.BrowseButton(2, TGamePathField::Exe), Qt::LeftButton);
  EXPECT_EQ(dialog.PathEdit(2, TGamePathField::Favorites)->text(),
            dir.filePath("other/UT2004.ini"));
  // OK refuses a ticked game whose executable is not there.
  dialog.Box(0)->setChecked(true);
  dialog.PathEdit(0, TGamePathField::Exe)->setText(dir.filePath("gone/ut-bin"));
  QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialogs.errors, QStringList{"Either the path or the file name entered in the "
                                        "'UT Game Exe' field is incorrect."});
  dialog.Box(0)->setChecked(false);
  QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  ASSERT_EQ(dialog.Chosen().size(), 1u);
  EXPECT_EQ(dialog.Chosen()[0].exePath, other);
  EXPECT_EQ(dialog.Chosen()[0].userPath, dir.filePath("other/User.ini"));
}

TEST_F(FoundGamesDialogTest, LookInFolderAddsWhatTheFolderHolds) {
  TfrmFoundGames dialog(dialogs, tables, dir.filePath("home"), {});
  EXPECT_TRUE(dialog.IntroLabel()->text().startsWith("No UT, UT2003 or UT2004 was found"));
  QStringList searched;
  dialog.SetFolderSearch([&](const QString& folder) {
    searched << folder;
    return folder == "/games" ? found : std::vector<TFoundGame>{};
  });
  for (const char* folder : {"/empty", "/games", "/games", ""}) {
    dialog.SetFolderChooser([folder] { return QString(folder); });  // "": cancelled
    QTest::mouseClick(dialog.LookInFolderButton(), Qt::LeftButton);
  }
  EXPECT_EQ(searched, (QStringList{"/empty", "/games", "/games"}));
  EXPECT_EQ(dialog.Count(), 3);  // nothing new the second time
  EXPECT_EQ(dialogs.information,
            (QStringList{"No game was found in /empty.", "No game was found in /games."}));
  EXPECT_TRUE(dialog.IntroLabel()->text().startsWith("These games were found"));
}

TEST_F(FoundGamesDialogTest, EveryTextFitsAtTheDefaultFontAndAtFourteenPoints) {
  testing::AtDesktopFontAnd14Points([&] {
    TfrmFoundGames dialog(dialogs, tables, dir.filePath("home"), found);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
      if (label->wordWrap()) continue;
      EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
    }
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
      EXPECT_GE(button->width(),
                button->fontMetrics().horizontalAdvance(QString(button->text()).remove('&')));
    for (int i = 0; i < dialog.Count(); ++i)
      EXPECT_GE(dialog.Box(i)->width(), dialog.Box(i)->minimumSizeHint().width());
    QLabel* intro = dialog.IntroLabel();
    EXPECT_GE(intro->height(), intro->heightForWidth(intro->width()));
  });
}

}  // namespace
}  // namespace zorvane
