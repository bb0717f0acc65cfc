// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A stash as a master list's refresh leaves it, for the server cache's tests.

#include <QString>

#include "query/server_stash.h"

namespace zorvane::testing {

// A favourite and a server found on the LAN (neither is cached), then `count` listed servers
// that answered: a name in UTF-8, 30 settings and up to four players each.
inline void FillListedServers(TServerStash& stash, int count) {
  stash.AddServer("10.250.0.1", "7778", "DM", true, "UT", "True", "Mine");
  stash.AddServer("10.250.0.2", "7778", {}, false, "UT", "True", {});
  stash.Server(1)->FromLan = true;
  for (int i = 0; i < count; ++i) {
    stash.AddServer(QStringLiteral("10.%1.%2.%3").arg(i >> 16).arg((i >> 8) & 255).arg(i & 255),
                    "7778", {}, false, "UT", "True", {});
    TServer& server = *stash.Server(stash.Count() - 1);
    server.SetDescription(QStringLiteral("Server %1 \u2603").arg(i));
    server.SetMapName(QStringLiteral("CTF-Face%1").arg(i % 7));
    for (int k = 0; k < 30; ++k) {
      const QByteArray key = "Key" + QByteArray::number(k);
      server.SetSettingLatin1(k, key, QByteArray::number(i * k));
    }
    for (int p = 0; p < i % 5; ++p)
      server.SetPlayer(p, {QStringLiteral("Player%1").arg(p), "12", "55", "1", "Mesh", "", "", ""});
    server.Online = true;
    server.ReplyMark = i;
  }
}

}  // namespace zorvane::testing
