// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// zorvane-query --history: one server's samples from a settings folder's server history.

#include <QByteArray>
#include <QString>
#include <vector>

#include "history/history_sample.h"

namespace zorvane {

// One JSON object: the server's key and its samples, oldest first, one to a line:
// {"server": KEY, "samples": [
// {"time": SECONDS, "utc": "2024-05-01T20:15:00Z", "players": N, "maxPlayers": M, "map": MAP},
// ...]}
QByteArray HistoryJson(const QString& key, const std::vector<THistorySample>& samples);

// Reads the history file of dir without changing anything in the folder and prints the
// server's samples. 0 when printed (no sample is an empty list), 1 with a message on standard
// error when there is no history to read.
int PrintHistory(const QString& dir, const QString& key);

}  // namespace zorvane
