// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/window/game_setup_controller.h"

#include <QDialog>
#include <QMainWindow>
#include <QMenu>

#include "config/configuration.h"
#include "gui/dialogs/game_list_dialogs.h"
#include "gui/dialogs/game_path_dialog.h"
#include "gui/dialogs/single_edit_dialog.h"
#include "gui/dialogs/tabs_dialog.h"
#include "gui/dialogs/window_dialogs.h"
#include "gui/view/server_view.h"
#include "gui/window/game_discovery.h"
#include "query/server_stash.h"

namespace zorvane {

TGameSetupController::TGameSetupController(TWindowContext& context, TGameDiscovery* discovery,
                                           TGameSetupHooks hooks)
    : context_(context), discovery_(discovery), hooks_(std::move(hooks)) {}

void TGameSetupController::CreateSystemItems(QMenu* system) {
  connect(context_.addAction(system, "miLocalPort", QStringLiteral("Local Port..."), {}),
          &QAction::triggered, this, &TGameSetupController::EditLocalPort);
  connect(context_.addAction(system, "miGameExes", QStringLiteral("Game Exes..."), {}),
          &QAction::triggered, this, [this] { EditPaths(QStringLiteral("gameExePath")); });
  connect(context_.addAction(system, "miGameINIs", QStringLiteral("Game INIs..."), {}),
          &QAction::triggered, this, [this] { EditPaths(QStringLiteral("gameFavoritesPath")); });
  connect(context_.addAction(system, "miUserINIs", QStringLiteral("User INIs..."), {}),
          &QAction::triggered, this, [this] { EditPaths(QStringLiteral("gameUserPath")); });
  connect(context_.addAction(system, "miFindGames", QStringLiteral("Find Installed Games..."), {}),
          &QAction::triggered, discovery_, &TGameDiscovery::FindInstalledGames);
  system->addSeparator();
  connect(context_.addAction(system, "miGames", QStringLiteral("Games..."), {}),
          &QAction::triggered, this, &TGameSetupController::EditGames);
  connect(context_.addAction(system, "miGameTypes", QStringLiteral("Game Types..."), {}),
          &QAction::triggered, this, &TGameSetupController::EditGameTypes);
  system->addSeparator();
}

void TGameSetupController::CreateToolsItems(QMenu* tools) {
  connect(context_.addAction(tools, "miTabs", QStringLiteral("Tabs..."), {}), &QAction::triggered,
          this, &TGameSetupController::EditVisibleTabs);
}

void TGameSetupController::EditLocalPort() {
  if (const auto port =
          zorvane::EditLocalPort(context_.window, context_.dialogs, context_.stash.LocalPort)) {
    context_.stash.LocalPort = *port;
    context_.config.settings.localPort = *port;
  }
}

void TGameSetupController::EditPaths(const QString& fieldKey) {
  // The views read the paths from the tables they share, so they see the new ones at once.
  discovery_->PathDialogClosed(EditGamePath(context_.window, context_.dialogs,
                                            context_.config.tables, fieldKey, 0, QString(), false,
                                            discovery_->PathDialogGame(fieldKey)));
  // An executable chosen in "Game Exes..." may have filled a game INI too.
  hooks_.offerMovedImport();
}

void TGameSetupController::EditGames() {
  const auto renames =
      zorvane::EditGames(context_.window, context_.dialogs, context_.config.tables);
  if (!renames) return;
  // A favourite's association names a game: it follows that game's new name (or goes with it).
  for (int i = 0; i < context_.stash.Count(); ++i) {
    TServer* server = context_.stash.Server(i);
    if (server->TextEmpty(TServerText::GameTypeName)) continue;
    const QString game = server->GameTypeName();
    if (const QString after = renames->After(game); after != game) server->SetGameTypeName(after);
  }
}

void TGameSetupController::EditGameTypes() {
  if (const auto commit =
          zorvane::EditGameTypes(context_.window, context_.dialogs, context_.config.tables))
    hooks_.followGameTypeChanges(*commit);
}

void TGameSetupController::EditVisibleTabs() {
  auto dialog = CreateTabsDialog(context_.window, context_.config.tables);
  if (dialog->exec() != QDialog::Accepted) return;
  const TTabChanges changes =
      ApplyVisibleTabs(context_.config.tables, TickedTabs(*dialog, context_.config.tables));
  for (const QString& name : changes.shown) hooks_.showTab(name);
  for (const QString& name : changes.hidden) {
    if (TkorvUTServerView* view = context_.view(name)) {
      view->RefreshCycle().StopAutoRefresh();
      hooks_.hideTab(view);
    }
  }
  if (!changes.shown.isEmpty())
    context_.dialogs.Information(context_.window, NewlyVisibleTabsNotice());
}

}  // namespace zorvane
