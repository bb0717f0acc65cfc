// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/window/worker_settings.h"

#include "config/master_lists.h"
#include "gui/view/server_view.h"

namespace zorvane {

void TellWorkers(const TSettings& settings, TMassRefresh* massRefresh,
                 const std::vector<TkorvUTServerView*>& views, bool updateRows) {
  if (massRefresh) {
    massRefresh->QueryPower = settings.queryPower;
    massRefresh->Masters = MasterListsOf(settings.masterLists);  // the next master query asks these
  }
  for (TkorvUTServerView* view : views) {
    view->SetQueryPower(settings.queryPower);
    view->SetPingWaitTime(settings.pingWaitTime);
    view->SetPingServerOnSelect(settings.autoPingServer);
    view->SetMorePlayerInfo(settings.morePlayerInfo, updateRows);
  }
}

}  // namespace zorvane
