// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The master server list: one blocking TCP exchange with a GameSpy-style master that yields the
// addresses of every public UT server, which then replace the non-favourite servers of the
// stash. It blocks the calling (GUI) thread by design, for at most the time-outs below. The
// waits are QTcpSocket's waitFor* calls, which run no event loop: nothing else of the program
// runs meanwhile, so no handler can re-enter the stash while the list replaces its servers.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <functional>
#include <optional>
#include <vector>

namespace zorvane {

class TServerStash;

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

// Where the master listens; the "masterServer" setting.
struct TMasterAddress {
  QString host = QString::fromLatin1(kDefaultMasterHost);
  quint16 port = kDefaultMasterPort;
};

// "HOST" or "HOST:PORT" (surrounding blanks allowed). Nothing for an empty host, a port that
// is not a number from 1 to 65535, or more than one colon.
std::optional<TMasterAddress> ParseMasterAddress(QStringView text);

struct TMasterQueryOptions {
  int connectTimeoutMs = 11000;
  int readTimeoutMs = 6000;  // silence that ends a read
  // The whole exchange, connection included, checked after every read: a master that
  // trickles a byte now and then, or never stops sending, would otherwise hold the GUI thread
  // for as long as it likes.
  int exchangeTimeoutMs = 60000;
};

// Receives every status text of the query, in order.
using TMasterStatus = std::function<void(const QString& text)>;

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

// What became of a master query.
enum class TMasterResult {
  Listed,  // a whole list: it replaced the variant's servers that are not favourites
  Cut,     // a list without its end: its servers were added, none removed
  Failed,  // no usable list (none, a cut one without a server, a list too long): the stash is
           // as it was
};
struct TMasterOutcome {
  TMasterResult result = TMasterResult::Failed;
  int added = 0;    // servers added to the stash
  int skipped = 0;  // entries left out (see ParseMasterEntry)
  QString text;     // for Failed and Cut, what the status line said about it
};

// The texts of a list too long and of one cut off.
QString TooManyServersText();
QString CutListText(int added);

// The blocking exchange with the master for one game: the bytes it sent until it closed the
// connection, or a failure text (the status has shown it).
struct TMasterExchange {
  QByteArray list;
  QString failure;
};
TMasterExchange ExchangeWithMaster(const TMasterGame& game, const TMasterAddress& master,
                                   const TMasterQueryOptions& options, const TMasterStatus& status);

// Puts a list into the stash under the variant: a whole list in place of the variant's servers
// that are not favourites; a cut one beside them.
TMasterOutcome TakeMasterList(TServerStash& stash, const QString& variant, const TMasterList& list,
                              const TMasterStatus& status);

// Fetches the variant's list and takes it into the stash (both above). A variant no master
// lists fails without a word.
TMasterOutcome QueryMasterServer(TServerStash& stash, const QString& variant,
                                 const TMasterAddress& master, const TMasterQueryOptions& options,
                                 const TMasterStatus& status);

}  // namespace zorvane
