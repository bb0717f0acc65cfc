// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The window's set-up commands: the local port, the game paths, the games, the game types and
// the visible tabs. What their dialogs change in the views and the tab strip the window does
// through the hooks.

#include <QObject>
#include <QString>
#include <functional>

#include "gui/window/window_context.h"

namespace zorvane {

class TGameDiscovery;
struct TGameTypeCommit;

struct TGameSetupHooks {
  std::function<void(const TGameTypeCommit& commit)> followGameTypeChanges;
  std::function<void(const QString& gameType)> showTab;  // its view made if need be
  std::function<void(TkorvUTServerView* view)> hideTab;
  // After the paths changed: the import from moved favourites files is offered.
  std::function<void()> offerMovedImport;
};

class TGameSetupController : public QObject {
  Q_OBJECT
 public:
  TGameSetupController(TWindowContext& context, TGameDiscovery* discovery, TGameSetupHooks hooks);

  // Local Port, the three path dialogs, Find Installed Games, Games and Game Types in system.
  void CreateSystemItems(QMenu* system);
  // Tabs in tools.
  void CreateToolsItems(QMenu* tools);

 private:
  void EditLocalPort();
  void EditPaths(const QString& fieldKey);
  void EditGames();
  void EditGameTypes();
  void EditVisibleTabs();

  TWindowContext& context_;
  TGameDiscovery* discovery_;  // a child of the window
  TGameSetupHooks hooks_;
};

}  // namespace zorvane
