// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/server_cache.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "query/master_query.h"
#include "query/server_cache_checksum.h"
#include "query/server_stash.h"

namespace zorvane {

namespace {

constexpr char kMagic[] = "ZorvaneServers\r\n";  // the line end catches text-mode copies
constexpr qsizetype kMagicSize = 16;
constexpr qsizetype kHeaderSize = kServerCacheHeaderSize;
static_assert(kHeaderSize == kMagicSize + 4 + 8 + 8);
// Port, query version, flags, reply mark, a one-byte header per text, two slot counts.
constexpr qsizetype kMinServerBytes = 2 + 1 + 1 + 4 + qsizetype(kServerTextCount) + 1 + 1;

enum TCacheFlag : quint8 { cfOnline = 1, cfPopulated = 2, cfReplyComplete = 4 };
constexpr quint8 kKnownFlags = cfOnline | cfPopulated | cfReplyComplete;

// ---- Writing

// Appends to a buffer through a pointer into room made ahead, not a QByteArray call per
// field: a big list has millions of texts. Finish() cuts the buffer to what was written.
class TWriter {
 public:
  explicit TWriter(QByteArray& out) : out_(out), at_(out.size()) {}
  TWriter(QByteArray& out, qsizetype at) : out_(out), at_(at) {}
  qsizetype At() const { return at_; }
  template <typename T>
  void Fixed(T value) {
    qToLittleEndian(value, Room(sizeof(T)));
    at_ += sizeof(T);
  }
  void Count(quint32 value) {
    char* p = Room(5);
    while (value >= 0x80) {
      *p++ = char(0x80 | (value & 0x7F));
      value >>= 7;
    }
    *p++ = char(value);
    at_ = p - out_.data();
  }
  void Text(const TPackedValue& v) {
    if (v.bytes.size() > qsizetype(kMaxCachedTextBytes)) {
      Count(0);
      return;
    }
    Count(quint32(v.bytes.size()) * 2 + (v.utf8 && !v.bytes.isEmpty() ? 1 : 0));
    if (v.bytes.isEmpty()) return;
    std::memcpy(Room(v.bytes.size()), v.bytes.data(), std::size_t(v.bytes.size()));
    at_ += v.bytes.size();
  }
  void Finish() { out_.resize(at_); }

 private:
  char* Room(qsizetype n) {
    if (out_.size() - at_ < n) out_.resize(std::max(at_ + n, out_.size() * 2));
    return out_.data() + at_;
  }

  QByteArray& out_;
  qsizetype at_;
};

void WriteServer(TWriter& out, const TServer& server) {
  out.Fixed(quint16(server.Port));
  out.Fixed(quint8(server.QueryVersion));
  out.Fixed(quint8((server.Online ? cfOnline : 0) | (server.Populated ? cfPopulated : 0) |
                   (server.ReplyComplete ? cfReplyComplete : 0)));
  out.Fixed(qint32(server.ReplyMark));
  for (std::size_t f = 0; f < kServerTextCount; ++f) out.Text(server.RawText(TServerText(f)));
  const int players = server.PlayerSlotsUsed();
  out.Count(quint32(players));
  for (int slot = 0; slot < players; ++slot)
    for (std::size_t f = 0; f < kPlayerFieldCount; ++f)
      out.Text(server.RawPlayerText(slot, TPlayerField(f)));
  const int settings = server.SettingSlotsUsed();
  out.Count(quint32(settings));
  for (int slot = 0; slot < settings; ++slot) {
    out.Text(server.RawSettingText(slot, false));
    out.Text(server.RawSettingText(slot, true));
  }
}

// Fills in the header of file, whose body follows kHeaderSize bytes kept for it.
void WriteHeader(QByteArray& file, quint32 version) {
  const QByteArrayView body = QByteArrayView(file).sliced(kHeaderSize);
  WriteServerCacheHeader(file.data(), quint64(body.size()), TServerCacheChecksum::Of(body),
                         version);
}

// ---- Reading: every read checks the bytes left first and fails for good on a shortfall.

class TReader {
 public:
  explicit TReader(QByteArrayView bytes) : bytes_(bytes) {}
  bool Ok() const { return ok_; }
  qsizetype Left() const { return bytes_.size() - at_; }

  template <typename T>
  T Fixed() {
    if (!ok_ || Left() < qsizetype(sizeof(T))) return Fail<T>();
    const T value = qFromLittleEndian<T>(bytes_.data() + at_);
    at_ += sizeof(T);
    return value;
  }
  // An unsigned LEB128 number of at most 5 bytes and at most limit.
  quint32 Count(quint32 limit) {
    quint64 value = 0;
    for (int shift = 0; ok_ && shift < 35; shift += 7) {
      if (Left() < 1) break;
      const quint8 byte = quint8(bytes_[at_++]);
      value |= quint64(byte & 0x7F) << shift;
      if (!(byte & 0x80)) return value <= limit ? quint32(value) : Fail<quint32>();
    }
    return Fail<quint32>();
  }
  // A text as a view into the bytes read (valid as long as they are).
  TPackedValue Text() {
    const quint32 header = Count(kMaxCachedTextBytes * 2 + 1);
    const qsizetype size = qsizetype(header >> 1);
    if (!ok_ || Left() < size) return Fail<TPackedValue>();
    // An empty text is never UTF-8: the writer never marks one so.
    if (size == 0 && (header & 1)) return Fail<TPackedValue>();
    const TPackedValue value{bytes_.sliced(at_, size), (header & 1) != 0};
    at_ += size;
    return value;
  }

 private:
  template <typename T>
  T Fail() {
    ok_ = false;
    return T{};
  }
  QByteArrayView bytes_;
  qsizetype at_ = 0;
  bool ok_ = true;
};

std::unique_ptr<TServer> ReadServer(TReader& in) {
  auto server = std::make_unique<TServer>();
  const quint16 port = in.Fixed<quint16>();
  server->QueryVersion = in.Fixed<quint8>();
  const quint8 flags = in.Fixed<quint8>();
  server->ReplyMark = in.Fixed<qint32>();
  if (!in.Ok() || port == 0 || (flags & ~kKnownFlags)) return nullptr;
  server->Port = port;
  server->Online = flags & cfOnline;
  server->Populated = flags & cfPopulated;
  server->ReplyComplete = flags & cfReplyComplete;

  std::array<TPackedValue, kServerTextCount> texts;
  for (TPackedValue& text : texts) text = in.Text();
  const quint32 players = in.Count(kPlayerSlots);
  std::array<TPackedValue, kPlayerSlots * kPlayerFieldCount> playerTexts;
  for (quint32 k = 0; in.Ok() && k < players * kPlayerFieldCount; ++k) playerTexts[k] = in.Text();
  const quint32 settings = in.Count(kSettingSlots);
  std::array<TPackedValue, kSettingSlots * 2> settingTexts;
  for (quint32 k = 0; in.Ok() && k < settings * 2; ++k) settingTexts[k] = in.Text();
  if (!in.Ok()) return nullptr;

  server->AssignRawTexts(texts);
  server->AssignRawPlayers(int(players),
                           std::span(playerTexts.data(), players * kPlayerFieldCount));
  server->AssignRawSettings(int(settings), std::span(settingTexts.data(), settings * 2));
  return server;
}

TServerCacheRead Ignored(const char* why) {
  TServerCacheRead result;
  result.problem = QString::fromLatin1(why);
  return result;
}

}  // namespace

TServerCacheBuilder::TServerCacheBuilder(int expectedServers) {
  // The body is written after room for the header, which is filled in once the body is
  // whole: no second copy of tens of megabytes. A server with 30 settings and a few players
  // takes about two kilobytes.
  file_.reserve(kHeaderSize + qsizetype(std::max(expectedServers, 0)) * 2048 + 4);
  file_.resize(kHeaderSize);
  TWriter out(file_);
  out.Fixed(quint32(0));  // the count, once known
  at_ = out.At();
}

void TServerCacheBuilder::Add(const TServer& server) {
  if (server.Favorite || server.FromLan) return;
  TWriter out(file_, at_);
  WriteServer(out, server);
  at_ = out.At();
  ++written_;
}

QByteArray TServerCacheBuilder::Finish() {
  file_.resize(at_);
  qToLittleEndian(written_, file_.data() + kHeaderSize);
  WriteHeader(file_, kServerCacheVersion);
  return std::exchange(file_, {});
}

TServerCachePartBuilder::TServerCachePartBuilder(qsizetype partBytes) : partBytes_(partBytes) {}

void TServerCachePartBuilder::Add(const TServer& server) {
  if (server.Favorite || server.FromLan) return;
  // Room for a whole part and the server that fills it: no copy of the part as it grows.
  if (part_.capacity() == 0) part_.reserve(partBytes_ + (16 << 10));
  TWriter out(part_, at_);
  WriteServer(out, server);
  at_ = out.At();
  ++written_;
}

QByteArray TServerCachePartBuilder::TakePart() {
  part_.resize(at_);
  at_ = 0;
  return std::exchange(part_, {});
}

void WriteServerCacheHeader(char* at, quint64 bodyLength, quint64 checksum, quint32 version) {
  std::memcpy(at, kMagic, kMagicSize);
  qToLittleEndian(version, at + kMagicSize);
  qToLittleEndian(bodyLength, at + kMagicSize + 4);
  qToLittleEndian(checksum, at + kMagicSize + 4 + 8);
}

QByteArray WriteServerCache(const TServerStash& stash) {
  TServerCacheBuilder builder(stash.Count());
  for (int i = 0; i < stash.Count(); ++i) builder.Add(*stash.Server(i));
  return builder.Finish();
}

QByteArray WrapServerCacheBody(QByteArrayView body, quint32 version) {
  QByteArray file;
  file.reserve(kHeaderSize + body.size());
  file.resize(kHeaderSize);
  file.append(body);
  WriteHeader(file, version);
  return file;
}

TServerCacheRead ReadServerCache(QByteArrayView bytes) {
  if (bytes.size() < kMagicSize || std::memcmp(bytes.data(), kMagic, kMagicSize) != 0)
    return Ignored("not a server cache");
  if (bytes.size() > kMaxServerCacheBytes) return Ignored("too large");
  TReader header(bytes.sliced(kMagicSize));
  const quint32 version = header.Fixed<quint32>();
  const quint64 length = header.Fixed<quint64>();
  const quint64 checksum = header.Fixed<quint64>();
  if (!header.Ok()) return Ignored("truncated");
  if (version > kServerCacheVersion) return Ignored("written by a newer version");
  if (version != kServerCacheVersion) return Ignored("an unknown format");
  if (quint64(header.Left()) < length) return Ignored("truncated");
  if (quint64(header.Left()) > length) return Ignored("damaged (bytes after its end)");
  const QByteArrayView body = bytes.sliced(kHeaderSize);
  if (TServerCacheChecksum::Of(body) != checksum) return Ignored("damaged (wrong checksum)");

  TReader in(body);
  const quint32 count = in.Fixed<quint32>();
  if (!in.Ok() || count > kMaxCachedServers || qsizetype(count) > in.Left() / kMinServerBytes)
    return Ignored("damaged (server count)");
  TServerCacheRead result;
  result.servers.reserve(count);
  for (quint32 i = 0; i < count; ++i) {
    auto server = ReadServer(in);
    if (!server) return Ignored("damaged (server record)");
    result.servers.push_back(std::move(server));
  }
  if (in.Left() != 0) return Ignored("damaged (bytes after the last server)");
  return result;
}

int AdoptCachedServers(TServerStash& stash, std::vector<std::unique_ptr<TServer>> servers) {
  int added = 0;
  for (auto& server : servers) {
    // What a master lists now: an older list may have named servers, which would be looked up
    // at every start.
    if (!server->TextEmpty(TServerText::DNSName) ||
        !ParseMasterEntry(QByteArray(server->IP().toLatin1() + ':' + QByteArray::number(server->Port))))
      continue;
    server->FromCache = true;
    if (stash.AdoptServer(std::move(server))) ++added;
  }
  return added;
}

TServerCacheLoad LoadServerCache(const QString& path, TServerStash& stash) {
  TServerCacheLoad load;
  QFile file(path);
  if (!file.exists()) return load;
  const auto ignored = [&](const QString& why) {
    load.ignored = true;
    load.logLine = QStringLiteral("The server list of the last session was not read: ") + why;
    return load;
  };
  // A folder, a pipe or a device in its place would give no size, or bytes without end.
  if (!QFileInfo(path).isFile()) return ignored(QStringLiteral("not a regular file"));
  if (!file.open(QIODevice::ReadOnly)) return ignored(file.errorString());
  if (file.size() > kMaxServerCacheBytes) return ignored(QStringLiteral("too large"));
  // No more than the size checked above, even for a file that grows meanwhile; a buffer of
  // the file's size, not of the largest size allowed.
  const QByteArray bytes = file.read(file.size());
  TServerCacheRead read = ReadServerCache(bytes);
  if (!read.problem.isEmpty()) return ignored(read.problem);
  load.added = AdoptCachedServers(stash, std::move(read.servers));
  load.logLine = QString::number(load.added) +
                 QStringLiteral(" servers listed from the last session (not yet refreshed)");
  return load;
}

QString SaveServerCacheBytes(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return file.errorString();
  if (file.write(bytes) != bytes.size()) {
    const QString error = file.errorString();
    file.cancelWriting();
    return error;
  }
  if (!file.commit()) return file.errorString();
  return {};
}

QString SaveServerCache(const QString& path, const TServerStash& stash) {
  return SaveServerCacheBytes(path, WriteServerCache(stash));
}

}  // namespace zorvane
