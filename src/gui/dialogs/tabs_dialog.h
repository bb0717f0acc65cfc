// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Use These Tabs": the row dialog of the filters, one row per game type but "Favorite",
// ticked where the type's tab is visible.

#include <QStringList>
#include <memory>
#include <optional>

#include "config/game_tables.h"
#include "gui/dialogs/filters_dialog.h"

namespace zorvane {

// The dialog filled from the tables: each row keyed by the type's name, captioned with its
// tab title.
std::unique_ptr<TfrmFilters> CreateTabsDialog(QWidget* parent, const TGameTables& tables);
// The names of the ticked rows.
QStringList TickedTabs(const TfrmFilters& dialog, const TGameTables& tables);
// The notice after OK when at least one tab became visible.
QString NewlyVisibleTabsNotice();

}  // namespace zorvane
