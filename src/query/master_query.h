// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What a GameSpy-style master speaks: the games it lists, its address, the validation of a
// request, the greeting and the list it sends, read as functions over bytes, and what became of
// an exchange with it (TMasterExchange in master_exchange.h holds the exchange itself).

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <map>
#include <optional>
#include <vector>

namespace zorvane {

inline constexpr const char* kDefaultMasterHost = "master.333networks.com";
inline constexpr quint16 kDefaultMasterPort = 28900;
inline constexpr const char* kMasterGameName = "ut";
// Holds the game key of "ut" at every second place from the third; see GameKeyFromKeyText.
inline constexpr const char* kMasterKeyText = "Q7Zd5LNvfTbh0s";

// A game the master lists: the game variant its servers get, the name the master knows it by
// and the key that validates a request for it.
struct TMasterGame {
  const char* variant;
  const char* gameName;
  const char* gameKey;
  const char* caption;  // the menu item and the "startupQuery" choice
};
inline constexpr TMasterGame kMasterGames[] = {
    {"UT", kMasterGameName, "Z5Nfb0", "UT Master Server"},
    {"UT2004", "ut2004", "y5rP9m", "UT2004 Master Server"},
    {"UT2003", "ut2", "Lw7x0R", "UT2003 Master Server"},
};
// Null for a variant or a name no master lists (letter case ignored).
const TMasterGame* MasterGameOfVariant(QStringView variant);
const TMasterGame* MasterGameOfName(QByteArrayView gameName);
const TMasterGame* MasterGameOfCaption(QStringView caption);

// Where a master listens: one entry of a game's list of masters.
struct TMasterAddress {
  QString host = QString::fromLatin1(kDefaultMasterHost);
  quint16 port = kDefaultMasterPort;
  bool operator==(const TMasterAddress&) const = default;
};
using TMasterAddresses = std::vector<TMasterAddress>;
// The masters asked for each game's list, by the game's variant as kMasterGames spells it.
using TMasterLists = std::map<QString, TMasterAddresses>;

// "HOST", or "HOST:PORT" when the port is not the usual 28900.
QString MasterAddressText(const TMasterAddress& master);

// "HOST" or "HOST:PORT" (surrounding blanks allowed). Nothing for an empty host, a port that
// is not a number from 1 to 65535, or more than one colon.
std::optional<TMasterAddress> ParseMasterAddress(QStringView text);

struct TMasterQueryOptions {
  // A master that sends nothing for this long (the connection and its name look-up included)
  // is given up.
  int silenceTimeoutMs = 10000;
  // The whole exchange: a master that trickles a byte now and then, or never stops sending, is
  // given up after it.
  int exchangeTimeoutMs = 60000;
};

// The characters at positions 3, 5, 7, 9, 11 and 13 (from 1) of a text of 13 characters or
// more; a shorter text whole.
QString GameKeyFromKeyText(const QString& keyText);

// The master's answer to a challenge: 4 characters per whole group of 3 challenge bytes.
// Empty for an empty key.
QString ValidateChallenge(QByteArrayView challenge, QByteArrayView gameKey);

// The challenge in the master's greeting "\basic\\secure\XXXXXX": the text from the 16th
// character on, trimmed.
QByteArray ChallengeFromGreeting(QByteArrayView greeting);

// Whether the greeting received so far is whole: "\secure\" and the six challenge characters
// after it have arrived, or a line end has.
bool GreetingComplete(QByteArrayView received);

// What a master may send. The greeting "\basic\\secure\XXXXXX" is 21 bytes. The largest real
// lists hold a few thousand servers; a list beyond kMaxMasterListEntries is not used at all
// (its servers would all be sent a query, to addresses the master chose), and kMaxListBytes
// holds that many entries at their longest, with room for blanks.
inline constexpr qsizetype kMaxGreetingBytes = 256;
inline constexpr int kMaxMasterListEntries = 100000;
inline constexpr qsizetype kMaxListBytes = qsizetype(kMaxMasterListEntries) * 32;

struct TMasterEntry {
  QByteArray address;  // dotted IPv4
  quint16 port = 0;
  bool operator==(const TMasterEntry&) const = default;
};

// One entry of a list, "ADDRESS:PORT" (blanks around it allowed): four numbers from 0 to 255
// without leading zeros, and a port from 1 to 65535. Nothing for anything else: a master lists
// addresses, and a name would cost a look-up at every start.
std::optional<TMasterEntry> ParseMasterEntry(QByteArrayView entry);

// A list "\ip\ADDR:PORT\ip\ADDR:PORT...\final\" as read.
struct TMasterList {
  std::vector<TMasterEntry> entries;
  int skipped = 0;       // entries that are not ADDRESS:PORT
  bool whole = false;    // it ends with "\final\"; else its last entry, which may end
                         // mid-port, is left out
  bool tooLong = false;  // more than kMaxMasterListEntries entries: none is taken
};
TMasterList ReadMasterList(QByteArrayView list);

// What became of an exchange with one master.
enum class TMasterResult {
  Listed,    // a whole list, "\final\" at its end
  Cut,       // a list without its end (the master closed, or the time ran out): what it holds
             // may add servers, but it never tells which are gone
  TimedOut,  // silence, or the exchange's time, before any server was listed
  Refused,   // no connection: refused, unreachable, or a name that does not resolve
  Rejected,  // connected, but no usable list: a wrong greeting, a closed connection, a list of
             // nothing or one too long
};
// "ok", "cut", "timed out", "refused", "rejected".
QString MasterResultName(TMasterResult result);
inline bool GaveList(TMasterResult result) {
  return result == TMasterResult::Listed || result == TMasterResult::Cut;
}

struct TMasterOutcome {
  TMasterAddress master;
  TMasterResult result = TMasterResult::Rejected;
  int listed = 0;   // entries of its list (addresses, repeats included)
  int skipped = 0;  // entries left out (see ParseMasterEntry)
  QString text;     // for a failure, what went wrong, in the words of the status line
};

// The log line of a master's outcome: "master.333networks.com: 1,912 servers",
// "master.openspy.net: no answer (timed out)", "127.0.0.1:28901: list cut short (kept 412
// servers, removed none)".
QString MasterOutcomeLine(const TMasterOutcome& outcome);

// The text of a list too long.
QString TooManyServersText();

}  // namespace zorvane
