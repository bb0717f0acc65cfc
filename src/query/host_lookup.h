// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Asynchronous host-name look-up, replaceable so tests never depend on a name server.

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <functional>

namespace zorvane {

// Calls done(address, error) once, on the calling thread's event loop, with the name's first
// IPv4 address, or a null address and the reason.
using THostLookupDone = std::function<void(const QHostAddress& address, const QString& error)>;
using THostLookup =
    std::function<void(const QString& name, QObject* context, THostLookupDone done)>;

// The system resolver (QHostInfo).
THostLookup SystemHostLookup();

// Ends the process now with status, its output flushed, without the teardown in which Qt waits
// for every name look-up still running (and starts the queued ones): a name server that does
// not answer would hold the exit for minutes. For a process that has saved what it keeps.
[[noreturn]] void EndProcessNow(int status);

// A dotted IPv4 address: digits and points only, first and last characters digits.
bool IsDottedAddress(const QString& host);

// The number of milliseconds on a monotonic clock, wrapping at 2^32 like a tick counter.
quint32 TickCount();

}  // namespace zorvane
