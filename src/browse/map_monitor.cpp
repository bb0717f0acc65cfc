// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/map_monitor.h"

#include <QHash>
#include <QSet>
#include <vector>

#include "browse/filter_match.h"
#include "browse/monitor_cells.h"
#include "browse/string_table_model.h"
#include "config/message_sink.h"
#include "query/network_text.h"
#include "query/server_stash.h"
#include "query/vocabulary.h"

namespace zorvane {

namespace {

const QString kPlaceholder = QString::fromLatin1(kNotInServerList);

bool SameMap(const QString& a, const QString& b) { return AsciiEqualsIgnoreCase(a, b); }

}  // namespace

TMapMonitor::TMapMonitor(const TServerStash& stash, TStringTableModel& cells, QObject* parent)
    : QObject(parent), stash_(stash), cells_(cells) {
  ShapeMonitorCells(cells_,
                    {QStringLiteral("Map"), QStringLiteral("Server"), QStringLiteral("Game Type"),
                     QStringLiteral("IP")},
                    mcKey);
}

bool TMapMonitor::IsWatched(const QString& map) const {
  for (const QString& watched : watched_)
    if (SameMap(watched, map)) return true;
  return false;
}

void TMapMonitor::LoadWatchedMaps(const QStringList& maps) {
  for (const QString& map : maps) {
    if (map.isEmpty() || IsWatched(map)) continue;
    watched_.append(map);
    if (FindMapRow(map) < 0) AddPlaceholder(map);
  }
  Q_EMIT OnSortWanted(-1);
}

bool TMapMonitor::AddWatchedMap(const QString& map, TMessageSink& messages) {
  if (map.isEmpty()) return false;
  if (IsWatched(map)) {
    messages.Show(TMessageKind::Information, AlreadyInListText(map));
    return false;
  }
  watched_.append(map);
  UpdateMapRows(map);
  Q_EMIT OnSortWanted(cells_.RowCount() - 1);
  return true;
}

int TMapMonitor::AddMapFromView(const QString& map, const QString& key, const QString& server,
                                const QString& gameType) {
  if (map.isEmpty()) return -1;
  if (!IsWatched(map)) watched_.append(map);
  if (!AddMapRow(map, key, server, gameType, true)) return -1;
  const int row = key.isEmpty() ? FindMapRow(map) : cells_.FindRowByKey(key);
  Q_EMIT OnSortWanted(row);
  return row;
}

bool TMapMonitor::DeleteWatchedMap(int row) {
  if (!IsMonitorDataRow(cells_, row)) return false;
  const QString map = cells_.Cell(mcName, row);
  if (map.isEmpty()) return false;
  for (qsizetype i = watched_.size() - 1; i >= 0; --i)
    if (SameMap(watched_[i], map)) watched_.removeAt(i);
  DeleteMapRows(map);
  return true;
}

int TMapMonitor::FindMapRow(const QString& map) const {
  if (map.isEmpty()) return -1;
  for (int row = cells_.FixedRows(); row < cells_.RowCount(); ++row)
    if (SameMap(cells_.Cell(mcName, row), map)) return row;
  return -1;
}

int TMapMonitor::FindPlaceholderRow(const QString& map) const {
  for (int row = cells_.FixedRows(); row < cells_.RowCount(); ++row)
    if (SameMap(cells_.Cell(mcName, row), map) && cells_.Cell(mcServer, row) == kPlaceholder)
      return row;
  return -1;
}

bool TMapMonitor::AddMapRow(const QString& map, const QString& key, const QString& server,
                            const QString& gameType, bool unique) {
  if (unique && FindMapRow(map) >= 0) return false;
  int row = server != kPlaceholder ? FindPlaceholderRow(map) : -1;
  if (row < 0) row = FreeMonitorRow(cells_);
  cells_.SetRowTexts(row, {map, server, gameType, key});
  return true;
}

void TMapMonitor::AddPlaceholder(const QString& map) {
  // Spelt as the user watches it, not as the last server wrote it.
  QString name = map;
  for (const QString& watched : watched_)
    if (SameMap(watched, map)) name = watched;
  cells_.SetRowTexts(FreeMonitorRow(cells_), {name, kPlaceholder, QString(), QString()});
}

void TMapMonitor::DeleteMapRows(const QString& map) {
  if (map.isEmpty()) return;
  for (int row = cells_.RowCount() - 1; row >= cells_.FixedRows(); --row)
    if (SameMap(cells_.Cell(mcName, row), map)) DeleteMonitorRow(cells_, row);
}

bool TMapMonitor::UpdateMapRowsFrom(const QString& map, const std::vector<int>& servers) {
  if (SameMap(map, QStringLiteral("Map"))) return false;  // the header's text
  DeleteMapRows(map);
  for (const int index : servers) {
    const TServer& server = *stash_.Server(index);
    cells_.SetRowTexts(FreeMonitorRow(cells_), {server.MapName(), PlainName(server.Description()),
                                                server.GameType(), stash_.Key(index)});
  }
  if (servers.empty()) AddPlaceholder(map);
  return !servers.empty();
}

bool TMapMonitor::UpdateMapRows(const QString& map) {
  std::vector<int> servers;
  QString wanted = map;
  for (int next = stash_.FindServerByMap(wanted, 0, true); next > 0;
       next = stash_.FindServerByMap(wanted, next, true))
    servers.push_back(next - 1);
  return UpdateMapRowsFrom(map, servers);
}

void TMapMonitor::RefreshMapMonitor() {
  // One walk over the stash sorts its servers to the watched maps.
  // Servers on a watched map before, to tell which started one.
  QSet<QString> before;
  for (int row = cells_.FixedRows(); row < cells_.RowCount(); ++row)
    if (!cells_.Cell(mcKey, row).isEmpty())
      before.insert(cells_.Cell(mcKey, row).toLower() + u'\n' + AsciiLower(cells_.Cell(mcName, row)));
  QHash<QString, std::vector<int>> playing;
  playing.reserve(watched_.size());
  for (const QString& map : watched_) playing.insert(AsciiLower(map), {});
  for (int i = 0; i < stash_.Count(); ++i) {
    const TServer& server = *stash_.Server(i);
    if (server.TextEmpty(TServerText::MapName)) continue;
    const auto it = playing.find(AsciiLower(server.MapName()));
    if (it != playing.end()) it->push_back(i);
  }
  cells_.BeginUpdate();
  for (const QString& map : watched_) UpdateMapRowsFrom(map, playing.value(AsciiLower(map)));
  cells_.EndUpdate();
  Q_EMIT OnSortWanted(-1);
  for (const auto& servers : std::as_const(playing))
    for (const int index : servers) {
      const QString key = stash_.Key(index);
      const QString map = stash_.Server(index)->MapName();
      if (!before.contains(key.toLower() + u'\n' + AsciiLower(map))) Q_EMIT OnMapStarted(map, key);
    }
}

void TMapMonitor::UpdateMapMonitorForServer(const QString& key) {
  const int index = stash_.IndexOf(key);
  const TServer* server = stash_.Server(index);
  if (!server) return;
  const QString serverKey = stash_.Key(index);
  const QString map = server->MapName();
  const int row = cells_.FindRowByKey(serverKey);
  if (row < 0) {
    if (IsWatched(map) &&
        AddMapRow(map, serverKey, PlainName(server->Description()), server->GameType(), false))
      Q_EMIT OnMapStarted(map, serverKey);
    return;
  }
  const QString oldMap = cells_.Cell(mcName, row);
  if (SameMap(oldMap, map)) return;
  if (IsWatched(map)) {
    // Onto another watched map: the row follows, and that map's placeholder goes.
    cells_.SetCell(mcName, row, map);
    cells_.SetCell(mcGameType, row, server->GameType());
    const int placeholder = FindPlaceholderRow(map);
    if (placeholder >= 0) DeleteMonitorRow(cells_, placeholder);
    if (FindMapRow(oldMap) < 0) AddPlaceholder(oldMap);
    Q_EMIT OnMapStarted(map, serverKey);
    return;
  }
  DeleteMonitorRow(cells_, row);
  if (FindMapRow(oldMap) < 0) AddPlaceholder(oldMap);
}

QString TMapMonitor::DeleteQuestion(const QString& map) {
  return QStringLiteral("Are you sure you want to delete ") + map +
         QStringLiteral("? (All rows with this map will be deleted).");
}

}  // namespace zorvane
