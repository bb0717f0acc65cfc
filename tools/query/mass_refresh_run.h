// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// zorvane-query --master and --default-masters: a whole mass refresh without a window, every
// master asked at once. Status and log lines go to standard error in the program's own words.

#include <QByteArray>
#include <QString>
#include <vector>

#include "query/master_query.h"
#include "tools/query/query_options.h"

namespace zorvane {

class TServerStash;

struct TMassRefreshOutcome {
  std::vector<TMasterOutcome> masters;  // in the order they finished
  int listed = 0;                       // servers the lists named, each once
  int replyPercent = 0;
  // 0 when a master gave a whole list, 3 when the best was a list cut off, 1 when none gave a
  // list.
  int ExitStatus() const;
};

// The masters the options name: with --default-masters the game's masters in the settings of
// --dir (read only), or without --dir the built-in ones; then each --master.
TMasterAddresses MastersToAsk(const TQueryOptions& options);

TMassRefreshOutcome RunMassRefresh(TServerStash& stash, const TMasterAddresses& masters,
                                   int queryPower, const QString& variant);

// The summary's entry per master: [{"address": "127.0.0.1:28900", "outcome": "ok",
// "servers": 12}, ...], in the order they finished.
QByteArray MastersJson(const std::vector<TMasterOutcome>& masters);

}  // namespace zorvane
