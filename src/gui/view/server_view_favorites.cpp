// SPDX-License-Identifier: GPL-2.0-or-later
// The favourites view's rows: what the window's favourites commands change in the grid. The
// commands themselves (dialogs, the games' files) are the main window's.
#include "browse/server_rows.h"
#include "gui/grid/string_grid.h"
#include "gui/view/server_view.h"
#include "query/server_stash.h"

namespace zorvane {

TkorvUTServerView::TFavoriteRow TkorvUTServerView::AddFavoriteRow(const QString& key,
                                                                  const QString& name) {
  const TServer* server = stash_ ? stash_->Find(key) : nullptr;
  if (!server) return TFavoriteRow::NotInStash;
  TFavoriteRow shown = TFavoriteRow::Filtered;
  if (PassesFilters(*server, false)) {
    shown = TFavoriteRow::Shown;
    if (AddServerRow(key, name)) {
      UpdateServerRow(key);
      UpdateCountText();
      SelectServer(key);
      serverGrid_->SortGrid(false);  // a new row takes its place; the selection goes with it
    }
  }
  stash_->QueryServer(key);
  Q_EMIT OnRefreshServer(this, key);
  return shown;
}

int TkorvUTServerView::AddImportedRows(const QStringList& keys, const QStringList& names,
                                       bool query) {
  int filtered = 0;
  for (int i = 0; i < keys.size() && stash_; ++i) {
    const TServer* server = stash_->Find(keys[i]);
    if (!server) continue;
    if (PassesFilters(*server, false)) {
      AddServerRow(keys[i], names.value(i));
      UpdateServerRow(keys[i]);
    } else {
      ++filtered;
    }
    if (query) stash_->QueryServer(keys[i]);
  }
  serverGrid_->SortGrid(false);
  UpdateCountText();
  return filtered;
}

void TkorvUTServerView::ShowMovedFavorite(const QString& newKey) {
  if (serverGrid_->IsValidRow()) serverGrid_->SetCell(scIP, serverGrid_->Row(), newKey);
  UpdateServerRow(newKey);
  if (stash_) stash_->QueryServer(newKey);
  Q_EMIT OnRefreshServer(this, newKey);
}

void TkorvUTServerView::ShowTakenOverFavorite(const QString& key, const QString& name) {
  if (!AddServerRow(key, name)) return;
  serverGrid_->SetRow(serverGrid_->RowCount() - 1);
  UpdateServerRow(key);
  serverGrid_->SortGrid(false);
  UpdateCountText();
  if (stash_) stash_->QueryServer(key);
  Q_EMIT OnRefreshServer(this, key);
}

void TkorvUTServerView::DeleteCurrentRow() {
  if (!serverGrid_->IsValidRow()) return;
  serverGrid_->DeleteGridRow(serverGrid_->Row());
  UpdateCountText();
  ReloadDetails();
  if (!serverGrid_->IsValidRow() || SelectedServerKey().isEmpty()) ClearDetails();
}

}  // namespace zorvane
