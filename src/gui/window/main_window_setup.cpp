// SPDX-License-Identifier: GPL-2.0-or-later
// The main window's set-up commands: the local port, the game paths, the games, the game types
// and the visible tabs, and how their dialogs' outcome reaches the views and the tab strip.

#include <QMenu>

#include "browse/server_rows.h"
#include "gui/dialogs/game_list_dialogs.h"
#include "gui/dialogs/game_path_dialog.h"
#include "gui/dialogs/single_edit_dialog.h"
#include "gui/dialogs/tabs_dialog.h"
#include "gui/view/filter_panel.h"
#include "gui/window/favorites_controller.h"
#include "gui/window/game_discovery.h"
#include "gui/window/main_window.h"
#include "gui/window/worker_settings.h"

namespace zorvane {

QAction* TfrmZorvane::AddWindowAction(QMenu* menu, const char* name, const QString& caption,
                                      const QKeySequence& shortcut) {
  auto* action = new QAction(caption, this);
  action->setObjectName(QString::fromLatin1(name));
  action->setShortcut(shortcut);
  if (menu) menu->addAction(action);
  addAction(action);
  windowActions_.push_back(action);
  return action;
}

void TfrmZorvane::CreateSystemMenuItems(QMenu* system) {
  connect(AddWindowAction(system, "miLocalPort", QStringLiteral("Local Port...")),
          &QAction::triggered, this, &TfrmZorvane::EditLocalPort);
  connect(AddWindowAction(system, "miGameExes", QStringLiteral("Game Exes...")),
          &QAction::triggered, this, [this] { EditPaths(QStringLiteral("gameExePath")); });
  connect(AddWindowAction(system, "miGameINIs", QStringLiteral("Game INIs...")),
          &QAction::triggered, this, [this] { EditPaths(QStringLiteral("gameFavoritesPath")); });
  connect(AddWindowAction(system, "miUserINIs", QStringLiteral("User INIs...")),
          &QAction::triggered, this, [this] { EditPaths(QStringLiteral("gameUserPath")); });
  connect(AddWindowAction(system, "miFindGames", QStringLiteral("Find Installed Games...")),
          &QAction::triggered, gameDiscovery_, &TGameDiscovery::FindInstalledGames);
  system->addSeparator();
  connect(AddWindowAction(system, "miGames", QStringLiteral("Games...")), &QAction::triggered, this,
          &TfrmZorvane::EditGames);
  connect(AddWindowAction(system, "miGameTypes", QStringLiteral("Game Types...")),
          &QAction::triggered, this, &TfrmZorvane::EditGameTypes);
  system->addSeparator();
}

void TfrmZorvane::CreateToolsMenuItems(QMenu* tools) {
  connect(AddWindowAction(tools, "miTabs", QStringLiteral("Tabs...")), &QAction::triggered, this,
          &TfrmZorvane::EditVisibleTabs);
}

void TfrmZorvane::EditLocalPort() {
  if (const auto port = zorvane::EditLocalPort(this, dialogs_, stash_.LocalPort)) {
    stash_.LocalPort = *port;
    config_.settings.localPort = *port;
  }
}

void TfrmZorvane::EditPaths(const QString& fieldKey) {
  // The views read the paths from the tables they share, so they see the new ones at once.
  gameDiscovery_->PathDialogClosed(EditGamePath(this, dialogs_, config_.tables, fieldKey, 0,
                                                QString(), false,
                                                gameDiscovery_->PathDialogGame(fieldKey)));
  // An executable chosen in "Game Exes..." may have filled a game INI too.
  favorites_->OfferMovedImport();
}

void TfrmZorvane::EditGames() {
  const auto renames = zorvane::EditGames(this, dialogs_, config_.tables);
  if (!renames) return;
  // A favourite's association names a game: it follows that game's new name (or goes with it).
  for (int i = 0; i < stash_.Count(); ++i) {
    TServer* server = stash_.Server(i);
    if (server->TextEmpty(TServerText::GameTypeName)) continue;
    const QString game = server->GameTypeName();
    if (const QString after = renames->After(game); after != game) server->SetGameTypeName(after);
  }
}

void TfrmZorvane::EditGameTypes() {
  if (const auto commit = zorvane::EditGameTypes(this, dialogs_, config_.tables))
    FollowGameTypeChanges(*commit);
}

void TfrmZorvane::FollowGameTypeChanges(const TGameTypeCommit& commit) {
  // Every view is found under its name before OK first: names may have been swapped in one
  // opening of the dialog, or given to a new or another type.
  std::vector<std::pair<const TGameTypeChange*, TkorvUTServerView*>> changed;
  for (const TGameTypeChange& change : commit.changed)
    changed.emplace_back(&change, change.isNew ? nullptr : View(change.oldName));
  for (const QString& name : commit.deleted) {
    TkorvUTServerView* view = View(name);
    if (!view) continue;
    HideTab(view);
    view->RefreshCycle().StopAllTimers();
    views_.erase(name.toLower());
    delete view;
  }
  // Renamed views leave their old names all together before any takes its new one.
  for (const auto& [change, view] : changed)
    if (view && change->renamed) views_.erase(change->oldName.toLower());
  for (auto& [change, view] : changed) {
    const TGameType& type = *change->type;
    if (change->isNew) view = CreateViewLikeFavorites(type);
    if (!view) continue;
    if (change->renamed) {
      views_[type.Name.Value.toLower()] = view;
      view->SetGameType(type.Name.Value);
      view->setObjectName(QStringLiteral("view") + type.Name.Value);
    }
  }
  for (const auto& [change, view] : changed) {
    if (!view) continue;
    const TGameType& type = *change->type;
    if (change->titleChanged) {
      view->SetTitle(type.Description.Value);
      if (const int page = pages_->indexOf(view); page >= 0)
        pages_->setTabText(page, PlainTitle(view->Title()));
    }
    if (change->teamChanged && !change->isNew) {
      view->SetIsTeamView(type.TeamGame.Value);
      view->LayoutFilters(false);
    }
    if (change->isNew && type.TabVisible) ShowTab(view);
    // A new view, or one that now lists another game type's servers.
    if (change->isNew || change->renamed) view->PopulateServerGrid(true, true);
  }
}

TkorvUTServerView* TfrmZorvane::CreateViewLikeFavorites(const TGameType& type) {
  TkorvUTServerView* view = CreateView(type);
  view->hide();
  const TkorvUTServerView* favorites = FavoritesView();
  view->SetFilterPanelAlign(favorites->FilterPanelAlign());
  TFilterSet filters;  // the favourites' filters in use, without their values
  filters.used = favorites->Filters().used;
  view->SetFilters(filters);
  view->SetDetailHeight(favorites->DetailHeight());
  view->SetPlayerPanelWidth(favorites->PlayerPanelWidth());
  for (int grid = gtServer; grid <= gtSetting; ++grid)
    view->SetGridSort(TGridType(grid), favorites->GridSortCol(TGridType(grid)),
                      favorites->GridSortDirection(TGridType(grid)));
  for (const char* grid : {"grdServer", "grdPlayer", "grdSetting"})
    view->SetGridColWidths(favorites->GridColWidths(QString::fromLatin1(grid)),
                           QString::fromLatin1(grid));
  TellWorkers(config_.settings, nullptr, {view}, false);
  view->SetDebugging(debug_);
  view->SetIsTeamView(type.TeamGame.Value);
  view->LayoutFilters(false);
  return view;
}

void TfrmZorvane::ShowTab(TkorvUTServerView* view) {
  if (view->IsOnPage()) return;
  // Tabs keep the order of the game-type list, ahead of the monitors.
  int at = 0;
  for (const auto& type : config_.tables.gameTypes) {
    TkorvUTServerView* other = View(type->Name.Value);
    if (other == view) break;
    if (other && other->IsOnPage()) ++at;
  }
  pages_->insertTab(at, view, PlainTitle(view->Title()));
  view->SetOnPage(true);
  view->show();
}

void TfrmZorvane::HideTab(TkorvUTServerView* view) {
  if (!view->IsOnPage()) return;
  view->SetOnPage(false);
  pages_->removeTab(pages_->indexOf(view));
  view->hide();
}

void TfrmZorvane::EditVisibleTabs() {
  auto dialog = CreateTabsDialog(this, config_.tables);
  if (dialog->exec() != QDialog::Accepted) return;
  const TTabChanges changes = ApplyVisibleTabs(config_.tables, TickedTabs(*dialog, config_.tables));
  for (const QString& name : changes.shown)
    if (TkorvUTServerView* view = View(name)) ShowTab(view);
  for (const QString& name : changes.hidden) {
    if (TkorvUTServerView* view = View(name)) {
      view->RefreshCycle().StopAutoRefresh();
      HideTab(view);
    }
  }
  if (!changes.shown.isEmpty()) dialogs_.Information(this, NewlyVisibleTabsNotice());
}

}  // namespace zorvane
