// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// zorvane-query --lan: one search of the local network through the event loop. Its log lines
// go to standard error; the servers found come back as query targets.

#include <QString>
#include <vector>

#include "tools/query/query_options.h"

namespace zorvane {

struct TLanSettings {
  QString addresses;  // "lanAddresses"
  int waitMs = kDefaultLanWaitMs;  // "lanSearchWait"
};

// The LAN values of "zorvane.ini" in dir, read only; the defaults when there is no such file.
TLanSettings ReadLanSettings(const QString& dir);

// Searches with the options' addresses (the settings' when none were given), ports and wait.
std::vector<TQueryTarget> RunLanSearch(const TQueryOptions& options, const TLanSettings& settings);

}  // namespace zorvane
