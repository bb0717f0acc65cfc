// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The map monitor without its grid: the watched maps and the cells the "Map Monitor" grid
// shows. A watched map has either one placeholder row ("{not in server list}", no game type,
// no key) or one row per server playing it; a server has at most one row, found by its key in
// constant time. The grid keeps at least one (possibly empty) data row.
//
// Maps compare ignoring the case of A-Z, as the stash's map search does; server rows show the
// map name as the server writes it.

#include <QObject>
#include <QString>
#include <QStringList>

namespace zorvane {

class TMessageSink;
class TServerStash;
class TStringTableModel;

class TMapMonitor : public QObject {
  Q_OBJECT

 public:
  // Shapes the cells (header "Map", "Server", "Game Type", "IP") and indexes them by key.
  TMapMonitor(const TServerStash& stash, TStringTableModel& cells, QObject* parent = nullptr);

  const QStringList& WatchedMaps() const { return watched_; }
  bool IsWatched(const QString& map) const;
  TStringTableModel& Cells() { return cells_; }

  // At start: the names of the settings file (empty and repeated ones dropped), each with a
  // placeholder row unless it has a row already; then OnSortWanted(-1).
  void LoadWatchedMaps(const QStringList& maps);

  // The Add Map dialog's OK. A map already watched gets AlreadyInListText (information) and
  // false. Otherwise it is watched, its rows are built from the stash and OnSortWanted(last
  // row) follows. The map "Map" (the header's text) is watched but gets no row.
  bool AddWatchedMap(const QString& map, TMessageSink& messages);
  // A server view's map with its server: watched unless it is already; a row only when the
  // map has none yet, then OnSortWanted with it. Returns the row or -1.
  int AddMapFromView(const QString& map, const QString& key, const QString& server,
                     const QString& gameType);
  // Delete Map on a data row with a map (the confirmation is the caller's): the map stops
  // being watched and all its rows go.
  bool DeleteWatchedMap(int row);

  // First data row whose map cell equals map; -1 for none or an empty map.
  int FindMapRow(const QString& map) const;
  // unique: refused (false) when the map has a row. A server row reuses the map's placeholder
  // row, else the first row when empty, else a new last row. Returns whether a row was written.
  bool AddMapRow(const QString& map, const QString& key, const QString& server,
                 const QString& gameType, bool unique);
  // Every row of the map goes; the last data row left is emptied instead.
  void DeleteMapRows(const QString& map);
  // The map's rows rebuilt from the stash: one per server playing it, in stash order, or the
  // placeholder. True when any server plays it. Nothing for the map "Map".
  bool UpdateMapRows(const QString& map);
  // Every watched map rebuilt, with one walk over the stash; then OnSortWanted(-1).
  void RefreshMapMonitor();
  // One server's reply: its row follows a change of map (to another watched map it keeps the
  // row, to any other map it loses it and the old map's placeholder returns when no server
  // plays it any more), and a server newly playing a watched map gets a row. Costs a key
  // look-up, plus a scan of the rows when the server's map changed.
  void UpdateMapMonitorForServer(const QString& key);

  // "Are you sure you want to delete " + map + "? (All rows with this map will be deleted)."
  static QString DeleteQuestion(const QString& map);

 Q_SIGNALS:
  // The grid should sort now; currentRow (when >= 0) is to be made current first.
  void OnSortWanted(int currentRow);
  // A server started a watched map: its reply (or the refresh after a master list) shows it
  // on the map it was not on before. map as the server writes it.
  void OnMapStarted(const QString& map, const QString& key);

 private:
  bool UpdateMapRowsFrom(const QString& map, const std::vector<int>& servers);
  void AddPlaceholder(const QString& map);
  int FindPlaceholderRow(const QString& map) const;

  const TServerStash& stash_;
  TStringTableModel& cells_;
  QStringList watched_;
};

}  // namespace zorvane
