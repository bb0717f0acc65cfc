// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A stash of servers filled by hand for the monitor tests.

#include <QStringList>

#include "query/server_stash.h"

namespace zorvane::testing {

// Adds 10.0.0.N:7778 (N = count + 1) with the name, game type, map and players given.
inline int AddKnownServer(TServerStash& stash, const QString& description, const QString& map,
                          const QStringList& players, const QString& gameType = "xDeathMatch") {
  const int index = stash.Count();
  stash.AddServer("10.0.0." + QString::number(index + 1), "7778", "", false, "UT2004", "True", "");
  TServer& server = *stash.Server(index);
  server.SetDescription(description);
  server.SetGameType(gameType);
  server.SetMapName(map);
  for (int slot = 0; slot < players.size(); ++slot) server.SetPlayerText(slot, TPlayerField::Name, players[slot]);
  return index;
}

}  // namespace zorvane::testing
