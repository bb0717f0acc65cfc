// SPDX-License-Identifier: GPL-2.0-or-later
// The master server's greeting and list: the first datagram-like part is the greeting, the rest
// (separated by a line "||") the list.

#include "fuzz_support.h"
#include "query/master_query.h"

using namespace zorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QList<QByteArrayView> parts = fuzz::SplitDatagrams(data, size);
  const QByteArrayView greeting = parts.first();

  const QByteArray challenge = ChallengeFromGreeting(greeting);
  const QByteArray key = GameKeyFromKeyText(QString::fromLatin1(kMasterKeyText)).toLatin1();
  const QString response = ValidateChallenge(challenge, key);
  // The master counts the challenge's length modulo 256.
  fuzz::Check(response.size() == challenge.size() % 256 / 3 * 4, "answer of the wrong length");
  for (QChar c : response)
    fuzz::Check(c.unicode() > 0x20 && c.unicode() < 0x7F && c != u'\\',
                "answer holds a character the exchange cannot carry");

  // The greeting's text doubles as a "masterServer" setting.
  if (const auto address = ParseMasterAddress(QString::fromLatin1(greeting)))
    fuzz::Check(!address->host.isEmpty() && address->port > 0, "accepted an address without host or port");

  for (qsizetype i = 1; i < parts.size(); ++i)
    for (const TMasterEntry& entry : SplitMasterList(parts[i])) {
      fuzz::Check(!entry.port.isEmpty(), "an entry without a port");
      fuzz::Check(!entry.address.contains(':'), "an address still holding its colon");
    }
  return 0;
}
