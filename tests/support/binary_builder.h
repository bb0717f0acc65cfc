// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Builds binary-protocol replies for tests.

#include <QByteArray>
#include <QtEndian>

namespace zorvane::testing {

class BinaryBuilder {
 public:
  explicit BinaryBuilder(quint8 type) : bytes_("\x80\0\0\0", 4) { bytes_.append(char(type)); }
  BinaryBuilder& Int(qint32 v) {
    char le[4];
    qToLittleEndian(v, le);
    bytes_.append(le, 4);
    return *this;
  }
  BinaryBuilder& Str(const QByteArray& s) {
    bytes_.append(char(s.size() + 1)).append(s).append('\0');
    return *this;
  }
  BinaryBuilder& Raw(const QByteArray& raw) {
    bytes_.append(raw);
    return *this;
  }
  // Server information: id, address, game port, query port, name, map, type, players.
  static QByteArray Info(const QByteArray& name, const QByteArray& map, const QByteArray& type,
                         int players, int maxPlayers) {
    return BinaryBuilder(0).Int(1).Str("").Int(7777).Int(7778).Str(name).Str(map).Str(type)
        .Int(players).Int(maxPlayers).bytes_;
  }
  BinaryBuilder& Player(const QByteArray& name, qint32 ping, qint32 score, quint32 team) {
    return Int(0).Str(name).Int(ping).Int(score).Int(qint32(team));
  }
  QByteArray Bytes() const { return bytes_; }

 private:
  QByteArray bytes_;
};

}  // namespace zorvane::testing
