// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/window/lan_controller.h"

#include <QAction>

#include "config/settings.h"
#include "gui/view/server_view.h"

namespace zorvane {

TLanController::TLanController(TServerStash& stash, const TSettings& settings,
                               TkorvUTServerView* view, QObject* parent)
    : QObject(parent), settings_(settings), view_(view), servers_(stash) {
  connect(&servers_, &TLanServers::OnLog, this, &TLanController::OnLog);
  connect(&servers_, &TLanServers::OnSearchDone, this, &TLanController::SearchDone);
  // F5 on the LAN tab searches again instead of asking the servers it lists.
  if (QAction* again = view ? view->FindViewAction(QStringLiteral("actRefreshServerGrid")) : nullptr) {
    disconnect(again, &QAction::triggered, view, nullptr);
    again->setProperty("captionTemplate", QStringLiteral("Find LAN Servers Again"));
    again->setText(QStringLiteral("Find LAN Servers Again"));
    connect(again, &QAction::triggered, this, &TLanController::Search);
  }
}

void TLanController::Search() {
  if (servers_.Start(settings_.lanAddresses, settings_.lanSearchWait) && servers_.Running())
    ShowStatus(QStringLiteral("Searching for LAN servers..."));
}

void TLanController::SearchDone(int found, int removed) {
  if (removed > 0) Q_EMIT OnServersRemoved();
  // Listed as their replies come in, like the servers of any list. The list's count goes
  // first: the status line then says what the search found.
  if (view_) view_->PopulateServerGrid(true, true);
  ShowStatus(LanSearchDoneText(found));
  if (view_ && found > 0) view_->RefreshCycle().RefreshServerList();
}

void TLanController::ShowStatus(const QString& text) {
  if (view_) view_->SetStatusText(0, text, false, false);
  Q_EMIT OnStatus(text);
}

}  // namespace zorvane
