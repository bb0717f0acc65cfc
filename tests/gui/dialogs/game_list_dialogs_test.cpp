// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/game_list_dialogs.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "gui/controls/korv_combobox.h"
#include "gui/controls/korv_edit.h"
#include "support/default_tables.h"
#include "support/recording_dialogs.h"

namespace zorvane {
namespace {

using testing::RecordingDialogs;

using testing::DefaultGameTables;

void Type(TkorvEdit* edit, const QString& text) {
  edit->Edit()->clear();
  QTest::keyClicks(edit->Edit(), text);
}

void Pick(TkorvCombobox* box, const QString& item) {
  box->Combobox()->setCurrentIndex(box->ItemIndexOf(item));
}

void Click(QPushButton* button) {
  QTest::mouseClick(button, Qt::LeftButton);
}

int Row(const QListWidget* list, const QString& text) {
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->text() == text) return i;
  return -1;
}

class GameListDialogsTest : public ::testing::Test {
 protected:
  TGameTables tables = DefaultGameTables();
  RecordingDialogs dialogs;
};

TEST_F(GameListDialogsTest, RenamingAGameMovesItsGameTypesOnOk) {
  TfrmGames dialog(dialogs, tables);
  dialog.show();
  EXPECT_EQ(dialogs.warnings, QStringList{"Before making changes, I suggest you: \r\n- Read "
                                          "GamePluginHelp.doc !\r\n- Make a backup copy of "
                                          "utGameType.ini !"});
  ASSERT_EQ(dialog.List()->currentRow(), 0);
  EXPECT_EQ(dialog.GameEdit()->Text(), "UT");
  EXPECT_EQ(dialog.VersionBox()->Text(), "UT");
  Type(dialog.GameEdit(), "UT99");
  Click(dialog.UpdateButton());
  EXPECT_EQ(dialog.List()->item(0)->text(), "UT99");
  Click(dialog.OkButton());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(tables.FindGame("UT"));
  EXPECT_EQ(tables.FindGameType("CTFGame")->Game.Value, "UT99");
  EXPECT_EQ(tables.FindGameType("MonsterHunt")->Game.Value, "UT99");
}

TEST_F(GameListDialogsTest, NewThenCancelLeavesTheListAndNewThenOkNeedsAnAssociation) {
  {
    TfrmGames dialog(dialogs, tables);
    dialog.show();
    Click(dialog.NewButton());
    EXPECT_EQ(dialog.List()->currentItem()->text(), "[New1]");
    EXPECT_EQ(dialog.GameEdit()->Text(), "[New1]");
    Type(dialog.GameEdit(), "Strike");
    Pick(dialog.VersionBox(), "UT");
    Click(dialog.UpdateButton());
    Click(dialog.CancelButton());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
  }
  EXPECT_EQ(tables.games.size(), 8u);
  EXPECT_FALSE(tables.FindGame("Strike"));

  TfrmGames dialog(dialogs, tables);
  dialog.show();
  Click(dialog.NewButton());
  Click(dialog.OkButton());
  EXPECT_EQ(dialogs.information, QStringList{"The 'Version Association' cannot be blank."});
  EXPECT_TRUE(dialog.isVisible());  // stays open
  Pick(dialog.VersionBox(), "UT2004");
  Click(dialog.OkButton());
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(tables.games.back()->Name.Value, "[New1]");
  EXPECT_EQ(tables.games.back()->Value.Value, "UT2004");
}

TEST_F(GameListDialogsTest, DeletingAGameAsksAndEmptiesItsGameTypes) {
  TfrmGames dialog(dialogs, tables);
  dialog.show();
  dialog.List()->setCurrentRow(Row(dialog.List(), "Thievery"));
  dialogs.answerYes = false;
  Click(dialog.DeleteButton());
  EXPECT_NE(Row(dialog.List(), "Thievery"), -1);
  dialogs.answerYes = true;
  Click(dialog.DeleteButton());
  EXPECT_EQ(dialogs.questions, QStringList(2, "Are you SURE you want to delete this Game?"));
  EXPECT_EQ(Row(dialog.List(), "Thievery"), -1);
  EXPECT_EQ(dialog.List()->currentRow(), 0);
  Click(dialog.OkButton());
  EXPECT_FALSE(tables.FindGame("Thievery"));
  EXPECT_EQ(tables.FindGameType("ThieveryThiefMatch")->Game.Value, "");
}

TEST_F(GameListDialogsTest, GameTypesRefuseInOrderAndCaseOnlyDuplicates) {
  TfrmGameTypes dialog(dialogs, tables);
  dialog.show();
  EXPECT_EQ(dialog.List()->count(), 27);
  Click(dialog.NewButton());
  EXPECT_EQ(dialog.TeamGameBox()->Text(), "False");
  Click(dialog.OkButton());
  EXPECT_EQ(dialogs.information, QStringList{"The 'Tab Title' cannot be blank."});
  EXPECT_EQ(dialog.focusWidget(), dialog.TabTitleEdit()->Edit());
  Type(dialog.GameTypeEdit(), "ctfgame");
  Type(dialog.TabTitleEdit(), "Second CTF");
  Pick(dialog.GameBox(), "UT");
  Click(dialog.UpdateButton());
  EXPECT_EQ(dialogs.warnings.last(), "The game ctfgame is already in the list.");
  Type(dialog.GameTypeEdit(), "Jail=Break");  // could not be a key of the game-type file
  Click(dialog.UpdateButton());
  EXPECT_EQ(dialogs.information.last(), "The 'Game Type' cannot contain '='.");
  Type(dialog.GameTypeEdit(), "JailBreak");
  Pick(dialog.TeamGameBox(), "True");
  Click(dialog.OkButton());
  ASSERT_EQ(dialog.result(), QDialog::Accepted);
  ASSERT_EQ(dialog.Commit().changed.size(), 1u);
  const TGameType* jail = tables.FindGameType("JailBreak");
  ASSERT_TRUE(jail);
  EXPECT_TRUE(jail->TeamGame.Value);
  EXPECT_EQ(jail->Description.Value, "Second CTF");
  EXPECT_EQ(jail->Game.Value, "UT");
}

}  // namespace
}  // namespace zorvane
