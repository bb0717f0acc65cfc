// SPDX-License-Identifier: GPL-2.0-or-later
// The window's own settings: applied to the views, the workers and the window's size at start,
// gathered from them when the window closes.

#include <QApplication>
#include <QFontDatabase>
#include <QStyle>
#include <QTabBar>
#include <QToolBar>
#include <algorithm>

#include "browse/filter_layout.h"
#include "gui/controls/window_fit.h"
#include "gui/view/server_view.h"
#include "gui/window/main_window.h"
#include "gui/window/mass_refresh_controller.h"
#include "gui/window/monitors_controller.h"
#include "gui/window/worker_settings.h"

namespace zorvane {

void TfrmZorvane::ApplySettings() {
  const TSettings& s = config_.settings;
  if (s.fontName != u"not there") {
    // The named fonts are Windows fonts; where one is missing the desktop's own font is used
    // at the stored size.
    QFont font = QApplication::font();
    if (QFontDatabase::hasFamily(s.fontName)) font.setFamily(s.fontName);
    font.setPointSize(s.fontSize);
    setFont(font);
  }
  stash_.LocalPort = s.localPort;
  const TFilterPanelAlign align = FilterPanelAlignFromText(s.filterLocation);
  for (const auto& [name, view] : views_) {
    view->SetFilters(s.FiltersOf(view->GameType()));
    view->SetFilterPanelAlign(align);
    view->LayoutFilters(false);
    if (s.infoHeight) view->SetDetailHeight(*s.infoHeight);
    if (s.playerWidth) view->SetPlayerPanelWidth(*s.playerWidth);
    for (int grid = gtServer; grid <= gtSetting; ++grid) {
      const TGridSort& sort = s.sorts[grid - 1];
      view->SetGridSort(TGridType(grid), sort.column, sort.direction);
    }
    view->SetGridColWidths(s.columnWidths[0], QStringLiteral("grdServer"));
    view->SetGridColWidths(s.columnWidths[1], QStringLiteral("grdPlayer"));
    view->SetGridColWidths(s.columnWidths[2], QStringLiteral("grdSetting"));
    view->SetDebugging(debug_);
  }
  std::vector<TkorvUTServerView*> views;
  for (const auto& [name, view] : views_) views.push_back(view);
  TellWorkers(s, &refresher_->Refresh(), views, false);
  TkorvUTServerView* favorites = FavoritesView();
  favorites->SetDefaultVersion(s.defaultVersion);
  favorites->SetConfirmServerDelete(s.confirmServerDelete);
  favorites->SetAutoRefreshSelectedServerOnly(s.autoRefreshSelectedServerOnly);
  monitors_->ApplySettings();
  pages_->setUsesScrollButtons(!s.tabsMultiline);
  if (s.lastActivePageIndex >= 0 && s.lastActivePageIndex < pages_->count())
    pages_->setCurrentIndex(s.lastActivePageIndex);
  // Sized last, when filters and columns are in place: wide enough for every tab and for every
  // page's contents (filters at the side, the grids' columns), where the screen has room.
  const int frame = 2 * pages_->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, pages_);
  const TSettings designed;
  resize(FirstWindowSize(
      this, {s.windowWidth, s.windowHeight}, {designed.windowWidth, designed.windowHeight},
      std::max(pages_->tabBar()->sizeHint().width() + frame, sizeHint().width())));
}

void TfrmZorvane::GatherSettings() {
  TSettings& s = config_.settings;
  TkorvUTServerView* favorites = FavoritesView();
  if (!isMinimized() && !isMaximized()) {
    s.windowWidth = std::clamp(width(), 1, 1999);
    s.windowHeight = std::clamp(height(), 1, 1999);
  }
  s.infoHeight = favorites->DetailHeight();
  s.playerWidth = favorites->PlayerPanelWidth();
  // Until the start-up query lists the favourites, the stored selection is still the user's.
  if (favoritesListed_) s.lastSelectedServer = favorites->SelectedServerKey();
  s.lastActivePageIndex = pages_->currentIndex();
  for (int grid = gtServer; grid <= gtSetting; ++grid)
    s.sorts[grid - 1] = {favorites->GridSortCol(TGridType(grid)),
                         favorites->GridSortDirection(TGridType(grid))};
  s.columnWidths[0] = favorites->GridColWidths(QStringLiteral("grdServer"));
  s.columnWidths[1] = favorites->GridColWidths(QStringLiteral("grdPlayer"));
  s.columnWidths[2] = favorites->GridColWidths(QStringLiteral("grdSetting"));
  for (const auto& [name, view] : views_) s.FiltersOf(view->GameType()) = view->Filters();
  // Hidden only when the user hid it: a window in the tray hides its tool bar too.
  s.showToolbar = !toolBar_->isHidden();
  monitors_->GatherSettings();
}

}  // namespace zorvane
