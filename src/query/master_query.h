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
  // The whole exchange, connection included: a master that trickles a byte now and then
  // would otherwise hold the GUI thread for as long as it likes.
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

struct TMasterEntry {
  QByteArray address;
  QByteArray port;
  bool operator==(const TMasterEntry&) const = default;
};

// The entries of a list "\ip\ADDR:PORT\ip\ADDR:PORT...\final\", split at their first colon.
// Entries without a colon or with nothing after it, and addresses holding a blank or a control
// character, are left out.
std::vector<TMasterEntry> SplitMasterList(QByteArrayView list);

// Fetches the variant's list and adds its servers to the stash under the variant, in place of
// the variant's servers that are not favourites; returns how many were added, 0 on every
// failure and for a variant no master lists (the stash then stays as it was).
int QueryMasterServer(TServerStash& stash, const QString& variant, const TMasterAddress& master,
                      const TMasterQueryOptions& options, const TMasterStatus& status);

}  // namespace zorvane
