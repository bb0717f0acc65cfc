// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What a search for servers on the local network sends and hears, as functions over bytes.
//
// UT: the text "REPORTQUERY" goes to the beacon ports (8777 and the nine after it: each
// server on a host binds the first free one); a beacon answers from its port with its product
// name, a blank and its query port ("ut 7778").
// UT2004 (and UT2003): the binary protocol's server-information request goes to the LAN server
// port (10777, which every server on a host shares); each server answers it from its query
// port with the same server-information reply an ordinary query gets.
// Either way the server's address is the answer's source, never a text inside it.

#include <QByteArray>
#include <QByteArrayView>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>
#include <vector>

namespace zorvane {

inline constexpr int kUtBeaconPort = 8777;   // the games' ServerBeaconPort
inline constexpr int kUtBeaconPorts = 10;    // beacons asked per host: the port and nine more
inline constexpr int kLanServerPort = 10777; // UT2004's LANServerPort
inline constexpr int kMaxLanServers = 200;   // servers one search reports at most
inline constexpr int kDefaultLanWaitMs = 2000;

// "REPORTQUERY".
QByteArray BeaconQuery();
// The UT2004 server-information request.
QByteArray LanInfoRequest();

// The query port a UT beacon's answer names: "ut" in any case, one blank, one to five digits
// giving 1 to 65535, then nothing but blanks and line ends (the text ends at a zero byte, as
// the games read it). Nothing for any other datagram.
std::optional<int> ParseBeaconAnswer(QByteArrayView datagram);

// The game variant of a binary server-information reply, read from the version its header
// carries ("UT2004" when the version is none the program knows). Nothing unless the datagram
// is such a reply that holds its server id, address and both ports.
std::optional<QString> ParseLanInfoAnswer(QByteArrayView datagram);

// The dotted IPv4 addresses of the "lanAddresses" setting, separated by commas or blanks.
// Entries that are no such address are left out and, when rejected is given, listed there.
QList<QHostAddress> ParseLanAddresses(QStringView text, QStringList* rejected = nullptr);

// The broadcast address of every IPv4 interface that is up, from Qt's interface list.
QList<QHostAddress> InterfaceBroadcasts();

enum class TLanProtocol { UtBeacon, Ut2004Lan };

struct TLanDestination {
  QHostAddress address;
  quint16 port = 0;
  TLanProtocol protocol = TLanProtocol::UtBeacon;
  bool operator==(const TLanDestination&) const = default;
};

// Where a search sends, address by address: the ten UT beacon ports from beaconPort, then the
// UT2004 LAN server port. A port of 0 leaves its game out; ports past 65535 are left out.
std::vector<TLanDestination> LanDestinations(const QList<QHostAddress>& addresses, int beaconPort,
                                             int lanServerPort);

}  // namespace zorvane
