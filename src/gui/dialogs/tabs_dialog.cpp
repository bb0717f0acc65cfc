// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/tabs_dialog.h"

#include "config/game_edits.h"

namespace zorvane {

std::unique_ptr<TfrmFilters> CreateTabsDialog(QWidget* parent, const TGameTables& tables) {
  auto dialog = std::make_unique<TfrmFilters>(parent);
  dialog->setObjectName(QStringLiteral("frmTabs"));
  dialog->setWindowTitle(QStringLiteral("Use These Tabs"));
  for (const TGameType* type : TabChoices(tables))
    dialog->AddBox(type->Name.Value, type->Description.Value, type->TabVisible);
  return dialog;
}

QStringList TickedTabs(const TfrmFilters& dialog, const TGameTables& tables) {
  QStringList ticked;
  for (const TGameType* type : TabChoices(tables))
    if (dialog.Checked(type->Name.Value)) ticked << type->Name.Value;
  return ticked;
}

QString NewlyVisibleTabsNotice() {
  return QStringLiteral(
      "To get the newly visible tab(s) to properly populate:\r\n - For UT99 and associated game "
      "types, please requery the UT Master Server (press F8).\r\n - Otherwise please close and "
      "re-open Zorvane.");
}

}  // namespace zorvane
