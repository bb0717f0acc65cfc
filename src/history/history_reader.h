// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A read-only connection to the history file, on the thread that makes it (the GUI thread,
// or a tool). In WAL mode it reads beside the writer without waiting for it.

#include <QString>
#include <memory>
#include <vector>

#include "history/history_sample.h"

namespace zorvane {

class THistoryConnection;

class THistoryReader {
 public:
  enum class TMode {
    // Beside the program's own writer: reads the file and its WAL, waiting at most a few
    // milliseconds for a lock (the GUI thread must not stall).
    Shared,
    // A look from outside (zorvane-query): leaves the folder as it found it. Without a WAL
    // file (no writer has the file open) the file is read as it stands, creating nothing;
    // with one, it is read with the WAL.
    Look,
  };

  THistoryReader(QString path, TMode mode);
  ~THistoryReader();
  THistoryReader(const THistoryReader&) = delete;
  THistoryReader& operator=(const THistoryReader&) = delete;

  // Opens the file when it is not open yet; false with the reason when it cannot be read (no
  // file, or not a history of this program).
  bool Open(QString* problem = nullptr);
  bool IsOpen() const { return connection_ != nullptr; }
  // Closes; the next read opens the file again (after it was set aside and started anew).
  void Close();

  // The samples of a server (its key compared ignoring case) from from to to, oldest first.
  // Nothing when the file cannot be read.
  std::vector<THistorySample> Samples(const QString& key, qint64 from, qint64 to);
  // The same without the maps (a lighter read, for the busy hours).
  std::vector<THistorySample> PlayerCounts(const QString& key, qint64 from, qint64 to);
  std::vector<TSighting> Sightings();

 private:
  std::vector<THistorySample> Read(const QString& key, qint64 from, qint64 to, bool maps);

  QString path_;
  TMode mode_;
  std::unique_ptr<THistoryConnection> connection_;
};

}  // namespace zorvane
