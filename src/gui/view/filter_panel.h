// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The fifteen filter boxes of one server view on the panel the view docks at one of its sides.
// The view keeps the panel docked on FilterPanelAlign's side and populates its server grid
// again on FilterChanged and RepopulateRequested.

#include <QWidget>
#include <array>

#include "browse/filter_layout.h"
#include "config/filter_set.h"
#include "gui/view/filter_combobox.h"

namespace zorvane {

class TFilterPanel : public QWidget {
  Q_OBJECT

 public:
  // Hidden until LayoutFilters shows a box; docked at the top.
  explicit TFilterPanel(QWidget* parent = nullptr);

  // Null for an index out of range.
  TkorvUTFilterCombobox* Box(int index) const;

  // Sets the used flag and selects the item equal to text, or "[all]" when there is none;
  // LastText becomes the text shown. Neither lays out nor reports a change.
  void SetFilter(int index, const QString& text, bool used);
  QString FilterText(int index) const;  // empty for a bad index
  bool FilterUsed(int index) const;     // false for a bad index
  void SetFilterUsed(int index, bool used);

  // The texts shown and the used flags, as PassesFilters takes them and the settings keep them.
  TFilterSet Filters() const;
  void SetFilters(const TFilterSet& filters);

  TFilterPanelAlign FilterPanelAlign() const { return align_; }
  // A new side re-places the boxes (without repopulating) and reports AlignChanged; the same
  // side does nothing.
  void SetFilterPanelAlign(TFilterPanelAlign align);

  // Team filters are shown only in team views; used ones apply in every view. Takes effect at
  // the next LayoutFilters.
  bool IsTeamView() const { return isTeamView_; }
  void SetIsTeamView(bool teamView) { isTeamView_ = teamView; }

  // Shows the used boxes in rows for the panel's side and sizes the panel (its height at the
  // top or bottom, its width at the left or right); hides the panel when no box shows. With
  // repopulate, RepopulateRequested follows. Every box is as wide as the widest caption and
  // its font need; at the top or bottom a row holds as many as the panel's width has room for,
  // at most four.
  void LayoutFilters(bool repopulate);

  // At the top or bottom: one box's width (rows wrap), four boxes' when there is room.
  QSize minimumSizeHint() const override;
  QSize sizeHint() const override;

 Q_SIGNALS:
  // The user chose another value in the box of index: the server list must be filtered again.
  void FilterChanged(int index);
  void RepopulateRequested();
  void AlignChanged(zorvane::TFilterPanelAlign align);

 private:
  void OnBoxChanged(int index);
  // Every caption as wide as the widest of the fifteen.
  void LineUpCaptions();
  // The boxes' sizes in the font in use; boxes in a row for a panel this wide (-1: as many as
  // the design puts in a row).
  TFilterMetrics Metrics(int panelWidth) const;
  bool Across() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  std::array<TkorvUTFilterCombobox*, kFilterCount> boxes_{};  // children of this panel
  TFilterPanelAlign align_ = TFilterPanelAlign::Top;
  bool isTeamView_ = false;
  int perRow_ = 0;  // boxes in a row at the last layout
};

}  // namespace zorvane
