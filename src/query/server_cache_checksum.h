// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The checksum of a server cache's body: 64 bits over four interleaved lanes of 64-bit words.
// It is there to catch a damaged file, not an attack, and must cost little on tens of
// megabytes. It can be fed in pieces of any size (a file streamed to disk is read back a
// block at a time); the body's whole length seeds it, so it is known before the first byte.

#include <QByteArrayView>
#include <QtGlobal>

namespace zorvane {

class TServerCacheChecksum {
 public:
  explicit TServerCacheChecksum(quint64 bodyLength);
  // The next bytes of the body.
  void Add(QByteArrayView bytes);
  // The checksum of everything added (which should be bodyLength bytes).
  quint64 Value() const;

  static quint64 Of(QByteArrayView body) {
    TServerCacheChecksum sum(quint64(body.size()));
    sum.Add(body);
    return sum.Value();
  }

 private:
  static constexpr qsizetype kBlock = 32;  // a word of each lane
  void AddBlock(const char* block);

  quint64 lanes_[4];
  char pending_[kBlock];  // the start of a block whose end is still to come
  qsizetype pendingSize_ = 0;
};

}  // namespace zorvane
