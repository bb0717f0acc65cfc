// SPDX-License-Identifier: GPL-2.0-or-later
// The window's side of the player and map monitors, of Find Player / Find Server and of the
// buddy exchange: menus, dialogs, boxes and the reply hook. The rows themselves are kept by
// TPlayerMonitor and TMapMonitor, which write straight into the grids' cells.
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "browse/buddy_exchange.h"
#include "browse/favorites_exchange.h"
#include "browse/map_monitor.h"
#include "browse/monitor_cells.h"
#include "browse/player_monitor.h"
#include "browse/server_rows.h"
#include "gui/controls/menu_text.h"
#include "gui/dialogs/game_path_dialog.h"
#include "gui/dialogs/single_edit_dialog.h"
#include "gui/grid/string_grid.h"
#include "gui/window/main_window.h"

namespace zorvane {

namespace {

// The grid sorts when its monitor asks, keeping the given row current.
void SortOnRequest(QObject* context, TkorvStringGrid* grid, auto signal, auto* monitor) {
  QObject::connect(monitor, signal, context, [grid](int currentRow) {
    if (currentRow >= 0) grid->SetRow(currentRow);
    grid->SortGrid(false);
  });
}

QString CurrentCell(const TkorvStringGrid* grid, int col) {
  return grid->IsValidRow() ? grid->Cells(col, grid->Row()) : QString();
}

}  // namespace

void TfrmZorvane::CreateMonitors() {
  playerMonitor_ = std::make_unique<TPlayerMonitor>(stash_, grdPlayerMonitor_->Model());
  mapMonitor_ = std::make_unique<TMapMonitor>(stash_, grdMapMonitor_->Model());
  SortOnRequest(this, grdPlayerMonitor_, &TPlayerMonitor::OnSortWanted, playerMonitor_.get());
  SortOnRequest(this, grdMapMonitor_, &TMapMonitor::OnSortWanted, mapMonitor_.get());
  connect(grdPlayerMonitor_, &TkorvStringGrid::OnKeyUp, this,
          [this](int key, Qt::KeyboardModifiers modifiers) {
            if (key == Qt::Key_Delete && modifiers == Qt::NoModifier) DeleteWatchedPlayer();
          });
  connect(grdMapMonitor_, &TkorvStringGrid::OnKeyUp, this,
          [this](int key, Qt::KeyboardModifiers modifiers) {
            if (key == Qt::Key_Delete && modifiers == Qt::NoModifier) DeleteWatchedMap();
          });
  for (const auto& [name, view] : views_) ConnectViewToMonitors(view);
}

void TfrmZorvane::ConnectViewToMonitors(TkorvUTServerView* view) {
  connect(view, &TkorvUTServerView::OnAddPlayerToMonitor, this,
          [this](const QString& player, const QString& key, const QString& server,
                 const QString& gameType) {
            playerMonitor_->AddPlayerFromView(player, key, server, gameType);
          });
  connect(
      view, &TkorvUTServerView::OnAddMapToMonitor, this,
      [this](const QString& map, const QString& key, const QString& server,
             const QString& gameType) { mapMonitor_->AddMapFromView(map, key, server, gameType); });
}

void TfrmZorvane::LoadWatchedLists() {
  playerMonitor_->LoadWatchedPlayers(config_.settings.watchedPlayers);
  mapMonitor_->LoadWatchedMaps(config_.settings.watchedMaps);
}

void TfrmZorvane::GatherMonitorSettings() {
  config_.settings.watchedPlayers = playerMonitor_->WatchedPlayers();
  config_.settings.watchedMaps = mapMonitor_->WatchedMaps();
}

void TfrmZorvane::UpdateMonitorsForServer(const QString& key) {
  playerMonitor_->UpdatePlayerMonitorForServer(key);
  mapMonitor_->UpdateMapMonitorForServer(key);
}

void TfrmZorvane::RefreshCaptionAndMonitors() {
  playerMonitor_->RefreshPlayerMonitor();
  mapMonitor_->RefreshMapMonitor();
}

// ---- Menus

void TfrmZorvane::CreateMonitorMenus() {
  const auto add = [this](QMenu* menu, const char* name, const QString& caption,
                          const QKeySequence& shortcut, auto&& slot) {
    QAction* action = AddWindowAction(menu, name, caption, shortcut);
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  QAction* help = menuBar()->actions().isEmpty() ? nullptr : menuBar()->actions().last();
  const auto menuBefore = [&](const QString& title, const char* name) {
    auto* menu = new QMenu(title, this);
    menu->setObjectName(QString::fromLatin1(name));
    menuBar()->insertMenu(help, menu);
    return menu;
  };

  QMenu* players = menuBefore(QStringLiteral("&Player Monitor"), "miPlayerMonitor");
  playerMonitorMenu_ = players;
  // The current view's add commands live in the monitors' menus.
  const auto takeBound = [this](const char* name, QMenu* menu) {
    QAction* item = FindWindowAction(QString::fromLatin1(name));
    if (!item) return;
    serverMenu_->removeAction(item);
    menu->addAction(item);
    // Hidden for an open menu, an item's shortcut is dead: it is bound again once closed.
    connect(menu, &QMenu::aboutToHide, this, [this] { BindToView(currentView_); });
  };
  takeBound("miAddPlayerToPlayerMonitorList", players);
  QAction* refresh =
      add(players, "actRefreshPlayerMonitorList", QStringLiteral("Refresh Player Monitor List"),
          Qt::SHIFT | Qt::Key_F5, [this] { playerMonitor_->RefreshPlayerMonitor(); });
  refresh->setToolTip(QStringLiteral("Refresh Player Monitor"));
  refresh->setIconText(QStringLiteral("Refresh Monitor"));
  QAction* join =
      add(players, "actJoinPlayer", QStringLiteral("Join Player"), Qt::CTRL | Qt::SHIFT | Qt::Key_J,
          [this] { JoinMonitorRow(grdPlayerMonitor_); });
  QAction* addPlayer = add(players, "actAddPlayerMonitorPlayer", QStringLiteral("Add Player..."),
                           Qt::CTRL | Qt::Key_A, [this] { AddWatchedPlayer(); });
  addPlayer->setToolTip(QStringLiteral("Add Player To Monitor"));
  toolBar_->addSeparator();
  toolBar_->addActions({refresh, addPlayer});
  QAction* deletePlayer =
      add(players, "actDeletePlayerMonitorPlayer", QStringLiteral("Delete Player"),
          Qt::CTRL | Qt::Key_B, [this] { DeleteWatchedPlayer(); });
  QAction* importPlayers = add(players, "actImportPlayers", QStringLiteral("Import Players"),
                               Qt::CTRL | Qt::SHIFT | Qt::Key_I, [this] { ImportPlayers(); });
  QAction* exportPlayer = add(players, "actExportPlayer", QStringLiteral("Export Player"),
                              Qt::CTRL | Qt::SHIFT | Qt::Key_R, [this] { ExportPlayer(); });
  QAction* serverToFaves = add(players, "actAddPlayerMonitorServerToFaves",
                               QStringLiteral("Add Server Name To Favorites"), {}, [this] {
                                 if (grdPlayerMonitor_->IsValidRow())
                                   AddServerKeyToFavorites(CurrentCell(grdPlayerMonitor_, mcKey));
                               });
  QAction* copyPlayer = add(players, "actCopyMonitorPlayerToClipboard",
                            QStringLiteral("Copy Player Name To Clipboard"), {},
                            [this] { CopyMonitorName(grdPlayerMonitor_); });
  players->addSeparator();
  add(players, "actFindPlayer", QStringLiteral("Find Player..."), Qt::CTRL | Qt::Key_F,
      [this] { FindDialog(TFindKind::Player); });
  add(players, "actFindNextPlayer", QStringLiteral("Find Next Player"), Qt::Key_F3,
      [this] { FindNext(TFindKind::Player); });
  add(players, "actFindServer", QStringLiteral("Find Server..."), Qt::CTRL | Qt::SHIFT | Qt::Key_F,
      [this] { FindDialog(TFindKind::Server); });
  add(players, "actFindNextServer", QStringLiteral("Find Next Server"), Qt::Key_F2,
      [this] { FindNext(TFindKind::Server); });
  // The popup shares these actions with the menu bar and their shortcuts: what it hides or
  // renames for its row is plain and shown again once it has closed (a hidden action's
  // shortcut is dead).
  const auto plainPlayerItems = [=] {
    join->setText(QStringLiteral("Join Player"));
    deletePlayer->setText(QStringLiteral("Delete Player"));
    exportPlayer->setText(QStringLiteral("Export Player"));
    copyPlayer->setText(QStringLiteral("Copy Player Name To Clipboard"));
    serverToFaves->setText(QStringLiteral("Add Server Name To Favorites"));
    for (QAction* a : {join, deletePlayer, exportPlayer, copyPlayer, serverToFaves})
      a->setVisible(true);
  };
  connect(players, &QMenu::aboutToShow, this, [=, this] {
    if (QAction* item = FindWindowAction(QStringLiteral("miAddPlayerToPlayerMonitorList"))) {
      const QString player = currentView_ ? currentView_->SelectedPlayerName() : QString();
      item->setText(QStringLiteral("Add ") + MenuLiteral(player) +
                    QStringLiteral(" To Player Monitor"));
      item->setVisible(!player.isEmpty());
    }
    plainPlayerItems();
  });

  popPlayerMonitor_ = new QMenu(this);
  popPlayerMonitor_->setObjectName(QStringLiteral("popPlayerMonitor"));
  popPlayerMonitor_->addActions({join, addPlayer});
  popPlayerMonitor_->addSeparator();
  popPlayerMonitor_->addAction(deletePlayer);
  popPlayerMonitor_->addSeparator();
  popPlayerMonitor_->addActions({refresh, importPlayers, exportPlayer});
  popPlayerMonitor_->addSeparator()->setObjectName(QStringLiteral("sepAPMSTF"));
  popPlayerMonitor_->addAction(serverToFaves);
  popPlayerMonitor_->addSeparator();
  popPlayerMonitor_->addAction(copyPlayer);
  grdPlayerMonitor_->SetPopupMenu(popPlayerMonitor_);
  connect(grdPlayerMonitor_, &TkorvStringGrid::OnPreContextMenu, this,
          [this](QMenu*, int row, int, bool&) { PlayerPopupOpening(row); });
  connect(grdPlayerMonitor_, &TkorvStringGrid::OnPostContextMenu, this, plainPlayerItems);

  QMenu* maps = menuBefore(QStringLiteral("&Map Monitor"), "miMapMonitor");
  takeBound("miAddMapToMonitor", maps);
  QAction* refreshMaps =
      add(maps, "actRefreshMapMonitorList", QStringLiteral("Refresh Map Monitor List"), {},
          [this] { mapMonitor_->RefreshMapMonitor(); });
  QAction* joinMap = add(maps, "actJoinMapServer", QStringLiteral("Join Server"), {},
                         [this] { JoinMonitorRow(grdMapMonitor_); });
  QAction* addMap = add(maps, "actAddMapMonitorMap", QStringLiteral("Add Map..."), {},
                        [this] { AddWatchedMap(); });
  QAction* deleteMap = add(maps, "actDeleteMapMonitorMap", QStringLiteral("Delete Map"), {},
                           [this] { DeleteWatchedMap(); });
  QAction* copyMap =
      add(maps, "actCopyMonitorMapToClipboard", QStringLiteral("Copy Map Name To Clipboard"), {},
          [this] { CopyMonitorName(grdMapMonitor_); });
  const auto plainMapItems = [=] {
    joinMap->setText(QStringLiteral("Join Server"));
    deleteMap->setText(QStringLiteral("Delete Map"));
    copyMap->setText(QStringLiteral("Copy Map Name To Clipboard"));
    for (QAction* a : {joinMap, deleteMap, copyMap}) a->setVisible(true);
  };
  connect(maps, &QMenu::aboutToShow, this, plainMapItems);

  popMapMonitor_ = new QMenu(this);
  popMapMonitor_->setObjectName(QStringLiteral("popMapMonitor"));
  popMapMonitor_->addActions({refreshMaps, joinMap, addMap});
  popMapMonitor_->addSeparator();
  popMapMonitor_->addAction(deleteMap);
  popMapMonitor_->addSeparator();
  popMapMonitor_->addAction(copyMap);
  grdMapMonitor_->SetPopupMenu(popMapMonitor_);
  connect(grdMapMonitor_, &TkorvStringGrid::OnPreContextMenu, this,
          [this](QMenu*, int row, int, bool&) { MapPopupOpening(row); });
  connect(grdMapMonitor_, &TkorvStringGrid::OnPostContextMenu, this, plainMapItems);
}

void TfrmZorvane::PlayerPopupOpening(int row) {
  const auto item = [this](const char* name) {
    return FindWindowAction(QString::fromLatin1(name));
  };
  QAction* join = item("actJoinPlayer");
  QAction* del = item("actDeletePlayerMonitorPlayer");
  QAction* copy = item("actCopyMonitorPlayerToClipboard");
  QAction* exp = item("actExportPlayer");
  QAction* faves = item("actAddPlayerMonitorServerToFaves");
  QAction* favesSeparator = popPlayerMonitor_->findChild<QAction*>(QStringLiteral("sepAPMSTF"));
  for (QAction* a : {join, del, copy, exp, faves, favesSeparator}) a->setVisible(true);
  const TStringTableModel& cells = grdPlayerMonitor_->Model();
  const QString player = cells.Cell(mcName, row);
  if (IsMonitorDataRow(cells, row)) {
    const bool listed = !cells.Cell(mcKey, row).isEmpty();
    faves->setText(QStringLiteral("Add ") + MenuLiteral(cells.Cell(mcServer, row)) +
                   QStringLiteral(" To Favorites"));
    faves->setVisible(listed);
    favesSeparator->setVisible(listed);
    join->setVisible(!player.isEmpty() &&
                     cells.Cell(mcServer, row) != QLatin1String(kNotInServerList));
    join->setText(QStringLiteral("Join ") + MenuLiteral(player));
    del->setText(QStringLiteral("Delete ") + MenuLiteral(player));
    del->setVisible(!player.isEmpty());
    copy->setText(QStringLiteral("Copy ") + MenuLiteral(player) + QStringLiteral(" To Clipboard"));
    copy->setVisible(!player.isEmpty());
  }
  exp->setText(QStringLiteral("Export ") + MenuLiteral(player));
  exp->setVisible(!player.isEmpty());
}

void TfrmZorvane::MapPopupOpening(int row) {
  const auto item = [this](const char* name) {
    return FindWindowAction(QString::fromLatin1(name));
  };
  QAction* join = item("actJoinMapServer");
  QAction* del = item("actDeleteMapMonitorMap");
  QAction* copy = item("actCopyMonitorMapToClipboard");
  for (QAction* a : {join, del, copy}) a->setVisible(true);
  const TStringTableModel& cells = grdMapMonitor_->Model();
  if (!IsMonitorDataRow(cells, row)) return;
  const QString map = cells.Cell(mcName, row);
  const QString server = cells.Cell(mcServer, row);
  join->setText(QStringLiteral("Join ") + MenuLiteral(server));
  join->setVisible(!map.isEmpty() && server != QLatin1String(kNotInServerList));
  del->setText(QStringLiteral("Delete ") + MenuLiteral(map));
  del->setVisible(!map.isEmpty());
  copy->setText(QStringLiteral("Copy ") + MenuLiteral(map) + QStringLiteral(" To Clipboard"));
  copy->setVisible(!map.isEmpty());
}

// ---- Row commands

void TfrmZorvane::AddWatchedPlayer() {
  const auto result = RunSingleEdit(
      this, dialogs_,
      {QStringLiteral("Add Player"), QStringLiteral("Player:"), {}, false, false, false});
  if (!result || result->text.isEmpty()) return;
  TDialogsSink sink(dialogs_, this);
  playerMonitor_->AddWatchedPlayer(result->text, sink);
}

void TfrmZorvane::DeleteWatchedPlayer() {
  const QString player = CurrentCell(grdPlayerMonitor_, mcName);
  if (player.isEmpty()) return;
  if (config_.settings.confirmPlayerDelete &&
      !dialogs_.Confirm(this, TPlayerMonitor::DeleteQuestion(player),
                        TWindowDialogs::TNoButton::Cancel))
    return;
  playerMonitor_->DeleteWatchedPlayer(grdPlayerMonitor_->Row());
}

void TfrmZorvane::AddWatchedMap() {
  const auto result = RunSingleEdit(
      this, dialogs_, {QStringLiteral("Add Map"), QStringLiteral("Map:"), {}, false, false, false});
  if (!result || result->text.isEmpty()) return;
  TDialogsSink sink(dialogs_, this);
  mapMonitor_->AddWatchedMap(result->text, sink);
}

void TfrmZorvane::DeleteWatchedMap() {
  const QString map = CurrentCell(grdMapMonitor_, mcName);
  if (map.isEmpty()) return;
  if (config_.settings.confirmMapDelete &&
      !dialogs_.Confirm(this, TMapMonitor::DeleteQuestion(map), TWindowDialogs::TNoButton::Cancel))
    return;
  mapMonitor_->DeleteWatchedMap(grdMapMonitor_->Row());
}

void TfrmZorvane::JoinMonitorRow(TkorvStringGrid* grid) {
  const QString key = CurrentCell(grid, mcKey);
  if (!key.isEmpty() && key != u"IP") JoinServer(key);
}

void TfrmZorvane::CopyMonitorName(TkorvStringGrid* grid) {
  if (grid->IsValidRow()) QApplication::clipboard()->setText(grid->Cells(mcName, grid->Row()));
}

// ---- Find

void TfrmZorvane::FindDialog(TFindKind kind) {
  const bool player = kind == TFindKind::Player;
  bool& exact = player ? config_.settings.exactMatchPlayer : config_.settings.exactMatchServer;
  const auto result =
      RunSingleEdit(this, dialogs_,
                    {player ? QStringLiteral("Find Player") : QStringLiteral("Find Server"),
                     player ? QStringLiteral("Player:") : QStringLiteral("Server:"),
                     {},
                     true,
                     exact,
                     false});
  if (!result) return;
  exact = result->exactMatch;
  TFindSearch& search = player ? findPlayer_ : findServer_;
  search.Start(result->text);
  if (search.Active()) FindNext(kind);
}

void TfrmZorvane::FindNext(TFindKind kind) {
  const bool player = kind == TFindKind::Player;
  TFindSearch& search = player ? findPlayer_ : findServer_;
  if (!search.Active()) {
    FindDialog(kind);
    return;
  }
  TkorvUTServerView* other = View(QString::fromLatin1(kOtherGameType));
  const bool otherShown = other && other->IsOnPage();
  const auto tabOf = [&](const TServer& server) {
    return FindTabOf(server, config_.tables, otherShown);
  };
  const auto show = [&](const TFindHit& hit) {
    TkorvUTServerView* view = View(hit.tab);
    if (!view) return false;
    return player ? view->SelectServerAndPlayer(hit.key, hit.player) : view->SelectServer(hit.key);
  };
  TDialogsSink sink(dialogs_, this);
  const TFindResult result = search.Next(
      stash_, player ? config_.settings.exactMatchPlayer : config_.settings.exactMatchServer, tabOf,
      show, sink);
  if (result.outcome == TFindOutcome::Shown) {
    if (TkorvUTServerView* view = View(result.hit.tab); view && pages_->indexOf(view) >= 0)
      pages_->setCurrentWidget(view);
  } else if (result.outcome == TFindOutcome::OpenDialog) {
    FindDialog(kind);
  }
}

// ---- Buddy list

QString TfrmZorvane::ChooseBuddyFile(const QString& verb) {
  const QStringList candidates = BuddyGameCandidates(config_.tables);
  QString game = candidates.value(0);
  if (candidates.size() != 1) {
    const auto chosen = AskGamePath(this, dialogs_, config_.tables, QStringLiteral("gameUserPath"),
                                    2, ChooseGamePrompt(verb), false, game);
    if (!chosen) return {};  // cancelled: nothing is read or written
    game = *chosen;
  }
  TDialogsSink sink(dialogs_, this);
  switch (BuddyGameStatus(game, config_.tables, sink)) {
    case TBuddyGame::Unknown:
    case TBuddyGame::UTOnly:
      return {};
    case TBuddyGame::NoUserPath:
      if (!AskGamePath(this, dialogs_, config_.tables, QStringLiteral("gameUserPath"), 2,
                       QString::fromLatin1(kFavoritesPathPrompt), true, game))
        return {};
      if (BuddyUserPath(game, config_.tables).isEmpty()) {
        BuddyFileNotSpecified(verb, sink);
        return {};
      }
      break;
    case TBuddyGame::Ready:
      break;
  }
  return BuddyUserPath(game, config_.tables);
}

void TfrmZorvane::ImportPlayers() {
  const QString path = ChooseBuddyFile(QStringLiteral("Import from"));
  if (path.isEmpty()) return;
  TDialogsSink sink(dialogs_, this);
  ImportBuddies(path, *playerMonitor_, sink);
}

void TfrmZorvane::ExportPlayer() {
  TDialogsSink sink(dialogs_, this);
  const QString player = playerMonitor_->ExportablePlayer(grdPlayerMonitor_->Row(), sink);
  if (player.isEmpty()) return;
  const QString path = ChooseBuddyFile(QStringLiteral("Export to"));
  if (path.isEmpty()) return;
  ExportBuddy(path, player, sink);
}

}  // namespace zorvane
