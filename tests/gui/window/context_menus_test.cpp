// SPDX-License-Identifier: GPL-2.0-or-later
// The window's context menus, opened by right clicks as the platform delivers them: a menu
// may hide or rename shared commands for the row it opens on, but once it has closed every
// key of the window works as before.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <set>

#include "gui/grid/string_grid.h"
#include "gui/window/join_controller.h"
#include "gui/window/main_window.h"
#include "support/fake_server.h"
#include "support/recording_dialogs.h"
#include "support/shown_window.h"

namespace zorvane {
namespace {

// Right-clicks at (a point of) widget through its window, so the press and the context-menu
// event come as from the platform, and closes the menu that opens with Esc. Returns that menu.
QMenu* RightClickAndClose(QWidget* widget, QPoint at) {
  QPointer<QMenu> opened;
  QTimer close;
  close.setInterval(5);
  QObject::connect(&close, &QTimer::timeout, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu || !menu->isVisible()) return;
    opened = menu;
    close.stop();
    QTest::keyClick(menu, Qt::Key_Escape);
  });
  close.start();
  QWidget* top = widget->window();
  QTest::mouseClick(top->windowHandle(), Qt::RightButton, {}, widget->mapTo(top, at));
  // The offscreen platform leaves its focus on the closed menu's window; a desktop gives it
  // back to the window.
  top->activateWindow();
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        return !QApplication::activePopupWidget() &&
               QGuiApplication::focusWindow() == top->windowHandle();
      },
      2000));
  return opened;
}

// The first data row's first shown cell, in the grid's viewport.
QPoint FirstRowPoint(const TkorvStringGrid* grid) {
  int col = 0;
  while (col < grid->ColCount() - 1 && grid->isColumnHidden(col)) ++col;
  return grid->visualRect(grid->model()->index(0, col)).center();
}

TEST(ContextMenusTest, EveryKeyStillWorksAfterEveryContextMenuWasOpenedAndClosed) {
  QTemporaryDir dir;
  testing::RecordingDialogs dialogs;
  auto window = testing::ShownWindow(
      dir.path(),
      "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\nqueryPower=0\n"
      "autoPingServer=0\nlanAddresses=127.0.0.1\nlanSearchWait=100\nmasterServer=127.0.0.1:" +
          QByteArray::number(testing::ClosedPort()) + "\n",
      dialogs);
  window->Joining().SetAskGamePath([](const QString&) { return false; });

  // The keys that work now, whatever the page: the window's and the current view's.
  std::vector<QAction*> live;
  for (QAction* action : window->actions())
    if (!action->shortcut().isEmpty() && action->isVisible() && action->isEnabled())
      live.push_back(action);
  std::set<QString> names;
  for (QAction* action : live) names.insert(action->objectName());
  for (const char* name : {"actJoinPlayer", "actDeletePlayerMonitorPlayer", "actExportPlayer",
                           "miRefreshServerGrid", "actMasterServerQuery"})
    ASSERT_TRUE(names.count(name)) << name;

  // Every grid on every page, on its first row (empty lists: the menus hide what needs a row),
  // and the tool bar's menu.
  std::set<QMenu*> opened;
  QTabWidget* pages = window->Pages();
  const int startPage = pages->currentIndex();
  for (int page = 0; page < pages->count(); ++page) {
    pages->setCurrentIndex(page);
    for (TkorvStringGrid* grid : pages->widget(page)->findChildren<TkorvStringGrid*>()) {
      if (!grid->isVisible()) continue;
      QMenu* menu = RightClickAndClose(grid->viewport(), FirstRowPoint(grid));
      EXPECT_EQ(menu, grid->PopupMenu())
          << grid->objectName().toStdString() << " on page " << pages->tabText(page).toStdString();
      opened.insert(menu);
    }
  }
  auto* toolBar = window->findChild<QToolBar*>("tlbMain");
  opened.insert(RightClickAndClose(toolBar, toolBar->rect().bottomRight() - QPoint(2, 2)));
  for (const char* name : {"popPlayerMonitor", "popMapMonitor"})
    EXPECT_TRUE(opened.count(window->findChild<QMenu*>(name))) << name;
  TkorvUTServerView* favorites = window->FavoritesView();
  for (QMenu* menu : {favorites->ServerMenu(), favorites->PlayerMenu(), favorites->SettingMenu()})
    EXPECT_TRUE(opened.count(menu));
  EXPECT_EQ(window->FindWindowAction("actDeletePlayerMonitorPlayer")->text(), "Delete Player");

  // The commands' dialogs are cancelled as soon as they are up.
  QTimer cancelDialogs;
  QObject::connect(&cancelDialogs, &QTimer::timeout, [] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
  });
  cancelDialogs.start(5);
  pages->setCurrentIndex(startPage);  // the same current view as before
  for (QAction* action : live) {
    QSignalSpy triggered(action, &QAction::triggered);
    window->activateWindow();  // a cancelled dialog leaves no window active offscreen
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const QKeyCombination key = action->shortcut()[0];
    QTest::keyClick(window.get(), key.key(), key.keyboardModifiers());
    EXPECT_EQ(triggered.count(), 1) << action->objectName().toStdString() << " ("
                                    << action->shortcut().toString().toStdString() << ")";
  }
}

}  // namespace
}  // namespace zorvane
