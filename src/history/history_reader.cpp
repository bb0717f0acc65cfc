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
  std::vector<THistorySample> samples;
  if (!Open()) return samples;
  QSqlQuery query(connection_->Db());
  query.setForwardOnly(true);
  query.prepare(QStringLiteral(
      "SELECT s.time, s.players, s.max_players, m.name FROM servers v "
      "JOIN samples s ON s.server = v.id LEFT JOIN maps m ON m.id = s.map "
      "WHERE v.key = ? AND s.time BETWEEN ? AND ? ORDER BY s.time"));
  query.bindValue(0, key);
  query.bindValue(1, from);
  query.bindValue(2, to);
  if (!query.exec()) return samples;
  while (query.next())
    samples.push_back({query.value(0).toLongLong(), query.value(1).toInt(), query.value(2).toInt(),
                       query.value(3).toString()});
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
