// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/controls/app_icons.h"

#include <QPainter>
#include <QPainterPath>

namespace zorvane {

namespace {

// Offline, online and empty, online with players.
const QColor kStateColours[3] = {QColor(200, 30, 30), QColor(30, 70, 210), QColor(20, 160, 40)};

// The group's outline in a 100 × 100 box.
QPainterPath Shape(int group) {
  QPainterPath path;
  switch (group) {
    case 1:  // a disc
      path.addEllipse(QRectF(8, 8, 84, 84));
      break;
    case 2:  // a rounded square
      path.addRoundedRect(QRectF(10, 10, 80, 80), 18, 18);
      break;
    case 3:  // a diamond
      path.moveTo(50, 4);
      path.lineTo(96, 50);
      path.lineTo(50, 96);
      path.lineTo(4, 50);
      path.closeSubpath();
      break;
    case 4:  // a shield
      path.moveTo(12, 10);
      path.lineTo(88, 10);
      path.lineTo(88, 48);
      path.quadTo(88, 82, 50, 96);
      path.quadTo(12, 82, 12, 48);
      path.closeSubpath();
      break;
    default:  // a ring
      path.addEllipse(QRectF(6, 6, 88, 88));
      path.addEllipse(QRectF(32, 32, 36, 36));
      path.setFillRule(Qt::OddEvenFill);
      break;
  }
  return path;
}

}  // namespace

QPixmap IconImage(int index, int size) {
  if (index < 0 || index >= kIconImageCount) index = 0;
  const int group = index / 3 + 1;
  const QColor colour = kStateColours[index % 3];
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 100.0, size / 100.0);
  const QPainterPath shape = Shape(group);
  QLinearGradient shade(0, 0, 0, 100);
  shade.setColorAt(0, colour.lighter(150));
  shade.setColorAt(1, colour.darker(130));
  painter.setBrush(shade);
  painter.setPen(QPen(colour.darker(200), 6));
  painter.drawPath(shape);
  return pixmap;
}

QIcon IconOf(int index) {
  QIcon icon;
  for (int size : {16, 22, 32, 48, 64}) icon.addPixmap(IconImage(index, size));
  return icon;
}

}  // namespace zorvane
