// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Joining a server: which game to start for it, how to start it on this system, and what to
// tell the user when it cannot be started.
//
// A game whose executable ends in ".exe" (any case) is a Windows game and runs under the
// `wine` found on PATH, as [exe path, "address:game port"]; anything else is a native binary
// or launcher script started directly with ["address:game port"]. The game port is the query
// port minus 1. The game starts in its executable's folder, where it finds its INI files.
// Everything goes to the process as an argument list, never through a shell: addresses come
// from the network.

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>

namespace zorvane {

class TServerStash;
struct TGameTables;

struct TJoinCommand {
  QString program;  // absolute path of what is started
  QStringList arguments;
  QString workingDirectory;
  QProcessEnvironment environment;  // the caller's, plus WINEPREFIX for a game inside a prefix

  // Program and arguments joined with blanks, as the log shows the join.
  QString CommandLine() const;
};

// Starts a game without waiting for it. Tests record instead.
class TGameLauncher {
 public:
  virtual ~TGameLauncher() = default;
  // False when the process could not be started.
  virtual bool Start(const TJoinCommand& command) = 0;
};

// The real start: a detached process that outlives this program.
class TDetachedLauncher : public TGameLauncher {
 public:
  bool Start(const TJoinCommand& command) override;
};

enum class TJoinFailure {
  None,
  FileNotFound,   // the executable is not there
  PathNotFound,   // nor is its folder
  BadExecutable,  // not a file this system can run
  WineMissing,    // a Windows game, and no wine on PATH
  Unknown,        // the start itself failed
};

// ".exe" at the end, in any letter case.
bool IsWindowsExecutable(const QString& exePath);
// The Wine prefix the file lies in: the nearest folder above it holding "system.reg" and
// "drive_c". Empty when there is none; wine then uses its default prefix, which is the one
// installed games were detected in.
QString WinePrefixOf(const QString& filePath);
// The first executable file named name in the folders of PATH (from environment); empty when
// there is none. An empty PATH finds nothing.
QString FindOnPath(const QString& name, const QProcessEnvironment& environment);

// Decides how to start exePath for the server host:queryPort. failure is None when command
// can be started.
struct TJoinPlan {
  TJoinCommand command;
  TJoinFailure failure = TJoinFailure::None;
};
TJoinPlan PlanJoin(const QString& exePath, const QString& host, int queryPort,
                   const QProcessEnvironment& environment);

// The error box's text for a failed start of exePath (as the user gave it).
QString JoinFailureText(TJoinFailure failure, const QString& exePath);

// What a join ended with, for the window to show.
struct TJoinOutcome {
  enum TKind {
    Nothing,      // the server is not known
    Information,  // text goes into an information box
    Error,        // text goes into an error box
    Started,      // text is the command line that was started
  };
  TKind kind = Nothing;
  QString text;
};

// Lets the user enter the executable path of a game (named); true when it was accepted.
using TAskExePath = std::function<bool(const QString& game)>;

// Joins the server under key: finds its game through its game type, asks for the game's
// executable when none is set, and starts it. Only askExePath may change the tables.
TJoinOutcome JoinGame(const QString& key, const TServerStash& stash, const TGameTables& tables,
                      const TAskExePath& askExePath, TGameLauncher& launcher,
                      const QProcessEnvironment& environment);

}  // namespace zorvane
