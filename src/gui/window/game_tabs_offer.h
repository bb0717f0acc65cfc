// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// TGameTabsOffer: the one-time question whether UT2004's game types get tabs of their own.
// The window asks it before a UT2004 or UT2003 master list is queried, and after the game
// search found one of those games. A box is modal: replies and timers run while it is
// open (see window_dialogs.h).

#include <QString>
#include <QStringList>
#include <functional>

#include "config/game_tables.h"

class QWidget;

namespace zorvane {

class TWindowDialogs;

class TGameTabsOffer {
 public:
  // Shows the tabs of these game types (their TabVisible is set already) and fills them.
  using TShowTabs = std::function<void(const QStringList& gameTypes)>;

  // offered is the setting that remembers the question was asked ("offeredUT2004Tabs").
  TGameTabsOffer(QWidget* parent, TWindowDialogs& dialogs, TGameTables& tables, bool& offered,
                 TShowTabs showTabs);

  // Asks, unless it was asked before or there is nothing to offer for variant (tab_offer.h);
  // true when the user took the tabs.
  bool OfferFor(const QString& variant);
  // The same for the games the tables can start (found on the disk, or set by hand): asked
  // when UT2004 or UT2003 has its executable.
  bool OfferForInstalledGames();

 private:
  QWidget* parent_;
  TWindowDialogs& dialogs_;
  TGameTables& tables_;
  bool& offered_;
  TShowTabs showTabs_;
};

}  // namespace zorvane
