// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The backslash text protocol of UT servers: "\key\value\key\value...", a reply spread over
// one or more datagrams, the last one carrying "\final\".

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>

namespace zorvane {

class TServer;

using TLogFunction = std::function<void(int level, const QString& text)>;

// The status query datagram: "\status\" and the game properties, zero-padded to 296 bytes.
QByteArray TextStatusQuery();

// Parses one datagram into server. replyInProgress is the transport's mark: 0 means this
// datagram starts a new reply (the record is reset first), 1 that it continues one. Only keys
// at key positions count, and the first occurrence of a key in a datagram wins. Texts are stored
// cleaned of control characters (see network_text.h). Returns true when the datagram ends the
// reply.
bool ParseTextDatagram(TServer& server, QByteArrayView datagram, int& replyInProgress,
                       int elapsedPing, const TLogFunction& log);

}  // namespace zorvane
