// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/found_games_dialog.h"

#include <gtest/gtest.h>

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

using testing::RecordingDialogs;

class FoundGamesDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* file : {"steam/System/UT2004.exe", "native/System/ut2004-bin",
                             "ut/System64/ut-bin-amd64", "other/System/UT2004.exe"}) {
      QDir().mkpath(QFileInfo(dir.filePath(file)).path());
      testing::Write(dir.filePath(file), "x");
    }
    found = {
        Found("UT2004", TGameSource::Steam, false, "steam/System/UT2004.exe",
              "steam/System/UT2004.ini", "steam/System/User.ini"),
        Found("UT2004", TGameSource::Native, true, "native/System/ut2004-bin",
              "home/.ut2004/System/UT2004.ini", "home/.ut2004/System/User.ini"),
        Found("UT", TGameSource::Native, true, "ut/System64/ut-bin-amd64",
              "home/.utpg/System/UnrealTournament.ini", "home/.utpg/System/User.ini"),
    };
  }
  TFoundGame Found(const char* game, TGameSource source, bool native, const char* exe,
                   const char* ini, const char* user) const {
    return {game,
            source,
            native,
            QFileInfo(dir.filePath(exe)).path(),
            dir.filePath(exe),
            dir.filePath(ini),
            dir.filePath(user)};
  }
  QStringList ChosenExes(const TfrmFoundGames& dialog) const {
    QStringList exes;
    for (const TFoundGame& game : dialog.Chosen()) exes << game.exePath;
    return exes;
  }

  QTemporaryDir dir;
  TGameTables tables = testing::DefaultGameTables();
  RecordingDialogs dialogs;
  std::vector<TFoundGame> found;
};

TEST_F(FoundGamesDialogTest, OneGameOfEachNameIsTickedAndItsPathsCanBeChanged) {
  tables.FindPaths("UT")->ExePath.Set("/elsewhere/ut-bin");  // a path of the user's own
  TfrmFoundGames dialog(dialogs, tables, dir.filePath("home"), found);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  ASSERT_EQ(dialog.Count(), 3);
  // Listed by game in the tables' order.
  EXPECT_EQ(dialog.Box(0)->title(), "UT - Linux version");
  EXPECT_EQ(dialog.Box(1)->title(), "UT2004 - Windows version (Steam)");
  EXPECT_EQ(dialog.Box(2)->title(), "UT2004 - Linux version");
  // The first UT2004 is taken; UT keeps the user's path unless ticked.
  EXPECT_EQ(ChosenExes(dialog), QStringList{found[0].exePath});
  // Ticking the native UT2004 unticks the Steam one (the box's check sits in its title).
  QGroupBox* native = dialog.Box(2);
  QTest::mouseClick(native, Qt::LeftButton, {}, QPoint(12, native->fontMetrics().height() / 2 + 2));
  EXPECT_EQ(ChosenExes(dialog), QStringList{found[1].exePath});
  // Another executable picked with "..." brings the INI files it reads.
  dialog.Box(0)->setChecked(true);
  const QString other = dir.filePath("other/System/UT2004.exe");
  dialog.SetFileChooser([&](const QString& folder, const QString& filter) {
    EXPECT_EQ(folder, dir.filePath("native/System/"));
    EXPECT_TRUE(filter.contains("ut2004-bin"));
    return other;
  });
  QTest::mouseClick(dialog.BrowseButton(2, TGamePathField::Exe), Qt::LeftButton);
  QLineEdit* user = dialog.PathEdit(0, TGamePathField::User);
  user->selectAll();
  QTest::keyClicks(user, "/mine/User.ini");
  QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  const std::vector<TFoundGame> chosen = dialog.Chosen();
  ASSERT_EQ(chosen.size(), 2u);
  EXPECT_EQ(chosen[0].userPath, "/mine/User.ini");
  EXPECT_EQ(chosen[1].exePath, other);
  EXPECT_EQ(chosen[1].favoritesPath, dir.filePath("other/System/UT2004.ini"));
  EXPECT_EQ(chosen[1].userPath, dir.filePath("other/System/User.ini"));
  EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(FoundGamesDialogTest, OkRefusesAMissingExecutable) {
  TfrmFoundGames dialog(dialogs, tables, dir.filePath("home"), found);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  QLineEdit* exe = dialog.PathEdit(1, TGamePathField::Exe);
  exe->setText(dir.filePath("gone/UT2004.exe"));
  QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialogs.errors, QStringList{"Either the path or the file name entered in the "
                                        "'UT2004 Game Exe' field is incorrect."});
  exe->clear();
  QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
  EXPECT_EQ(dialogs.errors.last(), "The 'UT2004 Game Exe' field cannot be blank.");
  dialog.Box(1)->setChecked(false);  // an unticked game is not checked
  QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(ChosenExes(dialog), QStringList{found[2].exePath});
}

TEST_F(FoundGamesDialogTest, LookInFolderAddsWhatTheFolderHolds) {
  TfrmFoundGames dialog(dialogs, tables, dir.filePath("home"), {});
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  EXPECT_TRUE(dialog.IntroLabel()->text().startsWith("No UT, UT2003 or UT2004 was found"));
  QStringList searched;
  dialog.SetFolderSearch([&](const QString& folder) {
    searched << folder;
    return folder == "/games" ? found : std::vector<TFoundGame>{};
  });
  dialog.SetFolderChooser([] { return QString("/empty"); });
  QTest::mouseClick(dialog.LookInFolderButton(), Qt::LeftButton);
  EXPECT_EQ(dialogs.information, QStringList{"No game was found in /empty."});
  EXPECT_EQ(dialog.Count(), 0);
  dialog.SetFolderChooser([] { return QString("/games"); });
  QTest::mouseClick(dialog.LookInFolderButton(), Qt::LeftButton);
  QTest::mouseClick(dialog.LookInFolderButton(), Qt::LeftButton);  // nothing new the second time
  EXPECT_EQ(searched, (QStringList{"/empty", "/games", "/games"}));
  EXPECT_EQ(dialog.Count(), 3);
  EXPECT_EQ(dialogs.information.size(), 2);
  EXPECT_TRUE(dialog.IntroLabel()->text().startsWith("These games were found"));
  dialog.SetFolderChooser([] { return QString(); });  // cancelled: nothing searched
  QTest::mouseClick(dialog.LookInFolderButton(), Qt::LeftButton);
  EXPECT_EQ(searched.size(), 3);
  QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(FoundGamesDialogTest, EveryTextFitsAtTheDefaultFontAndAtFourteenPoints) {
  const QFont original = QApplication::font();
  for (const int points : {0, 14}) {
    SCOPED_TRACE(points);
    QFont font = original;
    if (points) font.setPointSize(points);
    QApplication::setFont(font);
    TfrmFoundGames dialog(dialogs, tables, dir.filePath("home"), found);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
      if (!label->isVisibleTo(&dialog) || label->wordWrap()) continue;
      EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
    }
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
      EXPECT_GE(button->width(),
                button->fontMetrics().horizontalAdvance(QString(button->text()).remove('&')))
          << button->text().toStdString();
    for (int i = 0; i < dialog.Count(); ++i) {
      QGroupBox* box = dialog.Box(i);
      EXPECT_GE(box->width(), box->fontMetrics().horizontalAdvance(box->title()) + 20)
          << box->title().toStdString();
      EXPECT_GE(box->width(), box->minimumSizeHint().width());
    }
    EXPECT_GE(dialog.IntroLabel()->height(),
              dialog.IntroLabel()->heightForWidth(dialog.IntroLabel()->width()));
  }
  QApplication::setFont(original);
}

}  // namespace
}  // namespace zorvane
