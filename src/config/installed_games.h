// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Finding UT, UT2003 and UT2004 on this computer: native Linux installs, Steam libraries, Wine
// prefixes and folders the user names, each with the three paths the program keeps.
//
// A Windows install keeps its INI files beside its executable. The native Linux games keep
// them under the home folder: UT with the OldUnreal patch in ~/.utpg/System (Loki's older port
// in ~/.loki/ut/System), UT2004 in ~/.ut2004/System, UT2003 in ~/.ut2003/System.

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace zorvane {

struct TGameTables;

struct TGameSearchPlaces {
  QString home;                     // empty: no place under a home folder is searched
  QProcessEnvironment environment;  // XDG_DATA_HOME and WINEPREFIX are read
  QStringList folders;              // named by the user
  QStringList systemFolders;        // shared install roots, each holding game folders
  // This user's: $HOME, the process's environment, /usr/local/games, /usr/games and /opt.
  static TGameSearchPlaces OfThisUser();
};

enum class TGameSource { Native, Steam, Wine, Folder };

struct TFoundGame {
  QString game;  // "UT", "UT2003" or "UT2004"
  TGameSource source = TGameSource::Native;
  bool native = false;  // a Linux binary, not a Windows executable
  QString folder;       // the installation
  QString exePath;
  QString favoritesPath;  // the game's main INI, which holds its favourites
  QString userPath;
};

// The games in the usual places and the user's folders, the user's first; each executable
// once. Nothing is written.
std::vector<TFoundGame> FindInstalledGames(const TGameSearchPlaces& places);
// The games in one folder: an installation, its System folder, a Wine prefix, a Steam library
// or a folder of installations.
std::vector<TFoundGame> FindGamesInFolder(const QString& folder, const TGameSearchPlaces& places);

// The INI files the game started by exePath reads: beside a Windows executable (an existing
// file's spelling is kept whatever its letter case), under home for a native binary of UT,
// UT2003 or UT2004. Empty paths for a native binary of another kind.
struct TIniGuess {
  QString favoritesPath;
  QString userPath;
};
TIniGuess GuessIniPaths(const QString& exePath, const QString& home);

// "UT2004 - Linux version (Steam)" and the like.
QString FoundGameTitle(const TFoundGame& found);

// Puts each found game's paths into the tables (committed and working copy); games the tables
// do not list are left out. A game's favourites-moved flag tells whether its favourites file
// changed, every other game's is cleared. Returns the games changed.
QStringList ApplyFoundGames(TGameTables& tables, const std::vector<TFoundGame>& found);

// A regular file's bytes, at most maxBytes of them: nothing for a missing, larger or unreadable
// file, or a folder, FIFO or device, which could block or never end.
std::optional<QByteArray> ReadRegularFile(const QString& path, qint64 maxBytes);

}  // namespace zorvane
