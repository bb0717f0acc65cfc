// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The server cache of a big last session, shared by the benchmarks that start the window.

#include <QString>

#include "bench/status_samples.h"
#include "query/binary_protocol.h"
#include "query/server_cache.h"
#include "query/server_stash.h"
#include "query/text_protocol.h"

namespace zorvane::bench {

// Writes at path the cache of `count` servers with full replies (every rule, 30 settings, 0 to
// 12 players, five game types); the reason it could not be written, empty when it was.
inline QString WriteCachedList(const QString& path, int count) {
  const char* types[] = {"CTFGame", "DeathMatchPlus", "TeamGamePlus", "Domination", "Assault"};
  TServerStash stash;
  const QByteArray rules = BinaryRules(30);
  for (int i = 0; i < count; ++i) {
    stash.AddServer(QStringLiteral("10.%1.%2.%3").arg(i >> 16).arg((i >> 8) & 255).arg(i & 255),
                    QStringLiteral("7778"), {}, false, QStringLiteral("UT"),
                    QStringLiteral("True"), {});
    TServer& server = *stash.Server(i);
    int mark = 0;
    ParseTextDatagram(server, TextStatus(i % 4 * 4, QByteArray::number(i), true), mark,
                      20 + i % 300, {});
    ParseBinaryReply(server, rules, 50);
    server.SetGameType(QString::fromLatin1(types[i % 5]));
    server.ReplyComplete = server.Online = true;
  }
  return SaveServerCache(path, stash);
}

}  // namespace zorvane::bench
