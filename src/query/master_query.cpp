// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/master_query.h"

#include <QDeadlineTimer>
#include <QTcpSocket>
#include <algorithm>
#include <array>

#include "query/server_stash.h"

namespace zorvane {

namespace {

// A master that keeps sending would otherwise hold the GUI thread for good; a real list of
// every UT server is a few hundred kilobytes.
constexpr qsizetype kMaxListBytes = 16 * 1024 * 1024;

constexpr QLatin1StringView kParsingText("Parsing master server list... ");

QByteArrayView TrimBlanks(QByteArrayView text) {
  while (!text.isEmpty() && uchar(text.front()) <= ' ') text = text.sliced(1);
  while (!text.isEmpty() && uchar(text.back()) <= ' ') text.chop(1);
  return text;
}

// One wait of the exchange: a read's own time-out, cut short by the end of the exchange.
int WaitMs(int timeoutMs, const QDeadlineTimer& exchange) {
  return int(std::clamp<qint64>(exchange.remainingTime(), 0, timeoutMs));
}

// Masters send their greeting without a line end and then wait for us, and it may come in more
// than one segment: it is read until it is whole, or until the master falls silent for a read's
// time-out (what came by then is the greeting). Empty, with expired set, when the exchange's
// time runs out first.
QByteArray ReadGreeting(QTcpSocket& socket, int timeoutMs, const QDeadlineTimer& exchange,
                        bool& expired) {
  QByteArray greeting;
  expired = false;
  for (;;) {
    // Nothing past a line end: the greeting is one line.
    greeting += socket.canReadLine() ? socket.readLine() : socket.readAll();
    if (GreetingComplete(greeting)) return greeting;
    if (!socket.waitForReadyRead(WaitMs(timeoutMs, exchange))) {
      expired = exchange.hasExpired() && socket.state() == QAbstractSocket::ConnectedState;
      return expired ? QByteArray() : greeting;
    }
  }
}

bool Send(QTcpSocket& socket, const QByteArray& bytes, int timeoutMs,
          const QDeadlineTimer& exchange) {
  if (socket.write(bytes) != bytes.size()) return false;
  while (socket.bytesToWrite() > 0)
    if (!socket.waitForBytesWritten(WaitMs(timeoutMs, exchange))) return false;
  return true;
}

// Everything until the master closes the connection; a read error or a read's time-out just
// ends it. expired tells that the exchange's time ran out while the master was still sending.
QByteArray ReadToClose(QTcpSocket& socket, int timeoutMs, const QDeadlineTimer& exchange,
                       bool& expired) {
  QByteArray stream;
  expired = false;
  for (;;) {
    stream.append(socket.readAll());
    if (stream.size() >= kMaxListBytes) break;
    if (socket.state() != QAbstractSocket::ConnectedState) break;
    if (!socket.waitForReadyRead(WaitMs(timeoutMs, exchange))) {
      stream.append(socket.readAll());  // what came with the close
      expired = exchange.hasExpired() && socket.state() == QAbstractSocket::ConnectedState;
      break;
    }
  }
  return stream;
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

std::vector<TMasterEntry> SplitMasterList(QByteArrayView list) {
  constexpr QByteArrayView kIp("\\ip\\");
  constexpr QByteArrayView kFinal("\\final\\");
  std::vector<TMasterEntry> entries;
  qsizetype at = list.indexOf(kIp);
  while (at >= 0) {
    const qsizetype start = at + kIp.size();
    at = list.indexOf(kIp, start);
    QByteArrayView entry = list.sliced(start, (at < 0 ? list.size() : at) - start);
    if (at < 0) {
      const qsizetype final = entry.indexOf(kFinal);
      if (final >= 0) entry = entry.first(final);
    }
    const qsizetype colon = entry.indexOf(':');
    if (colon < 0 || colon + 1 == entry.size()) continue;
    // An address is never more than one word: one with blanks or control characters would
    // become a server key (and a line of a file) that the master wrote.
    const QByteArrayView address = entry.first(colon);
    if (std::any_of(address.begin(), address.end(),
                    [](char c) { return uchar(c) <= ' ' || uchar(c) == 0x7F; }))
      continue;
    entries.push_back({entry.first(colon).toByteArray(), entry.sliced(colon + 1).toByteArray()});
  }
  return entries;
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

int QueryMasterServer(TServerStash& stash, const QString& variant, const TMasterAddress& master,
                      const TMasterQueryOptions& options, const TMasterStatus& status) {
  const auto say = [&status](const QString& text) {
    if (status) status(text);
  };
  const TMasterGame* listed = MasterGameOfVariant(variant);
  if (!listed) return 0;
  say(QStringLiteral("Querying ") + QLatin1StringView(listed->variant) +
      QStringLiteral(" master server list..."));

  const QDeadlineTimer exchange(options.exchangeTimeoutMs);
  QTcpSocket socket;
  socket.connectToHost(master.host, master.port);
  if (!socket.waitForConnected(WaitMs(options.connectTimeoutMs, exchange)) &&
      socket.state() != QAbstractSocket::ConnectedState) {
    say(QStringLiteral("Could not open connection to GameSpy"));
    return 0;
  }

  bool expired = false;
  const QByteArray line =
      TrimBlanks(ReadGreeting(socket, options.readTimeoutMs, exchange, expired)).toByteArray();
  if (line.isEmpty()) {
    say(QStringLiteral("Did not receive a proper response from GameSpy"));
    socket.abort();
    return 0;
  }

  const QByteArray game(listed->gameName);
  const QByteArray response =
      ValidateChallenge(ChallengeFromGreeting(line), QByteArrayView(listed->gameKey)).toLatin1();
  const QByteArray validation =
      QByteArray("\\gamename\\") + game + "\\location\\0\\validate\\" + response + "\\final\\";
  const QByteArray request = QByteArray("\\list\\\\gamename\\") + game + "\\gametype\\\\final\\";
  if (!Send(socket, validation, options.readTimeoutMs, exchange) ||
      !Send(socket, request, options.readTimeoutMs, exchange))
    say(QStringLiteral("Error when asking for master list from GameSpy"));

  const QByteArray list = ReadToClose(socket, options.readTimeoutMs, exchange, expired);
  socket.abort();
  if (expired) {
    // A list cut off by the clock is not the list: the stash stays as it was.
    say(QStringLiteral("Connection timed out when reading result stream"));
    return 0;
  }

  if (list.isEmpty()) {
    say(QStringLiteral("No servers were returned from GameSpy"));
    return 0;
  }

  stash.ClearServersOfGame(variant);
  say(QString(kParsingText));
  int added = 0;
  for (const TMasterEntry& entry : SplitMasterList(list)) {
    if (!stash.AddServer(QString::fromLatin1(entry.address), QString::fromLatin1(entry.port),
                         QString(), false, variant, QStringLiteral("True"), QString()))
      continue;
    if (++added % 50 == 0) say(QString(kParsingText) + QString::number(added));
  }
  return added;
}

}  // namespace zorvane
