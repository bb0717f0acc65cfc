// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The tabs offered once when UT2004 or UT2003 servers come in (a master list asked for, or the
// game found on the disk): while none of their game types has a tab, every one of their
// servers lands on "Other". The window asks the question; the setting "offeredUT2004Tabs"
// keeps it from being asked again.

#include <QString>
#include <QStringList>

#include "config/game_tables.h"

namespace zorvane {

// The hidden game types of the variant's family (the games whose "Version Association" is
// "UT2004") in table order, when none of them has a visible tab; empty when there is nothing
// to offer (a UT variant, an unknown one, or a tab of the family already shown).
QStringList TabsToOffer(const TGameTables& tables, const QString& variant);

// The question, naming the tabs of those game types by their titles.
QString TabsOfferQuestion(const TGameTables& tables, const QStringList& gameTypes);

}  // namespace zorvane
