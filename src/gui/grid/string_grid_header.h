// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The header row of a TkorvStringGrid: raised 3D cells, the sort column's arrow, the pressed
// look that follows a held left button across the cells, and the clicks that sort. The
// 4 pixels at each side of a cell stay with column resizing, which QHeaderView does itself.

#include <QHeaderView>

#include "config/grid_sort.h"

namespace zorvane {

class TkorvStringGrid;

class TkorvGridHeader : public QHeaderView {
  Q_OBJECT

 public:
  static constexpr int kEdgeZone = 4;
  // A cell's text starts this far in (pressed, grid line included) and ends before the room
  // the sort arrow takes at the cell's right.
  static constexpr int kTextInset = 4;
  static constexpr int kArrowRoom = 15;

  explicit TkorvGridHeader(TkorvStringGrid* grid);

  // The column drawn pressed, -1 for none.
  int PressedColumn() const { return pressedCol_; }
  // The column a click at this point (viewport coordinates) would sort, -1 for none.
  int SortClickColumn(const QPoint& pos) const;
  bool ColumnResizing() const { return resizing_; }
  // Draws the pressed cell raised again (the mouse left the grid).
  void RaisePressed();
  void RedrawSection(int col) { updateSection(col); }

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  // Whether QHeaderView takes a press here as the start of a column resize.
  bool AtResizeHandle(int x) const;
  void SetPressed(int col);

  TkorvStringGrid* grid_;
  int pressedCol_ = -1;
  bool tracking_ = false;  // a left press in a cell (not on a border) is held
  bool resizing_ = false;
};

// One header cell as the grid draws it: raised (or pressed), the text at 2 (3) pixels from the
// top-left corner, the arrow for a sort direction other than None.
void DrawHeaderCell(QPainter& painter, const QRect& rect, const QString& text, bool pressed,
                    TSortDirection arrow, const QPalette& palette);

}  // namespace zorvane
