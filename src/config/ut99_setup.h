// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the UT 99 setup command needs besides the INI store's editor window: the file it edits
// and the note lines shown under the rows.

#include <QString>
#include <QStringList>

namespace zorvane {

struct TGameTables;

// UT's main INI file (the game "UT"'s favourites path); empty when the game or its path is
// missing.
QString Ut99MainIniPath(const TGameTables& tables);

// The note lines, in order; fileName names the file the keys come from.
QStringList Ut99SetupNotes(const QString& fileName);

}  // namespace zorvane
