// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/server_cache_stream.h"

#include <QSaveFile>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <unistd.h>

#include "query/server_cache.h"
#include "query/server_cache_checksum.h"

namespace zorvane {

namespace {

// The checksum reads the body back from the file this much at a time.
constexpr qint64 kReadBackBytes = qint64(64) << 10;

}  // namespace

TServerCacheStream::TServerCacheStream() = default;

TServerCacheStream::~TServerCacheStream() {
  Cancel();
}

void TServerCacheStream::Open(const QString& path) {
  Cancel();
  error_.clear();
  bodyLength_ = kServerCacheCountSize;
  file_ = std::make_unique<QSaveFile>(path);
  if (!file_->open(QIODevice::WriteOnly)) {
    Fail(file_->errorString());
    return;
  }
  // Room for the header and the count, filled in once the last part is in.
  const QByteArray room(kServerCacheHeaderSize + kServerCacheCountSize, '\0');
  if (!WriteAll(room.data(), room.size())) Fail(WriteError());
}

void TServerCacheStream::Append(const QByteArray& part) {
  if (!file_) return;
  if (!WriteAll(part.data(), part.size())) {
    Fail(WriteError());
    return;
  }
  bodyLength_ += part.size();
}

QString TServerCacheStream::Finish(quint32 servers) {
  if (!file_) {  // it failed before
    const QString error = std::exchange(error_, {});
    return error.isEmpty() ? QStringLiteral("the file was not opened") : error;
  }
  char count[kServerCacheCountSize];
  qToLittleEndian(servers, count);
  if (!WriteAt(kServerCacheHeaderSize, count, sizeof count) || !file_->flush())
    return Fail(WriteError());

  // The body's length seeds its checksum, so the checksum is reckoned only now, over the body
  // read back from the file a block at a time (from the page cache, as a rule). The temporary
  // file of a QSaveFile is opened for reading and writing.
  TServerCacheChecksum checksum{quint64(bodyLength_)};
  QByteArray block(qsizetype(std::min(kReadBackBytes, bodyLength_)), Qt::Uninitialized);
  for (qint64 done = 0; done < bodyLength_;) {
    const qint64 want = std::min(qint64(block.size()), bodyLength_ - done);
    const ssize_t got =
        ::pread(file_->handle(), block.data(), std::size_t(want), kServerCacheHeaderSize + done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0)
      return Fail(QStringLiteral("could not read back what was written: ") +
                  QString::fromLocal8Bit(std::strerror(errno)));
    if (got == 0) return Fail(QStringLiteral("the file is shorter than what was written"));
    checksum.Add(QByteArrayView(block.data(), got));
    done += got;
  }

  char header[kServerCacheHeaderSize];
  WriteServerCacheHeader(header, quint64(bodyLength_), checksum.Value());
  if (!WriteAt(0, header, sizeof header)) return Fail(WriteError());
  const bool committed = file_->commit();
  const QString error = committed ? QString() : file_->errorString();
  file_.reset();
  return error;
}

void TServerCacheStream::Cancel() {
  if (!file_) return;
  file_->cancelWriting();
  file_.reset();  // removes the temporary file
}

QString TServerCacheStream::Fail(const QString& why) {
  if (error_.isEmpty()) error_ = why;
  Cancel();
  return error_;
}

bool TServerCacheStream::WriteAt(qint64 at, const char* bytes, qint64 size) {
  return file_->seek(at) && WriteAll(bytes, size);
}

bool TServerCacheStream::WriteAll(const char* bytes, qint64 size) {
  // A disk filling up takes part of a write without an error; the next write says why.
  while (size > 0) {
    const qint64 written = file_->write(bytes, size);
    if (written <= 0) return false;
    bytes += written;
    size -= written;
  }
  return true;
}

QString TServerCacheStream::WriteError() const {
  return file_->error() != QFileDevice::NoError ? file_->errorString()
                                                 : QStringLiteral("the file could not be written");
}

}  // namespace zorvane
