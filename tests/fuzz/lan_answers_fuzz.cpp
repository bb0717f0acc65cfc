// SPDX-License-Identifier: GPL-2.0-or-later
// Answers to a LAN search, datagram by datagram (separated by a line "||"): each is read as a
// UT beacon's answer, as a UT2004 server's, and as the text of the "lanAddresses" setting.

#include "fuzz_support.h"
#include "query/lan_discovery.h"

using namespace zorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (const QByteArrayView datagram : fuzz::SplitDatagrams(data, size)) {
    if (const auto port = ParseBeaconAnswer(datagram))
      fuzz::Check(*port >= 1 && *port <= 65535, "a beacon answer named a port out of range");
    if (const auto variant = ParseLanInfoAnswer(datagram)) {
      fuzz::Check(datagram.size() >= 18, "a reply too short for its ports was taken");
      fuzz::Check(variant->startsWith(u"UT") || *variant == u"Unreal 2 XMP",
                  "a reply gave an unknown variant");
    }
    for (const QHostAddress& address : ParseLanAddresses(QString::fromLatin1(datagram)))
      fuzz::Check(address.protocol() == QAbstractSocket::IPv4Protocol && address.toIPv4Address() != 0,
                  "an address no one can be asked at");
  }
  return 0;
}
