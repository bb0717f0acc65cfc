// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/centre_on_parent.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace zorvane {

QRect CentredFrame(const QRect& area, const QSize& frameSize, const QRect& screen) {
  QRect frame(QPoint(0, 0), frameSize);
  frame.moveCenter(area.center());
  if (screen.isValid()) {
    frame.moveLeft(
        std::max(screen.left(), std::min(frame.left(), screen.right() + 1 - frame.width())));
    frame.moveTop(
        std::max(screen.top(), std::min(frame.top(), screen.bottom() + 1 - frame.height())));
  }
  return frame;
}

void CentreOnParent(QWidget* dialog) {
  QWidget* window = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
  QScreen* screen = window ? window->screen() : dialog->screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QRect available = screen ? screen->availableGeometry() : QRect();
  const bool onWindow = window && window->isVisible() && !window->isMinimized();
  const QRect area = onWindow ? window->frameGeometry() : available;
  // The box is decorated as its window is; before it is mapped its own frame is unknown.
  QSize frame = dialog->frameGeometry().size();
  if (frame == dialog->size() && onWindow) frame += window->frameGeometry().size() - window->size();
  dialog->move(CentredFrame(area, frame, available).topLeft());
}

}  // namespace zorvane
