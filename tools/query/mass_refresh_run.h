// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// zorvane-query --master: a whole mass refresh without a window. Status and log lines go to
// standard error in the program's own words.

#include <QString>

namespace zorvane {

class TServerStash;

struct TMassRefreshOutcome {
  bool masterAnswered = false;  // false: the master failed (its message is out)
  bool listCut = false;         // its list ended without its end mark
  int listed = 0;
  int replyPercent = 0;
};

TMassRefreshOutcome RunMassRefresh(TServerStash& stash, const QString& master, int queryPower,
                                   const QString& variant);

}  // namespace zorvane
