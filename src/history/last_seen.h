// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The "Last Seen" of a watched player: when and where a reply last showed the player.

#include <QString>
#include <optional>

#include "history/history_sample.h"

namespace zorvane {

// How long ago seen was, as of now: "now" within the first minute (or for a time ahead of
// now), then "5 min ago", "3 h ago" (from 60 minutes), "2 d ago" (from 48 hours).
QString LastSeenText(qint64 seen, qint64 now);

struct TLastSeenCells {
  QString when;    // "now", "2 h ago", or empty: never seen
  QString server;  // the name of the server the player was on
  bool operator==(const TLastSeenCells&) const = default;
};

// The cells of a player monitor row: a player on a server now is seen "now" on that server;
// otherwise the last sighting, if any.
TLastSeenCells LastSeenCells(bool online, const QString& onlineServer,
                             const std::optional<TSighting>& seen, qint64 now);

}  // namespace zorvane
