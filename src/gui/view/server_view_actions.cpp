// SPDX-License-Identifier: GPL-2.0-or-later
// The server view's commands: its named actions, the context menus of its three grids bound
// to them, and what the menus show for the row they open on.
#include "gui/controls/menu_text.h"
#include "gui/view/server_view.h"

#include <QApplication>
#include <QClipboard>

#include "browse/server_rows.h"
#include "gui/grid/string_grid.h"

namespace zorvane {

QAction* TkorvUTServerView::AddAction(const char* name, const char* caption,
                                      const QKeySequence& shortcut, const char* category) {
  auto* action = new QAction(QString::fromLatin1(caption), this);
  action->setObjectName(QString::fromLatin1(name));
  action->setShortcut(shortcut);
  // Every view has the same shortcuts: the main window's menu items, bound to the current
  // view's actions, answer the keys.
  action->setShortcutContext(Qt::WidgetShortcut);
  action->setProperty("category", QString::fromLatin1(category));
  action->setProperty("captionTemplate", QString::fromLatin1(caption));
  addAction(action);
  actions_.push_back(action);
  return action;
}

void TkorvUTServerView::CreateActions() {
  const auto on = [this](QAction* action, auto&& slot) {
    connect(action, &QAction::triggered, this, slot);
  };
  on(AddAction("actRefreshServerGrid", "Ping Generic Server List", Qt::Key_F5, "serverView"),
     [this] { cycle_.RefreshServerList(); });
  on(AddAction("actRefreshServer", "Ping Generic Server", Qt::CTRL | Qt::Key_F5, "serverView"),
     [this] { cycle_.RefreshSelectedServer(); });
  on(AddAction("actQuickSearch", "Quick Search", Qt::CTRL | Qt::Key_L, "search"),
     [this] { FocusSearchBox(); });
  on(AddAction("actDeleteServer", "Delete Generic Server", {}, "serverView"),
     [this] { DeleteSelectedServer(); });
  on(AddAction("actJoinServer", "Join Generic Server", Qt::CTRL | Qt::Key_J, "serverView"),
     [this] { JoinSelectedServer(); });
  // Enter on a server row joins it, as a double click does. Only the grid answers the key, so
  // Enter in the search box or a filter box stays theirs.
  QAction* enter = AddAction("actJoinServerOnEnter", "Join Generic Server", {}, "serverView");
  enter->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
  removeAction(enter);
  serverGrid_->addAction(enter);
  on(enter, [this] { JoinSelectedServer(); });
  on(AddAction("actCopyServer", "Copy To Clipboard", {}, "server"), [this] {
    if (serverGrid_->IsValidRow())
      QApplication::clipboard()->setText(CurrentCell(serverGrid_, scServer));
  });
  on(AddAction("actAddMapToMonitor", "Add Map To Map Monitor", {}, "server"), [this] {
    const QString map = CurrentCell(serverGrid_, scMap);
    if (!map.isEmpty())
      Q_EMIT OnAddMapToMonitor(map, CurrentCell(serverGrid_, scIP),
                               CurrentCell(serverGrid_, scServer), CurrentGameType());
  });
  on(AddAction("actCopyServerSetting", "Copy Setting Value To Clipboard", {}, "setting"), [this] {
    if (settingGrid_->IsValidRow())
      QApplication::clipboard()->setText(CurrentCell(settingGrid_, stValue));
  });
  on(AddAction("actCopyPlayer", "Copy Player To Clipboard", {}, "player"), [this] {
    if (playerGrid_->IsValidRow())
      QApplication::clipboard()->setText(CurrentCell(playerGrid_, pcPlayer));
  });
  on(AddAction("actAddServerPlayerToPlayerMonitor", "Add Player To Player Monitor", Qt::Key_F6,
               "player"),
     [this] {
       const QString player = CurrentCell(playerGrid_, pcPlayer);
       if (!player.isEmpty())
         Q_EMIT OnAddPlayerToMonitor(player, CurrentCell(serverGrid_, scIP),
                                     CurrentCell(serverGrid_, scServer), CurrentGameType());
     });
  // The favourites commands; what they do belongs to the favourites exchange.
  AddAction("actImportFavorites", "Import Favorites", Qt::CTRL | Qt::Key_I, "favorite");
  AddAction("actExportFavorites", "Export Favorites", Qt::CTRL | Qt::Key_R, "favorite");
  AddAction("actExportFavorite", "Export Favorite", Qt::CTRL | Qt::Key_T, "favorite");
  AddAction("actAddFavorite", "Add Favorite...", Qt::CTRL | Qt::Key_N, "favorite");
  AddAction("actEditFavorite", "Edit Favorite...", Qt::CTRL | Qt::Key_E, "favorite");
  AddAction("actDeleteFavorite", "Delete Favorite", Qt::CTRL | Qt::Key_D, "favorite");
  AddAction("actAddServerToFavorites", "Add Generic Server To Favorites", Qt::Key_F9, "serverView");
}

QAction* TkorvUTServerView::MenuItem(QMenu* menu, const char* name, QAction* action) {
  QAction* item = action ? new QAction(action->text(), menu) : new QAction(menu);
  item->setObjectName(QString::fromLatin1(name));
  if (!action) {
    item->setSeparator(true);
  } else {
    item->setProperty("boundAction", QVariant::fromValue(static_cast<QObject*>(action)));
    item->setShortcut(action->shortcut());
    item->setShortcutContext(Qt::WidgetShortcut);  // the view's action answers the keys
    item->setVisible(action->isVisible());
    connect(item, &QAction::triggered, action, &QAction::trigger);
    connect(action, &QAction::changed, item, [item, action] {
      item->setText(action->text());
      item->setVisible(action->isVisible());
      item->setEnabled(action->isEnabled());
    });
  }
  menu->addAction(item);
  return item;
}

void TkorvUTServerView::CreateMenus() {
  const auto act = [this](const char* name) { return FindViewAction(QString::fromLatin1(name)); };
  MenuItem(serverMenu_, "pmiRefreshServer", act("actRefreshServer"));
  MenuItem(serverMenu_, "pmiDeleteServer", act("actDeleteServer"));
  MenuItem(serverMenu_, "pmiSeparator0", nullptr);
  MenuItem(serverMenu_, "pmiJoinServer", act("actJoinServer"));
  MenuItem(serverMenu_, "pmiCopyServer", act("actCopyServer"));
  MenuItem(serverMenu_, "pmiSeparator3", nullptr);
  MenuItem(serverMenu_, "pmiAddMapToMonitor", act("actAddMapToMonitor"));
  MenuItem(serverMenu_, "pmiSeparator1", nullptr);
  MenuItem(serverMenu_, "pmiAddFavorite", act("actAddFavorite"));
  MenuItem(serverMenu_, "pmiEditFavorite", act("actEditFavorite"));
  MenuItem(serverMenu_, "pmiDeleteFavorite", act("actDeleteFavorite"));
  MenuItem(serverMenu_, "pmiExportFavorite", act("actExportFavorite"));
  MenuItem(serverMenu_, "pmiSeparator2", nullptr);
  MenuItem(serverMenu_, "pmiImportFavorites", act("actImportFavorites"));
  MenuItem(serverMenu_, "pmiExportFavorites", act("actExportFavorites"));
  MenuItem(serverMenu_, "pmiAddServerToFavorites", act("actAddServerToFavorites"));
  MenuItem(playerMenu_, "pmiAddServerPlayerToPlayerMonitor",
           act("actAddServerPlayerToPlayerMonitor"));
  MenuItem(playerMenu_, "pmiSeparator0", nullptr);
  MenuItem(playerMenu_, "pmiCopyPlayer", act("actCopyPlayer"));
  MenuItem(settingMenu_, "pmiCopySettingValueToClipboard", act("actCopyServerSetting"));
}

QAction* TkorvUTServerView::FindViewAction(const QString& name) const {
  for (QAction* action : actions_)
    if (action->objectName() == name) return action;
  return nullptr;
}

void TkorvUTServerView::SetIsFavorite(bool on) {
  isFavorite_ = on;
  for (const char* name : {"actAddFavorite", "actEditFavorite", "actDeleteFavorite",
                           "actImportFavorites", "actExportFavorites", "actExportFavorite"})
    FindViewAction(QString::fromLatin1(name))->setVisible(on);
  for (const char* name : {"actDeleteServer", "actAddServerToFavorites"})
    FindViewAction(QString::fromLatin1(name))->setVisible(!on);
}

void TkorvUTServerView::SetTitle(const QString& title) {
  title_ = title;
  UpdateActionCaptions();
}

void TkorvUTServerView::UpdateActionCaptions() {
  const QString plain = PlainTitle(title_);
  for (QAction* action : actions_) {
    if (action->property("category").toString() != u"serverView") continue;
    action->setText(
        action->property("captionTemplate").toString().replace(QStringLiteral("Generic"), plain));
  }
}

void TkorvUTServerView::ServerMenuOpening(int) {
  const bool none = NoServerSelected();
  for (const char* name : {"pmiRefreshServer", "pmiJoinServer", "pmiEditFavorite",
                           "pmiDeleteFavorite", "pmiDeleteServer", "pmiAddServerToFavorites"})
    if (none)
      if (QAction* item = serverMenu_->findChild<QAction*>(QString::fromLatin1(name)))
        item->setVisible(false);
}

void TkorvUTServerView::PlayerMenuOpening(int) {
  if (!playerGrid_->IsValidRow()) return;
  const QString name = playerGrid_->Cells(pcPlayer, playerGrid_->Row());
  auto* add = playerMenu_->findChild<QAction*>(QStringLiteral("pmiAddServerPlayerToPlayerMonitor"));
  auto* copy = playerMenu_->findChild<QAction*>(QStringLiteral("pmiCopyPlayer"));
  add->setText(QStringLiteral("Add ") + MenuLiteral(name) + QStringLiteral(" To Player Monitor"));
  copy->setText(QStringLiteral("Copy ") + MenuLiteral(name) + QStringLiteral(" To Clipboard"));
  add->setVisible(!name.isEmpty());
  copy->setVisible(!name.isEmpty());
}

void TkorvUTServerView::SettingMenuOpening(int) {
  const int row = settingGrid_->Row();
  if (row < settingGrid_->FixedRows() || row >= settingGrid_->RowCount()) return;
  const QString name = settingGrid_->Cells(stName, row);
  auto* copy = settingMenu_->findChild<QAction*>(QStringLiteral("pmiCopySettingValueToClipboard"));
  copy->setText(QStringLiteral("Copy ") + MenuLiteral(name) +
                QStringLiteral(" Value To Clipboard"));
  copy->setVisible(!name.isEmpty());
}

void TkorvUTServerView::MenuClosed(QMenu* menu) {
  for (QAction* item : menu->actions()) {
    auto* action = qobject_cast<QAction*>(item->property("boundAction").value<QObject*>());
    if (!action) {
      item->setVisible(true);
    } else {
      item->setText(action->text());
      if (action->isVisible()) item->setVisible(true);
    }
  }
}

}  // namespace zorvane
