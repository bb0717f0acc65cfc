// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/master_query.h"

#include <array>

namespace zorvane {

namespace {

QByteArrayView TrimBlanks(QByteArrayView text) {
  while (!text.isEmpty() && uchar(text.front()) <= ' ') text = text.sliced(1);
  while (!text.isEmpty() && uchar(text.back()) <= ' ') text.chop(1);
  return text;
}

// 1912 as "1,912".
QString Grouped(int number) {
  QString digits = QString::number(number);
  for (qsizetype at = digits.size() - 3; at > (number < 0 ? 1 : 0); at -= 3)
    digits.insert(at, u',');
  return digits;
}

QString Servers(int count) {
  return Grouped(count) + (count == 1 ? QStringLiteral(" server") : QStringLiteral(" servers"));
}

// A number of at most maxDigits digits without a leading zero (0 itself allowed), up to max.
bool ReadNumber(QByteArrayView text, int maxDigits, uint max, uint& value) {
  if (text.isEmpty() || text.size() > maxDigits) return false;
  if (text.size() > 1 && text.front() == '0') return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + uint(c - '0');
  }
  return value <= max;
}

}  // namespace

std::optional<TMasterAddress> ParseMasterAddress(QStringView text) {
  text = text.trimmed();
  TMasterAddress address;
  const qsizetype colon = text.indexOf(u':');
  QStringView host = text;
  if (colon >= 0) {
    host = text.first(colon);
    const QStringView port = text.sliced(colon + 1);
    if (port.isEmpty() || port.size() > 5) return std::nullopt;
    uint number = 0;
    for (QChar c : port) {
      if (c < u'0' || c > u'9') return std::nullopt;
      number = number * 10 + uint(c.unicode() - u'0');
    }
    if (number < 1 || number > 65535) return std::nullopt;
    address.port = quint16(number);
  }
  if (host.isEmpty()) return std::nullopt;
  for (QChar c : host)
    if (c.isSpace()) return std::nullopt;
  address.host = host.toString();
  return address;
}

QString GameKeyFromKeyText(const QString& keyText) {
  if (keyText.size() < 13) return keyText;
  QString key;
  for (int position = 3; position <= 13; position += 2) key += keyText[position - 1];
  return key;
}

QString ValidateChallenge(QByteArrayView challenge, QByteArrayView gameKey) {
  if (gameKey.isEmpty()) return {};
  std::array<quint8, 256> table;
  for (int i = 0; i < 256; ++i) table[i] = quint8(i);
  quint8 j = 0;
  for (int i = 0; i < 256; ++i) {
    j = quint8(j + table[i] + quint8(gameKey[i % gameKey.size()]));
    std::swap(table[i], table[j]);
  }

  // The length counts modulo 256, as the master computes it.
  const int length = quint8(challenge.size());
  QByteArray bytes(length, '\0');
  quint8 x = 0, y = 0;
  for (int k = 0; k < length; ++k) {
    const quint8 c = quint8(challenge[k]);
    x = quint8(c + x + 1);
    const quint8 a = table[x];
    y = quint8(y + a);
    const quint8 b = table[y];
    table[y] = a;
    table[x] = b;
    bytes[k] = char(c ^ table[quint8(a + b)]);
  }

  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  QString response;
  response.reserve(length / 3 * 4);
  for (int g = 0; g + 3 <= length; g += 3) {
    const quint8 b0 = quint8(bytes[g]), b1 = quint8(bytes[g + 1]), b2 = quint8(bytes[g + 2]);
    for (const int v : {b0 >> 2, (b0 & 3) << 4 | b1 >> 4, (b1 & 15) << 2 | b2 >> 6, b2 & 63})
      response += QLatin1Char(kAlphabet[v]);
  }
  return response;
}

bool GreetingComplete(QByteArrayView received) {
  constexpr QByteArrayView kSecure("\\secure\\");
  constexpr qsizetype kChallengeLength = 6;
  const qsizetype at = received.indexOf(kSecure);
  if (at >= 0 && received.size() - at - kSecure.size() >= kChallengeLength) return true;
  return received.contains('\n');
}

QByteArray ChallengeFromGreeting(QByteArrayView greeting) {
  constexpr qsizetype kPrefix = 15;  // "\basic\\secure\"
  if (greeting.size() <= kPrefix) return {};
  return TrimBlanks(greeting.sliced(kPrefix)).toByteArray();
}

std::optional<TMasterEntry> ParseMasterEntry(QByteArrayView entry) {
  entry = TrimBlanks(entry);
  const qsizetype colon = entry.lastIndexOf(':');
  if (colon < 0) return std::nullopt;
  uint port = 0;
  if (!ReadNumber(entry.sliced(colon + 1), 5, 65535, port) || port == 0) return std::nullopt;
  const QByteArrayView address = entry.first(colon);
  int numbers = 0;
  qsizetype from = 0;
  for (;;) {
    const qsizetype dot = address.indexOf('.', from);
    const qsizetype end = dot < 0 ? address.size() : dot;
    uint number = 0;
    if (!ReadNumber(address.sliced(from, end - from), 3, 255, number)) return std::nullopt;
    ++numbers;
    if (dot < 0) break;
    from = dot + 1;
  }
  if (numbers != 4) return std::nullopt;
  return TMasterEntry{address.toByteArray(), quint16(port)};
}

TMasterList ReadMasterList(QByteArrayView list) {
  constexpr QByteArrayView kIp("\\ip\\");
  constexpr QByteArrayView kFinal("\\final\\");
  TMasterList read;
  qsizetype at = list.indexOf(kIp);
  int count = 0;
  while (at >= 0) {
    if (++count > kMaxMasterListEntries) {
      read.entries.clear();
      read.skipped = 0;
      read.tooLong = true;
      return read;
    }
    const qsizetype start = at + kIp.size();
    at = list.indexOf(kIp, start);
    QByteArrayView entry = list.sliced(start, (at < 0 ? list.size() : at) - start);
    if (at < 0) {
      const qsizetype final = entry.indexOf(kFinal);
      // Without its end mark the list was cut off, perhaps in the middle of this entry.
      if (final < 0) break;
      read.whole = true;
      entry = entry.first(final);
    }
    if (const auto parsed = ParseMasterEntry(entry))
      read.entries.push_back(*parsed);
    else
      ++read.skipped;
  }
  // A list of no servers is whole when it says so.
  if (count == 0) read.whole = list.contains(kFinal);
  return read;
}

QString TooManyServersText() {
  return QStringLiteral("Too many servers were returned from GameSpy (more than %1)")
      .arg(kMaxMasterListEntries);
}

QString MasterAddressText(const TMasterAddress& master) {
  return master.port == kDefaultMasterPort ? master.host
                                           : master.host + u':' + QString::number(master.port);
}

QString MasterResultName(TMasterResult result) {
  switch (result) {
    case TMasterResult::Listed:
      return QStringLiteral("ok");
    case TMasterResult::Cut:
      return QStringLiteral("cut");
    case TMasterResult::TimedOut:
      return QStringLiteral("timed out");
    case TMasterResult::Refused:
      return QStringLiteral("refused");
    case TMasterResult::Rejected:
      break;
  }
  return QStringLiteral("rejected");
}

QString MasterOutcomeLine(const TMasterOutcome& outcome) {
  const QString master = MasterAddressText(outcome.master) + QStringLiteral(": ");
  switch (outcome.result) {
    case TMasterResult::Listed:
      return master + Servers(outcome.listed);
    case TMasterResult::Cut:
      return master + QStringLiteral("list cut short (kept ") + Servers(outcome.listed) +
             QStringLiteral(", removed none)");
    case TMasterResult::TimedOut:
    case TMasterResult::Refused:
      return master + QStringLiteral("no answer (") + MasterResultName(outcome.result) + u')';
    case TMasterResult::Rejected:
      break;
  }
  return master + QStringLiteral("rejected (") + outcome.text + u')';
}

const TMasterGame* MasterGameOfVariant(QStringView variant) {
  for (const TMasterGame& game : kMasterGames)
    if (variant.compare(QLatin1StringView(game.variant), Qt::CaseInsensitive) == 0) return &game;
  return nullptr;
}

const TMasterGame* MasterGameOfName(QByteArrayView gameName) {
  for (const TMasterGame& game : kMasterGames)
    if (gameName.compare(QByteArrayView(game.gameName), Qt::CaseInsensitive) == 0) return &game;
  return nullptr;
}

const TMasterGame* MasterGameOfCaption(QStringView caption) {
  for (const TMasterGame& game : kMasterGames)
    if (caption == QLatin1StringView(game.caption)) return &game;
  return nullptr;
}

}  // namespace zorvane
