// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/view/status_line.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace zorvane {

TStatusLine::TStatusLine(QWidget* parent) : QWidget(parent) {
  flash_.setInterval(kFlashMs);
  flash_.setSingleShot(true);
  connect(&flash_, &QTimer::timeout, this, &TStatusLine::FlashOver);
  AddPanel(kMessageWidth);
  AddPanel(kVersionWidth);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void TStatusLine::AddPanel(int width) {
  panels_.push_back({width, {}, false, false});
  update();
}

QString TStatusLine::PanelText(int panel) const {
  return panel >= 0 && panel < PanelCount() ? panels_[panel].text : QString();
}

void TStatusLine::SetPanelText(int panel, const QString& text) {
  if (panel < 0 || panel >= PanelCount()) return;
  panels_[panel].text = text;
  update();
}

void TStatusLine::SetPanel0(const QString& text, bool flash, bool highlight) {
  flash_.stop();
  panels_[0].highlight = highlight;
  panels_[0].text = text;
  panels_[0].flash = flash;
  repaint();
}

void TStatusLine::SetPanel1(const QString& text, bool highlight) {
  panels_[1].highlight = highlight;
  panels_[1].text = text;
  repaint();
}

void TStatusLine::FlashOver() {
  flash_.stop();
  SetPanelText(0, u' ' + panels_[0].text);
}

QSize TStatusLine::sizeHint() const {
  return {kMessageWidth + kVersionWidth, fontMetrics().height() + 6};
}

void TStatusLine::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  int left = 0;
  for (int i = 0; i < PanelCount(); ++i) {
    TPanel& panel = panels_[i];
    // The last panel takes the rest of the line.
    const int width =
        i == PanelCount() - 1 ? std::max(panel.width, this->width() - left) : panel.width;
    const QRect rect(left, 0, width, height());
    left += width;
    QColor background;
    if (i == 0 && panel.highlight) {
      background = green_ ? kGreen : kNavy;
      green_ = !green_;
      lastColour_ = background;
    } else if (i == 1 && panel.highlight) {
      background = kMaroon;
    }
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.rect = rect;
    frame.state |= QStyle::State_Sunken;
    style()->drawPrimitive(QStyle::PE_Frame, &frame, &painter, this);
    const QRect inner = rect.adjusted(2, 1, -2, -1);
    if (background.isValid()) {
      painter.fillRect(inner, background);
      QFont bold = font();
      bold.setBold(true);
      painter.setFont(bold);
      painter.setPen(Qt::white);
    } else {
      painter.setFont(font());
      painter.setPen(palette().color(QPalette::WindowText));
    }
    painter.drawText(inner, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, panel.text);
    if (i == 0) {
      // A highlighted message is shown once; a flashing one then falls back to plain.
      const bool wasHighlighted = panel.highlight;
      panel.highlight = false;
      if (wasHighlighted && panel.flash) flash_.start();
      panel.flash = false;
    }
  }
}

}  // namespace zorvane
