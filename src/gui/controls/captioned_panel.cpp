// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/controls/captioned_panel.h"

#include <QLabel>
#include <QResizeEvent>
#include <algorithm>

#include "gui/controls/control_font.h"
#include "gui/controls/text_fit.h"

namespace zorvane {
namespace {
constexpr int kBoxHeight = 21;
constexpr int kCaptionRightReserve = 20;
constexpr int kCaptionGap = 4;  // between a caption that needs all its room and the box
}  // namespace

TkorvCaptionedPanel::TkorvCaptionedPanel(QWidget* parent, const QString& lastText)
    : QWidget(parent), label_(new QLabel(this)), lastText_(lastText) {
  resize(kCreatedWidth, kCreatedHeight);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  const QFont ruled = ControlSetFont(font(), std::nullopt, logicalDpiY());
  if (ruled != font()) setFont(ruled);
}

void TkorvCaptionedPanel::AttachBox(QWidget* box) {
  box_ = box;
  label_->setBuddy(box_);  // the caption's accelerator focuses the box
  PlaceChildren();
}

QString TkorvCaptionedPanel::Caption() const {
  return label_->text();
}

void TkorvCaptionedPanel::SetCaption(const QString& caption) {
  label_->setText(caption.isEmpty() || caption.endsWith(u':') ? caption
                                                              : caption + QLatin1Char(':'));
  updateGeometry();
  PlaceChildren();
}

int TkorvCaptionedPanel::CaptionLeft() const {
  return captionLeft_;
}

void TkorvCaptionedPanel::SetCaptionLeft(int left) {
  if (left < 0) return;
  captionLeft_ = left;
  updateGeometry();
  PlaceChildren();
}

void TkorvCaptionedPanel::SetCaptionWidth(int width) {
  if (width < 0 || width == captionWidth_) return;
  if (CaptionLeft() + width > PanelWidth() - kCaptionRightReserve)
    width = std::max(0, PanelWidth() - kCaptionRightReserve - CaptionLeft());
  captionWidth_ = width;
  updateGeometry();
  PlaceChildren();
}

int TkorvCaptionedPanel::CaptionNeed() const {
  const int need = label_->text().isEmpty() ? 0 : label_->sizeHint().width() + kCaptionGap;
  return FitWidth(ScaledWidth(captionWidth_, fontMetrics()), need);
}

int TkorvCaptionedPanel::ShownCaptionWidth() const {
  return std::max(CaptionNeed(), captionFloor_);
}

void TkorvCaptionedPanel::SetCaptionFloor(int pixels) {
  if (pixels == captionFloor_) return;
  captionFloor_ = pixels;
  updateGeometry();
  PlaceChildren();
}

void TkorvCaptionedPanel::SetPanelWidth(int width) {
  if (width < 0) return;
  panelWidth_ = width;
  updateGeometry();
  resize(width, height());
  PlaceChildren();  // a hidden panel gets its resize event only when shown
}

int TkorvCaptionedPanel::BoxHeight() const {
  return box_ ? std::max(kBoxHeight, box_->sizeHint().height()) : kBoxHeight;
}

void TkorvCaptionedPanel::PlaceChildren() {
  const int left = ScaledWidth(captionLeft_, fontMetrics());
  const int caption = ShownCaptionWidth();
  const int boxHeight = BoxHeight();
  label_->setGeometry(left, 0, caption, boxHeight);  // the text centred on the box's
  if (box_) box_->setGeometry(left + caption, 0, std::max(0, width() - left - caption), boxHeight);
}

QSize TkorvCaptionedPanel::sizeHint() const {
  const QFontMetrics metrics = fontMetrics();
  const int designedBox = std::max(0, panelWidth_ - captionLeft_ - captionWidth_);
  const int box = ScaledWidth(designedBox, metrics);
  return {std::max(minimumSizeHint().width(),
                   ScaledWidth(captionLeft_, metrics) + ShownCaptionWidth() + box),
          minimumSizeHint().height()};
}

QSize TkorvCaptionedPanel::minimumSizeHint() const {
  const int box = std::max(kCaptionRightReserve, box_ ? box_->minimumSizeHint().width() : 0);
  return {ScaledWidth(captionLeft_, fontMetrics()) + ShownCaptionWidth() + box,
          std::max(kCreatedHeight, BoxHeight() + 2)};
}

void TkorvCaptionedPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceChildren();
}

void TkorvCaptionedPanel::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    updateGeometry();
    PlaceChildren();
  }
}

bool TkorvCaptionedPanel::event(QEvent* event) {
  // The box asks for another size (new items, a new style): the panel asks its owner in turn.
  if (event->type() == QEvent::LayoutRequest) {
    updateGeometry();
    PlaceChildren();
  }
  return QWidget::event(event);
}

void TkorvCaptionedPanel::SetFontName(const QString& name) {
  QFont f = font();
  f.setFamily(name);
  setFont(f);  // the caption and the box inherit it
}

void TkorvCaptionedPanel::SetFontSize(int points) {
  if (points <= 0) return;
  QFont f = font();
  f.setPointSize(points);
  setFont(f);
}

}  // namespace zorvane
