// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A server cache written to disk a part at a time, so that the whole file's bytes are never
// held at once: the file is opened, the parts (TServerCachePartBuilder) are appended as they
// are made, and the count and the header are filled in at the start once the last part is in.
// The bytes are those WriteServerCache gives for the same servers.
//
// The file goes through a QSaveFile held open from Open to Finish or Cancel: a failed,
// cancelled or dropped file keeps the old one whole. The window makes one of these on the GUI
// thread and calls everything else through jobs of its writer thread (TFileWriter), so the
// QSaveFile is made, written, committed or cancelled, and deleted there.

#include <QByteArray>
#include <QString>
#include <memory>

class QSaveFile;

namespace zorvane {

class TServerCacheStream {
 public:
  TServerCacheStream();
  // A file still open is cancelled: destroy it only where no job of the writer can run.
  ~TServerCacheStream();
  TServerCacheStream(const TServerCacheStream&) = delete;
  TServerCacheStream& operator=(const TServerCacheStream&) = delete;

  // Starts a new file for path (a file still open is cancelled first). A failure is kept for
  // Finish; the parts after it are dropped.
  void Open(const QString& path);
  // The next part's records.
  void Append(const QByteArray& part);
  // Fills in servers (how many records the parts hold), the length and the checksum, and
  // commits. The reason of a failure (then the old file stays), empty on success.
  QString Finish(quint32 servers);
  // Drops the file being written; the old one stays as it was.
  void Cancel();
  bool IsOpen() const { return bool(file_); }

 private:
  QString Fail(const QString& why);
  bool WriteAt(qint64 at, const char* bytes, qint64 size);
  bool WriteAll(const char* bytes, qint64 size);
  QString WriteError() const;

  std::unique_ptr<QSaveFile> file_;
  QString error_;         // the first failure of the file being written
  qint64 bodyLength_ = 0;  // the count and the records appended so far
};

}  // namespace zorvane
