// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/master_query.h"

#include <QDeadlineTimer>
#include <QTcpSocket>
#include <algorithm>
#include <array>

#include "query/server_stash.h"

namespace zorvane {

namespace {

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
// time-out (what came by then is the greeting). Empty when the exchange's time runs out first
// or the master sends more than a greeting can be: a master that never stops sending must
// neither fill the memory nor hold the thread past the exchange's end.
QByteArray ReadGreeting(QTcpSocket& socket, int timeoutMs, const QDeadlineTimer& exchange) {
  QByteArray greeting;
  for (;;) {
    // Nothing past a line end: the greeting is one line.
    // At most one byte past the bound, which tells a greeting too long.
    const qint64 room = kMaxGreetingBytes + 1 - greeting.size();
    greeting += socket.canReadLine() ? socket.readLine(room + 1) : socket.read(room);
    if (GreetingComplete(greeting)) return greeting;
    if (greeting.size() > kMaxGreetingBytes || exchange.hasExpired()) return {};
    if (!socket.waitForReadyRead(WaitMs(timeoutMs, exchange)))
      return exchange.hasExpired() && socket.state() == QAbstractSocket::ConnectedState
                 ? QByteArray()
                 : greeting;
  }
}

bool Send(QTcpSocket& socket, const QByteArray& bytes, int timeoutMs,
          const QDeadlineTimer& exchange) {
  if (socket.write(bytes) != bytes.size()) return false;
  while (socket.bytesToWrite() > 0)
    if (!socket.waitForBytesWritten(WaitMs(timeoutMs, exchange))) return false;
  return true;
}

enum class TListRead { Closed, Expired, TooLong };

// Everything until the master closes the connection; a read error or a read's time-out just
// ends it. The exchange's end is checked after every read, so a master that keeps sending is
// given up on time.
TListRead ReadToClose(QTcpSocket& socket, int timeoutMs, const QDeadlineTimer& exchange,
                      QByteArray& stream) {
  for (;;) {
    stream.append(socket.read(kMaxListBytes + 1 - stream.size()));
    if (stream.size() > kMaxListBytes) return TListRead::TooLong;
    const bool connected = socket.state() == QAbstractSocket::ConnectedState;
    if (!connected && socket.bytesAvailable() == 0) return TListRead::Closed;
    if (connected && exchange.hasExpired()) return TListRead::Expired;
    if (connected && !socket.waitForReadyRead(WaitMs(timeoutMs, exchange))) {
      stream.append(socket.read(kMaxListBytes + 1 - stream.size()));  // what came with the close
      if (stream.size() > kMaxListBytes) return TListRead::TooLong;
      return exchange.hasExpired() && socket.state() == QAbstractSocket::ConnectedState
                 ? TListRead::Expired
                 : TListRead::Closed;
    }
  }
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

QString CutListText(int added) {
  return QStringLiteral("The server list from GameSpy was cut off: %1 servers added, none removed")
      .arg(added);
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

TMasterExchange ExchangeWithMaster(const TMasterGame& game, const TMasterAddress& master,
                                   const TMasterQueryOptions& options,
                                   const TMasterStatus& status) {
  TMasterExchange exchanged;
  const auto fail = [&](const QString& text) {
    exchanged.failure = text;
    if (status) status(text);
    return exchanged;
  };
  const QDeadlineTimer exchange(options.exchangeTimeoutMs);
  QTcpSocket socket;
  socket.connectToHost(master.host, master.port);
  if (!socket.waitForConnected(WaitMs(options.connectTimeoutMs, exchange)) &&
      socket.state() != QAbstractSocket::ConnectedState)
    return fail(QStringLiteral("Could not open connection to GameSpy"));

  const QByteArray line =
      TrimBlanks(ReadGreeting(socket, options.readTimeoutMs, exchange)).toByteArray();
  if (line.isEmpty()) {
    socket.abort();
    return fail(QStringLiteral("Did not receive a proper response from GameSpy"));
  }

  const QByteArray name(game.gameName);
  const QByteArray response =
      ValidateChallenge(ChallengeFromGreeting(line), QByteArrayView(game.gameKey)).toLatin1();
  const QByteArray validation =
      QByteArray("\\gamename\\") + name + "\\location\\0\\validate\\" + response + "\\final\\";
  const QByteArray request = QByteArray("\\list\\\\gamename\\") + name + "\\gametype\\\\final\\";
  if (!Send(socket, validation, options.readTimeoutMs, exchange) ||
      !Send(socket, request, options.readTimeoutMs, exchange)) {
    if (status) status(QStringLiteral("Error when asking for master list from GameSpy"));
  }

  const TListRead read = ReadToClose(socket, options.readTimeoutMs, exchange, exchanged.list);
  socket.abort();
  // A list cut off by the clock, or one longer than any real list, is not used at all.
  if (read == TListRead::Expired) {
    exchanged.list.clear();
    return fail(QStringLiteral("Connection timed out when reading result stream"));
  }
  if (read == TListRead::TooLong) {
    exchanged.list.clear();
    return fail(TooManyServersText());
  }
  if (exchanged.list.isEmpty()) return fail(QStringLiteral("No servers were returned from GameSpy"));
  return exchanged;
}

TMasterOutcome TakeMasterList(TServerStash& stash, const QString& variant, const TMasterList& list,
                              const TMasterStatus& status) {
  const auto say = [&status](const QString& text) {
    if (status) status(text);
  };
  TMasterOutcome outcome;
  if (list.tooLong || (!list.whole && list.entries.empty())) {
    outcome.text = list.tooLong ? TooManyServersText()
                                : QStringLiteral("No servers were returned from GameSpy");
    say(outcome.text);
    return outcome;
  }
  outcome.result = list.whole ? TMasterResult::Listed : TMasterResult::Cut;
  outcome.skipped = list.skipped;
  // Only a whole list tells which servers are gone.
  if (list.whole) stash.ClearServersOfGame(variant);
  say(QString(kParsingText));
  for (const TMasterEntry& entry : list.entries) {
    if (!stash.AddServer(QString::fromLatin1(entry.address), QString::number(entry.port),
                         QString(), false, variant, QStringLiteral("True"), QString()))
      continue;
    if (++outcome.added % 50 == 0) say(QString(kParsingText) + QString::number(outcome.added));
  }
  if (!list.whole) {
    outcome.text = CutListText(outcome.added);
    say(outcome.text);
  }
  return outcome;
}

TMasterOutcome QueryMasterServer(TServerStash& stash, const QString& variant,
                                 const TMasterAddress& master, const TMasterQueryOptions& options,
                                 const TMasterStatus& status) {
  const TMasterGame* listed = MasterGameOfVariant(variant);
  if (!listed) return {};
  if (status)
    status(QStringLiteral("Querying ") + QLatin1StringView(listed->variant) +
           QStringLiteral(" master server list..."));
  const TMasterExchange exchanged = ExchangeWithMaster(*listed, master, options, status);
  if (!exchanged.failure.isEmpty()) {
    TMasterOutcome failed;
    failed.text = exchanged.failure;
    return failed;
  }
  return TakeMasterList(stash, variant, ReadMasterList(exchanged.list), status);
}

}  // namespace zorvane
