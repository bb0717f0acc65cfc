// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Joining a server from the window: the game is started through the launcher (JoinGame decides
// what is started and what is told), a missing executable path is asked for with the game-path
// dialog, and the window is minimised after the start when the settings say so.

#include <QObject>
#include <QString>
#include <memory>

#include "browse/join_server.h"
#include "gui/window/window_context.h"

namespace zorvane {

class TJoinController : public QObject {
  Q_OBJECT
 public:
  // launcher: none starts games for real.
  TJoinController(TWindowContext& context, TGameLauncher* launcher);
  ~TJoinController() override;

  // Starts the game of the server under key.
  void JoinServer(const QString& key);
  // How a join asks for a game's missing executable path; tests put their own answer here.
  void SetAskGamePath(TAskExePath ask) { askGamePath_ = std::move(ask); }

 private:
  TWindowContext& context_;
  std::unique_ptr<TGameLauncher> ownLauncher_;
  TGameLauncher* launcher_;
  // The game-path dialog, locked on the server's game.
  TAskExePath askGamePath_;
};

}  // namespace zorvane
