// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/tab_offer.h"

#include "query/vocabulary.h"

namespace zorvane {

namespace {

const QString kFamily = QStringLiteral("UT2004");

bool InFamily(const TGameTables& tables, const TGameType& type) {
  const TGame* game = tables.FindGame(type.Game.Value);
  return game && game->Value.Value.compare(kFamily, Qt::CaseInsensitive) == 0;
}

}  // namespace

QStringList TabsToOffer(const TGameTables& tables, const QString& variant) {
  // The variants whose replies fill UT2004's game types: UT2003, UT2004 and their demos.
  if (!ParsesBinaryReplies(variant)) return {};
  QStringList hidden;
  for (const auto& type : tables.gameTypes) {
    if (!type || !InFamily(tables, *type)) continue;
    if (type->TabVisible) return {};  // the user has chosen tabs of the family already
    hidden << type->Name.Value;
  }
  return hidden;
}

QString TabsOfferQuestion(const TGameTables& tables, const QStringList& gameTypes) {
  QStringList titles;
  for (const QString& name : gameTypes) {
    const TGameType* type = tables.FindGameType(name);
    QString title = type ? type->Description.Value : QString();
    if (const qsizetype amp = title.indexOf(u'&'); amp >= 0) title.remove(amp, 1);
    titles << (title.isEmpty() ? name : title);
  }
  return QStringLiteral(
             "Show a tab for each UT2004 game type?\n\n"
             "Without them, UT2004 and UT2003 servers are all listed under "
             "\"Other\". The tabs: ") +
         titles.join(QStringLiteral(", ")) +
         QStringLiteral(".\n\nTools/Tabs... shows or hides tabs at any time.");
}

}  // namespace zorvane
