// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/controls/captioned_panel.h"

#include <QLabel>
#include <QResizeEvent>
#include <algorithm>

#include "gui/controls/control_font.h"

namespace zorvane {
namespace {
constexpr int kCaptionTop = 2;
constexpr int kCaptionHeight = 17;
constexpr int kBoxWidth = 90;
constexpr int kBoxHeight = 21;
constexpr int kCaptionRightReserve = 20;
}  // namespace

TkorvCaptionedPanel::TkorvCaptionedPanel(QWidget* parent, const QString& lastText)
    : QWidget(parent), label_(new QLabel(this)), lastText_(lastText) {
  resize(kCreatedWidth, kCreatedHeight);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  label_->setGeometry(0, kCaptionTop, kCreatedCaptionWidth, kCaptionHeight);
  const QFont ruled = ControlSetFont(font(), std::nullopt, logicalDpiY());
  if (ruled != font()) setFont(ruled);
}

void TkorvCaptionedPanel::AttachBox(QWidget* box) {
  box_ = box;
  box_->setGeometry(label_->width(), 0, kBoxWidth, kBoxHeight);
  boxRightGap_ = width() - (box_->x() + box_->width());
  label_->setBuddy(box_);  // the caption's accelerator focuses the box
}

QString TkorvCaptionedPanel::Caption() const {
  return label_->text();
}

void TkorvCaptionedPanel::SetCaption(const QString& caption) {
  label_->setText(caption.isEmpty() || caption.endsWith(u':') ? caption
                                                              : caption + QLatin1Char(':'));
}

int TkorvCaptionedPanel::CaptionLeft() const {
  return label_->x();
}

void TkorvCaptionedPanel::SetCaptionLeft(int left) {
  if (left >= 0) label_->move(left, label_->y());
}

int TkorvCaptionedPanel::CaptionWidth() const {
  return label_->width();
}

void TkorvCaptionedPanel::SetCaptionWidth(int width) {
  if (width < 0 || width == label_->width()) return;
  if (CaptionLeft() + width > PanelWidth() - kCaptionRightReserve)
    width = std::max(0, PanelWidth() - kCaptionRightReserve - CaptionLeft());
  const int growth = width - label_->width();
  label_->resize(width, label_->height());
  if (box_) PlaceBox(box_->x() + growth);
}

void TkorvCaptionedPanel::SetPanelWidth(int width) {
  if (width < 0) return;
  resize(width, height());
  if (box_) PlaceBox(box_->x());  // a hidden panel gets its resize event only when shown
}

void TkorvCaptionedPanel::PlaceBox(int left) {
  const int right = width() - boxRightGap_;
  box_->setGeometry(left, box_->y(), std::max(0, right - left), box_->height());
}

QSize TkorvCaptionedPanel::sizeHint() const {
  return {width(), kCreatedHeight};
}

QSize TkorvCaptionedPanel::minimumSizeHint() const {
  return {minimumWidth(), kCreatedHeight};
}

void TkorvCaptionedPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (box_) PlaceBox(box_->x());
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
