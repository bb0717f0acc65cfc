// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the server history keeps: a sample of a server's players now and then, and the last
// sighting of each watched player.

#include <QString>
#include <QtGlobal>
#include <vector>

namespace zorvane {

inline constexpr const char* kHistoryFileName = "history.sqlite";

struct THistorySample {
  qint64 time = 0;  // seconds since the epoch
  int players = 0;
  int maxPlayers = 0;
  QString map;
  bool operator==(const THistorySample&) const = default;
};

// A sample on its way to the database, with the stash key of its server.
struct TKeyedSample {
  QString key;
  THistorySample sample;
};

// A watched player seen on a server.
struct TSighting {
  QString player;  // as the server wrote it, without colour codes
  QString serverKey;
  QString serverName;
  qint64 time = 0;
  bool operator==(const TSighting&) const = default;
};

// What one hand-over to the writer thread carries.
struct THistoryBatch {
  std::vector<TKeyedSample> samples;
  std::vector<TSighting> sightings;
  bool Empty() const { return samples.empty() && sightings.empty(); }
};

}  // namespace zorvane
