// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The server history on the GUI thread: every reply of the stash may become a sample (at
// most one per server every kSampleSpacingSecs) and every watched player on it a sighting.
// Both are gathered here at the cost of a few look-ups per reply and handed in batches to
// the writer thread, which owns the file's read-write connection (THistoryStore). Charts and
// busy hours read through a read-only connection of the GUI thread; last seen is kept in
// memory, read from the file once at start.
//
// Off (the "serverHistory" setting), nothing is recorded and the file is neither opened nor
// written.

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

#include "history/busy_hours.h"
#include "history/history_reader.h"
#include "history/history_sample.h"

namespace zorvane {

class TFileWriter;
class THistoryStore;
class TServer;
class TServerStash;

// What the chart of one server shows.
inline constexpr qint64 kChartSpanSecs = 7 * 24 * 3600;
// Samples wait this long, or until there are this many, before they go to the writer.
inline constexpr int kHistoryBatchMs = 5000;
inline constexpr std::size_t kHistoryBatchSamples = 5000;

struct THistoryChartData {
  qint64 now = 0;
  std::vector<THistorySample> samples;  // from now - kChartSpanSecs to now, oldest first
  std::optional<TBusyHours> busiest;    // over every sample kept
};

class TServerHistory : public QObject {
  Q_OBJECT
 public:
  // Records the replies of stash into the file at path through writer, which must outlive
  // this object. With enabled, the file is opened (or started) on the writer thread at once.
  TServerHistory(const TServerStash& stash, TFileWriter& writer, QString path, bool enabled,
                 QObject* parent = nullptr);
  // Close().
  ~TServerHistory() override;

  // Off: what is pending is dropped and the file closed; on: opened again.
  void SetEnabled(bool on);
  bool Enabled() const { return enabled_; }
  // The names whose sightings are kept (the player monitor's list).
  void SetWatchedPlayers(const QStringList& names);

  // One reply of the server under key at now (seconds since the epoch). The stash's replies
  // come here by themselves with the current time; tests bring a clock of their own.
  void Record(const QString& key, const TServer& server, qint64 now);
  // Hands what is pending to the writer now (the batch timer does it by itself).
  void HandPending();
  // Hands what is pending, closes the file on the writer thread and waits until that is
  // done: at the window's close (SIGTERM closes the window too) and in the destructor.
  // Nothing is recorded after it.
  void Close();
  // The same without the wait: the window's close waits for the writer itself, no longer
  // than its deadline.
  void HandClose();

  // The chart of a server as of now: the file's samples and those still pending.
  THistoryChartData ChartData(const QString& key, qint64 now);
  // When the server is usually busiest (the favourites' column), from every sample kept.
  std::optional<TBusyHours> BusyHours(const QString& key, qint64 now);
  // The last sighting of a player (name compared ignoring case), from this session's
  // replies and the file.
  std::optional<TSighting> LastSeen(const QString& player) const;

  // Whether the writer has the file open (readers may read it).
  bool FileOpen() const { return fileOpen_; }
  std::size_t PendingSamples() const { return pending_.samples.size(); }
  const QString& Path() const { return path_; }
  QTimer& BatchTimer() { return batchTimer_; }

 Q_SIGNALS:
  void OnLog(const QString& text);
  // The writer opened the file (true), or could not (false: no history this session).
  void OnFileOpened(bool ok);
  // The sightings stored in the file were read: Last Seen cells may change.
  void OnLastSeenLoaded();

 private:
  struct TOpened {
    bool ok = false;
    QStringList log;
    std::vector<TSighting> sightings;
    int openings = 0;
  };
  void OpenFile();
  void CloseFile();
  void Opened(TOpened opened);
  void RecordSightings(const QString& key, const TServer& server, qint64 now);
  void TakeSighting(const TSighting& seen);
  // The file's samples and the pending ones; maps: with their maps and max players.
  std::vector<THistorySample> Read(const QString& key, qint64 from, qint64 now, bool maps);
  void LogLines(const QStringList& lines);

  const TServerStash& stash_;
  TFileWriter& writer_;
  QString path_;
  // Used only on the writer thread, through jobs; closed there before it goes.
  std::unique_ptr<THistoryStore> store_;
  THistoryReader reader_;
  bool enabled_ = false;
  bool fileOpen_ = false;
  int openings_ = 0;  // the store's Openings() as last heard
  bool closed_ = false;
  qint64 lastNow_ = 0;  // the clock of the last reply, for the writer's pruning
  QHash<QString, qint64> lastSample_;  // key -> time of its last sample this session
  THistoryBatch pending_;              // samples only; the sightings wait below
  QHash<QString, TSighting> pendingSightings_;  // SightingKey -> newest
  QSet<QString> watched_;                       // SightingKey of each watched name
  std::vector<QByteArray> watchedAscii_;        // those of them that are plain ASCII
  QHash<QString, TSighting> lastSeen_;          // SightingKey -> newest
  QTimer batchTimer_;
};

}  // namespace zorvane
