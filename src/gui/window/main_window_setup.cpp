// SPDX-License-Identifier: GPL-2.0-or-later
// The window's actions, and how the set-up dialogs' outcome reaches the views and the tab strip:
// views made for new game types, renamed or dropped, tabs shown and hidden.

#include <QMenu>

#include "browse/server_rows.h"
#include "config/game_edits.h"
#include "config/settings.h"
#include "gui/view/filter_panel.h"
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
  // Renamed views leave their old names all together before any takes its new one. A type
  // whose view was never made takes its stored filters along to its new name.
  std::vector<std::pair<QString, TFilterSet>> unmadeFilters;
  for (const auto& [change, view] : changed) {
    if (!change->renamed) continue;
    if (view)
      views_.erase(change->oldName.toLower());
    else
      unmadeFilters.emplace_back(change->type->Name.Value,
                                 config_.settings.filters.take(change->oldName.toLower()));
  }
  for (const auto& [name, filters] : unmadeFilters) config_.settings.FiltersOf(name) = filters;
  for (auto& [change, view] : changed) {
    const TGameType& type = *change->type;
    if (change->isNew) view = CreateViewLikeFavorites(type, false);
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

TkorvUTServerView* TfrmZorvane::CreateViewLikeFavorites(const TGameType& type,
                                                        bool storedFilters) {
  TkorvUTServerView* view = CreateView(type);
  view->hide();
  const TkorvUTServerView* favorites = FavoritesView();
  view->SetFilterPanelAlign(favorites->FilterPanelAlign());
  TFilterSet filters;
  if (storedFilters) filters = config_.settings.FiltersOf(type.Name.Value);
  filters.used = favorites->Filters().used;  // the same filters are in use everywhere
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
  view->SetKeepFavesInSync(config_.settings.syncFaves);
  view->SetDebugging(debug_);
  view->SetIsTeamView(type.TeamGame.Value);
  view->LayoutFilters(false);
  view->SetStatusText(1, QString::fromLatin1(kVersionText), false, false);  // as at start
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
  // The tab widget shows a page when it is brought to the front: shown now, it would lie
  // under the current page and show through its gaps.
  pages_->insertTab(at, view, PlainTitle(view->Title()));
  view->SetOnPage(true);
}

void TfrmZorvane::HideTab(TkorvUTServerView* view) {
  if (!view->IsOnPage()) return;
  view->SetOnPage(false);
  pages_->removeTab(pages_->indexOf(view));
  view->hide();
}

}  // namespace zorvane
