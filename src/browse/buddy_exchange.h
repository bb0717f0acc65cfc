// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The player monitor's names exchanged with UT2004's buddy list in a game's user INI file.
// No widgets: what the user must be told goes to a message sink.
//
// The caller picks the game first: BuddyGameCandidates gives the games to offer; with exactly
// one it is taken, otherwise the game-path dialog asks (prompt ChooseGamePrompt(verb), the
// first candidate preselected). BuddyGameStatus then says whether to stop, or to ask for the
// user INI path (prompt kFavoritesPathPrompt) before ImportBuddies or ExportBuddy.

#include <QString>
#include <QStringList>

namespace zorvane {

class TMessageSink;
class TPlayerMonitor;
struct TGameTables;

// Games whose variant is not "UT" and that have a user INI path, in table order.
QStringList BuddyGameCandidates(const TGameTables& tables);

enum class TBuddyGame {
  Unknown,     // none chosen, or no game of the table: stop without a word
  UTOnly,      // a "UT" game: reported (information), stop
  NoUserPath,  // ask for the path; still none: BuddyFileNotSpecified (error), stop
  Ready,
};
// Checks the chosen game; reports the "UT" case.
TBuddyGame BuddyGameStatus(const QString& game, const TGameTables& tables, TMessageSink& messages);
// The game's user INI path ("gameUserPath"); empty when it has none.
QString BuddyUserPath(const QString& game, const TGameTables& tables);
// Reports (error) "The file to " + verb + " was not specified."
void BuddyFileNotSpecified(const QString& verb, TMessageSink& messages);

// Adds the buddies of the file at path to the monitor (each new one looked for in the stash).
// A file that cannot be read: "Could not open the ini for that game for some unknown reason :("
// (error). Returns how many names were added.
int ImportBuddies(const QString& path, TPlayerMonitor& monitor, TMessageSink& messages);

enum class TBuddyExport {
  Exported,       // the line was inserted and the file written
  AlreadyListed,  // reported: player + " is already in your game file."
  Unreadable,     // reported (information); nothing written
  WriteFailed,    // reported (error); the file is as it was
};
// Inserts "Buddies=" + player into the file's buddy list (see InsertBuddy: a user without
// buddies yet gets the first line) and writes the file back whole through a temporary file;
// every other line keeps its bytes and line end. On success reports player +
// " was successfully exported." (information).
TBuddyExport ExportBuddy(const QString& path, const QString& player, TMessageSink& messages);

}  // namespace zorvane
