// SPDX-License-Identifier: GPL-2.0-or-later
// The layout of a server view's three grids: their column widths and sorts, as the window
// stores them and keeps every view in step.
#include <QEvent>
#include <QHeaderView>
#include <QTimer>
#include <QScrollBar>
#include <QSplitter>

#include "browse/server_rows.h"
#include "gui/grid/string_grid.h"
#include "gui/view/filter_panel.h"
#include "gui/view/server_view.h"

namespace zorvane {

TkorvStringGrid* TkorvUTServerView::Grid(TGridType grid) const {
  switch (grid) {
    case gtServer:
      return serverGrid_;
    case gtPlayer:
      return playerGrid_;
    case gtSetting:
      return settingGrid_;
    default:
      return nullptr;
  }
}

int TkorvUTServerView::ServerColWidth(int col) const {
  return col >= 0 && col < serverGrid_->ColCount() ? serverGrid_->ColWidths(col) : -1;
}
int TkorvUTServerView::PlayerColWidth(int col) const {
  return col >= 0 && col < playerGrid_->ColCount() ? playerGrid_->ColWidths(col) : -1;
}
int TkorvUTServerView::SettingColWidth(int col) const {
  return col >= 0 && col < settingGrid_->ColCount() ? settingGrid_->ColWidths(col) : -1;
}
void TkorvUTServerView::SetServerColWidth(int col, int width) {
  // Only the favourites have busy hours; the other views follow their widths without it.
  if (col == scBusy && !isFavorite_) width = 0;
  if (col >= 0 && col < serverGrid_->ColCount() && col != scIP)
    serverGrid_->SetColWidths(col, width);
}

void TkorvUTServerView::SetPlayerPanelWidth(int width) {
  if (width <= 0) return;
  playerPanelWidth_ = width;  // kept as asked; shown as wide as the player columns need
  const int shown = std::max(width, playerGrid_->FittedWidth());
  // The splitter's sizes leave out its handles.
  const int handles = detailSplitter_->handleWidth() * (detailSplitter_->count() - 1);
  const int total = std::max(detailSplitter_->width() - handles, shown + 100);
  int pane = 0;
  if (detailPane_ && paneWanted_) {
    // The pane keeps the width it has (at least what it asks for) where the settings' columns
    // leave room for it; without room for all it asks for it is not shown.
    pane = std::min(std::max(detailSplitter_->sizes().value(2), detailPane_->sizeHint().width()),
                    total - shown - SettingsWidth());
    if (pane < detailPane_->sizeHint().width()) pane = 0;
  }
  if (detailPane_) detailPane_->setVisible(pane > 0);
  detailSplitter_->setSizes({shown, total - shown - pane, pane});
}

int TkorvUTServerView::SettingsWidth() const {
  // As asked or as their headings need, not as drawn: the value column takes the free width.
  return settingGrid_->FittedWidth();
}

QSize TkorvUTServerView::sizeHint() const {
  // Wide enough for the players, the settings' columns and the pane, so that the window opens
  // with room for all three where the screen has it.
  QSize hint = QWidget::sizeHint();
  if (!detailPane_ || !paneWanted_) return hint;
  const int details = std::max(playerPanelWidth_, playerGrid_->FittedWidth()) + SettingsWidth() +
                      detailPane_->sizeHint().width() + 2 * detailSplitter_->handleWidth();
  // The view's own hint leaves the splitters out: the filter panel beside them is added here.
  const TFilterPanelAlign align = filterPanel_->FilterPanelAlign();
  const bool beside = !filterPanel_->isHidden() &&
                      (align == TFilterPanelAlign::Left || align == TFilterPanelAlign::Right);
  hint.setWidth(std::max(hint.width(), details + (beside ? filterPanel_->sizeHint().width() : 0)));
  return hint;
}

void TkorvUTServerView::AddDetailPane(QWidget* pane) {
  detailPane_ = pane;
  detailSplitter_->addWidget(pane);
  detailSplitter_->setStretchFactor(2, 0);
  // Shown again when the view grows enough for it. Left shown until the view is laid out, so
  // that the window opens wide enough for it where the screen has room.
  detailSplitter_->installEventFilter(this);
  updateGeometry();
}

void TkorvUTServerView::SetDetailPaneWanted(bool on) {
  paneWanted_ = on;
  updateGeometry();
  SetPlayerPanelWidth(playerPanelWidth_);
}

bool TkorvUTServerView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == detailSplitter_ && event->type() == QEvent::Resize && detailPane_ &&
      paneWanted_ && detailPane_->isHidden())
    QTimer::singleShot(0, this, [this] { SetPlayerPanelWidth(playerPanelWidth_); });
  return QWidget::eventFilter(watched, event);
}

void TkorvUTServerView::SetBusyCell(const QString& key, const QString& text) {
  const int row = FindServerRow(key);
  if (row >= 0 && serverGrid_->Cells(scBusy, row) != text) serverGrid_->SetCell(scBusy, row, text);
}
void TkorvUTServerView::SetPlayerColWidth(int col, int width) {
  if (col >= 0 && col < playerGrid_->ColCount()) playerGrid_->SetColWidths(col, width);
}
void TkorvUTServerView::SetSettingColWidth(int col, int width) {
  if (col >= 0 && col < settingGrid_->ColCount()) settingGrid_->SetColWidths(col, width);
}

void TkorvUTServerView::SetGridColWidths(const std::vector<int>& widths, const QString& gridName) {
  for (int col = 0; col < int(widths.size()); ++col) {
    if (widths[col] < 0) continue;  // not stored: as designed
    if (gridName == u"grdServer")
      SetServerColWidth(col, widths[col]);
    else if (gridName == u"grdPlayer")
      SetPlayerColWidth(col, widths[col]);
    else if (gridName == u"grdSetting")
      SetSettingColWidth(col, widths[col]);
  }
}

std::vector<int> TkorvUTServerView::GridColWidths(const QString& gridName) const {
  for (TkorvStringGrid* grid : {serverGrid_, playerGrid_, settingGrid_})
    if (grid->objectName() == gridName) {
      std::vector<int> widths;
      for (int i = 0; i < grid->ColCount(); ++i) widths.push_back(grid->ColWidths(i));
      return widths;
    }
  return {};
}

int TkorvUTServerView::GridSortCol(TGridType grid) const {
  const TkorvStringGrid* g = Grid(grid);
  return g ? g->KorvSortCol() : -1;
}

TSortDirection TkorvUTServerView::GridSortDirection(TGridType grid) const {
  const TkorvStringGrid* g = Grid(grid);
  return g ? g->ColumnSortDirection(g->KorvSortCol()) : TSortDirection::None;
}

void TkorvUTServerView::SetGridSort(TGridType grid, int col, TSortDirection direction) {
  TkorvStringGrid* g = Grid(grid);
  if (!g) return;
  g->SetKorvSortCol(col);
  g->SetColumnSortDirection(g->KorvSortCol(), direction);
  g->viewport()->update();
  g->horizontalHeader()->viewport()->update();
}

void TkorvUTServerView::ResortGrid(TGridType grid, int col, TSortDirection direction) {
  TkorvStringGrid* g = Grid(grid);
  if (!g) return;
  if (col != -2) SetGridSort(grid, col, direction);
  g->SortGrid(false);
}

}  // namespace zorvane
