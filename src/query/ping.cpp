// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/ping.h"

#include <QTimer>

namespace zorvane {

QString IcmpErrorString(quint32 code) {
  static constexpr struct {
    quint32 code;
    const char* text;
  } kTexts[] = {
      {0, "No error"},
      {11001, "Buffer too small"},
      {11002, "Destination network unreachable"},
      {11003, "Destination host unreachable"},
      {11004, "Destination protocol unreachable"},
      {11005, "Destination port unreachable"},
      {11006, "No resources"},
      {11007, "Bad option"},
      {11008, "Hardware error"},
      {11009, "Packet too big"},
      {11010, "Request timed out"},
      {11011, "Bad request"},
      {11012, "Bad route"},
      {11013, "TTL expired in transit"},
      {11014, "TTL expired in reassembly"},
      {11015, "Parameter problem"},
      {11016, "Source quench"},
      {11017, "Option too big"},
      {11018, "Bad Destination"},
      {11019, "Address deleted"},
      {11020, "Spec MTU change"},
      {11021, "MTU change"},
      {11050, "General failure"},
      {11255, "Pending"},
  };
  for (const auto& t : kTexts)
    if (t.code == code) return QString::fromLatin1(t.text);
  return QStringLiteral("ICMP error #") + QString::number(code);
}

TICMP::TICMP(QObject* parent) : QObject(parent), lookup_(SystemHostLookup()) {}

void TICMP::SetAddress(const QString& address) {
  if (address != address_) {
    resolved_ = false;
    hostIP_.clear();
    hostName_.clear();
  }
  address_ = address;
}

void TICMP::Ping() {
  if (resolved_) {
    QTimer::singleShot(0, this, &TICMP::Echo);
  } else if (IsDottedAddress(address_)) {
    const QHostAddress address(address_);
    QTimer::singleShot(0, this, [this, address] { Finish(address, QString()); });
  } else {
    lookup_(address_, this, [this](const QHostAddress& address, const QString& error) {
      Finish(address, error);
    });
  }
}

void TICMP::Finish(const QHostAddress& address, const QString& error) {
  if (address.isNull()) {
    lastError_ = IsDottedAddress(address_) ? kBadDestination : kLookupFailed;
    Q_EMIT Display(lastError_ == kBadDestination ? QStringLiteral("Invalid host address")
                                                 : QStringLiteral("Unable to resolve ") + address_);
    Q_UNUSED(error);
    return;
  }
  hostName_ = address_;
  hostIP_ = address.toString();
  resolved_ = true;
  Echo();
}

void TICMP::Echo() {
  Q_EMIT EchoRequest();
  lastError_ = 0;
  Q_EMIT EchoReply(lastError_);
}

TPing::TPing(QObject* parent) : QObject(parent) {
  connect(&icmp_, &TICMP::Display, this, &TPing::OnDisplay);
  connect(&icmp_, &TICMP::EchoRequest, this, &TPing::OnEchoRequest);
  connect(&icmp_, &TICMP::EchoReply, this,
          [this](quint32 status) { Q_EMIT OnEchoReply(&icmp_, status); });
}

TkorvPing::TkorvPing(QObject* parent) : TPing(parent) {
  SetTimeout(1000);
  connect(this, &TPing::OnEchoReply, this, [this](TICMP* icmp, quint32 status) {
    Q_EMIT OnResolved(Tag, icmp->HostIP(), ErrorString(), status);
  });
}

}  // namespace zorvane
