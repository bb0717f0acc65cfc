// SPDX-License-Identifier: GPL-2.0-or-later
// The quick search of a server view. A keystroke that only adds to the text can only take
// rows away, so the rows shown are narrowed in one pass (no row texts are built); any other
// change gathers the missing rows from the stash and builds texts only for those.
#include <utility>

#include "browse/quick_search.h"
#include "browse/server_rows.h"
#include "gui/grid/string_grid.h"
#include "gui/view/quick_search_box.h"
#include "gui/view/server_view.h"
#include "query/server_stash.h"

namespace zorvane {

void TkorvUTServerView::FocusSearchBox() {
  searchBox_->setFocus(Qt::ShortcutFocusReason);
  searchBox_->selectAll();
}

void TkorvUTServerView::SearchTextChanged(const QString& typed) {
  QString folded = FoldSearchText(typed);
  if (folded == searchText_) return;
  const QString previous = std::exchange(searchText_, std::move(folded));
  if (SearchNarrows(previous, searchText_))
    NarrowServerRows();
  else
    WidenServerRows();
  UpdateCountText();
}

template <typename Change>
void TkorvUTServerView::ChangeRowsKeepingSelection(Change&& change) {
  const QString selected = SelectedServerKey();
  populating_ = true;  // the grid's own selection moves are no user's
  change();
  const int row = FindServerRow(selected);
  const bool kept = row >= 0;
  if (kept) {
    serverGrid_->SetRow(row);
  } else if (serverGrid_->RowCount() > serverGrid_->FixedRows()) {
    serverGrid_->SetRow(serverGrid_->FixedRows());
  }
  populating_ = false;
  if (kept) return;
  if (SelectedServerKey().isEmpty())
    ClearDetails();
  else
    ReloadDetails();
}

void TkorvUTServerView::NarrowServerRows() {
  if (!stash_) return;
  const int fixed = serverGrid_->FixedRows();
  std::vector<bool> drop(std::size_t(serverGrid_->RowCount() - fixed));
  bool any = false;
  for (std::size_t i = 0; i < drop.size(); ++i) {
    const TServer* server = stash_->Find(serverGrid_->Cells(scIP, fixed + int(i)));
    drop[i] = server && !MatchesQuickSearch(*server, searchText_);
    any = any || drop[i];
  }
  if (!any) return;
  ChangeRowsKeepingSelection([&] {
    serverGrid_->Model().RemoveDataRows(drop);
    // A list grid keeps one empty row under its header.
    if (serverGrid_->RowCount() == fixed && serverGrid_->KorvKeepFixedRowsWhenDeleting())
      serverGrid_->SetRowCount(fixed + 1);
  });
}

void TkorvUTServerView::WidenServerRows() {
  if (!stash_) return;
  std::vector<QStringList> rows;
  for (int i = 0; i < stash_->Count(); ++i) {
    const TServer& server = *stash_->Server(i);
    if (NeverHeardOf(server) || !PassesFilters(server, true)) continue;
    const QString key = stash_->Key(i);
    // Rows already shown are not searched again.
    if (FindServerRow(key) >= 0 || !MatchesQuickSearch(server, searchText_)) continue;
    rows.push_back(RowTexts(server, key));
  }
  if (rows.empty()) return;
  ChangeRowsKeepingSelection([&] {
    const int fixed = serverGrid_->FixedRows();
    // The empty row a list grid keeps is taken by the first server.
    int at = serverGrid_->RowCount();
    if (at == fixed + 1 && serverGrid_->Cells(scIP, fixed).isEmpty()) at = fixed;
    serverGrid_->BeginUpdate();
    serverGrid_->SetRowCount(at + int(rows.size()));
    for (const QStringList& texts : rows) serverGrid_->SetRowTexts(at++, texts);
    serverGrid_->EndUpdate();
    serverGrid_->SortGrid(false);
  });
}

}  // namespace zorvane
