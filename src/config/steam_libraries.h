// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Steam's list of its game libraries, "steamapps/libraryfolders.vdf": Valve's text key-values
// (quoted keys and values, nested blocks in braces, "//" comments). Current files hold one
// block per library with its "path"; older ones held the paths as numbered values:
//
//   "libraryfolders" { "0" { "path" "/home/u/.local/share/Steam" ... } "1" { ... } }
//   "LibraryFolders" { "TimeNextStatsReport" "..." "1" "/mnt/games/SteamLibrary" }

#include <QByteArray>
#include <QStringList>

namespace zorvane {

// Steam keeps a few libraries; a file claiming more is not believed past this.
inline constexpr int kMaxSteamLibraries = 64;

// The absolute library paths the file names, in file order, without repeats. Junk, a cut file
// or an endless nesting give what was read before it.
QStringList SteamLibraryPaths(const QByteArray& vdf);

}  // namespace zorvane
