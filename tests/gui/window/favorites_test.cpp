// SPDX-License-Identifier: GPL-2.0-or-later
// The favourites commands from the window: their keys, the favourite dialog, the confirmation
// and, with favourites kept in sync, the game's own file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "browse/server_rows.h"
#include "config/ini_document.h"
#include "gui/controls/korv_combobox.h"
#include "gui/controls/korv_edit.h"
#include "gui/dialogs/game_path_dialog.h"
#include "gui/dialogs/server_dialog.h"
#include "gui/grid/string_grid.h"
#include "gui/window/main_window.h"
#include "support/cancel_path_dialogs.h"
#include "support/files.h"
#include "support/recording_dialogs.h"
#include "support/shown_window.h"

namespace zorvane {
namespace {

using testing::RecordingDialogs;
using testing::WhenModal;

const QByteArray kUTFile =
    "[Engine.Engine]\r\nGameRenderDevice=SoftDrv.SoftwareRenderDevice\r\n\r\n"
    "[UBrowser.UBrowserFavoritesFact]\r\nFavoriteCount=0\r\n\r\n"
    "[Botpack.CTFGame]\r\nbUseTranslocator=True\r\n";

class FavoritesFromWindowTest : public ::testing::Test {
 protected:
  void Start(bool sync, const QByteArray& extra = {}) {
    ASSERT_TRUE(dir.isValid());
    window = testing::ShownWindow(dir.path(),
                                  QByteArray("[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\n"
                                             "startupQuery=none\nsyncFaves=") +
                                      (sync ? "1" : "0") + "\n" + extra,
                                  dialogs);
  }

  QString UTFile() {
    const QString path = dir.filePath("UnrealTournament.ini");
    testing::Write(path, kUTFile);
    window->Config().tables.FindPaths("UT")->FavoritesPath.Set(path);
    return path;
  }

  TkorvUTServerView* Favorites() {
    TkorvUTServerView* view = window->FavoritesView();
    window->Pages()->setCurrentWidget(view);
    // A closed dialog leaves no window active offscreen; the shortcuts need one.
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    view->ServerGrid()->setFocus();
    return view;
  }

  // Answers the next favourite dialog with an address, a game port and a description.
  void FillFavoriteDialog(const QString& ip, const QString& port, const QString& description) {
    WhenModal([=](QWidget* modal) {
      auto* dialog = qobject_cast<TfrmServer*>(modal);
      ASSERT_TRUE(dialog);
      dialog->IPEdit()->SetText(ip);
      dialog->PortEdit()->SetText(port);
      dialog->DescriptionEdit()->SetText(description);
      QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    });
  }

  // Opens the favourite dialog with key on the favourites view, lets fill set its fields, and
  // presses OK (Cancel when OK is refused).
  void InDialog(Qt::Key key, std::function<void(TfrmServer*)> fill) {
    TkorvUTServerView* view = Favorites();
    WhenModal([fill](QWidget* modal) {
      auto* dialog = qobject_cast<TfrmServer*>(modal);
      ASSERT_TRUE(dialog);
      fill(dialog);
      QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
      if (dialog->isVisible()) QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
    });
    QTest::keyClick(view->ServerGrid(), key, Qt::ControlModifier);
  }

  QString ThieveryFile() {
    const QString path = dir.filePath("ThAux.ini");
    testing::Write(path, kUTFile);
    window->Config().tables.FindPaths("Thievery")->FavoritesPath.Set(path);
    return path;
  }

  void AddByKey(const QString& ip, const QString& port, const QString& description) {
    TkorvUTServerView* view = Favorites();
    FillFavoriteDialog(ip, port, description);
    QTest::keyClick(view->ServerGrid(), Qt::Key_N, Qt::ControlModifier);
  }

  QTemporaryDir dir;
  RecordingDialogs dialogs;
  std::unique_ptr<TfrmZorvane> window;
};

TEST_F(FavoritesFromWindowTest, CtrlNAddsAFavouriteUnderItsQueryPort) {
  Start(false);
  AddByKey("127.0.0.1", "7777", "Flags");
  const TServer* server = window->Stash().Find("127.0.0.1:7778");
  ASSERT_TRUE(server);
  EXPECT_TRUE(server->Favorite);
  EXPECT_EQ(server->Description(), "Flags");
  EXPECT_EQ(server->Game(), "UT");
  EXPECT_EQ(window->FavoritesView()->SelectedServerKey(), "127.0.0.1:7778");
  EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(FavoritesFromWindowTest, SyncedAddLandsInTheUTFileAndNothingElseChanges) {
  Start(true);
  const QString path = UTFile();
  AddByKey("127.0.0.1", "7777", "Flags");
  QByteArray expected = kUTFile;
  expected.replace("FavoriteCount=0\r\n",
                   "FavoriteCount=1\r\nFavorites[0]=Flags\\127.0.0.1\\7778\\False\r\n");
  EXPECT_EQ(testing::Read(path), expected);
  EXPECT_TRUE(dialogs.information.isEmpty());  // silent
}

TEST_F(FavoritesFromWindowTest, AddressTypedWithItsPortIsSplitAndTrimmed) {
  Start(true);
  const QString path = UTFile();
  TkorvUTServerView* view = Favorites();
  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<TfrmServer*>(modal);
    ASSERT_TRUE(dialog);
    QTest::keyClicks(dialog->IPEdit()->Edit(), " 127.0.0.1:7777 ");
    QTest::keyClicks(dialog->DescriptionEdit()->Edit(), "Flags");
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    if (dialog->isVisible()) dialog->reject();  // refused
  });
  QTest::keyClick(view->ServerGrid(), Qt::Key_N, Qt::ControlModifier);
  EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('|').toStdString();
  const TServer* server = window->Stash().Find("127.0.0.1:7778");
  ASSERT_TRUE(server);
  EXPECT_EQ(server->IP(), "127.0.0.1");  // an address, not a name to look up
  EXPECT_TRUE(server->DNSName().isEmpty());
  EXPECT_TRUE(testing::Read(path).contains("Favorites[0]=Flags\\127.0.0.1\\7778\\False\r\n"));
}

TEST_F(FavoritesFromWindowTest, CtrlEMovesTheFavouriteAndItsEntry) {
  Start(true);
  const QString path = UTFile();
  AddByKey("127.0.0.1", "7777", "Flags");
  TkorvUTServerView* view = Favorites();
  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<TfrmServer*>(modal);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->windowTitle(), "Edit Favorite");
    EXPECT_EQ(dialog->PortEdit()->Text(), "7777");  // the game port
    EXPECT_EQ(dialog->GameBox()->Text(), "UT");
    dialog->PortEdit()->SetText("7790");
    dialog->DescriptionEdit()->SetText("Moved");
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
  });
  QTest::keyClick(view->ServerGrid(), Qt::Key_E, Qt::ControlModifier);
  EXPECT_FALSE(window->Stash().Find("127.0.0.1:7778"));
  const TServer* moved = window->Stash().Find("127.0.0.1:7791");
  ASSERT_TRUE(moved);
  EXPECT_EQ(moved->Description(), "Moved");
  EXPECT_EQ(moved->Port, 7791);
  EXPECT_EQ(view->SelectedServerKey(), "127.0.0.1:7791");
  const QByteArray written = testing::Read(path);
  EXPECT_TRUE(written.contains("Favorites[0]=Moved\\127.0.0.1\\7791\\False\r\n")) << written.data();
  EXPECT_FALSE(written.contains("7778"));
}

const QByteArray kFlagsEntry = "FavoriteCount=1\r\nFavorites[0]=Flags\\127.0.0.1\\7778\\False\r\n";

QByteArray UTFileWith(const QByteArray& entries) {
  return QByteArray(kUTFile).replace("FavoriteCount=0\r\n", entries);
}

TEST_F(FavoritesFromWindowTest, SyncedEditToAnotherGameMovesTheEntryBetweenTheirFiles) {
  Start(true);
  const QString ut = UTFile();
  const QString thievery = ThieveryFile();
  AddByKey("127.0.0.1", "7777", "Flags");  // the first game of version UT
  ASSERT_EQ(testing::Read(ut), UTFileWith(kFlagsEntry));
  InDialog(Qt::Key_E, [](TfrmServer* dialog) {
    EXPECT_EQ(dialog->GameBox()->Text(), "UT");
    dialog->GameBox()->SetText("Thievery");
  });
  EXPECT_EQ(window->Stash().Find("127.0.0.1:7778")->GameTypeName(), "Thievery");
  EXPECT_EQ(testing::Read(ut), kUTFile);  // not to come back at the next start
  EXPECT_EQ(testing::Read(thievery), UTFileWith(kFlagsEntry));
}

TEST_F(FavoritesFromWindowTest, TakenOverServerIsMirroredToTheGameChosenInTheDialog) {
  Start(true);
  const QString ut = UTFile();
  const QString thievery = ThieveryFile();
  TServerStash& stash = window->Stash();
  stash.AddServer("127.0.0.1", "7790", {}, false, "UT", "True", "Listed");
  stash.Find("127.0.0.1:7790")->SetGameType("CTFGame");  // a game type of UT
  InDialog(Qt::Key_N, [](TfrmServer* dialog) {
    dialog->IPEdit()->SetText("127.0.0.1");
    dialog->PortEdit()->SetText("7777");
    dialog->DescriptionEdit()->SetText("Flags");
    dialog->GameBox()->SetText("Thievery");
  });
  ASSERT_EQ(testing::Read(thievery), UTFileWith(kFlagsEntry));
  InDialog(Qt::Key_E, [](TfrmServer* dialog) { dialog->PortEdit()->SetText("7789"); });
  ASSERT_TRUE(stash.Find("127.0.0.1:7790")->Favorite);
  EXPECT_EQ(stash.Find("127.0.0.1:7790")->GameTypeName(), "Thievery");
  EXPECT_EQ(testing::Read(thievery),
            UTFileWith("FavoriteCount=1\r\nFavorites[0]=Flags\\127.0.0.1\\7790\\False\r\n"));
  EXPECT_EQ(testing::Read(ut), kUTFile);
}

TEST_F(FavoritesFromWindowTest, HiddenGameBoxLeavesTheAssociationAlone) {
  Start(false);
  const QString ut = UTFile();
  testing::Write(ut, UTFileWith(kFlagsEntry));
  QTest::keyClick(Favorites()->ServerGrid(), Qt::Key_I, Qt::ControlModifier);
  ASSERT_EQ(window->Stash().Find("127.0.0.1:7778")->GameTypeName(), "UT");
  InDialog(Qt::Key_E, [](TfrmServer* dialog) { dialog->DescriptionEdit()->SetText("Edited"); });
  EXPECT_EQ(window->Stash().Find("127.0.0.1:7778")->Description(), "Edited");
  EXPECT_EQ(window->Stash().Find("127.0.0.1:7778")->GameTypeName(), "UT");  // still imported
  AddByKey("127.0.0.1", "7779", "New");
  EXPECT_EQ(window->Stash().Find("127.0.0.1:7780")->GameTypeName(), "");  // none chosen
  EXPECT_EQ(testing::Read(ut), UTFileWith(kFlagsEntry));
}

TEST_F(FavoritesFromWindowTest, RefusedEditChangesNeitherAssociationNorFile) {
  Start(true);
  const QString ut = UTFile();
  ThieveryFile();
  AddByKey("127.0.0.1", "7777", "One");
  AddByKey("127.0.0.1", "7779", "Two");
  const QByteArray before = testing::Read(ut);
  ASSERT_TRUE(Favorites()->SelectServer("127.0.0.1:7780"));
  InDialog(Qt::Key_E, [](TfrmServer* dialog) {
    dialog->PortEdit()->SetText("7777");  // the other favourite's
    dialog->GameBox()->SetText("Thievery");
  });
  EXPECT_EQ(dialogs.errors.size(), 1);
  EXPECT_EQ(window->Stash().Find("127.0.0.1:7780")->GameTypeName(), "UT");
  InDialog(Qt::Key_E, [](TfrmServer* dialog) {
    dialog->PortEdit()->SetText("65535");  // no query port above it
    dialog->GameBox()->SetText("Thievery");
  });
  EXPECT_EQ(window->Stash().Find("127.0.0.1:7780")->GameTypeName(), "UT");
  EXPECT_EQ(testing::Read(ut), before);
}

TEST_F(FavoritesFromWindowTest, SyncedEditLeavesNoEntryOfTheOldAddressBehind) {
  Start(true);
  const QString ut = UTFile();
  testing::Write(ut, UTFileWith("FavoriteCount=3\r\nFavorites[0]=Flags\\127.0.0.1\\7778\\False\r\n"
                                "Favorites[1]=Other\\127.0.0.1\\7790\\True\r\n"
                                "Favorites[2]=Flags twice\\127.0.0.1\\7778\\False\r\n"));
  QTest::keyClick(Favorites()->ServerGrid(), Qt::Key_I, Qt::ControlModifier);
  ASSERT_TRUE(Favorites()->SelectServer("127.0.0.1:7778"));
  InDialog(Qt::Key_E, [](TfrmServer* dialog) { dialog->PortEdit()->SetText("7781"); });
  EXPECT_EQ(testing::Read(ut),
            UTFileWith("FavoriteCount=2\r\nFavorites[0]=Flags\\127.0.0.1\\7782\\False\r\n"
                       "Favorites[1]=Other\\127.0.0.1\\7790\\True\r\n"));
}

TEST_F(FavoritesFromWindowTest, EditOntoAnotherFavouriteIsRefused) {
  Start(false);
  AddByKey("127.0.0.1", "7777", "One");
  AddByKey("127.0.0.1", "7779", "Two");
  TkorvUTServerView* view = Favorites();
  ASSERT_TRUE(view->SelectServer("127.0.0.1:7780"));
  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<TfrmServer*>(modal);
    dialog->PortEdit()->SetText("7777");
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
  });
  QTest::keyClick(view->ServerGrid(), Qt::Key_E, Qt::ControlModifier);
  EXPECT_EQ(dialogs.errors, QStringList{"The IP of 127.0.0.1 is already in the favorite list. "
                                        "Could not update favorite."});
  EXPECT_TRUE(window->Stash().Find("127.0.0.1:7780"));
}

TEST_F(FavoritesFromWindowTest, CtrlDAndDeleteAskThenDropTheFavouriteAndItsEntry) {
  Start(true);
  const QString path = UTFile();
  AddByKey("127.0.0.1", "7777", "Flags");
  TkorvUTServerView* view = Favorites();
  const QString question = "Are you sure you want to delete this favorite?";
  dialogs.answerYes = false;
  QTest::keyClick(view->ServerGrid(), Qt::Key_D, Qt::ControlModifier);
  EXPECT_EQ(dialogs.questions, QStringList{question});
  EXPECT_TRUE(window->Stash().Find("127.0.0.1:7778")->Favorite);

  dialogs.answerYes = true;
  QTest::keyClick(view->ServerGrid(), Qt::Key_Delete);
  EXPECT_EQ(dialogs.questions, (QStringList{question, question}));
  const TServer* server = window->Stash().Find("127.0.0.1:7778");
  ASSERT_TRUE(server);  // it stays in the stash
  EXPECT_FALSE(server->Favorite);
  EXPECT_LT(view->FindServerRow("127.0.0.1:7778"), 0);
  EXPECT_EQ(testing::Read(path), kUTFile);  // the entry is gone again, the rest untouched
}

TEST_F(FavoritesFromWindowTest, DeleteWithoutConfirmationAsksNothing) {
  Start(false, "confirmServerDelete=0\n");
  AddByKey("127.0.0.1", "7777", "Flags");
  QTest::keyClick(Favorites()->ServerGrid(), Qt::Key_D, Qt::ControlModifier);
  EXPECT_TRUE(dialogs.questions.isEmpty());
  EXPECT_FALSE(window->Stash().Find("127.0.0.1:7778")->Favorite);
}

TEST_F(FavoritesFromWindowTest, F9MarksAListedServerOnce) {
  Start(false);
  TServerStash& stash = window->Stash();
  stash.AddServer("127.0.0.1", "7778", {}, false, "UT", "True", "Flags");
  stash.Find("127.0.0.1:7778")->SetGameType("CTFGame");
  TkorvUTServerView* ctf = window->View("CTFGame");
  window->Pages()->setCurrentWidget(ctf);
  ctf->PopulateServerGrid(true, true);
  ASSERT_TRUE(ctf->SelectServer("127.0.0.1:7778"));
  QTest::keyClick(ctf->ServerGrid(), Qt::Key_F9);
  EXPECT_TRUE(stash.Find("127.0.0.1:7778")->Favorite);
  EXPECT_GE(window->FavoritesView()->FindServerRow("127.0.0.1:7778"), 0);
  EXPECT_TRUE(dialogs.information.isEmpty());
  QTest::keyClick(ctf->ServerGrid(), Qt::Key_F9);
  EXPECT_EQ(dialogs.information, QStringList{"This server is already a favorite."});
}

TEST_F(FavoritesFromWindowTest, AListedServerAddedAsFavouriteKeepsTheTypedNameUntilDeleted) {
  Start(true);
  const QString ut = UTFile();
  TServerStash& stash = window->Stash();
  stash.AddServer("127.0.0.1", "7778", {}, false, "UT", "True", "Reported Name");
  stash.Find("127.0.0.1:7778")->SetGameType("CTFGame");
  TkorvUTServerView* ctf = window->View("CTFGame");
  ctf->PopulateServerGrid(true, true);
  ASSERT_GE(ctf->FindServerRow("127.0.0.1:7778"), 0);

  InDialog(Qt::Key_N, [](TfrmServer* dialog) {
    QTest::keyClicks(dialog->IPEdit()->Edit(), "127.0.0.1");
    QTest::keyClicks(dialog->PortEdit()->Edit(), "7777");
    QTest::keyClicks(dialog->DescriptionEdit()->Edit(), "My CTF");
    ASSERT_FALSE(dialog->AutoUpdateBox()->isChecked());
  });
  const TServer* server = stash.Find("127.0.0.1:7778");
  EXPECT_TRUE(server->Favorite);
  EXPECT_EQ(server->Description(), "My CTF");
  EXPECT_EQ(server->AutoUpdateDescription(), "False");
  TkorvUTServerView* favorites = Favorites();
  EXPECT_EQ(favorites->ServerGrid()->Cells(scServer, favorites->FindServerRow("127.0.0.1:7778")),
            "My CTF");
  EXPECT_EQ(testing::Read(ut),
            UTFileWith("FavoriteCount=1\r\nFavorites[0]=My CTF\\127.0.0.1\\7778\\False\r\n"));

  ASSERT_TRUE(favorites->SelectServer("127.0.0.1:7778"));
  QTest::keyClick(favorites->ServerGrid(), Qt::Key_Delete);
  EXPECT_FALSE(server->Favorite);
  EXPECT_EQ(server->Description(), "Reported Name");
  EXPECT_EQ(server->AutoUpdateDescription(), "True");
  EXPECT_EQ(ctf->ServerGrid()->Cells(scServer, ctf->FindServerRow("127.0.0.1:7778")),
            "Reported Name");
  EXPECT_EQ(testing::Read(ut), kUTFile);
}

TEST_F(FavoritesFromWindowTest, F9AsksTheGameOfAnUnknownGameTypeWhenSynced) {
  Start(true);
  TServerStash& stash = window->Stash();
  stash.AddServer("127.0.0.1", "7778", {}, false, "UT", "True", "Odd");
  stash.Find("127.0.0.1:7778")->SetGameType("NoSuchGame");
  TkorvUTServerView* other = window->View("Other");
  window->Pages()->setCurrentWidget(other);
  other->PopulateServerGrid(true, true);
  ASSERT_TRUE(other->SelectServer("127.0.0.1:7778"));
  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<TfrmServer*>(modal);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->windowTitle(), "Game Association");
    dialog->GameBox()->SetText("UT2004");
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
  });
  QTest::keyClick(other->ServerGrid(), Qt::Key_F9);
  const TServer* server = stash.Find("127.0.0.1:7778");
  EXPECT_TRUE(server->Favorite);
  EXPECT_EQ(server->GameTypeName(), "UT2004");
}

TEST_F(FavoritesFromWindowTest, CtrlIImportsTheOnlyGameFileAndCtrlRExportsBack) {
  Start(false);
  const QString path = UTFile();
  QByteArray withEntries = kUTFile;
  withEntries.replace("FavoriteCount=0\r\n",
                      "FavoriteCount=3\r\nFavorites[0]=One\\127.0.0.1\\7778\\True\r\n"
                      "Favorites[1]=Broken\\127.0.0.1\r\n"
                      "Favorites[2]=Two\\127.0.0.1\\7780\\False\r\n");
  testing::Write(path, withEntries);
  TkorvUTServerView* view = Favorites();
  QTest::keyClick(view->ServerGrid(), Qt::Key_I, Qt::ControlModifier);
  EXPECT_GE(view->FindServerRow("127.0.0.1:7778"), 0);
  EXPECT_GE(view->FindServerRow("127.0.0.1:7780"), 0);
  EXPECT_EQ(window->Stash().Find("127.0.0.1:7778")->GameTypeName(), "UT");
  EXPECT_TRUE(dialogs.errors.isEmpty());

  AddByKey("127.0.0.1", "7781", "Three");
  Favorites();
  QTest::keyClick(view->ServerGrid(), Qt::Key_R, Qt::ControlModifier);
  EXPECT_EQ(dialogs.information.last(),
            "1 favorite was successfully exported.\n2 were not exported because they are "
            "already in the file.")
      << dialogs.information.join('|').toStdString();
  EXPECT_TRUE(testing::Read(path).contains("\\127.0.0.1\\7782\\False\r\n"));
}

TEST_F(FavoritesFromWindowTest, CtrlTAsksForAMissingPathThenExportsTheCurrentFavourite) {
  Start(false);
  AddByKey("127.0.0.1", "7777", "Flags");
  window->Stash().Find("127.0.0.1:7778")->SetGameTypeName("UT");
  const QString path = dir.filePath("UnrealTournament.ini");
  testing::Write(path, kUTFile);
  TkorvUTServerView* view = Favorites();
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<TfrmGamePath*>(modal);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->windowTitle(), "Please enter the directory and file name");
    dialog->PathEdit()->SetText(path);
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
  });
  QTest::keyClick(view->ServerGrid(), Qt::Key_T, Qt::ControlModifier);
  EXPECT_EQ(dialogs.information, QStringList{"1 favorite was successfully exported."});
  EXPECT_TRUE(testing::Read(path).contains("Favorites[0]=Flags\\127.0.0.1\\7778\\False"));
}

TEST_F(FavoritesFromWindowTest, CancelInTheGameQuestionEndsImportAndExportUntouched) {
  struct Case {
    const char* name;
    int gamesWithPath;  // BunnyTrack (the first the dialog offers) and UT, or none
  };
  for (const Case& c : {Case{"two games with a path", 2}, Case{"no game with a path", 0}}) {
    SCOPED_TRACE(c.name);
    window.reset();
    dialogs = {};
    Start(false);
    AddByKey("127.0.0.1", "7777", "Flags");
    const QString utPath = dir.filePath("UnrealTournament.ini");
    const QString bunnyPath = dir.filePath("BunnyTrack.ini");
    QByteArray withEntry = kUTFile;
    withEntry.replace("FavoriteCount=0\r\n",
                      "FavoriteCount=1\r\nFavorites[0]=Home\\127.0.0.1\\7790\\True\r\n");
    for (const QString& path : {utPath, bunnyPath}) testing::Write(path, withEntry);
    if (c.gamesWithPath == 2) {
      window->Config().tables.FindPaths("UT")->FavoritesPath.Set(utPath);
      window->Config().tables.FindPaths("BunnyTrack")->FavoritesPath.Set(bunnyPath);
    }
    TkorvUTServerView* view = Favorites();
    testing::CancelEveryPathDialog cancel;
    QTest::keyClick(view->ServerGrid(), Qt::Key_R, Qt::ControlModifier);
    Favorites();
    QTest::keyClick(view->ServerGrid(), Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(cancel.titles.join(u"|").toStdString(),
              "Export to which UT directory?|Import from which UT directory?");
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('|').toStdString();
    EXPECT_TRUE(dialogs.information.isEmpty()) << dialogs.information.join('|').toStdString();
    EXPECT_FALSE(window->Stash().Find("127.0.0.1:7790"));  // nothing imported
    EXPECT_EQ(testing::Read(utPath), withEntry);
    EXPECT_EQ(testing::Read(bunnyPath), withEntry);
  }
}

TEST_F(FavoritesFromWindowTest, CancelInThePathQuestionEndsTheExportOfOne) {
  Start(false);
  AddByKey("127.0.0.1", "7777", "Flags");
  window->Stash().Find("127.0.0.1:7778")->SetGameTypeName("UT");
  TkorvUTServerView* view = Favorites();
  testing::CancelEveryPathDialog cancel;
  QTest::keyClick(view->ServerGrid(), Qt::Key_T, Qt::ControlModifier);
  EXPECT_EQ(cancel.titles.join(u"|").toStdString(), "Please enter the directory and file name");
  EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('|').toStdString();
  EXPECT_TRUE(dialogs.information.isEmpty());
}

// With favourites kept in sync the game's favourites are in the list at the next start.
TEST_F(FavoritesFromWindowTest, SyncedStartImportsEveryGameFileSilently) {
  Start(true);
  window.reset();
  const QString path = dir.filePath("UnrealTournament.ini");
  QByteArray withEntry = kUTFile;
  withEntry.replace("FavoriteCount=0\r\n",
                    "FavoriteCount=1\r\nFavorites[0]=Home\\127.0.0.1\\7778\\True\r\n");
  testing::Write(path, withEntry);
  TIniDocument types(dir.filePath("utGameType.ini"));
  ASSERT_TRUE(types.Load());
  types.WriteString("gameUT", "gameFavoritesPath", path);
  ASSERT_TRUE(types.UpdateFile());
  Start(true);
  const TServer* server = window->Stash().Find("127.0.0.1:7778");
  ASSERT_TRUE(server);
  EXPECT_TRUE(server->Favorite);
  EXPECT_GE(window->FavoritesView()->FindServerRow("127.0.0.1:7778"), 0);
  EXPECT_TRUE(dialogs.information.isEmpty());
  EXPECT_EQ(testing::Read(path), withEntry);
}

TEST_F(FavoritesFromWindowTest, MovedGameFileOffersItsImport) {
  Start(false);
  const QString path = dir.filePath("UnrealTournament.ini");
  QByteArray withEntry = kUTFile;
  withEntry.replace("FavoriteCount=0\r\n",
                    "FavoriteCount=1\r\nFavorites[0]=Home\\127.0.0.1\\7778\\True\r\n");
  testing::Write(path, withEntry);
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<TfrmGamePath*>(modal);
    ASSERT_TRUE(dialog);
    dialog->SelectGame("UT");
    dialog->PathEdit()->SetText(path);
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
  });
  window->FindWindowAction("miGameINIs")->trigger();
  EXPECT_EQ(dialogs.questions,
            QStringList{"Would you like to import the favorites from the new location(s)?"});
  EXPECT_GE(window->FavoritesView()->FindServerRow("127.0.0.1:7778"), 0);
}

}  // namespace
}  // namespace zorvane
