// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/view/filter_panel.h"

#include <QEvent>
#include <algorithm>

namespace zorvane {

TFilterPanel::TFilterPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("filterPanel"));
  setVisible(false);
  for (int i = 0; i < kFilterCount; ++i) {
    boxes_[i] = CreateFilterCombobox(i, this);
    connect(boxes_[i], &TkorvCombobox::Changed, this, [this, i] { OnBoxChanged(i); });
  }
}

TkorvUTFilterCombobox* TFilterPanel::Box(int index) const {
  return index >= 0 && index < kFilterCount ? boxes_[index] : nullptr;
}

void TFilterPanel::SetFilter(int index, const QString& text, bool used) {
  if (auto* box = Box(index)) {
    box->SetIsUsed(used);
    box->SelectValue(text);
  }
}

QString TFilterPanel::FilterText(int index) const {
  const auto* box = Box(index);
  return box ? box->Text() : QString();
}

bool TFilterPanel::FilterUsed(int index) const {
  const auto* box = Box(index);
  return box && box->IsUsed();
}

void TFilterPanel::SetFilterUsed(int index, bool used) {
  if (auto* box = Box(index)) box->SetIsUsed(used);
}

TFilterSet TFilterPanel::Filters() const {
  TFilterSet set;
  for (int i = 0; i < kFilterCount; ++i) {
    set.values[i] = boxes_[i]->Text();
    set.used[i] = boxes_[i]->IsUsed();
  }
  return set;
}

void TFilterPanel::SetFilters(const TFilterSet& filters) {
  for (int i = 0; i < kFilterCount; ++i) SetFilter(i, filters.values[i], filters.used[i]);
}

void TFilterPanel::SetFilterPanelAlign(TFilterPanelAlign align) {
  if (align == align_) return;
  align_ = align;
  LayoutFilters(false);
  Q_EMIT AlignChanged(align_);
}

namespace {
constexpr int kMargin = 5;  // the design's space before the first box
}  // namespace

bool TFilterPanel::Across() const {
  return align_ == TFilterPanelAlign::Top || align_ == TFilterPanelAlign::Bottom;
}

void TFilterPanel::LineUpCaptions() {
  int caption = 0;
  for (const TkorvUTFilterCombobox* box : boxes_) caption = std::max(caption, box->CaptionNeed());
  for (TkorvUTFilterCombobox* box : boxes_) box->SetCaptionFloor(caption);
}

TFilterMetrics TFilterPanel::Metrics(int panelWidth) const {
  TFilterMetrics metrics;
  int height = 0;
  for (const TkorvUTFilterCombobox* box : boxes_) {
    metrics.boxWidth = std::max(metrics.boxWidth, box->sizeHint().width());
    height = std::max(height, box->sizeHint().height());
  }
  // The design's gaps between boxes stay as they were.
  metrics.rowHeight = std::max(kFilterRowHeight, height + kFilterRowHeight - kFilterBoxHeight);
  metrics.columnWidth = metrics.boxWidth + kFilterColumnWidth - kFilterBoxWidth;
  const int gap = metrics.columnWidth - metrics.boxWidth;
  if (panelWidth >= 0)
    metrics.perRow = std::clamp((panelWidth - kMargin + gap) / metrics.columnWidth, 1, 4);
  return metrics;
}

void TFilterPanel::LayoutFilters(bool repopulate) {
  std::array<bool, kFilterCount> used{};
  for (int i = 0; i < kFilterCount; ++i) used[i] = boxes_[i]->IsUsed();
  LineUpCaptions();
  // Out of sight the panel's width means nothing (a hidden page keeps an old one): rows of
  // four then, the least height, so that it makes no window taller than it needs to be.
  const TFilterMetrics metrics = Metrics(isVisible() ? width() : -1);
  perRow_ = metrics.perRow;
  const TFilterLayout layout = LayoutFilterBoxes(align_, used, isTeamView_, metrics);

  for (int i = 0; i < kFilterCount; ++i) {
    const TFilterBoxPlace& place = layout.boxes[i];
    if (place.visible)
      boxes_[i]->setGeometry(place.left, place.top, metrics.boxWidth,
                             boxes_[i]->sizeHint().height());
    boxes_[i]->setVisible(place.visible);
  }
  // Undo the other sides' fixed extent before fixing this side's.
  setMinimumSize(0, 0);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  if (layout.panelVisible) {
    if (Across()) {
      setFixedHeight(layout.panelExtent);
    } else {
      setFixedWidth(layout.panelExtent);
    }
  }
  updateGeometry();
  setVisible(layout.panelVisible);
  if (repopulate) Q_EMIT RepopulateRequested();
}

QSize TFilterPanel::minimumSizeHint() const {
  if (!Across()) return QWidget::minimumSizeHint();
  return {2 * kMargin + Metrics(-1).boxWidth, height()};
}

QSize TFilterPanel::sizeHint() const {
  if (!Across()) return QWidget::sizeHint();
  const TFilterMetrics metrics = Metrics(-1);
  return {kMargin + metrics.perRow * metrics.columnWidth, height()};
}

void TFilterPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // A narrower or wider panel holds fewer or more boxes in a row: the rows change.
  if (Across() && isVisible() && Metrics(width()).perRow != perRow_) LayoutFilters(false);
}

void TFilterPanel::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (Across() && Metrics(width()).perRow != perRow_) LayoutFilters(false);
}

void TFilterPanel::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (Across() && perRow_ != Metrics(-1).perRow) LayoutFilters(false);
}

void TFilterPanel::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange) LayoutFilters(false);
}

void TFilterPanel::OnBoxChanged(int index) {
  TkorvUTFilterCombobox* box = boxes_[index];
  const QString text = box->Text();
  if (text.compare(box->LastText(), Qt::CaseInsensitive) == 0) return;
  box->SetLastText(text);
  Q_EMIT FilterChanged(index);
}

}  // namespace zorvane
