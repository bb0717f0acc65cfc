// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The server cache: the servers of the last master lists with their last replies, kept in a
// file beside the settings so that a new session lists them at once, marked as not yet
// refreshed, until the next query replaces them. Favourites live in the settings file and
// are never written here, nor are the servers of a LAN search (no master lists them).
//
// File layout (little-endian): the 16-byte magic, a 32-bit format version, the 64-bit length
// and 64-bit checksum of the body. The body: a 32-bit server count, then per server its
// port (16 bits), query version (8), flags (8), reply mark (32), every record text, a slot
// count and 8 texts per player slot, a slot count and 2 texts per setting slot. Counts and
// text headers are unsigned LEB128; a text header is its length times 2, plus 1 for UTF-8
// bytes (else Latin-1). A file is read whole or not at all.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <memory>
#include <vector>

#include "query/server_record.h"

namespace zorvane {

class TServerStash;

inline constexpr const char* kServerCacheFileName = "servers.cache";
inline constexpr quint32 kServerCacheVersion = 1;
// Limits a read holds to whatever the file says; a file beyond them is not one of ours.
inline constexpr qint64 kMaxServerCacheBytes = qint64(512) << 20;
inline constexpr quint32 kMaxCachedServers = 1000000;
inline constexpr quint32 kMaxCachedTextBytes = 1u << 20;
// The magic, version, length and checksum before the body; the body opens with the count.
inline constexpr qsizetype kServerCacheHeaderSize = 36;
inline constexpr qsizetype kServerCacheCountSize = 4;

// The bytes of a cache of every server in the stash that is neither a favourite nor found by
// a LAN search, in stash order.
// A text longer than kMaxCachedTextBytes (none comes off the wire) is written empty.
QByteArray WriteServerCache(const TServerStash& stash);

// The same bytes made a server at a time into one buffer, with room kept for the header
// (a whole file at once, as a close writes it; after a refresh the window streams the file in
// parts instead, TServerCachePartBuilder).
class TServerCacheBuilder {
 public:
  explicit TServerCacheBuilder(int expectedServers);
  // Favourites and servers found by a LAN search are left out.
  void Add(const TServer& server);
  // The whole file; the builder is empty after it.
  QByteArray Finish();

 private:
  QByteArray file_;
  qsizetype at_ = 0;  // where the next server goes; the buffer grows ahead of it
  quint32 written_ = 0;
};

// The servers' records a part at a time, for a file written to disk as they are made
// (TServerCacheStream): the parts in order, behind the header and the count, are the body.
// A part is full at about partBytes: small parts on their way to the disk hold little memory,
// and what they held is soon used again.
class TServerCachePartBuilder {
 public:
  explicit TServerCachePartBuilder(qsizetype partBytes = qsizetype(64) << 10);
  // Favourites and servers found by a LAN search are left out.
  void Add(const TServer& server);
  bool Full() const { return at_ >= partBytes_; }
  bool Empty() const { return at_ == 0; }
  // The records added since the last part; the next part starts empty.
  QByteArray TakePart();
  // The servers added in all.
  quint32 Count() const { return written_; }

 private:
  QByteArray part_;
  qsizetype at_ = 0;
  qsizetype partBytes_;  // the room made for a part
  quint32 written_ = 0;
};

// Fills in the kServerCacheHeaderSize bytes at `at`.
void WriteServerCacheHeader(char* at, quint64 bodyLength, quint64 checksum,
                            quint32 version = kServerCacheVersion);

// A whole file around a body: magic, version, the body's length and checksum.
QByteArray WrapServerCacheBody(QByteArrayView body, quint32 version = kServerCacheVersion);

struct TServerCacheRead {
  std::vector<std::unique_ptr<TServer>> servers;
  QString problem;  // why the bytes were ignored; empty when they were read
};

// Reads a whole cache; on any fault (foreign, newer or older format, truncated, corrupt,
// counts or lengths beyond their limits) no server and the reason. Never throws.
TServerCacheRead ReadServerCache(QByteArrayView bytes);

// Adds the servers read to the stash, each marked FromCache; one whose key the stash holds
// already (a favourite) is left out, and so is one that is not an entry a master may list
// (ParseMasterEntry: a name, or no dotted address). Returns how many were added.
int AdoptCachedServers(TServerStash& stash, std::vector<std::unique_ptr<TServer>> servers);

struct TServerCacheLoad {
  int added = 0;
  bool ignored = false;  // there was a file, but it could not be read
  QString logLine;       // what the log says; empty when there was no file
};

// Reads the file at path into the stash. A missing file adds nothing and says nothing.
TServerCacheLoad LoadServerCache(const QString& path, TServerStash& stash);

// Writes the bytes of a cache (WriteServerCache) through QSaveFile: a failed write keeps the
// old file, and the file is never seen half written. Returns the reason of a failure, empty on
// success. Touches nothing but its arguments: the window runs it on the writer thread.
QString SaveServerCacheBytes(const QString& path, const QByteArray& bytes);
// Both at once, on the calling thread.
QString SaveServerCache(const QString& path, const TServerStash& stash);

}  // namespace zorvane
