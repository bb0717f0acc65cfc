// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/view/password_lock_delegate.h"

#include <QApplication>
#include <QPainter>
#include <QSvgRenderer>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace zorvane {

TPasswordLockDelegate::TPasswordLockDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QPixmap TPasswordLockDelegate::Lock(int size, qreal pixelRatio) const {
  const int pixels = std::max(1, int(std::lround(size * pixelRatio)));
  auto it = locks_.constFind(pixels);
  if (it == locks_.cend()) {
    QPixmap lock;
    QSvgRenderer renderer{QString::fromLatin1(kPasswordLockImage)};
    if (renderer.isValid()) {
      QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
      image.fill(Qt::transparent);
      QPainter painter(&image);
      renderer.render(&painter);
      painter.end();
      lock = QPixmap::fromImage(image);
      lock.setDevicePixelRatio(pixelRatio);
    }
    it = locks_.insert(pixels, lock);
  }
  return *it;
}

void TPasswordLockDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
  QStyleOptionViewItem cell(option);
  initStyleOption(&cell, index);
  // As tall as the row allows, up to the drawing's own 16 pixels, in the middle of the cell.
  const int size = std::clamp(cell.rect.height() - 2, 8, 16);
  const qreal ratio = cell.widget ? cell.widget->devicePixelRatioF() : 1.0;
  const QPixmap lock = cell.text.isEmpty() ? QPixmap() : Lock(size, ratio);
  if (!lock.isNull()) cell.text.clear();  // without the image the text says it
  const QStyle* style = cell.widget ? cell.widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);
  if (!lock.isNull())
    painter->drawPixmap(
        QStyle::alignedRect(cell.direction, Qt::AlignCenter, QSize(size, size), cell.rect), lock);
}

}  // namespace zorvane
