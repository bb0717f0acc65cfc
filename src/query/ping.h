// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Resolution of servers added by DNS name. The echo itself is not needed (a server's ping is
// the round trip of its status query), so TICMP resolves the name asynchronously and reports
// the dotted address; Linux allows unprivileged ICMP only where the system is set up for it.

#include <QObject>
#include <QString>

#include "query/host_lookup.h"

namespace zorvane {

// Text of an echo status or error code ("Request timed out", "ICMP error #n" ...).
QString IcmpErrorString(quint32 code);

class TICMP : public QObject {
  Q_OBJECT
 public:
  static constexpr quint32 kBadDestination = 11018;
  static constexpr quint32 kLookupFailed = 11001 - 1;  // a resolver failure, below the table

  explicit TICMP(QObject* parent = nullptr);

  QString Address() const { return address_; }
  // A different text forgets the resolved address; the same text keeps it.
  void SetAddress(const QString& address);
  int Size = 56;
  int Timeout = 4000;
  int TTL = 64;
  int Flags = 0;

  QString HostName() const { return hostName_; }
  QString HostIP() const { return hostIP_; }
  bool Resolved() const { return resolved_; }
  quint32 LastError() const { return lastError_; }

  // Resolves the address (a dotted address needs no look-up) and then raises EchoReply.
  // The result always arrives through the event loop, never inside this call.
  void Ping();
  void SetHostLookup(THostLookup lookup) { lookup_ = std::move(lookup); }

 Q_SIGNALS:
  void Display(const QString& text);
  void EchoRequest();
  void EchoReply(quint32 status);

 private:
  void Finish(const QHostAddress& address, const QString& error);
  void Echo();

  QString address_;
  QString hostName_;
  QString hostIP_;
  bool resolved_ = false;
  quint32 lastError_ = 0;
  THostLookup lookup_;
};

class TPing : public QObject {
  Q_OBJECT
 public:
  explicit TPing(QObject* parent = nullptr);

  TICMP& Icmp() { return icmp_; }
  QString Address() const { return icmp_.Address(); }
  void SetAddress(const QString& address) { icmp_.SetAddress(address); }
  void SetTimeout(int ms) { icmp_.Timeout = ms; }
  int Timeout() const { return icmp_.Timeout; }
  void Ping() { icmp_.Ping(); }
  QString ErrorString() const { return IcmpErrorString(icmp_.LastError()); }

 Q_SIGNALS:
  void OnDisplay(const QString& text);
  void OnEchoRequest();
  void OnEchoReply(zorvane::TICMP* icmp, quint32 status);

 private:
  TICMP icmp_;
};

// The resolver of one server: Tag is the server key.
class TkorvPing : public TPing {
  Q_OBJECT
 public:
  explicit TkorvPing(QObject* parent = nullptr);
  QString Tag;

 Q_SIGNALS:
  void OnResolved(const QString& key, const QString& hostIP, const QString& error,
                  quint32 status);
};

}  // namespace zorvane
