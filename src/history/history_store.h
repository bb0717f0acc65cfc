// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The history file's one read-write connection. It lives on the writer thread: made, used and
// destroyed there, through jobs handed to the writer (TFileWriter).
//
// Opening sets aside a file that is damaged, locked by another program or not a history of
// this one (renamed to "history.sqlite.broken-YYYYMMDD-HHMMSS", with its -wal and -shm) and
// starts a new one, with a log line; it never touches any other file of the folder. A write
// that finds the file damaged does the same and writes its batch into the new file.

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "history/history_database.h"
#include "history/history_sample.h"

namespace zorvane {

inline constexpr int kHistoryBusyTimeoutMs = 2000;
// Old samples go at open and then at most this often.
inline constexpr qint64 kPruneEverySecs = 3600;
// The fresh samples move into the samples by server at open and then at most this often.
inline constexpr qint64 kMoveFreshEverySecs = 3 * 3600;
// The WAL file is cut back to this after a checkpoint (a move may make it large for a moment).
inline constexpr qint64 kWalSizeLimit = qint64(8) << 20;
// Samples kept for a later write while the file is locked; beyond them new ones are dropped.
inline constexpr std::size_t kMaxRetainedSamples = 200000;

class THistoryStore {
 public:
  explicit THistoryStore(QString path, int busyTimeoutMs = kHistoryBusyTimeoutMs);
  ~THistoryStore();
  THistoryStore(const THistoryStore&) = delete;
  THistoryStore& operator=(const THistoryStore&) = delete;

  // Opens (or creates) the file in WAL mode and prunes it. False when no history can be kept
  // (no SQLite driver, a folder that cannot be written, a file that cannot be set aside).
  bool Open(qint64 now);
  bool IsOpen() const { return open_; }
  // Writes a batch in one transaction: a sample only when its server's last one in the file
  // is kSampleSpacingSecs away (SampleDue), a sighting only when it is newer than the one
  // stored. Moves the fresh samples when the last move is kMoveFreshEverySecs old, prunes
  // when the last prune is kPruneEverySecs old.
  void Write(THistoryBatch batch, qint64 now);
  // Moves the fresh samples into the samples by server, in one transaction.
  void MoveFresh(qint64 now);
  // Drops the samples older than kHistoryKeepSecs, and the servers left without any.
  void Prune(qint64 now);
  void Close();

  // The sightings stored when the file was opened.
  const std::vector<TSighting>& OpeningSightings() const { return openingSightings_; }
  // The log lines since the last call.
  QStringList TakeLog();
  // How often a file was opened (or started anew after one was set aside): a reader of the
  // file opens it again when this changed.
  int Openings() const { return openings_; }
  // Where the last file set aside went (empty: none was).
  QString LastSetAside() const { return lastSetAside_; }
  const QString& Path() const { return path_; }

 private:
  struct TServerEntry {
    int id = 0;
    std::optional<qint64> last;  // time of its newest sample
  };
  struct TStatements;

  enum class TAttempt { Opened, Fault, Failed };
  TAttempt TryOpen(qint64 now, THistoryFault& fault, QString& detail);
  bool SetAside(THistoryFault fault, const QString& detail);
  bool LoadCaches(QSqlError& error);
  // mayStartAgain: a damaged file is set aside and the batch written into a new one, once.
  void WriteBatch(THistoryBatch batch, qint64 now, bool mayStartAgain);
  // False with error when a statement failed (the transaction is rolled back by the caller).
  bool WriteSamples(const std::vector<TKeyedSample>& samples, QSqlError& error);
  bool WriteSightings(const std::vector<TSighting>& sightings, QSqlError& error);
  bool PruneNow(qint64 now, QSqlError& error);
  std::optional<int> ServerId(const QString& key, QSqlError& error);
  std::optional<int> MapId(const QString& map, QSqlError& error);
  void Log(const QString& text);

  QString path_;
  int busyTimeoutMs_;
  std::unique_ptr<THistoryConnection> connection_;
  std::unique_ptr<TStatements> statements_;  // prepared on the connection; go before it
  bool open_ = false;
  QHash<QString, TServerEntry> servers_;  // lower-cased key
  QHash<QString, int> maps_;
  std::vector<TSighting> openingSightings_;
  int openings_ = 0;
  qint64 lastPrune_ = 0;
  qint64 lastMove_ = 0;
  THistoryBatch retained_;  // a batch the lock kept out, written with the next one
  bool lockReported_ = false;
  QStringList log_;
  QString lastSetAside_;
};

}  // namespace zorvane
