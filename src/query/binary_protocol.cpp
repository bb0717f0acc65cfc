// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/binary_protocol.h"

#include <QString>

#include "query/network_text.h"
#include "query/server_record.h"

namespace zorvane {

namespace {

// A read position over one datagram; every read checks the bytes are there.
class TReader {
 public:
  explicit TReader(QByteArrayView bytes) : bytes_(bytes) {}

  bool AtEnd() const { return pos_ >= bytes_.size(); }
  bool Skip(qsizetype n) {
    if (bytes_.size() - pos_ < n) return false;
    pos_ += n;
    return true;
  }
  bool Int32(qint32& value) {
    if (bytes_.size() - pos_ < 4) return false;
    const auto* p = reinterpret_cast<const uchar*>(bytes_.data() + pos_);
    value = qint32(quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24);
    pos_ += 4;
    return true;
  }
  // A length byte L counting the closing zero, L - 1 characters, the zero; L = 0 is empty.
  bool String(QByteArrayView& text) {
    if (AtEnd()) return false;
    const qsizetype length = uchar(bytes_[pos_]);
    if (length == 0) {
      text = {};
      ++pos_;
      return true;
    }
    if (bytes_.size() - pos_ - 1 < length) return false;
    text = bytes_.sliced(pos_ + 1, length - 1);
    pos_ += 1 + length;
    return true;
  }

 private:
  QByteArrayView bytes_;
  qsizetype pos_ = 0;
};

void ParseInfo(TServer& server, TReader& in, int elapsedPing, TBinaryParseResult& result) {
  TNetworkTexts clean;
  server.ResetValues(false);
  server.SetPing(QString::number(elapsedPing));
  QByteArrayView text;
  qint32 number = 0;
  if (!in.Skip(4) || !in.String(text) || !in.Skip(8)) return;  // id, address, two ports
  result.complete = true;
  result.requestDetails = true;
  server.RepliesSeen |= rpInfo;
  if (!in.String(text)) return;
  if (server.AutoUpdateDescription().compare(u"True", Qt::CaseInsensitive) == 0)
    server.SetTextLatin1(TServerText::Description, clean.Clean(text));
  if (!in.String(text)) return;
  server.SetTextLatin1(TServerText::MapName, clean.Clean(text));
  if (!in.String(text)) return;
  server.SetTextLatin1(TServerText::GameType, clean.Clean(text));
  if (!in.Int32(number)) return;
  server.SetNumPlayers(QString::number(number & 0xFF));
  if (!in.Int32(number)) return;
  server.SetMaxPlayers(QString::number(number & 0xFF));
}

// Returns how many settings were stored.
int ParseRules(TServer& server, TReader& in) {
  TNetworkTexts clean;
  int added = 0;
  QByteArrayView name, value;
  while (in.String(name) && !in.AtEnd() && in.String(value)) {
    if (name.isEmpty() && value.isEmpty()) continue;
    name = clean.Clean(name);
    value = clean.Clean(value);
    bool stored = false;
    for (int i = 0; i < server.SettingSlotsUsed() && !stored; ++i)
      stored = server.SettingIs(i, name, value);
    if (stored) continue;
    const int slot = server.FirstFreeSetting();
    if (slot < 0) break;
    server.SetSettingLatin1(slot, name, value);
    ++added;
  }
  return added;
}

bool SkippedPlayer(const TServer& server, QByteArrayView name) {
  if (name.isEmpty() || name.contains("Red Team Score") || name.contains("Blue Team Score"))
    return true;
  for (int i = 0; i < kPlayerSlots; ++i)
    if (server.PlayerNamed(i, name)) return true;
  return false;
}

int FirstFreePlayerSlot(const TServer& server) {
  for (int i = 0; i < kPlayerSlots; ++i)
    if (!server.PlayerInUse(i)) return i;
  return -1;
}

// Returns how many players were stored.
int ParsePlayers(TServer& server, TReader& in) {
  TNetworkTexts clean;
  int added = 0;
  QByteArrayView name;
  qint32 ping = 0, score = 0, team = 0;
  while (!in.AtEnd()) {
    if (!in.Skip(4) || !in.String(name)) break;
    name = clean.Clean(name);
    if (SkippedPlayer(server, name)) {
      if (!in.Skip(12)) break;
      continue;
    }
    const int slot = FirstFreePlayerSlot(server);
    if (slot < 0) break;
    // Ping and score are whole signed 32-bit numbers (a ping of 576 is not 64); a truncated
    // record keeps the fields it reaches.
    TServer::TPlayerBatch fields{};
    fields[std::size_t(TPlayerField::Name)] = name;
    QByteArray pingText, scoreText;
    bool whole = false;
    if (in.Int32(ping)) {
      pingText = QByteArray::number(ping);
      fields[std::size_t(TPlayerField::Ping)] = pingText;
      if (in.Int32(score)) {
        scoreText = QByteArray::number(score);
        fields[std::size_t(TPlayerField::Frags)] = scoreText;
        if (in.Int32(team)) {
          const quint8 teamByte = quint8(quint32(team) >> 24);
          fields[std::size_t(TPlayerField::Team)] = teamByte == 0x20   ? QByteArrayView("red")
                                                    : teamByte == 0x40 ? QByteArrayView("blue")
                                                                       : QByteArrayView("");
          whole = true;
        }
      }
    }
    server.SetPlayerTextsLatin1(slot, fields);
    ++added;
    if (!whole) break;
  }
  return added;
}

}  // namespace

QByteArray BinaryRequest(quint8 queryVersion, TBinaryRequest type) {
  QByteArray request(5, '\0');
  request[0] = char(queryVersion);
  request[4] = char(type);
  return request;
}

int BinaryReplyType(QByteArrayView datagram) {
  return datagram.size() > 4 ? int(uchar(datagram[4])) : -1;
}

TBinaryParseResult ParseBinaryReply(TServer& server, QByteArrayView datagram, int elapsedPing) {
  TBinaryParseResult result;
  TReader in(datagram);
  if (!in.Skip(4) || in.AtEnd()) return result;
  const uchar type = uchar(datagram[4]);
  in.Skip(1);
  switch (type) {
    case brInfo:
      ParseInfo(server, in, elapsedPing, result);
      break;
    case brRules:
      result.added = ParseRules(server, in);
      server.RepliesSeen |= rpRules;
      result.complete = true;
      break;
    case brPlayers:
      result.added = ParsePlayers(server, in);
      server.RepliesSeen |= rpPlayers;
      result.complete = true;
      break;
    default:
      break;
  }
  return result;
}

}  // namespace zorvane
