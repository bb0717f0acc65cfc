// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/player_monitor.h"

#include <QHash>
#include <QVarLengthArray>

#include "browse/monitor_cells.h"
#include "browse/string_table_model.h"
#include "config/message_sink.h"
#include "query/network_text.h"
#include "query/server_stash.h"

namespace zorvane {

namespace {

const QString kPlaceholder = QString::fromLatin1(kNotInServerList);

// Player names compare the way the stash's exact player search compares them. By value: a
// temporary is folded in place, without a second allocation.
QString Folded(QString name) { return std::move(name).toCaseFolded(); }

}  // namespace

TPlayerMonitor::TPlayerMonitor(const TServerStash& stash, TStringTableModel& cells,
                               QObject* parent)
    : QObject(parent), stash_(stash), cells_(cells) {
  ShapeMonitorCells(cells_,
                    {QStringLiteral("Player"), QStringLiteral("Server"),
                     QStringLiteral("Game Type"), QStringLiteral("IP")},
                    mcName);
}

bool TPlayerMonitor::IsWatched(const QString& name) const { return HoldsName(watched_, name); }

void TPlayerMonitor::LoadWatchedPlayers(const QStringList& names) {
  for (const QString& name : names) {
    if (name.isEmpty() || IsWatched(name)) continue;
    watched_.append(name);
    AddPlayerRow(name, QString(), kPlaceholder, QString());
  }
  Q_EMIT OnWatchedPlayersChanged();
  Q_EMIT OnSortWanted(-1);
}

int TPlayerMonitor::AddWatched(const QString& name) {
  watched_.append(name);
  Q_EMIT OnWatchedPlayersChanged();
  return AddPlayerRow(name, QString(), kPlaceholder, QString()) ? FindPlayerRow(name) : -1;
}

int TPlayerMonitor::AddWatchedPlayer(const QString& name, TMessageSink& messages) {
  if (name.isEmpty()) return -1;
  if (IsWatched(name)) {
    messages.Show(TMessageKind::Information, AlreadyInListText(name));
    return -1;
  }
  const int row = AddWatched(name);
  Q_EMIT OnSortWanted(row);
  if (UpdatePlayerRow(name)) Q_EMIT OnPlayerCameOnline();
  return row;
}

int TPlayerMonitor::AddPlayerFromView(const QString& player, const QString& key,
                                      const QString& server, const QString& gameType) {
  if (player.isEmpty()) return -1;
  if (!IsWatched(player)) {
    watched_.append(player);
    Q_EMIT OnWatchedPlayersChanged();
  }
  if (!AddPlayerRow(player, key, server, gameType)) return -1;
  const int row = FindPlayerRow(player);
  Q_EMIT OnSortWanted(row);
  return row;
}

bool TPlayerMonitor::DeleteWatchedPlayer(int row) {
  if (!IsMonitorDataRow(cells_, row)) return false;
  const QString name = cells_.Cell(mcName, row);
  if (name.isEmpty()) return false;
  RemoveName(watched_, name);
  DeleteMonitorRow(cells_, row);
  Q_EMIT OnWatchedPlayersChanged();
  return true;
}

int TPlayerMonitor::AddImportedPlayers(const QStringList& names) {
  int added = 0;
  bool cameOnline = false;
  for (const QString& name : names) {
    if (name.isEmpty() || IsWatched(name)) continue;
    if (AddWatched(name) >= 0) ++added;
    cameOnline = UpdatePlayerRow(name) || cameOnline;
  }
  if (added > 0) Q_EMIT OnSortWanted(-1);
  if (cameOnline) Q_EMIT OnPlayerCameOnline();
  return added;
}

int TPlayerMonitor::FindPlayerRow(const QString& name) const {
  if (name.isEmpty()) return -1;
  // The cells index the names with A-Z folded; other letters that differ only in case are
  // found by the scan.
  const int indexed = cells_.FindRowByKey(name);
  if (indexed >= 0 && cells_.Cell(mcName, indexed).compare(name, Qt::CaseInsensitive) == 0)
    return indexed;
  for (int row = cells_.FixedRows(); row < cells_.RowCount(); ++row)
    if (cells_.Cell(mcName, row).compare(name, Qt::CaseInsensitive) == 0) return row;
  return -1;
}

bool TPlayerMonitor::AddPlayerRow(const QString& name, const QString& key, const QString& server,
                                  const QString& gameType) {
  if (FindPlayerRow(name) >= 0) return false;
  const int row = FreeMonitorRow(cells_);
  cells_.SetRowTexts(row, {name, server, gameType, key});
  return true;
}

void TPlayerMonitor::ShowServer(int row, int index) {
  const TServer* server = stash_.Server(index);
  if (server) {
    cells_.SetCell(mcServer, row, PlainName(server->Description()));
    cells_.SetCell(mcGameType, row, server->GameType());
    cells_.SetCell(mcKey, row, stash_.Key(index));
  } else {
    cells_.SetCell(mcServer, row, kPlaceholder);
    cells_.SetCell(mcGameType, row, QString());
    cells_.SetCell(mcKey, row, QString());
  }
}

bool TPlayerMonitor::UpdatePlayerRow(const QString& name) {
  const int row = FindPlayerRow(name);
  if (row < 0) return false;
  QString found = name;
  int serverIndex = -1, slot = -1;
  const int index = stash_.FindPlayerInStash(found, true, serverIndex, slot);
  const bool wasNowhere = cells_.Cell(mcServer, row) == kPlaceholder;
  ShowServer(row, index);
  if (index < 0 || !wasNowhere) return false;
  Q_EMIT OnPlayerFound(name, stash_.Key(index));
  return true;
}

void TPlayerMonitor::RefreshPlayerMonitor() {
  // One walk over the stash finds the first server of every watched name at once.
  QHash<QString, int> firstServer;
  firstServer.reserve(watched_.size());
  for (const QString& name : watched_) firstServer.insert(Folded(name), -1);
  qsizetype missing = firstServer.size();
  for (int i = 0; i < stash_.Count() && missing > 0; ++i) {
    const TServer& server = *stash_.Server(i);
    for (int slot = 0; slot < kPlayerSlots; ++slot) {
      if (!server.PlayerInUse(slot)) continue;
      const auto it = firstServer.find(Folded(PlainName(server.PlayerText(slot, TPlayerField::Name))));
      if (it == firstServer.end() || *it >= 0) continue;
      *it = i;
      --missing;
    }
  }
  QList<std::pair<QString, int>> found;  // came online: name, stash index
  cells_.BeginUpdate();
  for (const QString& name : watched_) {
    const int row = FindPlayerRow(name);
    if (row < 0) continue;
    const int index = firstServer.value(Folded(name), -1);
    if (index >= 0 && cells_.Cell(mcServer, row) == kPlaceholder) found.append({name, index});
    ShowServer(row, index);
  }
  cells_.EndUpdate();
  Q_EMIT OnSortWanted(-1);
  for (const auto& [name, index] : found) Q_EMIT OnPlayerFound(name, stash_.Key(index));
  if (!found.isEmpty()) Q_EMIT OnPlayerCameOnline();
}

void TPlayerMonitor::UpdatePlayerMonitorForServer(const QString& key) {
  const int index = stash_.IndexOf(key);
  const TServer* server = stash_.Server(index);
  if (!server) return;
  QVarLengthArray<QString, kPlayerSlots> here;
  for (int slot = 0; slot < kPlayerSlots; ++slot)
    if (server->PlayerInUse(slot))
      here.append(Folded(PlainName(server->PlayerText(slot, TPlayerField::Name))));
  const QString serverKey = stash_.Key(index);
  QStringList found;
  for (const QString& name : watched_) {
    const int row = FindPlayerRow(name);
    if (row < 0) continue;
    if (here.contains(Folded(name))) {
      if (cells_.Cell(mcServer, row) != kPlaceholder) continue;  // shown elsewhere: kept
      ShowServer(row, index);
      found << name;
    } else if (cells_.Cell(mcKey, row).compare(serverKey, Qt::CaseInsensitive) == 0) {
      ShowServer(row, -1);  // left this server
    }
  }
  for (const QString& name : found) Q_EMIT OnPlayerFound(name, serverKey);
  if (!found.isEmpty()) Q_EMIT OnPlayerCameOnline();
}

QString TPlayerMonitor::DeleteQuestion(const QString& name) {
  return QStringLiteral("Are you sure you want to delete ") + name + QStringLiteral(" ?");
}

QString TPlayerMonitor::ExportablePlayer(int row, TMessageSink& messages) const {
  if (!IsMonitorDataRow(cells_, row)) {
    messages.Show(TMessageKind::Information,
                  QStringLiteral("Invalid row selected in the Player Monitor list."));
    return {};
  }
  const QString name = cells_.Cell(mcName, row);
  if (name.isEmpty())
    messages.Show(TMessageKind::Information,
                  QStringLiteral("The row selected in the Player Monitor list does not have a "
                                 "player."));
  return name;
}

}  // namespace zorvane
