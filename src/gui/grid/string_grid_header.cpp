// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/grid/string_grid_header.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <algorithm>
#include <utility>

#include "gui/grid/string_grid.h"

namespace zorvane {
namespace {

constexpr int kArrowSize = 8;
constexpr int kArrowFromRight = 13;
constexpr int kArrowMinColumnWidth = 10;

void DrawArrow(QPainter& painter, const QRect& cell, bool pressed, TSortDirection direction,
               const QColor& shadow, const QColor& highlight) {
  const int right = cell.x() + cell.width();  // first pixel past the cell
  int x = std::max(cell.left() + 1, right - kArrowFromRight);
  int y = cell.top() + (cell.height() - kArrowSize) / 2;
  if (pressed) {
    ++x;
    ++y;
  }
  const int mid = x + kArrowSize / 2;
  if (direction == TSortDirection::Ascending) {
    const int base = y + kArrowSize;
    painter.setPen(shadow);
    painter.drawLine(x, base, mid, y);
    painter.setPen(highlight);
    painter.drawLine(mid, y, x + kArrowSize, base);
    painter.drawLine(x, base, x + kArrowSize, base);
  } else {
    const int apex = y + kArrowSize;
    painter.setPen(shadow);
    painter.drawLine(x, y, mid, apex);
    painter.drawLine(x, y, x + kArrowSize, y);
    painter.setPen(highlight);
    painter.drawLine(mid, apex, x + kArrowSize, y);
  }
}

}  // namespace

void DrawHeaderCell(QPainter& painter, const QRect& rect, const QString& text, bool pressed,
                    TSortDirection arrow, const QPalette& palette) {
  painter.save();
  painter.setClipRect(rect, Qt::IntersectClip);
  painter.setRenderHint(QPainter::Antialiasing, false);
  // The section's last column and row of pixels are the grid line between header cells.
  const QRect cell = rect.adjusted(0, 0, -1, -1);
  painter.setPen(palette.color(QPalette::Shadow));
  painter.drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());
  painter.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());

  painter.fillRect(cell, palette.color(QPalette::Button));
  const QColor highlight = palette.color(QPalette::Light);
  const QColor shadow = palette.color(QPalette::Dark);
  if (pressed) {
    painter.setPen(shadow);
    painter.drawLine(cell.topLeft(), cell.topRight());
    painter.drawLine(cell.topLeft(), cell.bottomLeft());
  } else {
    painter.setPen(highlight);
    painter.drawLine(cell.topLeft(), cell.topRight());
    painter.drawLine(cell.topLeft(), cell.bottomLeft());
    painter.setPen(shadow);
    painter.drawLine(cell.right(), cell.top(), cell.right(), cell.bottom());
    painter.drawLine(cell.left(), cell.bottom(), cell.right(), cell.bottom());
  }
  const int offset = pressed ? 3 : 2;
  painter.setPen(palette.color(QPalette::ButtonText));
  painter.drawText(cell.adjusted(offset, offset, 0, 0),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
  if (arrow != TSortDirection::None) DrawArrow(painter, cell, pressed, arrow, shadow, highlight);
  painter.restore();
}

TkorvGridHeader::TkorvGridHeader(TkorvStringGrid* grid)
    : QHeaderView(Qt::Horizontal, grid), grid_(grid) {
  // Clicks are ours: QHeaderView's own click handling would select columns.
  setSectionsClickable(false);
  setSectionsMovable(false);
  setHighlightSections(false);
  setSortIndicatorShown(false);
  setStretchLastSection(false);
  setMinimumSectionSize(1);
  setDefaultAlignment(Qt::AlignLeft | Qt::AlignTop);
  setSectionResizeMode(QHeaderView::Fixed);
  // A drag that QHeaderView turned into a resize counts even where our handle test and
  // QHeaderView's disagree.
  connect(this, &QHeaderView::sectionResized, this, [this] {
    if (tracking_) {
      tracking_ = false;
      resizing_ = true;
      SetPressed(-1);
    }
  });
}

int TkorvGridHeader::SortClickColumn(const QPoint& pos) const {
  if (pos.y() < 0 || pos.y() >= viewport()->height()) return -1;
  const int col = logicalIndexAt(pos.x());
  if (col < 0 || col >= grid_->ColCount()) return -1;
  if (grid_->ColSizing()) {
    const int left = sectionViewportPosition(col);
    const int right = left + sectionSize(col) - 1;
    if (pos.x() < left + kEdgeZone || pos.x() > right - kEdgeZone) return -1;
  }
  return col;
}

void TkorvGridHeader::RaisePressed() {
  SetPressed(-1);
}

void TkorvGridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
  if (!rect.isValid()) return;
  TSortDirection arrow = TSortDirection::None;
  if (logicalIndex == grid_->KorvSortCol() && sectionSize(logicalIndex) >= kArrowMinColumnWidth)
    arrow = grid_->ColumnSortDirection(logicalIndex);
  DrawHeaderCell(*painter, rect, grid_->Cells(logicalIndex, 0), logicalIndex == pressedCol_, arrow,
                 palette());
}

void TkorvGridHeader::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    const QPoint pos = event->position().toPoint();
    resizing_ = grid_->ColSizing() && AtResizeHandle(pos.x());
    tracking_ = !resizing_;
    if (tracking_ && grid_->KorvSort()) SetPressed(SortClickColumn(pos));
  }
  QHeaderView::mousePressEvent(event);
}

void TkorvGridHeader::mouseMoveEvent(QMouseEvent* event) {
  QHeaderView::mouseMoveEvent(event);  // resize drags and the resize cursor
  if (!tracking_ || !(event->buttons() & Qt::LeftButton) || !grid_->KorvSort()) return;
  const QPoint pos = event->position().toPoint();
  const bool inHeader = pos.y() >= 0 && pos.y() < viewport()->height();
  const int under = inHeader ? logicalIndexAt(pos.x()) : -1;
  if (pressedCol_ >= 0 && under != pressedCol_) {
    // The cell left behind forgets its direction, as the press meant to change it.
    grid_->SetColumnSortDirection(pressedCol_, TSortDirection::None);
    SetPressed(-1);
  }
  if (pressedCol_ < 0) SetPressed(SortClickColumn(pos));
}

void TkorvGridHeader::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QHeaderView::mouseReleaseEvent(event);
    return;
  }
  const bool wasResizing = std::exchange(resizing_, false);
  tracking_ = false;
  QHeaderView::mouseReleaseEvent(event);
  if (wasResizing) {
    SetPressed(-1);
    Q_EMIT grid_->OnColumnResized();
    return;
  }
  if (!grid_->KorvSort()) return;
  const QPoint pos = event->position().toPoint();
  const QPoint inGrid = viewport()->mapTo(grid_, pos);
  const QRect client = grid_->viewport()->geometry().united(geometry());
  if (pressedCol_ >= 0 && !client.contains(inGrid)) {
    SetPressed(-1);
    return;
  }
  SetPressed(-1);
  const int col = SortClickColumn(pos);
  if (col >= 0) grid_->HeaderSortClick(col);
}

// A double click is a second press: on a border it is a resize (QHeaderView fits the column
// to its texts), in a cell a second sort click.
void TkorvGridHeader::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    const QPoint pos = event->position().toPoint();
    resizing_ = grid_->ColSizing() && AtResizeHandle(pos.x());
    tracking_ = !resizing_;
    if (tracking_ && grid_->KorvSort()) SetPressed(SortClickColumn(pos));
  }
  QHeaderView::mouseDoubleClickEvent(event);
}

void TkorvGridHeader::contextMenuEvent(QContextMenuEvent* event) {
  grid_->HandleContextMenu(event->reason() == QContextMenuEvent::Keyboard, true,
                           event->globalPos());
  event->accept();
}

// The same test QHeaderView makes before it starts a resize.
bool TkorvGridHeader::AtResizeHandle(int x) const {
  int visual = visualIndexAt(x);
  if (visual < 0) return false;
  const int logical = logicalIndex(visual);
  const int start = sectionViewportPosition(logical);
  const int grip = style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this);
  int handle = -1;
  if (x < start + grip) {
    while (visual > 0) {
      const int before = logicalIndex(--visual);
      if (!isSectionHidden(before)) {
        handle = before;
        break;
      }
    }
  } else if (x > start + sectionSize(logical) - grip) {
    handle = logical;
  }
  return handle >= 0 && sectionResizeMode(handle) == QHeaderView::Interactive;
}

void TkorvGridHeader::SetPressed(int col) {
  if (col == pressedCol_) return;
  const int old = std::exchange(pressedCol_, col);
  if (old >= 0) updateSection(old);
  if (col >= 0) updateSection(col);
}

}  // namespace zorvane
