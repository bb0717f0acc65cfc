// SPDX-License-Identifier: GPL-2.0-or-later
// A server view's grid rebuilt from the stash: at once, or a part at a time, so that a list of
// tens of thousands of servers holds the window only a few milliseconds per turn of the event
// loop.
#include <algorithm>

#include "browse/quick_search.h"
#include "browse/server_rows.h"
#include "gui/grid/string_grid.h"
#include "gui/view/filter_panel.h"
#include "gui/view/server_view.h"
#include "query/network_text.h"
#include "query/server_stash.h"

namespace zorvane {

void TkorvUTServerView::CollectRows(int first, int end, bool fillRows, bool allFilters,
                                    std::vector<QStringList>& rows) const {
  if (!stash_) return;
  end = std::min(end, stash_->Count());
  for (int i = first; i < end; ++i) {
    const TServer& server = *stash_->Server(i);
    if (!PassesFilters(server, allFilters) || NeverHeardOf(server)) continue;
    if (!MatchesQuickSearch(server, searchText_)) continue;
    const QString key = stash_->Key(i);
    if (fillRows) {
      rows.push_back(RowTexts(server, key));
    } else {
      QStringList texts(scCount);
      texts[scServer] = PlainName(server.Description());
      texts[scIP] = key;
      rows.push_back(texts);
    }
  }
}

void TkorvUTServerView::ShowRows(const std::vector<QStringList>& rows) {
  populating_ = true;
  const QString selected = SelectedServerKey();
  serverGrid_->ClearGrid();
  if (massRefresh_) SetStatusText(0, QStringLiteral("Populating server list..."), false, true);
  serverGrid_->BeginUpdate();
  const int fixed = serverGrid_->FixedRows();
  if (!rows.empty()) serverGrid_->SetRowCount(fixed + int(rows.size()));
  for (int i = 0; i < int(rows.size()); ++i) serverGrid_->SetRowTexts(fixed + i, rows[i]);
  serverGrid_->EndUpdate();
  // The rows stand in the order the header shows, and the selected server stays selected
  // wherever that puts it (the first row when it is gone).
  const int row = FindServerRow(selected);
  if (row >= 0) serverGrid_->SetRow(row);
  serverGrid_->SortGrid(false);
  if (row < 0) serverGrid_->SetRow(serverGrid_->FixedRows());
  UpdateCountText();
  populating_ = false;
}

void TkorvUTServerView::PopulateServerGrid(bool fillRows, bool allFilters) {
  pendingRows_.reset();
  filters_ = filterPanel_->Filters();  // the boxes may have been set without a signal
  std::vector<QStringList> rows;
  CollectRows(0, stash_ ? stash_->Count() : 0, fillRows, allFilters, rows);
  ShowRows(rows);
}

bool TkorvUTServerView::PopulateServerGridPart(int servers, bool start) {
  const int count = stash_ ? stash_->Count() : 0;
  if (start) pendingRows_.reset();
  // Servers removed since the last part moved the others down: the rows built are not theirs.
  if (pendingRows_ && count < pendingRows_->stashCount) pendingRows_.reset();
  if (!pendingRows_) {
    pendingRows_.emplace();
    filters_ = filterPanel_->Filters();
  }
  TPendingRows& pending = *pendingRows_;
  const int end = std::min(count, pending.next + std::max(servers, 1));
  CollectRows(pending.next, end, true, true, pending.rows);
  pending.next = end;
  pending.stashCount = count;
  if (end < count) return false;
  const TPendingRows done = std::move(pending);
  pendingRows_.reset();
  ShowRows(done.rows);
  for (const QString& key : done.updated)
    if (stash_) ServerUpdated(stash_->IndexOf(key));
  return true;
}

}  // namespace zorvane
