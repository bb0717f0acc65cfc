// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/grid/string_grid.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/controls/control_font.h"
#include "gui/controls/text_fit.h"
#include "gui/grid/column_fit.h"
#include "gui/grid/string_grid_header.h"

namespace zorvane {
namespace {
constexpr int kCreatedColumns = 5;
constexpr int kCreatedRows = 5;
constexpr int kListRowHeight = 16;
}  // namespace

TkorvStringGrid::TkorvStringGrid(QWidget* parent)
    : QTableView(parent),
      model_(new TStringTableModel(this)),
      header_(new TkorvGridHeader(this)),
      ownMenu_(new QMenu(this)),
      copyAction_(new QAction(QStringLiteral("&Copy To Clipboard"), this)),
      collator_(GridCollator()) {
  const QFont ruled = ControlSetFont(font(), std::nullopt, logicalDpiY());
  if (ruled != font()) setFont(ruled);

  setHorizontalHeader(header_);
  setModel(model_);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setMinimumSectionSize(1);
  setEditTriggers(NoEditTriggers);
  setTabKeyNavigation(false);
  setWordWrap(false);
  setTextElideMode(Qt::ElideNone);  // clipped, as grid cells are
  setCornerButtonEnabled(false);
  setSelectionBehavior(SelectItems);
  setSelectionMode(ContiguousSelection);

  // A section resized by the user (dragged, or fitted by a double click) asks for its width.
  connect(header_, &QHeaderView::sectionResized, this, [this](int col, int, int size) {
    if (fitting_ || col < 0 || col >= int(askedWidths_.size()) || size <= 0) return;
    askedWidths_[col] = size;
    FitColumns();
  });
  connect(model_, &QAbstractItemModel::headerDataChanged, this, &TkorvStringGrid::FitColumns);
  // Columns that fit their cells follow every change of the rows.
  const auto refit = [this] {
    if (std::find(fitsCells_.begin(), fitsCells_.end(), true) != fitsCells_.end()) FitColumns();
  };
  connect(model_, &QAbstractItemModel::dataChanged, this, refit);
  connect(model_, &QAbstractItemModel::rowsInserted, this, refit);
  connect(model_, &QAbstractItemModel::rowsRemoved, this, refit);
  connect(model_, &QAbstractItemModel::modelReset, this, refit);
  connect(model_, &QAbstractItemModel::layoutChanged, this, refit);

  copyAction_->setObjectName(QStringLiteral("actCopyToClipboard"));
  connect(copyAction_, &QAction::triggered, this, &TkorvStringGrid::CopyToClipboard);
  ownMenu_->addAction(copyAction_);
  popupMenu_ = ownMenu_;

  ++quiet_;
  model_->SetColCount(kCreatedColumns);
  model_->SetRowCount(1);
  model_->SetFixedRows(1);
  model_->SetRowCount(kCreatedRows);
  sortKinds_.assign(kCreatedColumns, cskText);
  sortDirections_.assign(kCreatedColumns, TSortDirection::None);
  askedWidths_.assign(kCreatedColumns, defaultColWidth_);
  fitsCells_.assign(kCreatedColumns, false);
  SetDefaultColWidth(defaultColWidth_);
  ApplyRowHeight();
  RestoreCurrent(FixedRows(), 0);
  --quiet_;
}

TkorvStringGrid::~TkorvStringGrid() = default;

TkorvStringGrid* TkorvStringGrid::CreateListGrid(QWidget* parent, int colCount, QMenu* popupMenu,
                                                 const TListGridHandlers& handlers) {
  Q_ASSERT(parent);
  auto* grid = new TkorvStringGrid(parent);
  QLayout* layout = parent->layout();
  if (!layout) {
    layout = new QVBoxLayout(parent);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
  }
  layout->addWidget(grid);
  grid->SetColCount(colCount);
  grid->ApplyListSettings();
  if (popupMenu) grid->SetPopupMenu(popupMenu);
  if (handlers.columnResized)
    connect(grid, &TkorvStringGrid::OnColumnResized, grid, handlers.columnResized);
  if (handlers.postContextMenu)
    connect(grid, &TkorvStringGrid::OnPostContextMenu, grid, handlers.postContextMenu);
  if (handlers.preContextMenu)
    connect(grid, &TkorvStringGrid::OnPreContextMenu, grid, handlers.preContextMenu);
  if (handlers.keyUp) connect(grid, &TkorvStringGrid::OnKeyUp, grid, handlers.keyUp);
  if (handlers.selectCell) connect(grid, &TkorvStringGrid::OnSelectCell, grid, handlers.selectCell);
  if (handlers.selectRow) connect(grid, &TkorvStringGrid::OnSelectRow, grid, handlers.selectRow);
  if (handlers.leftButtonUp)
    connect(grid, &TkorvStringGrid::OnLeftButtonUp, grid, handlers.leftButtonUp);
  return grid;
}

void TkorvStringGrid::ApplyListSettings() {
  SetRowCount(2);
  SetFixedRows(1);
  SetDefaultRowHeight(kListRowHeight);
  SetRowSelect(true);
  SetColSizing(true);
  SetRangeSelect(false);
  allowContextMenuOnFixed_ = false;
  fixedRowIsInformationRow_ = false;
  keepFixedRowsWhenDeleting_ = true;
  selectCellOnRightClick_ = true;
  popupMenuColumn_ = 0;
}

void TkorvStringGrid::SetRowCount(int count) {
  ChangeRowsQuietly([&] { model_->SetRowCount(count); });
}

void TkorvStringGrid::SetColCount(int count) {
  ChangeRowsQuietly([&] { model_->SetColCount(count); });
  sortKinds_.resize(ColCount(), cskText);
  sortDirections_.resize(ColCount(), TSortDirection::None);
  askedWidths_.resize(ColCount(), defaultColWidth_);
  fitsCells_.resize(ColCount(), false);
  if (sortCol_ >= ColCount()) sortCol_ = -1;
  if (stretchCol_ >= ColCount()) stretchCol_ = -1;
  FitColumns();
}

void TkorvStringGrid::SetFixedRows(int count) {
  ChangeRowsQuietly([&] { model_->SetFixedRows(count); });
  header_->setVisible(FixedRows() > 0);
  if (FixedRows() == 0) SetKorvSort(false);
}

int TkorvStringGrid::ColWidths(int col) const {
  if (col < 0 || col >= ColCount() || header_->isSectionHidden(col)) return 0;
  return askedWidths_[col];
}

int TkorvStringGrid::ShownColWidth(int col) const {
  if (col < 0 || col >= ColCount() || header_->isSectionHidden(col)) return 0;
  return header_->sectionSize(col);
}

void TkorvStringGrid::SetColWidths(int col, int width) {
  if (col < 0 || col >= ColCount()) return;
  askedWidths_[col] = std::max(width, 0);
  fitting_ = true;
  setColumnHidden(col, width <= 0);
  fitting_ = false;
  FitColumns();
}

void TkorvStringGrid::SetStretchColumn(int col) {
  stretchCol_ = col >= 0 && col < ColCount() ? col : -1;
  FitColumns();
}

void TkorvStringGrid::SetColumnFitsCells(int col) {
  if (col < 0 || col >= ColCount()) return;
  fitsCells_[col] = true;
  FitColumns();
}

void TkorvStringGrid::SetDefaultColWidth(int width) {
  defaultColWidth_ = std::max(width, 1);
  fitting_ = true;
  header_->setDefaultSectionSize(defaultColWidth_);
  fitting_ = false;
  // A new default width applies to every shown column, as in any grid.
  for (int col = 0; col < ColCount(); ++col)
    if (!header_->isSectionHidden(col)) askedWidths_[col] = defaultColWidth_;
  FitColumns();
}

int TkorvStringGrid::ColumnNeed(int col) const {
  int need = 0;
  if (FixedRows() > 0) {
    const int inset = TkorvGridHeader::kTextInset + (sort_ ? TkorvGridHeader::kArrowRoom : 0);
    need = TextWidth(header_->fontMetrics(), Cells(col, 0)) + inset;
  }
  if (fitsCells_[col]) {
    // The item's text margins at both sides and the grid line.
    const int margins =
        2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 1;
    for (int row = FixedRows(); row < RowCount(); ++row)
      need = std::max(need, fontMetrics().horizontalAdvance(Cells(col, row)) + margins);
  }
  return need;
}

int TkorvStringGrid::FittedWidth() const {
  int width = 2 * frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  for (int col = 0; col < ColCount(); ++col)
    if (!header_->isSectionHidden(col) && askedWidths_[col] > 0)
      width += std::max(askedWidths_[col], ColumnNeed(col));
  return width;
}

QSize TkorvStringGrid::sizeHint() const {
  return {FittedWidth(), QTableView::sizeHint().height()};
}

void TkorvStringGrid::FitColumns() {
  if (fitting_ || int(askedWidths_.size()) != ColCount()) return;
  std::vector<int> asked(askedWidths_), needs(asked.size());
  for (int col = 0; col < ColCount(); ++col) {
    if (header_->isSectionHidden(col)) asked[col] = 0;
    if (asked[col] > 0) needs[col] = ColumnNeed(col);
  }
  const std::vector<int> shown = FitColumnWidths(asked, needs, stretchCol_, viewport()->width());
  fitting_ = true;
  for (int col = 0; col < ColCount(); ++col)
    if (shown[col] > 0 && header_->sectionSize(col) != shown[col])
      header_->resizeSection(col, shown[col]);
  fitting_ = false;
}

void TkorvStringGrid::SetDefaultRowHeight(int height) {
  defaultRowHeight_ = std::max(height, 1);
  ApplyRowHeight();
}

void TkorvStringGrid::SetRowSelect(bool on) {
  setSelectionBehavior(on ? SelectRows : SelectItems);
  if (currentIndex().isValid()) {
    ++quiet_;
    const QModelIndex current = currentIndex();
    selectionModel()->setCurrentIndex(
        current, QItemSelectionModel::ClearAndSelect |
                     (on ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate));
    --quiet_;
  }
}

void TkorvStringGrid::SetRangeSelect(bool on) {
  setSelectionMode(on ? ContiguousSelection : SingleSelection);
}

void TkorvStringGrid::SetColSizing(bool on) {
  colSizing_ = on;
  header_->setSectionResizeMode(on ? QHeaderView::Interactive : QHeaderView::Fixed);
}

int TkorvStringGrid::Row() const {
  const QModelIndex current = currentIndex();
  return current.isValid() ? current.row() + FixedRows() : FixedRows();
}

int TkorvStringGrid::Col() const {
  const QModelIndex current = currentIndex();
  return current.isValid() ? current.column() : 0;
}

void TkorvStringGrid::SetRow(int row) {
  if (row < FixedRows() || row >= RowCount()) return;
  if (row == Row() && currentIndex().isValid()) return;
  SetCurrentCell(Col(), row);
}

void TkorvStringGrid::SetCol(int col) {
  if (col < 0 || col >= ColCount() || model_->DataRowCount() == 0) return;
  if (col == Col() && currentIndex().isValid()) return;
  SetCurrentCell(col, Row());
}

void TkorvStringGrid::SetKorvSort(bool on) {
  if (on == sort_) return;
  if (on && FixedRows() == 0) return;
  sort_ = on;
  FitColumns();  // the arrow's room comes and goes
  if (on) return;
  std::fill(sortDirections_.begin(), sortDirections_.end(), TSortDirection::None);
  const int old = std::exchange(sortCol_, -1);
  if (old >= 0) header_->RedrawSection(old);
}

void TkorvStringGrid::SetKorvSortCol(int col) {
  sortCol_ = col >= -1 && col < ColCount() ? col : -1;
  header_->viewport()->update();
}

void TkorvStringGrid::SetColumnSortKind(int col, TColumnSortKind kind) {
  if (col >= 0 && col < ColCount()) sortKinds_[col] = kind;
}

TColumnSortKind TkorvStringGrid::ColumnSortKind(int col) const {
  return col >= 0 && col < ColCount() ? sortKinds_[col] : cskText;
}

TSortDirection TkorvStringGrid::ColumnSortDirection(int col) const {
  return col >= 0 && col < ColCount() ? sortDirections_[col] : TSortDirection::None;
}

void TkorvStringGrid::SetColumnSortDirection(int col, TSortDirection direction) {
  if (col < 0 || col >= ColCount()) return;
  sortDirections_[col] = direction;
  header_->RedrawSection(col);
}

void TkorvStringGrid::HeaderSortClick(int col) {
  const int previous = sortCol_;
  if (previous >= 0 && previous < ColCount() && previous != col)
    SetColumnSortDirection(previous, TSortDirection::None);
  TSortDirection direction = sortDirections_[col];
  if (col == previous)
    direction = direction == TSortDirection::Ascending ? TSortDirection::Descending
                                                       : TSortDirection::Ascending;
  else if (direction == TSortDirection::None)
    direction = TSortDirection::Ascending;
  SetColumnSortDirection(col, direction);
  sortCol_ = col;
  SortGrid(true);
}

void TkorvStringGrid::SortGrid(bool fireEvents) {
  if (sortCol_ < 0 || sortCol_ >= ColCount()) return;
  const TSortDirection direction = sortDirections_[sortCol_];
  if (direction == TSortDirection::None) return;
  if (fireEvents) {
    bool canSort = true;
    Q_EMIT OnPreSort(canSort);
    if (!canSort) return;
  }
  sorting_ = true;
  const int current = IsValidRow(-1) ? Row() : -1;
  const QStringList keys = ColumnSortKeys(model_->ColumnTexts(sortCol_), sortKinds_[sortCol_]);
  const std::vector<int> order = SortedRowOrder(keys, direction, collator_);
  ++quiet_;
  model_->Permute(order);  // the current cell keeps its numbers until moved below
  --quiet_;
  if (current >= FixedRows()) {
    const auto at = std::find(order.begin(), order.end(), current - FixedRows());
    if (at != order.end()) SetRow(int(at - order.begin()) + FixedRows());
  }
  sorting_ = false;
  if (fireEvents) Q_EMIT OnSort(sortCol_, direction);
}

void TkorvStringGrid::ClearGrid() {
  ChangeRowsQuietly([&] { model_->ClearDataRows(keepFixedRowsWhenDeleting_ ? 1 : 0); });
}

void TkorvStringGrid::DeleteGridRow(int row) {
  // The header line is the view's, not a row that can go.
  if (row < FixedRows() || row >= RowCount()) return;
  if (keepFixedRowsWhenDeleting_ && model_->DataRowCount() == 1) {
    model_->ClearRow(row);
    return;
  }
  const int before = RowCount();
  ChangeRowsQuietly([&] { model_->DeleteRow(row); });
  if (RowCount() < before) {
    const int target = row < RowCount() ? row : row - 1;
    if (target >= FixedRows()) SetRow(target);
  }
}

bool TkorvStringGrid::IsValidRow(int row) const {
  if (row == -1) row = Row();
  const int first = fixedRowIsInformationRow_ ? 0 : FixedRows();
  return row >= first && row < RowCount();
}

void TkorvStringGrid::CopyToClipboard() {
  if (!IsValidRow(-1)) return;
  QGuiApplication::clipboard()->setText(Cells(popupMenuColumn_, Row()));
}

QMenu* TkorvStringGrid::MenuForContextMenu(bool fromKeyboard, bool overFixed) const {
  if (!fromKeyboard && overFixed && !allowContextMenuOnFixed_) return nullptr;
  return popupMenu_;
}

void TkorvStringGrid::PopupMenuAt(QMenu* menu, const QPoint& globalPos) {
  menu->exec(globalPos);
}

void TkorvStringGrid::HandleContextMenu(bool fromKeyboard, bool overFixed, QPoint globalPos) {
  if (overFixed && !fromKeyboard && headerMenu_) {
    PopupMenuAt(headerMenu_, globalPos);
    return;
  }
  const QPointer<QMenu> menu = MenuForContextMenu(fromKeyboard, overFixed);
  if (!menu) return;
  bool canPopup = true;
  Q_EMIT OnPreContextMenu(menu, Row(), Col(), canPopup);
  if (!canPopup || !menu) return;
  if (fromKeyboard) globalPos = KeyboardMenuPoint();
  PopupMenuAt(menu, globalPos);
  if (menu) Q_EMIT OnPostContextMenu(menu, Row(), Col());
}

// A menu opened from the keyboard appears at the current row's cell in the popup column.
QPoint TkorvStringGrid::KeyboardMenuPoint() const {
  const QModelIndex cell = model_->index(Row() - FixedRows(), popupMenuColumn_);
  if (!cell.isValid()) return viewport()->mapToGlobal(QPoint(0, 0));
  const QRect rect = visualRect(cell);
  const int offset = rowHeight(cell.row()) * 3 / 4;
  return viewport()->mapToGlobal(QPoint(rect.left(), rect.top() + std::max(offset, 0)));
}

void TkorvStringGrid::SetCurrentCell(int col, int row) {
  const QModelIndex cell = model_->index(row - FixedRows(), col);
  if (!cell.isValid()) return;
  QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
  if (RowSelect()) flags |= QItemSelectionModel::Rows;
  selectionModel()->setCurrentIndex(cell, flags);
  // A hidden column has no place to scroll to; any shown cell of the row does.
  QModelIndex shown = cell;
  for (int c = 0; isColumnHidden(shown.column()) && c < ColCount(); ++c)
    shown = model_->index(cell.row(), c);
  scrollTo(shown);
}

template <typename Change>
void TkorvStringGrid::ChangeRowsQuietly(Change&& change) {
  const int row = Row();
  const int col = Col();
  ++quiet_;
  change();
  RestoreCurrent(row, col);
  --quiet_;
}

void TkorvStringGrid::RestoreCurrent(int row, int col) {
  if (model_->DataRowCount() == 0 || ColCount() == 0) {
    selectionModel()->clearCurrentIndex();
    return;
  }
  row = std::clamp(row, FixedRows(), RowCount() - 1);
  col = std::clamp(col, 0, ColCount() - 1);
  const QModelIndex cell = model_->index(row - FixedRows(), col);
  if (currentIndex() == cell) return;
  QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
  if (RowSelect()) flags |= QItemSelectionModel::Rows;
  selectionModel()->setCurrentIndex(cell, flags);
}

void TkorvStringGrid::ApplyRowHeight() {
  // Rows never shrink below the font; the extra pixel is the grid line under each row.
  const int height = std::max(defaultRowHeight_, fontMetrics().height() + 3) + 1;
  verticalHeader()->setDefaultSectionSize(height);
  header_->setFixedHeight(height);
}

void TkorvStringGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  if (quiet_ > 0 || !current.isValid()) return;
  if (previous.isValid() && current.row() == previous.row() &&
      current.column() == previous.column())
    return;
  Q_EMIT OnSelectCell(current.column(), current.row() + FixedRows());
  if (!previous.isValid() || current.row() != previous.row())
    Q_EMIT OnSelectRow(current.row() + FixedRows());
}

void TkorvStringGrid::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    // Qt's views select under the right button too; this grid does only when asked.
    if (selectCellOnRightClick_) {
      const QModelIndex cell = indexAt(event->position().toPoint());
      if (cell.isValid()) SetCurrentCell(cell.column(), cell.row() + FixedRows());
    }
    event->accept();
    return;
  }
  QTableView::mousePressEvent(event);
  if (event->button() == Qt::LeftButton) leftButtonHeld_ = true;
}

void TkorvStringGrid::mouseReleaseEvent(QMouseEvent* event) {
  const bool left = event->button() == Qt::LeftButton;
  if (left) leftButtonHeld_ = false;
  QTableView::mouseReleaseEvent(event);
  if (left) Q_EMIT OnLeftButtonUp();
}

void TkorvStringGrid::keyReleaseEvent(QKeyEvent* event) {
  QTableView::keyReleaseEvent(event);
  if (!event->isAutoRepeat()) Q_EMIT OnKeyUp(event->key(), event->modifiers());
}

void TkorvStringGrid::contextMenuEvent(QContextMenuEvent* event) {
  // Over the cells (the header sends its own); a point below the last row is no fixed cell.
  HandleContextMenu(event->reason() == QContextMenuEvent::Keyboard, false, event->globalPos());
  event->accept();
}

void TkorvStringGrid::leaveEvent(QEvent* event) {
  header_->RaisePressed();
  QTableView::leaveEvent(event);
}

void TkorvStringGrid::changeEvent(QEvent* event) {
  QTableView::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    ApplyRowHeight();
    FitColumns();
  }
}

bool TkorvStringGrid::viewportEvent(QEvent* event) {
  const bool handled = QTableView::viewportEvent(event);
  if (event->type() == QEvent::Resize) FitColumns();  // the free width changed
  return handled;
}

}  // namespace zorvane
