// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// When a reply becomes a sample, and how long samples are kept.

#include <QString>
#include <optional>

#include "history/history_sample.h"

namespace zorvane {

class TServer;

// At most one sample per server in this many seconds.
inline constexpr qint64 kSampleSpacingSecs = 5 * 60;
// Samples older than this are pruned.
inline constexpr qint64 kHistoryKeepSecs = 30 * 24 * 3600;

// Whether a reply at now makes a sample, the server's last sample being at last (none: it
// has none). A clock set back makes a sample too once the spacing has passed in either
// direction, so a wrong clock corrected later does not silence a server for days.
bool SampleDue(std::optional<qint64> last, qint64 now);

// The sample a reply gives: its player count ("numplayers", or the named player slots when
// that is no number), max players and map. Nothing for a server that is not online (a
// refused query).
std::optional<THistorySample> SampleOf(const TServer& server, qint64 now);

// The case-insensitive form of a player name that sightings are found by.
QString SightingKey(const QString& player);

}  // namespace zorvane
