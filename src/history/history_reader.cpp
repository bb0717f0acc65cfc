// SPDX-License-Identifier: GPL-2.0-or-later
#include "history/history_reader.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include "history/history_database.h"

namespace zorvane {

namespace {

// How long a read beside the writer may wait for a lock, and how long a tool may.
constexpr int kSharedBusyMs = 20;
constexpr int kLookBusyMs = 2000;

}  // namespace

THistoryReader::THistoryReader(QString path, TMode mode) : path_(std::move(path)), mode_(mode) {}

THistoryReader::~THistoryReader() = default;

void THistoryReader::Close() {
  connection_.reset();
}

bool THistoryReader::Open(QString* problem) {
  if (connection_) return true;
  const auto fail = [&](const QString& why) {
    connection_.reset();
    if (problem) *problem = why;
    return false;
  };
  if (!QFileInfo(path_).isFile()) return fail(QStringLiteral("there is no history file"));
  const QString name = QStringLiteral("zorvane-history-ro-%1").arg(quintptr(this), 0, 16);
  connection_ = std::make_unique<THistoryConnection>(name);
  if (!connection_->Valid()) return fail(QStringLiteral("Qt's SQLite driver is missing"));
  QSqlDatabase& db = connection_->Db();
  const bool walInUse = QFileInfo::exists(path_ + QStringLiteral("-wal"));
  if (mode_ == TMode::Look && !walInUse) {
    // Immutable: no lock, no -shm, no -wal; nothing in the folder changes.
    QUrl uri = QUrl::fromLocalFile(path_);
    uri.setQuery(QStringLiteral("mode=ro&immutable=1"));
    db.setDatabaseName(uri.toString(QUrl::FullyEncoded));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
  } else {
    db.setDatabaseName(path_);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1")
                             .arg(mode_ == TMode::Shared ? kSharedBusyMs : kLookBusyMs));
  }
  if (!db.open()) return fail(db.lastError().text());
  const THistoryCheck check = CheckHistoryFile(db);
  if (check.fault != THistoryFault::None) return fail(check.detail);
  if (check.empty) return fail(QStringLiteral("the history file is empty"));
  return true;
}

std::vector<THistorySample> THistoryReader::Samples(const QString& key, qint64 from, qint64 to) {
  return Read(key, from, to, true);
}

std::vector<THistorySample> THistoryReader::PlayerCounts(const QString& key, qint64 from,
                                                         qint64 to) {
  return Read(key, from, to, false);
}

std::vector<THistorySample> THistoryReader::Read(const QString& key, qint64 from, qint64 to,
                                                 bool maps) {
  std::vector<THistorySample> samples;
  if (!Open()) return samples;
  QSqlQuery query(connection_->Db());
  query.setForwardOnly(true);
  // Both tables of samples, each by its (server, time) key.
  const QString columns = maps ? QStringLiteral("time, players, max_players, map")
                               : QStringLiteral("time, players");
  const QString sql =
      QStringLiteral("WITH v AS (SELECT id FROM servers WHERE key = :key), "
                     "s AS (SELECT %1 FROM samples WHERE server = (SELECT id FROM v) "
                     "AND time BETWEEN :from AND :to UNION ALL SELECT %1 FROM fresh "
                     "WHERE server = (SELECT id FROM v) AND time BETWEEN :from AND :to) ")
          .arg(columns) +
      (maps ? QStringLiteral("SELECT s.time, s.players, s.max_players, m.name FROM s "
                             "LEFT JOIN maps m ON m.id = s.map ORDER BY s.time")
            : QStringLiteral("SELECT time, players FROM s ORDER BY time"));
  query.prepare(sql);
  query.bindValue(QStringLiteral(":key"), key);
  query.bindValue(QStringLiteral(":from"), from);
  query.bindValue(QStringLiteral(":to"), to);
  if (!query.exec()) return samples;
  while (query.next()) {
    THistorySample& sample = samples.emplace_back();
    sample.time = query.value(0).toLongLong();
    sample.players = query.value(1).toInt();
    if (!maps) continue;
    sample.maxPlayers = query.value(2).toInt();
    sample.map = query.value(3).toString();
  }
  return samples;
}

std::vector<TSighting> THistoryReader::Sightings() {
  std::vector<TSighting> sightings;
  if (!Open()) return sightings;
  QSqlQuery query(connection_->Db());
  query.setForwardOnly(true);
  if (!query.exec(QStringLiteral("SELECT name, server, server_name, time FROM sightings")))
    return sightings;
  while (query.next())
    sightings.push_back({query.value(0).toString(), query.value(1).toString(),
                         query.value(2).toString(), query.value(3).toLongLong()});
  return sightings;
}

}  // namespace zorvane
