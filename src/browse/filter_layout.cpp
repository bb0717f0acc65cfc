// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/filter_layout.h"

#include <algorithm>

#include "browse/filter_table.h"

namespace zorvane {

TFilterPanelAlign FilterPanelAlignFromText(const QString& text) {
  const QString t = text.toLower();
  if (t == u"bottom") return TFilterPanelAlign::Bottom;
  if (t == u"left") return TFilterPanelAlign::Left;
  if (t == u"right") return TFilterPanelAlign::Right;
  return TFilterPanelAlign::Top;
}

QString FilterPanelAlignText(TFilterPanelAlign align) {
  switch (align) {
    case TFilterPanelAlign::Bottom:
      return QStringLiteral("bottom");
    case TFilterPanelAlign::Left:
      return QStringLiteral("left");
    case TFilterPanelAlign::Right:
      return QStringLiteral("right");
    case TFilterPanelAlign::Top:
      break;
  }
  return QStringLiteral("top");
}

TFilterLayout LayoutFilterBoxes(TFilterPanelAlign align, const std::array<bool, kFilterCount>& used,
                                bool isTeamView, const TFilterMetrics& metrics) {
  const bool across = align == TFilterPanelAlign::Top || align == TFilterPanelAlign::Bottom;
  const int perRow = across ? std::max(1, metrics.perRow) : 1;
  const int margin = align == TFilterPanelAlign::Right ? 10 : 5;
  const int firstRow = align == TFilterPanelAlign::Bottom ? 5 : 0;

  TFilterLayout layout;
  int shown = 0;
  for (int i = 0; i < kFilterCount; ++i) {
    TFilterBoxPlace& place = layout.boxes[i];
    place.visible = used[i] && (!kFilterTable[i].isTeam || isTeamView);
    if (!place.visible) continue;
    place.top = shown / perRow * metrics.rowHeight + firstRow;
    place.left = shown % perRow * metrics.columnWidth + margin;
    ++shown;
  }
  layout.panelVisible = shown > 0;
  if (!layout.panelVisible) return layout;
  if (across) {
    const int rows = (shown + perRow - 1) / perRow;
    layout.panelExtent = rows * metrics.rowHeight + firstRow;
  } else {
    layout.panelExtent = margin + metrics.boxWidth + (align == TFilterPanelAlign::Left ? 5 : 2);
  }
  return layout;
}

}  // namespace zorvane
