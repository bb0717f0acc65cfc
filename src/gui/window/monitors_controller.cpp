// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/window/monitors_controller.h"

#include <QApplication>
#include <QClipboard>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include "browse/buddy_exchange.h"
#include "browse/favorites_exchange.h"
#include "browse/map_monitor.h"
#include "browse/monitor_cells.h"
#include "browse/player_monitor.h"
#include "browse/server_rows.h"
#include "config/configuration.h"
#include "gui/controls/menu_text.h"
#include "gui/dialogs/game_path_dialog.h"
#include "gui/dialogs/single_edit_dialog.h"
#include "gui/dialogs/window_dialogs.h"
#include "gui/grid/string_grid.h"
#include "gui/view/server_view.h"
#include "gui/view/status_line.h"

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

// The sort and column widths of a monitor grid as stored.
void ApplyMonitorLayout(TkorvStringGrid* grid, const TGridSort& sort,
                        const std::vector<int>& widths) {
  // -2 is the designed sort: by the name column, ascending.
  const TGridSort applied = sort.column == -2 ? TGridSort{0, TSortDirection::Ascending} : sort;
  grid->SetKorvSortCol(applied.column);
  if (grid->KorvSortCol() >= 0)
    grid->SetColumnSortDirection(grid->KorvSortCol(), applied.direction);
  for (int col = 0; col < std::min(int(widths.size()), grid->ColCount()); ++col)
    if (widths[col] >= 0) grid->SetColWidths(col, widths[col]);  // -1: not stored
  grid->SortGrid(false);
}

}  // namespace

TMonitorsController::TMonitorsController(TWindowContext& context, QTabWidget* pages)
    : context_(context), pages_(pages) {
  pages_->addTab(CreatePage(QStringLiteral("Player Monitor"), QStringLiteral("Player"), 150,
                            grdPlayerMonitor_, staPlayerMonitor_),
                 QStringLiteral("Player Monitor"));
  pages_->addTab(CreatePage(QStringLiteral("Map Monitor"), QStringLiteral("Map"), 200,
                            grdMapMonitor_, staMapMonitor_),
                 QStringLiteral("Map Monitor"));
  grdPlayerMonitor_->setObjectName(QStringLiteral("grdPlayerMonitor"));
  grdMapMonitor_->setObjectName(QStringLiteral("grdMapMonitor"));
  staPlayerMonitor_->setObjectName(QStringLiteral("staPlayerMonitor"));
  staMapMonitor_->setObjectName(QStringLiteral("staMapMonitor"));
  playerMonitor_ = std::make_unique<TPlayerMonitor>(context_.stash, grdPlayerMonitor_->Model());
  mapMonitor_ = std::make_unique<TMapMonitor>(context_.stash, grdMapMonitor_->Model());
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
}

TMonitorsController::~TMonitorsController() = default;

QWidget* TMonitorsController::CreatePage(const QString& title, const QString& firstColumn,
                                         int firstWidth, TkorvStringGrid*& grid,
                                         TStatusLine*& status) {
  auto* page = new QWidget(pages_);
  page->setObjectName(QStringLiteral("tab") + QString(title).remove(u' '));
  auto* holder = new QWidget(page);
  grid = TkorvStringGrid::CreateListGrid(holder, 4, nullptr);  // fills its holder
  const QStringList headings{firstColumn, QStringLiteral("Server"), QStringLiteral("Game Type"),
                             QStringLiteral("IP")};
  for (int i = 0; i < 4; ++i) grid->SetCell(i, 0, headings[i]);
  grid->SetColWidths(0, firstWidth);
  grid->SetColWidths(1, 300);
  grid->SetColWidths(2, 150);
  grid->SetColWidths(3, 0);
  grid->SetStretchColumn(mcServer);
  grid->SetKorvSort(true);
  status = new TStatusLine(page);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(holder, 1);
  layout->addWidget(status);
  return page;
}

void TMonitorsController::ConnectView(TkorvUTServerView* view) {
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

void TMonitorsController::ApplySettings() {
  const TSettings& s = context_.config.settings;
  ApplyMonitorLayout(grdPlayerMonitor_, s.sorts[3], s.columnWidths[3]);
  ApplyMonitorLayout(grdMapMonitor_, s.sorts[4], s.columnWidths[4]);
  playerMonitor_->LoadWatchedPlayers(s.watchedPlayers);
  mapMonitor_->LoadWatchedMaps(s.watchedMaps);
}

void TMonitorsController::GatherSettings() {
  TSettings& s = context_.config.settings;
  for (auto [grid, index] : {std::pair{grdPlayerMonitor_, 3}, std::pair{grdMapMonitor_, 4}}) {
    s.sorts[index] = {grid->KorvSortCol(), grid->ColumnSortDirection(grid->KorvSortCol())};
    s.columnWidths[index].clear();
    for (int col = 0; col < grid->ColCount(); ++col)
      s.columnWidths[index].push_back(grid->ColWidths(col));
  }
  s.watchedPlayers = playerMonitor_->WatchedPlayers();
  s.watchedMaps = mapMonitor_->WatchedMaps();
}

void TMonitorsController::ServerUpdated(const QString& key) {
  playerMonitor_->UpdatePlayerMonitorForServer(key);
  mapMonitor_->UpdateMapMonitorForServer(key);
}

void TMonitorsController::RefreshAll() {
  playerMonitor_->RefreshPlayerMonitor();
  mapMonitor_->RefreshMapMonitor();
}

// ---- Menus

void TMonitorsController::CreateMenus(QToolBar* toolBar, QMenu* serverMenu) {
  const auto add = [this](QMenu* menu, const char* name, const QString& caption,
                          const QKeySequence& shortcut, auto&& slot) {
    QAction* action = context_.addAction(menu, name, caption, shortcut);
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  QAction* help = context_.window->menuBar()->actions().isEmpty()
                      ? nullptr
                      : context_.window->menuBar()->actions().last();
  const auto menuBefore = [&](const QString& title, const char* name) {
    auto* menu = new QMenu(title, context_.window);
    menu->setObjectName(QString::fromLatin1(name));
    context_.window->menuBar()->insertMenu(help, menu);
    return menu;
  };

  QMenu* players = menuBefore(QStringLiteral("&Player Monitor"), "miPlayerMonitor");
  // The current view's add commands live in the monitors' menus.
  const auto takeBound = [this, serverMenu](const char* name, QMenu* menu) {
    QAction* item = context_.findAction(QString::fromLatin1(name));
    if (!item) return;
    serverMenu->removeAction(item);
    menu->addAction(item);
    // Hidden for an open menu, an item's shortcut is dead: it is bound again once closed.
    connect(menu, &QMenu::aboutToHide, this, [this] { context_.rebind(); });
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
  toolBar->addSeparator();
  toolBar->addActions({refresh, addPlayer});
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
                                   context_.addToFavorites(CurrentCell(grdPlayerMonitor_, mcKey));
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
    if (QAction* item = context_.findAction(QStringLiteral("miAddPlayerToPlayerMonitorList"))) {
      TkorvUTServerView* view = context_.currentView();
      const QString player = view ? view->SelectedPlayerName() : QString();
      item->setText(QStringLiteral("Add ") + MenuLiteral(player) +
                    QStringLiteral(" To Player Monitor"));
      item->setVisible(!player.isEmpty());
    }
    plainPlayerItems();
  });

  popPlayerMonitor_ = new QMenu(context_.window);
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

  popMapMonitor_ = new QMenu(context_.window);
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

void TMonitorsController::PlayerPopupOpening(int row) {
  const auto item = [this](const char* name) {
    return context_.findAction(QString::fromLatin1(name));
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

void TMonitorsController::MapPopupOpening(int row) {
  const auto item = [this](const char* name) {
    return context_.findAction(QString::fromLatin1(name));
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

void TMonitorsController::AddWatchedPlayer() {
  const auto result = RunSingleEdit(
      context_.window, context_.dialogs,
      {QStringLiteral("Add Player"), QStringLiteral("Player:"), {}, false, false, false});
  if (!result || result->text.isEmpty()) return;
  TDialogsSink sink(context_.dialogs, context_.window);
  playerMonitor_->AddWatchedPlayer(result->text, sink);
}

void TMonitorsController::DeleteWatchedPlayer() {
  const QString player = CurrentCell(grdPlayerMonitor_, mcName);
  if (player.isEmpty()) return;
  if (context_.config.settings.confirmPlayerDelete &&
      !context_.dialogs.Confirm(context_.window, TPlayerMonitor::DeleteQuestion(player),
                                TWindowDialogs::TNoButton::Cancel))
    return;
  playerMonitor_->DeleteWatchedPlayer(grdPlayerMonitor_->Row());
}

void TMonitorsController::AddWatchedMap() {
  const auto result =
      RunSingleEdit(context_.window, context_.dialogs,
                    {QStringLiteral("Add Map"), QStringLiteral("Map:"), {}, false, false, false});
  if (!result || result->text.isEmpty()) return;
  TDialogsSink sink(context_.dialogs, context_.window);
  mapMonitor_->AddWatchedMap(result->text, sink);
}

void TMonitorsController::DeleteWatchedMap() {
  const QString map = CurrentCell(grdMapMonitor_, mcName);
  if (map.isEmpty()) return;
  if (context_.config.settings.confirmMapDelete &&
      !context_.dialogs.Confirm(context_.window, TMapMonitor::DeleteQuestion(map),
                                TWindowDialogs::TNoButton::Cancel))
    return;
  mapMonitor_->DeleteWatchedMap(grdMapMonitor_->Row());
}

void TMonitorsController::JoinMonitorRow(TkorvStringGrid* grid) {
  const QString key = CurrentCell(grid, mcKey);
  if (!key.isEmpty() && key != u"IP") context_.join(key);
}

void TMonitorsController::CopyMonitorName(TkorvStringGrid* grid) {
  if (grid->IsValidRow()) QApplication::clipboard()->setText(grid->Cells(mcName, grid->Row()));
}

// ---- Find

void TMonitorsController::FindDialog(TFindKind kind) {
  const bool player = kind == TFindKind::Player;
  bool& exact = player ? context_.config.settings.exactMatchPlayer
                       : context_.config.settings.exactMatchServer;
  const auto result =
      RunSingleEdit(context_.window, context_.dialogs,
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

void TMonitorsController::FindNext(TFindKind kind) {
  const bool player = kind == TFindKind::Player;
  TFindSearch& search = player ? findPlayer_ : findServer_;
  if (!search.Active()) {
    FindDialog(kind);
    return;
  }
  TkorvUTServerView* other = context_.view(QString::fromLatin1(kOtherGameType));
  const bool otherShown = other && other->IsOnPage();
  const auto tabOf = [&](const TServer& server) {
    return FindTabOf(server, context_.config.tables, otherShown);
  };
  const auto show = [&](const TFindHit& hit) {
    TkorvUTServerView* view = context_.view(hit.tab);
    if (!view) return false;
    return player ? view->SelectServerAndPlayer(hit.key, hit.player) : view->SelectServer(hit.key);
  };
  TDialogsSink sink(context_.dialogs, context_.window);
  const TFindResult result = search.Next(context_.stash,
                                         player ? context_.config.settings.exactMatchPlayer
                                                : context_.config.settings.exactMatchServer,
                                         tabOf, show, sink);
  if (result.outcome == TFindOutcome::Shown) {
    if (TkorvUTServerView* view = context_.view(result.hit.tab); view && pages_->indexOf(view) >= 0)
      pages_->setCurrentWidget(view);
  } else if (result.outcome == TFindOutcome::OpenDialog) {
    FindDialog(kind);
  }
}

// ---- Buddy list

QString TMonitorsController::ChooseBuddyFile(const QString& verb) {
  const QStringList candidates = BuddyGameCandidates(context_.config.tables);
  QString game = candidates.value(0);
  if (candidates.size() != 1) {
    const auto chosen =
        AskGamePath(context_.window, context_.dialogs, context_.config.tables,
                    QStringLiteral("gameUserPath"), 2, ChooseGamePrompt(verb), false, game);
    if (!chosen) return {};  // cancelled: nothing is read or written
    game = *chosen;
  }
  TDialogsSink sink(context_.dialogs, context_.window);
  switch (BuddyGameStatus(game, context_.config.tables, sink)) {
    case TBuddyGame::Unknown:
    case TBuddyGame::UTOnly:
      return {};
    case TBuddyGame::NoUserPath:
      if (!AskGamePath(context_.window, context_.dialogs, context_.config.tables,
                       QStringLiteral("gameUserPath"), 2, QString::fromLatin1(kFavoritesPathPrompt),
                       true, game))
        return {};
      if (BuddyUserPath(game, context_.config.tables).isEmpty()) {
        BuddyFileNotSpecified(verb, sink);
        return {};
      }
      break;
    case TBuddyGame::Ready:
      break;
  }
  return BuddyUserPath(game, context_.config.tables);
}

void TMonitorsController::ImportPlayers() {
  const QString path = ChooseBuddyFile(QStringLiteral("Import from"));
  if (path.isEmpty()) return;
  TDialogsSink sink(context_.dialogs, context_.window);
  ImportBuddies(path, *playerMonitor_, sink);
}

void TMonitorsController::ExportPlayer() {
  TDialogsSink sink(context_.dialogs, context_.window);
  const QString player = playerMonitor_->ExportablePlayer(grdPlayerMonitor_->Row(), sink);
  if (player.isEmpty()) return;
  const QString path = ChooseBuddyFile(QStringLiteral("Export to"));
  if (path.isEmpty()) return;
  ExportBuddy(path, player, sink);
}

}  // namespace zorvane
