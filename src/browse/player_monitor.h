// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The player monitor without its grid: the watched players and the cells the "Player Monitor"
// grid shows, one row per watched name with the server that player is on, or
// "{not in server list}". Rows follow the stash: a whole refresh, one name, or one server's
// reply at a time.
//
// The cells are the grid's model (header "Player", "Server", "Game Type", "IP"); the grid may
// sort them at any time, since rows are found by name, never by position. Names match whole
// player names, ignoring case: "Foo" is not "Foo|Clan".

#include <QObject>
#include <QString>
#include <QStringList>

namespace zorvane {

class TMessageSink;
class TServerStash;
class TStringTableModel;

class TPlayerMonitor : public QObject {
  Q_OBJECT

 public:
  // Shapes the cells (ShapeMonitorCells) and indexes them by player name.
  TPlayerMonitor(const TServerStash& stash, TStringTableModel& cells, QObject* parent = nullptr);

  const QStringList& WatchedPlayers() const { return watched_; }
  bool IsWatched(const QString& name) const;
  TStringTableModel& Cells() { return cells_; }

  // At start: the names of the settings file (empty and repeated ones dropped), each with a
  // "{not in server list}" row; then OnSortWanted(first data row).
  void LoadWatchedPlayers(const QStringList& names);

  // The Add Player dialog's OK. A name already watched gets AlreadyInListText (information)
  // and -1. Otherwise the name is watched, gets its row (OnSortWanted with it), and is looked
  // for in the stash. Returns the row as added (before the sort); -1 for an empty name.
  int AddWatchedPlayer(const QString& name, TMessageSink& messages);
  // A player picked in a server view, with that view's server; watched unless it is already.
  // The row is added only when the name has none; then OnSortWanted with it. Returns it or -1.
  int AddPlayerFromView(const QString& player, const QString& key, const QString& server,
                        const QString& gameType);
  // Delete Player on a data row with a name (the confirmation is the caller's): the name
  // stops being watched and its row goes; the last row left is emptied instead.
  bool DeleteWatchedPlayer(int row);
  // Names read from the buddy list: each one not watched yet is added and looked for; a
  // sort when any was added. Returns how many were added.
  int AddImportedPlayers(const QStringList& names);

  // First data row whose name cell equals name (ignoring case); -1 for none or an empty name.
  int FindPlayerRow(const QString& name) const;
  // Writes a row for name into the first row when that one is empty, else a new last row;
  // false (and nothing changed) when name has a row already.
  bool AddPlayerRow(const QString& name, const QString& key, const QString& server,
                    const QString& gameType);
  // Shows name on the first server of the stash holding it, or "{not in server list}".
  // True when it came online: it had no server before and now has one.
  bool UpdatePlayerRow(const QString& name);
  // Every watched name against the stash in one pass; then OnSortWanted(-1) and, when any
  // came online, OnPlayerCameOnline once.
  void RefreshPlayerMonitor();
  // One server's reply: watched names it holds that had no server are now on it
  // (OnPlayerCameOnline once), rows on it whose player it no longer holds lose it. A row
  // showing another server keeps it. Costs the watched names plus the server's 32 slots.
  void UpdatePlayerMonitorForServer(const QString& key);

  // "Are you sure you want to delete " + name + " ?"
  static QString DeleteQuestion(const QString& name);
  // Export Player's check of the row: a data row with a name. Reports otherwise
  // (information) and gives an empty name.
  QString ExportablePlayer(int row, TMessageSink& messages) const;

 Q_SIGNALS:
  // A watched player was found on a server after being nowhere (the player-online sound
  // restarts on it); once per operation, however many came online.
  void OnPlayerCameOnline();
  // The same, once for each player, with the server it was found on (the desktop's notice).
  void OnPlayerFound(const QString& name, const QString& key);
  // A name was watched or dropped (the server history keeps the watched names' sightings).
  void OnWatchedPlayersChanged();
  // The grid should sort now; currentRow (when >= 0) is to be made current first.
  void OnSortWanted(int currentRow);

 private:
  // Writes the server of stash position index into row (-1: not in the server list).
  void ShowServer(int row, int index);
  int AddWatched(const QString& name);

  const TServerStash& stash_;
  TStringTableModel& cells_;
  QStringList watched_;
};

}  // namespace zorvane
