// SPDX-License-Identifier: GPL-2.0-or-later
#include "history/history_store.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <climits>

#include "history/sample_rule.h"

namespace zorvane {

struct THistoryStore::TStatements {
  explicit TStatements(QSqlDatabase& db)
      : insertSample(db), findServer(db), insertServer(db), findMap(db), insertMap(db),
        upsertSighting(db), pruneServer(db), dropServer(db), moveFresh(db), clearFresh(db) {}
  bool Prepare(QSqlError& error) {
    const std::pair<QSqlQuery*, const char*> all[] = {
        {&insertSample,
         "INSERT INTO fresh(server, time, players, max_players, map) VALUES(?, ?, ?, ?, ?)"},
        {&findServer, "SELECT id FROM servers WHERE key = ?"},
        {&insertServer, "INSERT OR IGNORE INTO servers(key) VALUES(?)"},
        {&findMap, "SELECT id FROM maps WHERE name = ?"},
        {&insertMap, "INSERT OR IGNORE INTO maps(name) VALUES(?)"},
        {&upsertSighting,
         "INSERT INTO sightings(player, name, server, server_name, time) VALUES(?, ?, ?, ?, ?) "
         "ON CONFLICT(player) DO UPDATE SET name = excluded.name, server = excluded.server, "
         "server_name = excluded.server_name, time = excluded.time "
         "WHERE excluded.time >= sightings.time"},
        {&pruneServer, "DELETE FROM samples WHERE server = ? AND time < ?"},
        {&dropServer, "DELETE FROM servers WHERE id = ?"},
        // By server and time, so each page of samples is visited once, in order.
        {&moveFresh,
         "INSERT OR IGNORE INTO samples(server, time, players, max_players, map) "
         "SELECT server, time, players, max_players, map FROM fresh ORDER BY server, time"},
        {&clearFresh, "DELETE FROM fresh"},
    };
    for (const auto& [query, sql] : all) {
      if (!query->prepare(QString::fromLatin1(sql))) {
        error = query->lastError();
        return false;
      }
    }
    return true;
  }
  QSqlQuery insertSample, findServer, insertServer, findMap, insertMap, upsertSighting,
      pruneServer, dropServer, moveFresh, clearFresh;
};

namespace {

QString FileName(const QString& path) {
  return QFileInfo(path).fileName();
}

QString FaultText(THistoryFault fault) {
  switch (fault) {
    case THistoryFault::Damaged:
      return QStringLiteral("is damaged");
    case THistoryFault::Locked:
      return QStringLiteral("is locked by another program");
    case THistoryFault::Foreign:
      return QStringLiteral("is not a server history of this program");
    default:
      return QStringLiteral("cannot be used");
  }
}

bool Run(QSqlQuery& query, QSqlError& error) {
  if (query.exec()) return true;
  error = query.lastError();
  return false;
}

// The id of a name in a table of names: added unless there (insert ignores a name the table
// has), then looked up.
std::optional<int> InsertedId(QSqlQuery& insert, QSqlQuery& find, const QString& name,
                              QSqlError& error) {
  insert.bindValue(0, name);
  if (!Run(insert, error)) return std::nullopt;
  find.bindValue(0, name);
  if (!Run(find, error) || !find.next()) return std::nullopt;
  const int id = find.value(0).toInt();
  find.finish();
  return id;
}

}  // namespace

THistoryStore::THistoryStore(QString path, int busyTimeoutMs)
    : path_(std::move(path)), busyTimeoutMs_(busyTimeoutMs) {}

THistoryStore::~THistoryStore() {
  Close();
}

void THistoryStore::Log(const QString& text) {
  log_ << QStringLiteral("Server history: ") + text;
}

QStringList THistoryStore::TakeLog() {
  return std::exchange(log_, {});
}

bool THistoryStore::Open(qint64 now) {
  Close();
  for (int attempt = 0; attempt < 2; ++attempt) {
    THistoryFault fault = THistoryFault::None;
    QString detail;
    switch (TryOpen(now, fault, detail)) {
      case TAttempt::Opened:
        return true;
      case TAttempt::Failed:
        Close();
        return false;
      case TAttempt::Fault:
        Close();
        if (attempt == 0 && SetAside(fault, detail)) continue;
        Log(FileName(path_) + u' ' + FaultText(fault) + QStringLiteral(" (") + detail +
            QStringLiteral("); no history is kept in this session."));
        return false;
    }
  }
  return false;
}

THistoryStore::TAttempt THistoryStore::TryOpen(qint64 now, THistoryFault& fault,
                                                QString& detail) {
  const QString name = QStringLiteral("zorvane-history-rw-%1").arg(quintptr(this), 0, 16);
  connection_ = std::make_unique<THistoryConnection>(name);
  if (!connection_->Valid()) {
    Log(QStringLiteral("Qt's SQLite driver is missing; no history is kept."));
    return TAttempt::Failed;
  }
  QSqlDatabase& db = connection_->Db();
  db.setDatabaseName(path_);
  db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs_));
  if (!db.open()) {
    Log(FileName(path_) + QStringLiteral(" cannot be opened (") + db.lastError().text() +
        QStringLiteral("); no history is kept in this session."));
    return TAttempt::Failed;
  }
  const auto faulted = [&](THistoryFault f, const QString& why) {
    fault = f;
    detail = why;
    // A fault that is not the file's (the folder, the disk) is no reason to set it aside.
    if (f == THistoryFault::Other) {
      Log(FileName(path_) + QStringLiteral(" cannot be used (") + why +
          QStringLiteral("); no history is kept in this session."));
      return TAttempt::Failed;
    }
    return TAttempt::Fault;
  };

  const THistoryCheck check = CheckHistoryFile(db);
  if (check.fault != THistoryFault::None) return faulted(check.fault, check.detail);
  QSqlError error;
  QSqlQuery wal(db);
  if (!wal.exec(QStringLiteral("PRAGMA journal_mode = WAL")) || !wal.next())
    return faulted(FaultOf(wal.lastError()), wal.lastError().text());
  if (wal.value(0).toString().compare(u"wal", Qt::CaseInsensitive) != 0)
    return faulted(THistoryFault::Other, QStringLiteral("no WAL mode"));
  wal.finish();
  // WAL needs no sync on every commit to stay whole; a crash loses at most the last batches.
  if (!Exec(db, QStringLiteral("PRAGMA synchronous = NORMAL"), &error) ||
      !Exec(db, QStringLiteral("PRAGMA journal_size_limit = %1").arg(kWalSizeLimit), &error))
    return faulted(FaultOf(error), error.text());
  if (check.empty) {
    QString why;
    if (!CreateHistorySchema(db, why)) return faulted(THistoryFault::Other, why);
  }
  statements_ = std::make_unique<TStatements>(db);
  if (!statements_->Prepare(error) || !LoadCaches(error))
    return faulted(FaultOf(error), error.text());
  open_ = true;
  ++openings_;
  MoveFresh(now);
  Prune(now);
  return open_ ? TAttempt::Opened : TAttempt::Failed;
}

bool THistoryStore::LoadCaches(QSqlError& error) {
  servers_.clear();
  maps_.clear();
  openingSightings_.clear();
  QSqlQuery query(connection_->Db());
  query.setForwardOnly(true);
  // The newest sample of each server is one look-up in each table's key.
  if (!query.exec(QStringLiteral(
          "SELECT id, key, (SELECT max(time) FROM samples WHERE server = servers.id), "
          "(SELECT max(time) FROM fresh WHERE server = servers.id) FROM servers"))) {
    error = query.lastError();
    return false;
  }
  while (query.next()) {
    TServerEntry entry{query.value(0).toInt(), std::nullopt};
    for (int column : {2, 3})
      if (!query.value(column).isNull())
        entry.last = std::max(entry.last.value_or(LLONG_MIN), query.value(column).toLongLong());
    servers_.insert(query.value(1).toString().toLower(), entry);
  }
  if (!query.exec(QStringLiteral("SELECT id, name FROM maps"))) {
    error = query.lastError();
    return false;
  }
  while (query.next()) maps_.insert(query.value(1).toString(), query.value(0).toInt());
  if (!query.exec(QStringLiteral("SELECT name, server, server_name, time FROM sightings"))) {
    error = query.lastError();
    return false;
  }
  while (query.next())
    openingSightings_.push_back({query.value(0).toString(), query.value(1).toString(),
                                 query.value(2).toString(), query.value(3).toLongLong()});
  return true;
}

bool THistoryStore::SetAside(THistoryFault fault, const QString& detail) {
  const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
  QString aside = path_ + QStringLiteral(".broken-") + stamp;
  for (int n = 2; QFileInfo::exists(aside); ++n)
    aside = path_ + QStringLiteral(".broken-") + stamp + u'-' + QString::number(n);
  if (!QFile::rename(path_, aside)) {
    Log(FileName(path_) + u' ' + FaultText(fault) + QStringLiteral(" (") + detail +
        QStringLiteral(") and cannot be set aside; no history is kept in this session."));
    return false;
  }
  // The journal files belong to the file set aside; a new file must not read them.
  for (const char* suffix : {"-wal", "-shm"}) {
    const QString side = path_ + QLatin1String(suffix);
    if (QFileInfo::exists(side) && !QFile::rename(side, aside + QLatin1String(suffix)))
      QFile::remove(side);
  }
  lastSetAside_ = aside;
  Log(FileName(path_) + u' ' + FaultText(fault) + QStringLiteral(" (") + detail +
      QStringLiteral("); it was set aside as ") + FileName(aside) +
      QStringLiteral(" and a new one started."));
  return true;
}

std::optional<int> THistoryStore::ServerId(const QString& key, QSqlError& error) {
  const QString folded = key.toLower();
  if (const auto it = servers_.constFind(folded); it != servers_.cend()) return it->id;
  // Another program may have added it since the file was opened.
  const auto id = InsertedId(statements_->insertServer, statements_->findServer, key, error);
  if (id) servers_.insert(folded, {*id, std::nullopt});
  return id;
}

std::optional<int> THistoryStore::MapId(const QString& map, QSqlError& error) {
  if (const auto it = maps_.constFind(map); it != maps_.cend()) return *it;
  const auto id = InsertedId(statements_->insertMap, statements_->findMap, map, error);
  if (id) maps_.insert(map, *id);
  return id;
}

bool THistoryStore::WriteSamples(const std::vector<TKeyedSample>& samples, QSqlError& error) {
  QSqlQuery& insert = statements_->insertSample;
  for (const TKeyedSample& keyed : samples) {
    const auto server = ServerId(keyed.key, error);
    if (!server) return false;
    TServerEntry& entry = servers_[keyed.key.toLower()];
    if (!SampleDue(entry.last, keyed.sample.time)) continue;
    const auto map = MapId(keyed.sample.map, error);
    if (!map) return false;
    insert.bindValue(0, *server);
    insert.bindValue(1, keyed.sample.time);
    insert.bindValue(2, keyed.sample.players);
    insert.bindValue(3, keyed.sample.maxPlayers);
    insert.bindValue(4, *map);
    if (!Run(insert, error)) return false;
    entry.last = std::max(entry.last.value_or(keyed.sample.time), keyed.sample.time);
  }
  return true;
}

bool THistoryStore::WriteSightings(const std::vector<TSighting>& sightings, QSqlError& error) {
  QSqlQuery& upsert = statements_->upsertSighting;
  for (const TSighting& seen : sightings) {
    upsert.bindValue(0, SightingKey(seen.player));
    upsert.bindValue(1, seen.player);
    upsert.bindValue(2, seen.serverKey);
    upsert.bindValue(3, seen.serverName);
    upsert.bindValue(4, seen.time);
    if (!Run(upsert, error)) return false;
  }
  return true;
}

void THistoryStore::Write(THistoryBatch batch, qint64 now) {
  WriteBatch(std::move(batch), now, true);
}

void THistoryStore::WriteBatch(THistoryBatch batch, qint64 now, bool mayStartAgain) {
  if (!retained_.Empty()) {
    // What the lock kept out goes first, in the order it came.
    batch.samples.insert(batch.samples.begin(), std::make_move_iterator(retained_.samples.begin()),
                         std::make_move_iterator(retained_.samples.end()));
    batch.sightings.insert(batch.sightings.begin(),
                           std::make_move_iterator(retained_.sightings.begin()),
                           std::make_move_iterator(retained_.sightings.end()));
    retained_ = {};
  }
  if (!open_ || batch.Empty()) return;
  QSqlDatabase& db = connection_->Db();
  QSqlError error;
  const auto servers = servers_;  // restored when the transaction fails
  if (db.transaction() && WriteSamples(batch.samples, error) &&
      WriteSightings(batch.sightings, error) && db.commit()) {
    lockReported_ = false;
    if (now - lastMove_ >= kMoveFreshEverySecs) MoveFresh(now);
    if (now - lastPrune_ >= kPruneEverySecs) Prune(now);
    return;
  }
  if (!error.isValid()) error = db.lastError();
  db.rollback();
  servers_ = servers;
  const THistoryFault fault = FaultOf(error);
  if (fault == THistoryFault::Locked) {
    if (!lockReported_)
      Log(FileName(path_) + QStringLiteral(" is locked (") + error.text() +
          QStringLiteral("); its samples are written once it is free."));
    lockReported_ = true;
    if (batch.samples.size() <= kMaxRetainedSamples)
      retained_ = std::move(batch);
    else
      Log(QStringLiteral("%1 samples were dropped while the file stayed locked.")
              .arg(batch.samples.size()));
    return;
  }
  if (fault == THistoryFault::Damaged && mayStartAgain) {
    Close();
    if (SetAside(fault, error.text()) && Open(now)) WriteBatch(std::move(batch), now, false);
    return;
  }
  Log(QStringLiteral("samples could not be written (") + error.text() + u')');
}

bool THistoryStore::PruneNow(qint64 now, QSqlError& error) {
  const qint64 cutoff = now - kHistoryKeepSecs;
  QSqlQuery& prune = statements_->pruneServer;
  QSqlQuery& drop = statements_->dropServer;
  // Fresh samples are hours old at most, but a clock set back could leave old ones there.
  QSqlQuery freshOld(connection_->Db());
  freshOld.prepare(QStringLiteral("DELETE FROM fresh WHERE time < ?"));
  freshOld.bindValue(0, cutoff);
  if (!Run(freshOld, error)) return false;
  for (auto it = servers_.begin(); it != servers_.end();) {
    // Per server, so each delete is a range of the samples' key rather than a scan of all.
    prune.bindValue(0, it->id);
    prune.bindValue(1, cutoff);
    if (!Run(prune, error)) return false;
    if (it->last && *it->last >= cutoff) {
      ++it;
      continue;
    }
    drop.bindValue(0, it->id);
    if (!Run(drop, error)) return false;
    it = servers_.erase(it);
  }
  return true;
}

void THistoryStore::Prune(qint64 now) {
  if (!open_) return;
  lastPrune_ = now;
  QSqlDatabase& db = connection_->Db();
  QSqlError error;
  const auto servers = servers_;
  if (db.transaction() && PruneNow(now, error) && db.commit()) return;
  if (!error.isValid()) error = db.lastError();
  db.rollback();
  servers_ = servers;
  if (FaultOf(error) == THistoryFault::Locked) return;  // the next prune will do
  Log(QStringLiteral("old samples could not be pruned (") + error.text() + u')');
}

void THistoryStore::MoveFresh(qint64 now) {
  if (!open_) return;
  lastMove_ = now;
  QSqlDatabase& db = connection_->Db();
  QSqlError error;
  if (db.transaction() && Run(statements_->moveFresh, error) &&
      Run(statements_->clearFresh, error) && db.commit())
    return;
  if (!error.isValid()) error = db.lastError();
  db.rollback();
  if (FaultOf(error) == THistoryFault::Locked) return;  // the next move will do
  Log(QStringLiteral("fresh samples could not be moved (") + error.text() + u')');
}

void THistoryStore::Close() {
  open_ = false;
  statements_.reset();
  connection_.reset();
}

}  // namespace zorvane
