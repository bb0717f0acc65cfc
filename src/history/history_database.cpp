// SPDX-License-Identifier: GPL-2.0-or-later
#include "history/history_database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace zorvane {

namespace {

// SQLite's primary result codes, the low byte of its extended ones.
constexpr int kSqliteBusy = 5;
constexpr int kSqliteLocked = 6;
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteNotADatabase = 26;

const QStringList kTables = {QStringLiteral("fresh"), QStringLiteral("maps"),
                             QStringLiteral("samples"), QStringLiteral("servers"),
                             QStringLiteral("sightings")};

std::optional<qint64> Number(QSqlDatabase& db, const QString& sql, QSqlError& error) {
  QSqlQuery query(db);
  if (!query.exec(sql) || !query.next()) {
    error = query.lastError();
    return std::nullopt;
  }
  return query.value(0).toLongLong();
}

}  // namespace

THistoryFault FaultOf(const QSqlError& error) {
  bool ok = false;
  const int code = error.nativeErrorCode().toInt(&ok) & 0xFF;
  if (!ok) return THistoryFault::Other;
  switch (code) {
    case kSqliteBusy:
    case kSqliteLocked:
      return THistoryFault::Locked;
    case kSqliteCorrupt:
    case kSqliteNotADatabase:
      return THistoryFault::Damaged;
    default:
      return THistoryFault::Other;
  }
}

THistoryConnection::THistoryConnection(const QString& name)
    : name_(name), db_(QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name)) {}

THistoryConnection::~THistoryConnection() {
  db_.close();
  db_ = QSqlDatabase();  // the last handle goes before the name is removed
  QSqlDatabase::removeDatabase(name_);
}

bool Exec(QSqlDatabase& db, const QString& sql, QSqlError* error) {
  QSqlQuery query(db);
  if (query.exec(sql)) return true;
  if (error) *error = query.lastError();
  return false;
}

THistoryCheck CheckHistoryFile(QSqlDatabase& db) {
  THistoryCheck check;
  QSqlError error;
  const auto fail = [&](const QSqlError& e) {
    check.fault = FaultOf(e);
    check.detail = e.text();
    return check;
  };
  // The first read of the file: garbage fails here.
  const auto tables = Number(db, QStringLiteral("SELECT count(*) FROM sqlite_master"), error);
  if (!tables) return fail(error);
  const auto id = Number(db, QStringLiteral("PRAGMA application_id"), error);
  if (!id) return fail(error);
  const auto version = Number(db, QStringLiteral("PRAGMA user_version"), error);
  if (!version) return fail(error);
  if (*tables == 0 && *id == 0) {
    check.empty = true;
    return check;
  }
  if (*id != kHistoryApplicationId) {
    check.fault = THistoryFault::Foreign;
    check.detail = QStringLiteral("another program's database");
    return check;
  }
  if (*version != kHistorySchemaVersion) {
    check.fault = THistoryFault::Foreign;
    check.detail = QStringLiteral("a history of version %1").arg(*version);
    return check;
  }
  const auto ours = Number(
      db,
      QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN ('") +
          kTables.join(QStringLiteral("', '")) + QStringLiteral("')"),
      error);
  if (!ours) return fail(error);
  if (*ours != kTables.size()) {
    check.fault = THistoryFault::Foreign;
    check.detail = QStringLiteral("tables are missing");
  }
  return check;
}

bool CreateHistorySchema(QSqlDatabase& db, QString& error) {
  const QStringList statements = {
      QStringLiteral("CREATE TABLE servers(id INTEGER PRIMARY KEY, "
                     "key TEXT NOT NULL UNIQUE COLLATE NOCASE)"),
      QStringLiteral("CREATE TABLE maps(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE)"),
      QStringLiteral("CREATE TABLE samples(server INTEGER NOT NULL, time INTEGER NOT NULL, "
                     "players INTEGER NOT NULL, max_players INTEGER NOT NULL, "
                     "map INTEGER NOT NULL, PRIMARY KEY(server, time)) WITHOUT ROWID"),
      QStringLiteral("CREATE TABLE fresh(server INTEGER NOT NULL, time INTEGER NOT NULL, "
                     "players INTEGER NOT NULL, max_players INTEGER NOT NULL, "
                     "map INTEGER NOT NULL)"),
      QStringLiteral("CREATE INDEX fresh_by_server ON fresh(server, time)"),
      QStringLiteral("CREATE TABLE sightings(player TEXT PRIMARY KEY, name TEXT NOT NULL, "
                     "server TEXT NOT NULL, server_name TEXT NOT NULL, time INTEGER NOT NULL) "
                     "WITHOUT ROWID"),
      QStringLiteral("PRAGMA application_id = %1").arg(kHistoryApplicationId),
      QStringLiteral("PRAGMA user_version = %1").arg(kHistorySchemaVersion),
  };
  if (!db.transaction()) {
    error = db.lastError().text();
    return false;
  }
  for (const QString& sql : statements) {
    QSqlError e;
    if (!Exec(db, sql, &e)) {
      error = e.text();
      db.rollback();
      return false;
    }
  }
  if (db.commit()) return true;
  error = db.lastError().text();
  db.rollback();
  return false;
}

}  // namespace zorvane
