// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/view/filter_panel.h"

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

void TFilterPanel::LayoutFilters(bool repopulate) {
  std::array<bool, kFilterCount> used{};
  for (int i = 0; i < kFilterCount; ++i) used[i] = boxes_[i]->IsUsed();
  const TFilterLayout layout = LayoutFilterBoxes(align_, used, isTeamView_);

  for (int i = 0; i < kFilterCount; ++i) {
    const TFilterBoxPlace& place = layout.boxes[i];
    if (place.visible) boxes_[i]->move(place.left, place.top);
    boxes_[i]->setVisible(place.visible);
  }
  // Undo the other sides' fixed extent before fixing this side's.
  setMinimumSize(0, 0);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  if (layout.panelVisible) {
    const bool across = align_ == TFilterPanelAlign::Top || align_ == TFilterPanelAlign::Bottom;
    if (across) {
      setFixedHeight(layout.panelExtent);
    } else {
      setFixedWidth(layout.panelExtent);
    }
  }
  setVisible(layout.panelVisible);
  if (repopulate) Q_EMIT RepopulateRequested();
}

void TFilterPanel::OnBoxChanged(int index) {
  TkorvUTFilterCombobox* box = boxes_[index];
  const QString text = box->Text();
  if (text.compare(box->LastText(), Qt::CaseInsensitive) == 0) return;
  box->SetLastText(text);
  Q_EMIT FilterChanged(index);
}

}  // namespace zorvane
