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

  for (qsizetype i = 1; i < parts.size(); ++i) {
    const TMasterList list = ReadMasterList(parts[i]);
    fuzz::Check(!list.tooLong || list.entries.empty(), "took entries of a list too long");
    for (const TMasterEntry& entry : list.entries) {
      fuzz::Check(entry.port > 0, "an entry without a port");
      // Every address taken reads back as the same entry: four numbers, nothing else.
      const auto again =
          ParseMasterEntry(QByteArray(entry.address + ':' + QByteArray::number(entry.port)));
      fuzz::Check(again && *again == entry, "an address that is not dotted IPv4");
    }
  }
  return 0;
}
