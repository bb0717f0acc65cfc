// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/player_setup_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "config/game_tables.h"
#include "gui/controls/korv_combobox.h"
#include "gui/controls/korv_edit.h"
#include "support/files.h"
#include "support/recording_dialogs.h"
#include "support/user_ini_samples.h"

namespace zorvane {
namespace {

using testing::kUT2004UserIni;
using testing::kUT99UserIni;
using testing::Read;

QByteArray Swapped(QByteArray bytes, const QByteArray& from, const QByteArray& to) {
  const qsizetype at = bytes.indexOf(from);
  EXPECT_GE(at, 0) << from.constData();
  return at < 0 ? bytes : bytes.replace(at, from.size(), to);
}

// Games UT (variant UT), UT2003 without a user INI, and UT2004, with realistic user INI files.
class PlayerSetupDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    utPath = dir.filePath("User.ini");
    ut2004Path = dir.filePath("UT2004User.ini");
    testing::Write(utPath, kUT99UserIni);
    testing::Write(ut2004Path, kUT2004UserIni);
    AddGame("UT", "UT", utPath);
    AddGame("UT2003", "UT2003", "");
    AddGame("UT2004", "UT2004", ut2004Path);
  }

  void AddGame(const char* name, const char* variant, const QString& userPath) {
    auto game = std::make_unique<TGame>();
    game->Name.Set(name);
    game->Value.Set(variant);
    tables.games.push_back(std::move(game));
    auto paths = std::make_unique<TGameInfo>();
    paths->UserPath.Set(userPath);
    tables.paths.push_back(std::move(paths));
  }

  std::unique_ptr<TfrmPlayerSetup> Open(const QString& defaultGame = "UT") {
    return std::make_unique<TfrmPlayerSetup>(dialogs, tables, defaultGame);
  }

  // Picks the game from the list as the user does.
  static void Pick(TfrmPlayerSetup& dialog, const QString& game) {
    QComboBox* box = dialog.GameBox()->Combobox();
    box->setCurrentIndex(box->findText(game));
  }

  static void TypeName(TfrmPlayerSetup& dialog, const QString& name) {
    QLineEdit* edit = dialog.NameEdit()->Edit();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, name);
  }

  QTemporaryDir dir;
  QString utPath, ut2004Path;
  TGameTables tables;
  testing::RecordingDialogs dialogs;
};

TEST_F(PlayerSetupDialogTest, ListsTheGamesWithAUserIniAndFillsFromTheDefaultGame) {
  auto dialog = Open("ut2004");
  EXPECT_EQ(dialog->GameBox()->Items(), (QStringList{"UT", "UT2004"}));
  EXPECT_EQ(dialog->SelectedGame(), "UT2004");
  EXPECT_EQ(dialog->NameEdit()->Text(), "Malcolm");
  EXPECT_EQ(dialog->TeamBox()->Text(), "red");
  EXPECT_EQ(dialog->TeamBox()->Items(), (QStringList{"", "red", "blue"}));
  EXPECT_TRUE(dialog->SpectatorBox()->isHidden());
  EXPECT_FALSE(dialog->AutoSwitchBox()->isHidden());
  EXPECT_FALSE(dialog->DetailPanel()->isHidden());

  Pick(*dialog, "UT");
  EXPECT_EQ(dialog->NameEdit()->Text(), "Gorge");
  EXPECT_EQ(dialog->TeamBox()->Items(), (QStringList{"", "red", "blue", "green", "gold"}));
  EXPECT_EQ(dialog->TeamBox()->Text(), "blue");
  EXPECT_FALSE(dialog->SpectatorBox()->isHidden());
  EXPECT_FALSE(dialog->SpectatorBox()->isChecked());
  EXPECT_TRUE(dialog->AutoSwitchBox()->isChecked());
}

TEST_F(PlayerSetupDialogTest, ADefaultThatIsNoGameSelectsNothingUntilOneIsPicked) {
  auto dialog = Open("Quake");
  EXPECT_EQ(dialog->SelectedGame(), "");
  EXPECT_TRUE(dialog->DetailPanel()->isHidden());
  Pick(*dialog, "UT2004");
  EXPECT_FALSE(dialog->DetailPanel()->isHidden());
  EXPECT_EQ(dialog->NameEdit()->Text(), "Malcolm");
  // OK writes the file it read, unchanged
  QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
  EXPECT_EQ(Read(ut2004Path), kUT2004UserIni);
  EXPECT_EQ(Read(utPath), kUT99UserIni);
}

TEST_F(PlayerSetupDialogTest, NamesAreWrittenCutToTwentyOrAsPlayer1AndTheEditShowsIt) {
  const std::pair<QString, QByteArray> cases[] = {
      {"ABCDEFGHIJKLMNOPQRSTUVWXY", "ABCDEFGHIJKLMNOPQRST"},
      {"", "Player1"},
  };
  for (const auto& [typed, written] : cases) {
    testing::Write(utPath, kUT99UserIni);
    auto dialog = Open();
    TypeName(*dialog, typed);
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->NameEdit()->Text(), written);
    EXPECT_EQ(Read(utPath), Swapped(kUT99UserIni, "Name=Gorge\r\n", "Name=" + written + "\r\n"));
    EXPECT_EQ(Read(ut2004Path), kUT2004UserIni);  // never shown, never written
  }
}

// Only what the user changes is written: the values the boxes cannot show stay as they are.
TEST_F(PlayerSetupDialogTest, OkWithNothingChangedLeavesEveryKeyAsItIs) {
  QByteArray file = Swapped(kUT99UserIni, "team=1\r\n", "team=7\r\n");
  file = Swapped(file, "OverrideClass=\r\n", "OverrideClass=Botpack.TMale1\r\n");
  file = Swapped(file, "bNeverAutoSwitch=False\r\n", "bNeverAutoSwitch=1\r\n");
  file = Swapped(file, "Name=Gorge\r\n", "");
  testing::Write(utPath, file);
  auto dialog = Open();
  EXPECT_EQ(dialog->NameEdit()->Text(), "");
  EXPECT_EQ(dialog->TeamBox()->Text(), "");
  EXPECT_EQ(dialog->TeamBox()->Combobox()->currentIndex(), 0);
  EXPECT_FALSE(dialog->SpectatorBox()->isChecked());
  EXPECT_TRUE(dialog->AutoSwitchBox()->isChecked());
  // A box ticked and unticked again is no change either.
  QTest::mouseClick(dialog->SpectatorBox(), Qt::LeftButton);
  QTest::mouseClick(dialog->SpectatorBox(), Qt::LeftButton);
  QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
  EXPECT_EQ(Read(utPath), file);
  EXPECT_TRUE(dialogs.errors.isEmpty());

  // Picking a team writes just that key.
  auto again = Open();
  QTest::keyClick(again->TeamBox()->Combobox(), Qt::Key_Down);
  EXPECT_EQ(again->TeamBox()->Text(), "red");
  QTest::mouseClick(again->OkButton(), Qt::LeftButton);
  EXPECT_EQ(Read(utPath), Swapped(file, "team=7\r\n", "team=0\r\n"));
}

TEST_F(PlayerSetupDialogTest, UTBoxesWriteTheSpectatorClassAndTheSwitchKey) {
  auto dialog = Open();
  QTest::mouseClick(dialog->SpectatorBox(), Qt::LeftButton);
  QTest::mouseClick(dialog->AutoSwitchBox(), Qt::LeftButton);
  QTest::keyClick(dialog->TeamBox()->Combobox(), Qt::Key_End);
  EXPECT_EQ(dialog->TeamBox()->Text(), "gold");
  QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
  QByteArray expected =
      Swapped(kUT99UserIni, "OverrideClass=\r\n", "OverrideClass=Botpack.CHSpectator\r\n");
  expected = Swapped(expected, "bNeverAutoSwitch=False\r\n", "bNeverAutoSwitch=True\r\n");
  expected = Swapped(expected, "team=1\r\n", "team=3\r\n");
  EXPECT_EQ(Read(utPath), expected);
}

// The game may write its User.ini while the dialog is open; two games may share one.
TEST_F(PlayerSetupDialogTest, OkWritesTheChangesOntoTheFileAsItIsThen) {
  tables.paths[1]->UserPath.Set(utPath);  // UT2003 shares UT's file
  auto dialog = Open();
  TypeName(*dialog, "EditedUT");
  Pick(*dialog, "UT2003");
  EXPECT_EQ(dialog->NameEdit()->Text(), "Gorge");  // not written yet
  QTest::keyClick(dialog->TeamBox()->Combobox(), Qt::Key_Home);
  EXPECT_EQ(dialog->TeamBox()->Text(), "");
  const QByteArray byTheGame =
      Swapped(kUT99UserIni, "MouseSensitivity=3.000000", "MouseSensitivity=5.000000");
  testing::Write(utPath, byTheGame);
  QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
  EXPECT_EQ(Read(utPath), Swapped(Swapped(byTheGame, "Name=Gorge\r\n", "Name=EditedUT\r\n"),
                                  "team=1\r\n", "team=255\r\n"));
}

// A file that cannot be written at OK is named; the others are written all the same.
TEST_F(PlayerSetupDialogTest, FilesThatCannotBeWrittenAreNamedInAnError) {
  auto dialog = Open();
  TypeName(*dialog, "EditedUT");
  Pick(*dialog, "UT2004");
  TypeName(*dialog, "Edited2004");
  QFile::setPermissions(utPath, QFile::ReadOwner);
  QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
  QFile::setPermissions(utPath, QFile::ReadOwner | QFile::WriteOwner);
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(dialogs.errors, QStringList{"Could not write " + utPath + ": the file is read-only."});
  EXPECT_EQ(Read(utPath), kUT99UserIni);
  EXPECT_EQ(Read(ut2004Path), Swapped(kUT2004UserIni, "Name=Malcolm\r\n", "Name=Edited2004\r\n"));

  dialogs.errors.clear();
  auto gone = Open("UT2004");
  TypeName(*gone, "Again");
  QFile::remove(ut2004Path);
  QTest::mouseClick(gone->OkButton(), Qt::LeftButton);
  EXPECT_EQ(dialogs.errors,
            QStringList{"Could not write " + ut2004Path + ": the file is no longer there."});
  EXPECT_FALSE(QFile::exists(ut2004Path));  // nothing made up in its place
}

TEST_F(PlayerSetupDialogTest, UT2004KeepsItsClassAndSwitchKeysWhateverTheBoxesSay) {
  auto dialog = Open("UT2004");
  TypeName(*dialog, "Taye");
  dialog->AutoSwitchBox()->setChecked(false);  // visible, but not this game's
  dialog->SpectatorBox()->setChecked(true);    // hidden
  QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
  EXPECT_EQ(Read(ut2004Path), Swapped(kUT2004UserIni, "Name=Malcolm\r\n", "Name=Taye\r\n"));
}

TEST_F(PlayerSetupDialogTest, SwitchingGamesKeepsUnsavedEditsAndCancelDiscardsBoth) {
  auto dialog = Open();
  TypeName(*dialog, "EditedUT");
  dialog->TeamBox()->SetText("green");
  Pick(*dialog, "UT2004");
  EXPECT_EQ(dialog->NameEdit()->Text(), "Malcolm");
  TypeName(*dialog, "Edited2004");
  Pick(*dialog, "UT");
  EXPECT_EQ(dialog->NameEdit()->Text(), "EditedUT");
  EXPECT_EQ(dialog->TeamBox()->Text(), "green");
  Pick(*dialog, "UT2004");
  EXPECT_EQ(dialog->NameEdit()->Text(), "Edited2004");
  // nothing reaches the disk before OK
  EXPECT_EQ(Read(utPath), kUT99UserIni);
  EXPECT_EQ(Read(ut2004Path), kUT2004UserIni);
  QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  dialog.reset();
  EXPECT_EQ(Read(utPath), kUT99UserIni);
  EXPECT_EQ(Read(ut2004Path), kUT2004UserIni);
}

TEST_F(PlayerSetupDialogTest, OkAfterSwitchingWritesEveryFileItRead) {
  auto dialog = Open();
  TypeName(*dialog, "EditedUT");
  Pick(*dialog, "UT2004");
  TypeName(*dialog, "Edited2004");
  QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
  EXPECT_EQ(Read(utPath), Swapped(kUT99UserIni, "Name=Gorge\r\n", "Name=EditedUT\r\n"));
  EXPECT_EQ(Read(ut2004Path), Swapped(kUT2004UserIni, "Name=Malcolm\r\n", "Name=Edited2004\r\n"));
  EXPECT_TRUE(dialog->WriteFailures().isEmpty());
}

TEST_F(PlayerSetupDialogTest, AFileThatCannotBeReadHidesTheDetailsAndIsNotWritten) {
  // UTF-16: 8-bit lines written into it would be garbage to the game
  const QByteArray utf16("\xff\xfe[\0D\0]\0\r\0\n\0", 12);
  testing::Write(utPath, utf16);
  auto wide = Open();
  EXPECT_TRUE(wide->DetailPanel()->isHidden());
  EXPECT_EQ(wide->OpenErrorLabel()->text(), "Could not open " + utPath + " (it is not 8-bit text)");
  QTest::mouseClick(wide->OkButton(), Qt::LeftButton);
  EXPECT_EQ(Read(utPath), utf16);
  {
    QFile big(utPath);
    ASSERT_TRUE(big.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_TRUE(big.resize(TIniDocument::kMaxFileSize + 1));
  }
  auto dialog = Open();
  EXPECT_TRUE(dialog->DetailPanel()->isHidden());
  EXPECT_FALSE(dialog->OpenErrorLabel()->isHidden());
  EXPECT_TRUE(dialog->OpenErrorLabel()->text().contains(utPath));
  // the other game still works
  Pick(*dialog, "UT2004");
  EXPECT_FALSE(dialog->DetailPanel()->isHidden());
  EXPECT_TRUE(dialog->OpenErrorLabel()->isHidden());
  TypeName(*dialog, "Taye");
  Pick(*dialog, "UT");
  EXPECT_TRUE(dialog->DetailPanel()->isHidden());
  QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
  EXPECT_EQ(QFileInfo(utPath).size(), TIniDocument::kMaxFileSize + 1);
  EXPECT_EQ(Read(ut2004Path), Swapped(kUT2004UserIni, "Name=Malcolm\r\n", "Name=Taye\r\n"));
}

TEST_F(PlayerSetupDialogTest, TheNoteButtonAndTheCommandWithoutUserInis) {
  auto dialog = Open();
  QTest::mouseClick(dialog->GameNoteButton(), Qt::LeftButton);
  EXPECT_EQ(dialogs.information,
            QStringList{"You will only see games in here for which you have set the path to the "
                        "User.ini. Use System/User INIs to enter additional paths."});
  dialogs.information.clear();
  for (auto& paths : tables.paths) paths->UserPath.Set("");
  EXPECT_FALSE(QuickPlayerSetup(nullptr, dialogs, tables, "UT"));
  EXPECT_EQ(dialogs.information,
            QStringList{"Please use System/User INIs to enter the path to at least one User.ini"});
}

}  // namespace
}  // namespace zorvane
