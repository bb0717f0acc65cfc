// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// TkorvStringGrid: the program's text grid. Cells are addressed by column and row; row 0 is
// the header (drawn by the grid's own header view) while FixedRows() is 1, and the data rows
// follow it. On top of a plain grid it sorts by header clicks (padded numeric keys, a
// direction remembered per column), offers "&Copy To Clipboard" in its own context menu,
// can keep that menu off the header, selects on right clicks and finds rows by text or, in
// constant time, by a key column.
//
// Everything happens on the GUI thread; the owner talks to it through the methods below and
// the On... signals (connected directly, so the bool& answers reach the grid).

#include <QMenu>
#include <QPointer>
#include <QTableView>
#include <cstdint>
#include <functional>
#include <vector>

#include "browse/sort_keys.h"
#include "browse/string_table_model.h"
#include "config/grid_sort.h"

class QAction;

namespace zorvane {

class TkorvGridHeader;

class TkorvStringGrid : public QTableView {
  Q_OBJECT

 public:
  // What the server view hands CreateListGrid; any of them may be empty.
  struct TListGridHandlers {
    std::function<void()> columnResized;
    std::function<void(QMenu* menu, int row, int col)> postContextMenu;
    std::function<void(QMenu* menu, int row, int col, bool& canPopup)> preContextMenu;
    std::function<void(int key, Qt::KeyboardModifiers modifiers)> keyUp;
    std::function<void(int col, int row)> selectCell;
    std::function<void(int row)> selectRow;
    std::function<void()> leftButtonUp;
  };

  // A plain grid: 5 columns 64 wide, 5 rows 24 high with one fixed, cell selection with
  // ranges, columns not resizable, sorting off.
  explicit TkorvStringGrid(QWidget* parent = nullptr);
  ~TkorvStringGrid() override;

  // The list grid of the server view, owned by `parent` (not null): fills it, the given
  // columns, the list settings (ApplyListSettings), the popup menu (none given: the grid's
  // own) and the handlers.
  static TkorvStringGrid* CreateListGrid(QWidget* parent, int colCount, QMenu* popupMenu,
                                         const TListGridHandlers& handlers = {});
  // Two rows with one fixed, rows 16 high, whole-row selection, resizable columns, no menu on
  // the header, fixed row not a valid row, fixed row kept on deletes, right clicks select.
  void ApplyListSettings();

  // ---- Cells and shape
  int RowCount() const { return model_->RowCount(); }
  void SetRowCount(int count);
  int ColCount() const { return model_->ColCount(); }
  // Columns added get the default width, text sorting and no remembered direction.
  void SetColCount(int count);
  int FixedRows() const { return model_->FixedRows(); }
  // 0 or 1. 0 hides the header (its texts become row 0) and switches sorting off.
  void SetFixedRows(int count);

  QString Cells(int col, int row) const { return model_->Cell(col, row); }
  void SetCell(int col, int row, const QString& text) { model_->SetCell(col, row, text); }
  QStringList RowTexts(int row) const { return model_->RowTexts(row); }
  void SetRowTexts(int row, const QStringList& texts) { model_->SetRowTexts(row, texts); }
  // Around many writes: one repaint instead of one per cell.
  void BeginUpdate() { model_->BeginUpdate(); }
  void EndUpdate() { model_->EndUpdate(); }

  // The width asked for (set, stored or dragged by the user); 0 for a hidden column. Setting 0
  // (or less) hides the column, more shows it again. Shown, a column is never narrower than
  // its header text (with room for the sort arrow) and, for the stretch column, as wide as
  // the view leaves free.
  int ColWidths(int col) const;
  void SetColWidths(int col, int width);
  // The width a column is drawn at now.
  int ShownColWidth(int col) const;
  // The grid's width with every column shown as asked or its text needs, frame and vertical
  // scroll bar included: no column then has to be scrolled to.
  int FittedWidth() const;
  // As wide as FittedWidth: a grid in a layout asks for room for every column.
  QSize sizeHint() const override;
  // The column that takes the view's free width (-1, the default: none).
  int StretchColumn() const { return stretchCol_; }
  void SetStretchColumn(int col);
  // A column shown never narrower than its widest cell, for short lists of names.
  void SetColumnFitsCells(int col);
  int DefaultColWidth() const { return defaultColWidth_; }
  void SetDefaultColWidth(int width);
  // The height asked for; rows grow when the font needs more.
  int DefaultRowHeight() const { return defaultRowHeight_; }
  void SetDefaultRowHeight(int height);

  bool RowSelect() const { return selectionBehavior() == SelectRows; }
  void SetRowSelect(bool on);
  bool RangeSelect() const { return selectionMode() != SingleSelection; }
  void SetRangeSelect(bool on);
  bool ColSizing() const { return colSizing_; }
  void SetColSizing(bool on);

  // ---- Current cell. Row() is a grid row (FixedRows() when there is no data row).
  int Row() const;
  int Col() const;
  // Data rows only; raises OnSelectCell when the position changes.
  void SetRow(int row);
  void SetCol(int col);

  // ---- Published properties
  bool KorvAllowContextMenuOnFixed() const { return allowContextMenuOnFixed_; }
  void SetKorvAllowContextMenuOnFixed(bool on) { allowContextMenuOnFixed_ = on; }
  bool KorvFixedRowIsInformationRow() const { return fixedRowIsInformationRow_; }
  void SetKorvFixedRowIsInformationRow(bool on) { fixedRowIsInformationRow_ = on; }
  bool KorvKeepFixedRowsWhenDeleting() const { return keepFixedRowsWhenDeleting_; }
  void SetKorvKeepFixedRowsWhenDeleting(bool on) { keepFixedRowsWhenDeleting_ = on; }
  int KorvPopupMenuColumn() const { return popupMenuColumn_; }
  void SetKorvPopupMenuColumn(int col) { popupMenuColumn_ = col; }
  bool KorvSelectCellOnRightClick() const { return selectCellOnRightClick_; }
  void SetKorvSelectCellOnRightClick(bool on) { selectCellOnRightClick_ = on; }
  bool KorvSort() const { return sort_; }
  // Refused without a fixed row. Off forgets every column's direction and the sort column.
  void SetKorvSort(bool on);
  int KorvSortCol() const { return sortCol_; }
  // -1 .. ColCount()-1, anything else stores -1. Does not sort.
  void SetKorvSortCol(int col);

  // ---- Sorting
  // Columns outside the grid are ignored.
  void SetColumnSortKind(int col, TColumnSortKind kind);
  TColumnSortKind ColumnSortKind(int col) const;
  // None for a column outside the grid; setting one is ignored.
  TSortDirection ColumnSortDirection(int col) const;
  void SetColumnSortDirection(int col, TSortDirection direction);
  // Sorts by KorvSortCol() in its direction; fireEvents false sorts silently (no OnPreSort,
  // no OnSort). The current row's content stays current.
  void SortGrid(bool fireEvents);
  bool IsSorting() const { return sorting_; }
  // Set once a left press has been handled, cleared before its release is: selection changes
  // while it is set come from dragging.
  bool LeftButtonHeld() const { return leftButtonHeld_; }

  // ---- Rows
  // Keeping fixed rows: the header plus one empty row; otherwise no data row at all.
  void ClearGrid();
  void DeleteGridRow(int row);
  int FindRowByText(const QString& text, int col) const { return model_->FindRowByText(text, col); }
  int FindRowByTwoTexts(const QString& firstText, int firstCol, int secondCol,
                        const QString& secondText) const {
    return model_->FindRowByTwoTexts(firstText, firstCol, secondCol, secondText);
  }
  // -1: the current row.
  bool IsValidRow(int row = -1) const;

  // The column whose texts key the rows (-1: none), and the data row holding a key, in
  // constant time; -1 when none.
  void SetKeyColumn(int col) { model_->SetKeyColumn(col); }
  int KeyColumn() const { return model_->KeyColumn(); }
  int FindRowByKey(const QString& key) const { return model_->FindRowByKey(key); }

  // ---- Context menu
  QMenu* PopupMenu() const { return popupMenu_; }
  // nullptr: no menu at all.
  void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }
  // The menu a right click on the header shows instead (the server grid's columns); nullptr:
  // the header follows KorvAllowContextMenuOnFixed().
  QMenu* HeaderMenu() const { return headerMenu_; }
  void SetHeaderMenu(QMenu* menu) { headerMenu_ = menu; }
  QMenu* OwnMenu() const { return ownMenu_; }
  QAction* CopyToClipboardAction() const { return copyAction_; }
  // The cell of KorvPopupMenuColumn() in the current row, when the row is valid.
  void CopyToClipboard();
  // The menu a context-menu request would show, nullptr when it is kept off (a mouse request
  // over the header while KorvAllowContextMenuOnFixed() is false) or there is none.
  QMenu* MenuForContextMenu(bool fromKeyboard, bool overFixed) const;

  const TStringTableModel& Model() const { return *model_; }
  // For an owner that keeps the cells itself (the monitors write rows straight into it).
  TStringTableModel& Model() { return *model_; }
  TkorvGridHeader* Header() const { return header_; }

 Q_SIGNALS:
  void OnPreContextMenu(QMenu* menu, int row, int col, bool& canPopup);
  void OnPostContextMenu(QMenu* menu, int row, int col);
  // A column border dragged (or double-clicked) by the user.
  void OnColumnResized();
  void OnPreSort(bool& canSort);
  void OnSort(int sortCol, zorvane::TSortDirection direction);
  // The current cell moved (by the user, SetRow/SetCol, a sort or a delete), as a grid row.
  // A row number that only shrinks with the row count is not reported.
  void OnSelectCell(int col, int row);
  // The same, only when the current row changed (a move within the row is no new row).
  void OnSelectRow(int row);
  // The left button went up over the grid, after the grid has handled the release.
  void OnLeftButtonUp();
  void OnKeyUp(int key, Qt::KeyboardModifiers modifiers);

 protected:
  // Shows the menu; blocks until it closes.
  virtual void PopupMenuAt(QMenu* menu, const QPoint& globalPos);

  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool viewportEvent(QEvent* event) override;

 private:
  friend class TkorvGridHeader;

  // A header click on a sort column (header drawing and mouse handling are the header's).
  void HeaderSortClick(int col);
  void HandleContextMenu(bool fromKeyboard, bool overFixed, QPoint globalPos);
  QPoint KeyboardMenuPoint() const;
  void SetCurrentCell(int col, int row);
  // Runs a change of the rows without selection notifications, then puts the current cell
  // back at the same numbers (clamped), as a grid keeps its Row through such changes.
  template <typename Change>
  void ChangeRowsQuietly(Change&& change);
  void RestoreCurrent(int row, int col);
  void ApplyRowHeight();
  // Sizes the header's sections to the asked widths as fitted (column_fit.h).
  void FitColumns();
  int ColumnNeed(int col) const;

  TStringTableModel* model_;
  TkorvGridHeader* header_;
  QMenu* ownMenu_;
  QAction* copyAction_;
  QPointer<QMenu> popupMenu_;
  QPointer<QMenu> headerMenu_;
  QCollator collator_;

  std::vector<TColumnSortKind> sortKinds_;
  std::vector<TSortDirection> sortDirections_;

  bool allowContextMenuOnFixed_ = true;
  bool fixedRowIsInformationRow_ = true;
  bool keepFixedRowsWhenDeleting_ = false;
  int popupMenuColumn_ = 0;
  bool selectCellOnRightClick_ = false;
  bool sort_ = false;
  int sortCol_ = -1;

  std::vector<int> askedWidths_;
  std::vector<bool> fitsCells_;
  int stretchCol_ = -1;
  bool fitting_ = false;  // the sections resized are this grid's own, not the user's
  bool colSizing_ = false;
  int defaultColWidth_ = 64;
  int defaultRowHeight_ = 24;
  bool sorting_ = false;
  bool leftButtonHeld_ = false;
  int quiet_ = 0;  // > 0: current-cell moves are the grid's own housekeeping
};

}  // namespace zorvane
