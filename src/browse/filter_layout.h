// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Where the filter boxes of a view go: the panel's side decides how many boxes share a row and
// the margins; the used boxes (team boxes only in team views) fill the rows in index order.

#include <QString>
#include <array>

#include "config/filter_set.h"

namespace zorvane {

enum class TFilterPanelAlign { Top, Bottom, Left, Right };

// "top", "bottom", "left", "right" (ignoring case); anything else is the top.
TFilterPanelAlign FilterPanelAlignFromText(const QString& text);
QString FilterPanelAlignText(TFilterPanelAlign align);

inline constexpr int kFilterBoxWidth = 160;
inline constexpr int kFilterBoxHeight = 21;
inline constexpr int kFilterCaptionWidth = 80;
inline constexpr int kFilterRowHeight = 26;
inline constexpr int kFilterColumnWidth = 170;

// The boxes' sizes: as designed, or as the font in use needs them.
struct TFilterMetrics {
  int boxWidth = kFilterBoxWidth;  // caption included
  int rowHeight = kFilterRowHeight;
  int columnWidth = kFilterColumnWidth;
  int perRow = 4;  // boxes in a row at the top or bottom; 1 at the sides
};

struct TFilterBoxPlace {
  bool visible = false;
  int left = 0;
  int top = 0;
};

struct TFilterLayout {
  std::array<TFilterBoxPlace, kFilterCount> boxes{};
  bool panelVisible = false;
  // The panel's height for the top and bottom, its width for the left and right; 0 when hidden.
  int panelExtent = 0;
};

// A box is shown when used and, for a team filter, when the view is a team view.
TFilterLayout LayoutFilterBoxes(TFilterPanelAlign align, const std::array<bool, kFilterCount>& used,
                                bool isTeamView, const TFilterMetrics& metrics = {});

}  // namespace zorvane
