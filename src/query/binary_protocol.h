// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The binary status protocol of UT2003 and UT2004 servers: a 5-byte request per reply type
// (0 server information, 1 rules, 2 players) and one reply per request, little-endian.

#include <QByteArray>
#include <QByteArrayView>

namespace zorvane {

class TServer;

enum TBinaryRequest : quint8 { brInfo = 0, brRules = 1, brPlayers = 2 };

QByteArray BinaryRequest(quint8 queryVersion, TBinaryRequest type);

struct TBinaryParseResult {
  bool complete = false;        // a well-formed reply
  bool requestDetails = false;  // server information arrived: ask for rules and players
  int added = 0;                // settings or players stored by a rules or players reply
};

// The type byte of a reply (0, 1, 2, or another value), or -1 when the datagram is too short
// to carry one.
int BinaryReplyType(QByteArrayView datagram);

// Parses one reply datagram into server. Every read is bounds-checked; a truncated reply fills
// what it reaches. Texts are stored cleaned of control characters (see network_text.h).
TBinaryParseResult ParseBinaryReply(TServer& server, QByteArrayView datagram, int elapsedPing);

}  // namespace zorvane
