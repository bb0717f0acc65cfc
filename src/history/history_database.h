// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The history file's layout, and what the writer and the readers share to open it.
//
// An SQLite database in WAL mode (readers never wait for the writer):
//   servers(id, key)                  one row per server key, compared ignoring case
//   maps(id, name)                    one row per map name
//   samples(server, time, players, max_players, map)
//                                     keyed by (server, time) without a row id, so a sample
//                                     costs its five small integers and no separate index
//   fresh(server, time, players, max_players, map)
//                                     the samples of the last hours, in the order they came,
//                                     with a small index by (server, time); moved into
//                                     samples now and then
//   sightings(player, name, server, server_name, time)
//                                     the last sighting of each watched player, by the
//                                     case-folded name
// Why fresh: a refresh brings one sample for each of thousands of servers, and in samples each
// lands in its own server's page, so every refresh would write thousands of pages. Appended
// to fresh it writes a few dozen (and its index a few hundred); moved over in one go, each
// page of samples is written once per move instead of once per refresh.
// The file names itself by its application id and its schema by the user version; any other
// database is foreign.

#include <QSqlDatabase>
#include <QString>
#include <optional>

class QSqlError;
class QSqlQuery;

namespace zorvane {

inline constexpr int kHistoryApplicationId = 0x5A6F7276;  // "Zorv"
inline constexpr int kHistorySchemaVersion = 1;

enum class THistoryFault {
  None,
  Damaged,  // not a database, or a damaged one
  Locked,   // another connection holds it
  Foreign,  // a database, but not a history of this program (or of a newer one)
  Other,    // anything else (no driver, a folder that cannot be written): not the file's fault
};

// The fault an SQLite error stands for.
THistoryFault FaultOf(const QSqlError& error);

// A database connection under a name of its own, closed and removed with this object. Qt
// binds a connection to the thread that made it: make, use and destroy it on one thread.
class THistoryConnection {
 public:
  explicit THistoryConnection(const QString& name);
  ~THistoryConnection();
  THistoryConnection(const THistoryConnection&) = delete;
  THistoryConnection& operator=(const THistoryConnection&) = delete;

  // False when Qt has no SQLite driver.
  bool Valid() const { return db_.isValid(); }
  QSqlDatabase& Db() { return db_; }

 private:
  QString name_;
  QSqlDatabase db_;
};

// Checks what an open connection holds: nothing (a new file: empty set), this program's
// history (None), or a fault with a reason in detail.
struct THistoryCheck {
  THistoryFault fault = THistoryFault::None;
  bool empty = false;
  QString detail;
};
THistoryCheck CheckHistoryFile(QSqlDatabase& db);

// Creates the tables of an empty database.
bool CreateHistorySchema(QSqlDatabase& db, QString& error);

// Runs one statement; false with the error in error (when given).
bool Exec(QSqlDatabase& db, const QString& sql, QSqlError* error = nullptr);

}  // namespace zorvane
