// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/ut99_setup.h"

#include "config/game_tables.h"

namespace zorvane {

QString Ut99MainIniPath(const TGameTables& tables) {
  const TGameInfo* paths = tables.FindPaths(QStringLiteral("UT"));
  return paths ? paths->FavoritesPath.Value : QString();
}

QStringList Ut99SetupNotes(const QString& fileName) {
  const QString file = fileName.isEmpty()
                           ? QStringLiteral("UnrealTournament/System/UnrealTournament.ini")
                           : fileName;
  return {
      QStringLiteral("Note: you can get more items to show up above by manually adding them the "
                     "to zorvane.ini file in the [ut99ini] section."),
      QStringLiteral("Just add the section and key value separated by a pipe, and if you want a "
                     "comment, add it at the end with another pipe."),
      QStringLiteral("Use the existing values as a guide. Don't forget to update the Count "
                     "value. Also note that the Count is zero-based index."),
      QStringLiteral("Valid sections and keys to add can be found in the ") + file +
          QStringLiteral(" file."),
      QStringLiteral("Back up your zorvane.ini file before attempting to edit it."),
  };
}

}  // namespace zorvane
