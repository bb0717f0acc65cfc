// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/window/views_in_step.h"

#include "gui/view/server_view.h"

namespace zorvane {

void KeepViewsInStep(TkorvUTServerView* view,
                     std::function<std::vector<TkorvUTServerView*>()> allViews) {
  const auto others = [allViews = std::move(allViews)](const QString& gameType, auto&& apply) {
    for (TkorvUTServerView* other : allViews())
      if (other->GameType().compare(gameType, Qt::CaseInsensitive) != 0) apply(other);
  };
  QObject::connect(view, &TkorvUTServerView::OnDetailSplitterMoved, view,
                   [others](const QString& gameType, int size) {
                     others(gameType, [size](TkorvUTServerView* v) { v->SetDetailHeight(size); });
                   });
  QObject::connect(view, &TkorvUTServerView::OnPlayerSplitterMoved, view,
                   [others](const QString& gameType, int size) {
                     others(gameType,
                            [size](TkorvUTServerView* v) { v->SetPlayerPanelWidth(size); });
                   });
  QObject::connect(
      view, &TkorvUTServerView::OnViewColumnResized, view,
      [others](const QString& gameType, const QString& grid, const std::vector<int>& widths) {
        others(gameType, [&](TkorvUTServerView* v) { v->SetGridColWidths(widths, grid); });
      });
  QObject::connect(
      view, &TkorvUTServerView::OnSort, view,
      [others](const QString& gameType, TGridType grid, int col, TSortDirection direction) {
        others(gameType, [&](TkorvUTServerView* v) { v->ResortGrid(grid, col, direction); });
      });
}

}  // namespace zorvane
