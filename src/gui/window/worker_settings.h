// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The one place where the settings reach the objects that follow them while the program runs:
// the mass refresh and the server views with their refresh cycles. The settings stay their
// only owner; nothing is read back from these objects to be saved.

#include <vector>

#include "browse/mass_refresh.h"
#include "config/settings.h"

namespace zorvane {

class TkorvUTServerView;

// Tells the mass refresh (when given) and each view what they take from the settings: the
// masters of each game, the delay strength, the reply wait, pinging the selected server, the
// fuller player counts (rows redrawn when updateRows).
void TellWorkers(const TSettings& settings, TMassRefresh* massRefresh,
                 const std::vector<TkorvUTServerView*>& views, bool updateRows);

}  // namespace zorvane
