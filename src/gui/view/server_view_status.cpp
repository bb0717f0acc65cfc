// SPDX-License-Identifier: GPL-2.0-or-later
// What a server view shows of its refresh cycle and in its status line: the servers awaited and
// silent, the warnings, the refresh rate and the count of servers.
#include "browse/server_rows.h"
#include "config/option_choices.h"
#include "gui/grid/string_grid.h"
#include "gui/view/server_view.h"
#include "gui/view/status_line.h"

namespace zorvane {

void TkorvUTServerView::ShowAwaited(const QString& key) {
  const int row = FindServerRow(key);
  if (row >= 0) serverGrid_->SetCell(scPing, row, QString::fromLatin1(kAwaitedPing));
}

void TkorvUTServerView::ShowSilent(const QStringList& keys) {
  for (const QString& key : keys) {
    const int row = FindServerRow(key);
    if (row < 0) continue;
    serverGrid_->SetCell(scPing, row, QString::fromLatin1(kNoReplyPing));
    serverGrid_->SetCell(scPlayers, row, QStringLiteral("0"));
    if (row == serverGrid_->Row()) ReloadDetails();
  }
  const int sortCol = serverGrid_->KorvSortCol();
  if (sortCol == scPlayers || sortCol == scPing || sortCol == scMap) serverGrid_->SortGrid(false);
}

void TkorvUTServerView::ShowWarning(const QString& text) {
  SetStatusText(0, text, true, true);
  Q_EMIT OnActivityLog(PlainTitle(title_) + QStringLiteral(": ") + text);
}

void TkorvUTServerView::ServerRefreshed(const QString& key) {
  Q_EMIT OnRefreshServer(this, key);
}

void TkorvUTServerView::ListRefreshSent() {
  Q_EMIT OnRefreshServerGrid(this);
}

// ---- Status line

void TkorvUTServerView::SetStatusText(int panel, const QString& text, bool flash, bool highlight) {
  if (panel < 0 || panel >= statusLine_->PanelCount()) return;
  if (panel == 0) statusLine_->SetPanel0(u' ' + text, flash, highlight);
  if (panel == 1) statusLine_->SetPanel1(QStringLiteral(" Version ") + text, highlight);
  if (panel == 2)
    statusLine_->SetPanelText(2, u' ' + PlainTitle(title_) + QStringLiteral(" Refresh Rate: ") +
                                     DelayText(cycle_.AutoRefreshRate()));
}

void TkorvUTServerView::UpdateCountText() {
  const int rows = serverGrid_->RowCount() - serverGrid_->FixedRows();
  const bool keyed = rows == 1 && !serverGrid_->Cells(scIP, serverGrid_->FixedRows()).isEmpty();
  SetStatusText(0, CountText(rows, keyed, title_), true, massRefresh_);
}

}  // namespace zorvane
