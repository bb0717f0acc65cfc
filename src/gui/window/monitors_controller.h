// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The window's player and map monitors, Find Player / Find Server and the buddy exchange: the
// two monitor pages, their menus, boxes and the reply hook. The rows themselves are kept by
// TPlayerMonitor and TMapMonitor, which write straight into the grids' cells.

#include <QObject>
#include <QString>
#include <memory>

#include "browse/find_search.h"
#include "gui/window/window_context.h"

class QMenu;
class QTabWidget;
class QToolBar;

namespace zorvane {

class TkorvStringGrid;
class TMapMonitor;
class TPlayerMonitor;
class TStatusLine;

class TMonitorsController : public QObject {
  Q_OBJECT
 public:
  // Adds the "Player Monitor" and "Map Monitor" pages to pages.
  TMonitorsController(TWindowContext& context, QTabWidget* pages);
  ~TMonitorsController() override;

  // A view's "add to monitor" commands reach the monitors.
  void ConnectView(TkorvUTServerView* view);
  // The two menus before Help, with their tool-bar buttons; the current view's add commands
  // move into them from the Server menu.
  void CreateMenus(QToolBar* toolBar, QMenu* serverMenu);
  // The watched lists and the grids' sorts and widths, from the settings; and back at close.
  void ApplySettings();
  void GatherSettings();
  // A server's reply, and every row again (after a mass refresh).
  void ServerUpdated(const QString& key);
  void RefreshAll();

  TkorvStringGrid* PlayerGrid() const { return grdPlayerMonitor_; }
  TkorvStringGrid* MapGrid() const { return grdMapMonitor_; }
  TStatusLine* PlayerStatus() const { return staPlayerMonitor_; }
  TStatusLine* MapStatus() const { return staMapMonitor_; }
  TPlayerMonitor& PlayerMonitor() { return *playerMonitor_; }
  TMapMonitor& MapMonitor() { return *mapMonitor_; }

 private:
  QWidget* CreatePage(const QString& title, const QString& firstColumn, int firstWidth,
                      TkorvStringGrid*& grid, TStatusLine*& status);
  void PlayerPopupOpening(int row);
  void MapPopupOpening(int row);
  void AddWatchedPlayer();
  void DeleteWatchedPlayer();
  void AddWatchedMap();
  void DeleteWatchedMap();
  void JoinMonitorRow(TkorvStringGrid* grid);
  void CopyMonitorName(TkorvStringGrid* grid);
  void FindDialog(TFindKind kind);
  void FindNext(TFindKind kind);
  void ImportPlayers();
  void ExportPlayer();
  QString ChooseBuddyFile(const QString& verb);

  TWindowContext& context_;
  QTabWidget* pages_;
  TkorvStringGrid* grdPlayerMonitor_ = nullptr;
  TkorvStringGrid* grdMapMonitor_ = nullptr;
  TStatusLine* staPlayerMonitor_ = nullptr;
  TStatusLine* staMapMonitor_ = nullptr;
  // The monitors write into their grids' cells (children of the pages, which outlive them).
  std::unique_ptr<TPlayerMonitor> playerMonitor_;
  std::unique_ptr<TMapMonitor> mapMonitor_;
  QMenu* popPlayerMonitor_ = nullptr;
  QMenu* popMapMonitor_ = nullptr;
  TFindSearch findPlayer_{TFindKind::Player};
  TFindSearch findServer_{TFindKind::Server};
};

}  // namespace zorvane
