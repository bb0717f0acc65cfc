// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// UT2004's buddy list in the game's user INI file: the section
// "[GUI2K4.UT2k4Browser_ServerListPageBuddy]" with one "Buddies=" line per player. This is the
// user's own file: the helpers read names and insert one line, and leave every other line as
// it was.

#include <QString>
#include <QStringList>

namespace zorvane {

class TTextLines;

inline constexpr const char* kBuddySectionHeader = "[GUI2K4.UT2k4Browser_ServerListPageBuddy]";
inline constexpr const char* kBuddyKey = "Buddies=";

// The first line whose start equals the section header (ignoring case); -1 when none.
int FindBuddySection(const TTextLines& lines);

// The names of the "Buddies=" lines after the header, up to the first empty line or the end
// of the file, in file order; empty names are left out. Nothing without the section.
QStringList ReadBuddies(const TTextLines& lines);

enum class TBuddyInsert {
  Inserted,
  AlreadyListed,  // "Buddies=" + player, as it would be written, is a line from the header on
};

// Inserts "Buddies=" + player into the buddy section, where the game and ReadBuddies find it:
// before the section's first "Buddies=" line, else (no buddies yet) right after its header; a
// file without the section gets it, with the line, at its end.
TBuddyInsert InsertBuddy(TTextLines& lines, const QString& player);

}  // namespace zorvane
