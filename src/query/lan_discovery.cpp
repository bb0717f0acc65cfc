// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/lan_discovery.h"

#include <QNetworkInterface>
#include <QtEndian>

#include "query/binary_protocol.h"
#include "query/vocabulary.h"

namespace zorvane {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// The variants that answer a LAN search in the binary protocol, by the version they send.
constexpr const char16_t* kBinaryVariants[] = {u"UT2004", u"UT2004 Demo", u"UT2003",
                                               u"UT2003 Demo", u"Unreal 2 XMP"};

// Four decimal parts of 0 to 255, one to three digits each; 0.0.0.0 is no one to ask.
std::optional<QHostAddress> DottedAddress(QStringView text) {
  const auto parts = text.split(u'.');
  if (parts.size() != 4) return std::nullopt;
  quint32 address = 0;
  for (QStringView part : parts) {
    if (part.isEmpty() || part.size() > 3) return std::nullopt;
    int octet = 0;
    for (QChar c : part) {
      if (c < u'0' || c > u'9') return std::nullopt;
      octet = octet * 10 + (c.unicode() - u'0');
    }
    if (octet > 255) return std::nullopt;
    address = address << 8 | quint32(octet);
  }
  if (address == 0) return std::nullopt;
  return QHostAddress(address);
}

}  // namespace

QByteArray BeaconQuery() { return QByteArrayLiteral("REPORTQUERY"); }

QByteArray LanInfoRequest() { return BinaryRequest(GameQueryVersion(u"UT2004"), brInfo); }

std::optional<int> ParseBeaconAnswer(QByteArrayView datagram) {
  // The games read the text up to its first zero byte.
  const qsizetype zero = datagram.indexOf('\0');
  const QByteArrayView text = zero < 0 ? datagram : datagram.first(zero);
  if (text.size() < 4 || Lower(text[0]) != 'u' || Lower(text[1]) != 't' || text[2] != ' ')
    return std::nullopt;
  qsizetype at = 3;
  int port = 0;
  for (int digits = 0; at < text.size() && IsDigit(text[at]); ++at) {
    if (++digits > 5) return std::nullopt;
    port = port * 10 + (text[at] - '0');
  }
  if (at == 3 || port < 1 || port > 65535) return std::nullopt;
  for (; at < text.size(); ++at)
    if (text[at] != ' ' && text[at] != '\t' && text[at] != '\r' && text[at] != '\n')
      return std::nullopt;
  return port;
}

std::optional<QString> ParseLanInfoAnswer(QByteArrayView datagram) {
  // Version (4), type (1), server id (4), address (a length byte counting its closing zero,
  // then that many bytes), game port and query port (4 each).
  if (datagram.size() < 10 || uchar(datagram[4]) != brInfo) return std::nullopt;
  const qsizetype address = 9;
  const qsizetype ports = address + 1 + uchar(datagram[address]);
  if (datagram.size() - ports < 8) return std::nullopt;
  const qint32 version = qFromLittleEndian<qint32>(datagram.data());
  for (const char16_t* variant : kBinaryVariants)
    if (GameQueryVersion(variant) == version) return QString::fromUtf16(variant);
  return QStringLiteral("UT2004");
}

QList<QHostAddress> ParseLanAddresses(QStringView text, QStringList* rejected) {
  QList<QHostAddress> addresses;
  qsizetype start = 0;
  for (qsizetype at = 0; at <= text.size(); ++at) {
    if (at < text.size() && text[at] != u',' && !text[at].isSpace()) continue;
    const QStringView entry = text.sliced(start, at - start);
    start = at + 1;
    if (entry.isEmpty()) continue;
    if (const auto address = DottedAddress(entry)) {
      if (!addresses.contains(*address)) addresses << *address;
    } else if (rejected) {
      *rejected << entry.toString();
    }
  }
  return addresses;
}

QList<QHostAddress> InterfaceBroadcasts() {
  QList<QHostAddress> broadcasts;
  for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
    const auto flags = interface.flags();
    if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::CanBroadcast))
      continue;
    for (const QNetworkAddressEntry& entry : interface.addressEntries()) {
      const QHostAddress broadcast = entry.broadcast();
      if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol && !broadcast.isNull() &&
          !broadcasts.contains(broadcast))
        broadcasts << broadcast;
    }
  }
  return broadcasts;
}

std::vector<TLanDestination> LanDestinations(const QList<QHostAddress>& addresses, int beaconPort,
                                             int lanServerPort) {
  std::vector<TLanDestination> destinations;
  for (const QHostAddress& address : addresses) {
    for (int i = 0; beaconPort > 0 && i < kUtBeaconPorts && beaconPort + i <= 65535; ++i)
      destinations.push_back({address, quint16(beaconPort + i), TLanProtocol::UtBeacon});
    if (lanServerPort > 0 && lanServerPort <= 65535)
      destinations.push_back({address, quint16(lanServerPort), TLanProtocol::Ut2004Lan});
  }
  return destinations;
}

}  // namespace zorvane
