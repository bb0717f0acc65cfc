// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/controls/window_fit.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "gui/controls/text_fit.h"

namespace zorvane {
namespace {

// The window manager's icon and three buttons, about a line's height each.
constexpr int kTitleButtons = 4;
constexpr int kFrameBorder = 4;

class TFitOnShow : public QObject {
 public:
  TFitOnShow(QWidget* window, QSize designed) : QObject(window), designed_(designed) {
    window->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && watched == parent()) {
      auto* window = static_cast<QWidget*>(watched);
      const QSize fitted = FittedWindowSize(window, designed_);
      if (fitted != window->size() && !window->testAttribute(Qt::WA_Moved)) {
        // Not placed yet: a dialog centres itself after this, at its new size.
        window->resize(fitted);
      } else if (fitted != window->size()) {
        // Placed by its owner (centred) at its old size: it stays centred there.
        const QSize growth = fitted - window->size();
        QPoint place = window->pos() - QPoint(growth.width() / 2, growth.height() / 2);
        if (const QScreen* screen = window->screen()) {
          const QRect room = screen->availableGeometry();
          const QPoint last = room.bottomRight() - QPoint(fitted.width(), fitted.height());
          place.setX(std::clamp(place.x(), room.left(), std::max(room.left(), last.x())));
          place.setY(std::clamp(place.y(), room.top(), std::max(room.top(), last.y())));
        }
        window->move(place);
        window->resize(fitted);
      }
    }
    return false;
  }

 private:
  QSize designed_;
};

}  // namespace

int TitleWidth(const QWidget* window) {
  const QFontMetrics metrics = window->fontMetrics();
  return TextWidth(metrics, window->windowTitle()) + kTitleButtons * metrics.height();
}

QSize WindowRoom(const QWidget* window) {
  const QScreen* screen = window->screen();
  if (!screen) return {};
  const int border = 2 * kFrameBorder;
  return screen->availableGeometry().size() -
         QSize(border, border + 2 * window->fontMetrics().height());
}

QSize FittedWindowSize(const QWidget* window, QSize designed) {
  const QFontMetrics metrics = window->fontMetrics();
  // A size set before (by the user, the owner or the design) stays when larger; a window never
  // sized has only Qt's default, which means nothing.
  QSize size = window->testAttribute(Qt::WA_Resized) ? window->size() : QSize(0, 0);
  size = size.expandedTo(window->sizeHint()).expandedTo(window->minimumSizeHint());
  // The designed width grows with the font; the designed height is a floor only, as the
  // layout's own height already follows the font (scaled, it would leave rows of empty space).
  if (designed.isValid())
    size = size.expandedTo({ScaledWidth(designed.width(), metrics), designed.height()});
  size.setWidth(std::max(size.width(), TitleWidth(window)));
  if (window->hasHeightForWidth())
    size.setHeight(std::max(size.height(), window->heightForWidth(size.width())));
  if (const QSize room = WindowRoom(window); room.isValid()) size = size.boundedTo(room);
  return size;
}

QSize FirstWindowSize(const QWidget* window, QSize stored, QSize designed, int wantedWidth) {
  const QFontMetrics metrics = window->fontMetrics();
  QSize size = stored.expandedTo({wantedWidth, 0})
                   .expandedTo({ScaledWidth(designed.width(), metrics),
                                ScaledWidth(designed.height(), metrics)})
                   .expandedTo(window->minimumSizeHint());
  if (const QSize room = WindowRoom(window); room.isValid()) size = size.boundedTo(room);
  return size;
}

void FitWhenShown(QWidget* window, QSize designed) {
  // Sized now too, so that an owner that centres it before showing it centres this size.
  window->resize(FittedWindowSize(window, designed));
  new TFitOnShow(window, designed);  // owned by window
}

}  // namespace zorvane
