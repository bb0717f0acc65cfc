// SPDX-License-Identifier: GPL-2.0-or-later
#include "history/last_seen.h"

namespace zorvane {

QString LastSeenText(qint64 seen, qint64 now) {
  const qint64 ago = now - seen;
  if (ago < 60) return QStringLiteral("now");
  if (ago < 3600) return QStringLiteral("%1 min ago").arg(ago / 60);
  if (ago < 48 * 3600) return QStringLiteral("%1 h ago").arg(ago / 3600);
  return QStringLiteral("%1 d ago").arg(ago / (24 * 3600));
}

TLastSeenCells LastSeenCells(bool online, const QString& onlineServer,
                             const std::optional<TSighting>& seen, qint64 now) {
  if (online) return {QStringLiteral("now"), onlineServer};
  if (!seen) return {};
  return {LastSeenText(seen->time, now), seen->serverName};
}

}  // namespace zorvane
