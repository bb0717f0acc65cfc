// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/window/join_controller.h"

#include <QMainWindow>
#include <QProcessEnvironment>

#include "config/configuration.h"
#include "gui/dialogs/game_path_dialog.h"
#include "gui/dialogs/window_dialogs.h"

namespace zorvane {

TJoinController::TJoinController(TWindowContext& context, TGameLauncher* launcher)
    : context_(context) {
  if (!launcher) ownLauncher_ = std::make_unique<TDetachedLauncher>();
  launcher_ = launcher ? launcher : ownLauncher_.get();
  askGamePath_ = [this](const QString& game) {
    EditGamePath(context_.window, context_.dialogs, context_.config.tables,
                 QStringLiteral("gameExePath"), 1, QString(), true, game);
    return true;
  };
}

TJoinController::~TJoinController() = default;

void TJoinController::JoinServer(const QString& key) {
  const TJoinOutcome outcome = JoinGame(key, context_.stash, context_.config.tables, askGamePath_,
                                        *launcher_, QProcessEnvironment::systemEnvironment());
  QMainWindow* window = context_.window;
  switch (outcome.kind) {
    case TJoinOutcome::Nothing:
      break;
    case TJoinOutcome::Information:
      context_.dialogs.Information(window, outcome.text);
      break;
    case TJoinOutcome::Error:
      context_.dialogs.Error(window, outcome.text);
      break;
    case TJoinOutcome::Started:
      context_.log(QStringLiteral("Request to join server: ") + outcome.text);
      // Minimised, the window leaves only its tray icon.
      if (context_.config.settings.minimizeOnJoin)
        window->setWindowState(window->windowState() | Qt::WindowMinimized);
      break;
  }
}

}  // namespace zorvane
