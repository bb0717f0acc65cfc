// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/window/game_tabs_offer.h"

#include "config/tab_offer.h"
#include "gui/dialogs/window_dialogs.h"

namespace zorvane {

TGameTabsOffer::TGameTabsOffer(QWidget* parent, TWindowDialogs& dialogs, TGameTables& tables,
                               bool& offered, TShowTabs showTabs)
    : parent_(parent),
      dialogs_(dialogs),
      tables_(tables),
      offered_(offered),
      showTabs_(std::move(showTabs)) {}

bool TGameTabsOffer::OfferFor(const QString& variant) {
  if (offered_) return false;
  const QStringList types = TabsToOffer(tables_, variant);
  if (types.isEmpty()) return false;
  offered_ = true;  // either answer is the user's choice; Tools/Tabs... changes it later
  if (!dialogs_.Confirm(parent_, TabsOfferQuestion(tables_, types), TWindowDialogs::TNoButton::No))
    return false;
  QStringList shown;
  for (const QString& name : types) {
    TGameType* type = tables_.FindGameType(name);
    if (!type || type->TabVisible) continue;
    type->TabVisible = true;
    shown << name;
  }
  if (!shown.isEmpty()) showTabs_(shown);
  return !shown.isEmpty();
}

bool TGameTabsOffer::OfferForInstalledGames() {
  for (const char* game : {"UT2004", "UT2003"}) {
    const TGameInfo* paths = tables_.FindPaths(QString::fromLatin1(game));
    if (paths && !paths->ExePath.Value.isEmpty()) return OfferFor(QString::fromLatin1(game));
  }
  return false;
}

}  // namespace zorvane
