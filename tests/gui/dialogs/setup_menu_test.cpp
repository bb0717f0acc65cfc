// SPDX-License-Identifier: GPL-2.0-or-later
// The set-up commands of the main window's System and Tools menus, driven through the menus.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "gui/controls/korv_combobox.h"
#include "gui/controls/korv_edit.h"
#include "gui/dialogs/filters_dialog.h"
#include "gui/dialogs/game_list_dialogs.h"
#include "gui/view/filter_panel.h"
#include "gui/view/server_view.h"
#include "gui/view/status_line.h"
#include "gui/window/main_window.h"
#include "support/recording_dialogs.h"
#include "support/shown_window.h"

namespace zorvane {
namespace {

using testing::RecordingDialogs;
using testing::WhenModal;

QAction* MenuItem(QMainWindow& window, const QString& menu, const QString& caption) {
  for (QAction* top : window.menuBar()->actions()) {
    if (top->text() != menu || !top->menu()) continue;
    for (QAction* item : top->menu()->actions())
      if (item->text() == caption) return item;
  }
  return nullptr;
}

QStringList TabTexts(const TfrmZorvane& window) {
  QStringList tabs;
  for (int i = 0; i < window.Pages()->count(); ++i) tabs << window.Pages()->tabText(i);
  return tabs;
}

class SetupMenuTest : public ::testing::Test {
 protected:
  std::unique_ptr<TfrmZorvane> Start() { return testing::OpenWindow(dir.path(), dialogs); }
  QTemporaryDir dir;
  RecordingDialogs dialogs;
};

TEST_F(SetupMenuTest, SystemMenuHoldsTheSetupItemsAndEachOpensItsDialog) {
  auto window = Start();
  QStringList items;
  for (QAction* top : window->menuBar()->actions())
    if (top->text() == "S&ystem")
      for (QAction* item : top->menu()->actions())
        items << (item->isSeparator() ? "-" : item->text());
  EXPECT_EQ(items, (QStringList{"Local Port...", "Game Exes...", "Game INIs...", "User INIs...",
                                "Find Installed Games...", "-", "Games...", "Game Types...", "-",
                                "E&xit"}));
  const std::pair<const char*, const char*> cases[] = {
      {"Local Port...", "Local Port"},
      {"Game Exes...", "Set Path and  Game Exe"},
      {"Game INIs...", "Set Path and  Game ini"},
      {"User INIs...", "Set Path and  User ini"},
      {"Find Installed Games...", "Installed Games"},  // even with nothing found
      {"Games...", "Game Management"},
      {"Game Types...", "Game Type Management"},
  };
  for (const auto& [caption, title] : cases) {
    SCOPED_TRACE(caption);
    QAction* item = MenuItem(*window, "S&ystem", caption);
    ASSERT_TRUE(item);
    QString opened;
    WhenModal([&](QWidget* modal) {
      opened = modal->windowTitle();
      qobject_cast<QDialog*>(modal)->reject();
    });
    item->trigger();
    EXPECT_EQ(opened, title);
  }
  QAction* tabs = MenuItem(*window, "&Tools", "Tabs...");
  ASSERT_TRUE(tabs);
  QString opened;
  WhenModal([&](QWidget* modal) {
    opened = modal->windowTitle();
    qobject_cast<QDialog*>(modal)->reject();
  });
  tabs->trigger();
  EXPECT_EQ(opened, "Use These Tabs");
  EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(SetupMenuTest, TabsDialogShowsAndHidesTabs) {
  auto window = Start();
  const auto choose = [&](const QStringList& tick, const QStringList& untick) {
    WhenModal([=](QWidget* modal) {
      auto* dialog = qobject_cast<TfrmFilters*>(modal);
      ASSERT_TRUE(dialog);
      EXPECT_EQ(dialog->BoxCount(), 29);  // every type but "Favorite", "LAN" among them
      EXPECT_EQ(dialog->BoxAt(0)->text(), "Other");
      for (const QString& name : tick + untick) {
        QCheckBox* box = dialog->BoxFor(name);
        ASSERT_TRUE(box);
        EXPECT_EQ(box->isChecked(), untick.contains(name));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
      }
      QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    });
    MenuItem(*window, "&Tools", "Tabs...")->trigger();
  };
  // A hidden tab's view is made when the tab is first shown, with the servers of its type
  // and the layout the others have now.
  EXPECT_FALSE(window->View("xCTFGame"));
  window->Stash().AddServer("127.0.0.1", "7778", {}, false, "UT2004", "True", "Flags");
  window->Stash().Find("127.0.0.1:7778")->SetGameType("xCTFGame");
  window->FavoritesView()->SetGridSort(gtServer, 3, TSortDirection::Descending);
  choose({"xCTFGame"}, {"CTFGame"});
  TkorvUTServerView* made = window->View("xCTFGame");
  ASSERT_TRUE(made);
  EXPECT_GE(made->FindServerRow("127.0.0.1:7778"), 0);
  EXPECT_EQ(made->GridSortCol(gtServer), 3);
  EXPECT_EQ(made->StatusLine()->PanelText(1), QString(" Version ") + kVersionStamp);
  // Shown when brought to the front, not under the page in front.
  window->show();
  EXPECT_FALSE(made->isVisible());
  window->Pages()->setCurrentWidget(made);
  EXPECT_TRUE(made->isVisible());
  EXPECT_EQ(TabTexts(*window),
            (QStringList{"Other", "2K4 CTF", "Last Man", "Assault", "Team DM", "Domination",
                         "Death Match", "Favorites", "LAN", "Player Monitor", "Map Monitor"}));
  EXPECT_TRUE(window->Config().tables.FindGameType("xCTFGame")->TabVisible);
  EXPECT_FALSE(window->View("CTFGame")->IsOnPage());
  ASSERT_EQ(dialogs.information.size(), 1);
  EXPECT_TRUE(dialogs.information[0].startsWith("To get the newly visible tab(s) to properly"));

  choose({}, {"xCTFGame", "Other", "LAN"});  // hiding alone says nothing
  EXPECT_EQ(TabTexts(*window).first(), "Last Man");
  EXPECT_FALSE(TabTexts(*window).contains("LAN"));
  EXPECT_FALSE(window->Config().tables.FindGameType("LAN")->TabVisible);
  EXPECT_EQ(dialogs.information.size(), 1);
}

TEST_F(SetupMenuTest, NewGameTypeGetsAViewLikeTheFavoritesAndARenameMovesIt) {
  auto window = Start();
  window->FavoritesView()->SetGridSort(gtServer, 3, TSortDirection::Descending);
  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<TfrmGameTypes*>(modal);
    ASSERT_TRUE(dialog);
    QTest::mouseClick(dialog->NewButton(), Qt::LeftButton);
    dialog->GameTypeEdit()->SetText("JailBreak");
    dialog->TabTitleEdit()->SetText("Jail");
    dialog->GameBox()->SetText("UT");
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
  });
  MenuItem(*window, "S&ystem", "Game Types...")->trigger();
  TkorvUTServerView* jail = window->View("JailBreak");
  ASSERT_TRUE(jail);
  EXPECT_EQ(jail->GridSortCol(gtServer), 3);
  EXPECT_EQ(jail->GridSortDirection(gtServer), TSortDirection::Descending);
  EXPECT_EQ(TabTexts(*window).indexOf("Jail"), TabTexts(*window).indexOf("Favorites") - 1);

  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<TfrmGameTypes*>(modal);
    ASSERT_TRUE(dialog);
    dialog->List()->setCurrentRow(dialog->List()->count() - 1);
    dialog->GameTypeEdit()->SetText("JailBreakII");
    dialog->TabTitleEdit()->SetText("Jail II");
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
  });
  MenuItem(*window, "S&ystem", "Game Types...")->trigger();
  EXPECT_EQ(window->View("JailBreakII"), jail);
  EXPECT_FALSE(window->View("JailBreak"));
  EXPECT_EQ(jail->GameType(), "JailBreakII");
  EXPECT_TRUE(TabTexts(*window).contains("Jail II"));

  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<TfrmGameTypes*>(modal);
    dialog->List()->setCurrentRow(dialog->List()->count() - 1);
    QTest::mouseClick(dialog->DeleteButton(), Qt::LeftButton);
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
  });
  MenuItem(*window, "S&ystem", "Game Types...")->trigger();
  EXPECT_FALSE(window->View("JailBreakII"));
  EXPECT_FALSE(TabTexts(*window).contains("Jail II"));
}

// Selects the list's entry by a click, types name into the name field and presses Update.
void RenameEntry(TfrmGameListBase* dialog, TkorvEdit* nameEdit, const QString& from,
                 const QString& to) {
  const auto items = dialog->List()->findItems(from, Qt::MatchExactly);
  ASSERT_EQ(items.size(), 1) << from.toStdString();
  dialog->List()->scrollToItem(items[0]);
  QTest::mouseClick(dialog->List()->viewport(), Qt::LeftButton, {},
                    dialog->List()->visualItemRect(items[0]).center());
  ASSERT_EQ(nameEdit->Text(), from);
  QTest::keyClick(nameEdit->Edit(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(nameEdit->Edit(), to);
  QTest::mouseClick(dialog->UpdateButton(), Qt::LeftButton);
}

TEST_F(SetupMenuTest, GameTypesSwappedInOneOpeningKeepOneViewEach) {
  auto window = Start();
  window->Stash().AddServer("127.0.0.1", "7778", {}, false, "UT", "True", "Flags");
  window->Stash().Find("127.0.0.1:7778")->SetGameType("CTFGame");
  TkorvUTServerView* ctf = window->View("CTFGame");
  TkorvUTServerView* dm = window->View("DeathMatchPlus");
  const QStringList tabs = TabTexts(*window);
  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<TfrmGameTypes*>(modal);
    ASSERT_TRUE(dialog);
    RenameEntry(dialog, dialog->GameTypeEdit(), "CTFGame", "Swap");
    RenameEntry(dialog, dialog->GameTypeEdit(), "DeathMatchPlus", "CTFGame");
    RenameEntry(dialog, dialog->GameTypeEdit(), "Swap", "DeathMatchPlus");
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
  });
  MenuItem(*window, "S&ystem", "Game Types...")->trigger();
  // Each view follows its own type to the other name, with its title.
  EXPECT_EQ(window->View("CTFGame"), dm);
  EXPECT_EQ(window->View("DeathMatchPlus"), ctf);
  EXPECT_EQ(dm->GameType(), "CTFGame");
  EXPECT_EQ(dm->Title(), "Death Match");
  EXPECT_EQ(ctf->GameType(), "DeathMatchPlus");
  EXPECT_EQ(TabTexts(*window), tabs);
  // Every tab is a view the window knows under its game type: none is left behind.
  for (int i = 0; i < window->Pages()->count(); ++i) {
    if (auto* view = qobject_cast<TkorvUTServerView*>(window->Pages()->widget(i))) {
      EXPECT_EQ(window->View(view->GameType()), view) << view->GameType().toStdString();
    }
  }
  // The view of the name "CTFGame" lists the CTFGame server now.
  EXPECT_GE(dm->FindServerRow("127.0.0.1:7778"), 0);
  EXPECT_LT(ctf->FindServerRow("127.0.0.1:7778"), 0);
}

TEST_F(SetupMenuTest, AHiddenTypeRenamedBeforeItsViewIsMadeKeepsItsFilters) {
  auto window = Start();
  ASSERT_FALSE(window->View("xCTFGame"));
  window->Config().settings.FiltersOf("xCTFGame").values[kPlayersFilter] = "> 0";
  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<TfrmGameTypes*>(modal);
    ASSERT_TRUE(dialog);
    RenameEntry(dialog, dialog->GameTypeEdit(), "xCTFGame", "xCTFGame2");
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
  });
  MenuItem(*window, "S&ystem", "Game Types...")->trigger();
  EXPECT_FALSE(window->View("xCTFGame2"));
  EXPECT_EQ(window->Config().settings.FiltersOf("xCTFGame2").values[kPlayersFilter], "> 0");
  EXPECT_EQ(window->EnsureView("xCTFGame2")->FilterPanel()->FilterText(kPlayersFilter), "> 0");
}

TEST_F(SetupMenuTest, GameDeletedAndItsNameGivenToAnotherMovesEachAssociationOnce) {
  auto window = Start();
  TGameTables& tables = window->Config().tables;
  window->Stash().AddServer("127.0.0.1", "7778", "Thievery", true, "UT", "True", "Thief");
  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<TfrmGames*>(modal);
    ASSERT_TRUE(dialog);
    const auto ut = dialog->List()->findItems("UT", Qt::MatchExactly);
    ASSERT_EQ(ut.size(), 1);
    QTest::mouseClick(dialog->List()->viewport(), Qt::LeftButton, {},
                      dialog->List()->visualItemRect(ut[0]).center());
    QTest::mouseClick(dialog->DeleteButton(), Qt::LeftButton);
    RenameEntry(dialog, dialog->GameEdit(), "Thievery", "UT");
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
  });
  MenuItem(*window, "S&ystem", "Games...")->trigger();
  EXPECT_EQ(tables.FindGameType("ThieveryThiefMatch")->Game.Value, "UT");
  EXPECT_EQ(tables.FindGameType("CTFGame")->Game.Value, "");
  EXPECT_EQ(window->Stash().Find("127.0.0.1:7778")->GameTypeName(), "UT");
}

TEST_F(SetupMenuTest, LocalPortReachesTheStash) {
  auto window = Start();
  WhenModal([](QWidget* modal) {
    auto* edit = modal->findChild<TkorvEdit*>("edtEdit");
    ASSERT_TRUE(edit);
    edit->SetText("7790");
    QTest::mouseClick(modal->findChild<QPushButton*>("btnOK"), Qt::LeftButton);
  });
  MenuItem(*window, "S&ystem", "Local Port...")->trigger();
  EXPECT_EQ(window->Stash().LocalPort, 7790);
  EXPECT_EQ(window->Config().settings.localPort, 7790);
}

}  // namespace
}  // namespace zorvane
