// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/tray_state.h"

#include <algorithm>

#include "config/settings.h"
#include "query/server_stash.h"

namespace zorvane {

TTrayState TrayStateOf(const TServerStash& stash, const QString& key) {
  const int index = key == QLatin1String(kTraySetupKey) ? -1 : stash.IndexOf(key);
  if (index < 0) return {0, QStringLiteral("no server")};
  const TServer& server = *stash.Server(index);
  const QString ping = server.Ping();
  if (ping == QLatin1String(kNoReplyPing) || ping == QLatin1String(kAwaitedPing))
    return {0, QStringLiteral("offline")};
  int players = 0;
  for (int slot = 0; slot < kPlayerSlots; ++slot)
    if (server.PlayerInUse(slot)) ++players;
  QString tip = QString::number(players) +
                (players == 1 ? QStringLiteral(" player") : QStringLiteral(" players"));
  if (!server.TextEmpty(TServerText::MapName)) tip += QStringLiteral(" in ") + server.MapName();
  return {players > 0 ? 2 : 1, tip.left(kTrayTipLength)};
}

int TrayImageIndex(int group, int state) {
  if (group < 1 || group > kIconGroups) group = 1;
  return group * kIconStates - kIconStates + std::clamp(state, 0, kIconStates - 1);
}

}  // namespace zorvane
