// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Command line of zorvane-query. Parsing never touches the network; the only I/O is reading
// the --list files and checking that the --dir folder exists.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "query/lan_discovery.h"
#include "query/query_pacing.h"

namespace zorvane {

struct TQueryTarget {
  QString Host;
  int Port = 0;
  QString Game;
  bool operator==(const TQueryTarget&) const = default;
};

struct TQueryOptions {
  std::vector<TQueryTarget> Targets;  // command-line order, --list entries in place
  int QueryPower = kDefaultQueryPower;
  int WaitMs = 1000;
  int LocalPort = 0;
  bool Json = false;
  bool Help = false;
  QString Dir;             // --dir: the folder of the configuration files
  bool Favorites = false;  // --favorites: query the favourites stored there
  QStringList Masters;     // --master HOST[:PORT], repeatable: a mass refresh from them all
  bool DefaultMasters = false;  // --default-masters: the game's masters of --dir's settings
  QString MasterGame = QStringLiteral("UT");  // the --game before them: whose list is fetched
  bool MassRefresh() const { return !Masters.isEmpty() || DefaultMasters; }
  bool Lan = false;        // --lan: search the local network and query what answers
  QStringList Broadcast;   // --broadcast ADDR, in order: the only addresses the search asks
  int BeaconPort = kUtBeaconPort;  // --beacon-port: the first UT beacon port (0: no UT)
  int LanPort = kLanServerPort;    // --lan-port: UT2004's LAN server port (0: no UT2004)
  int LanWaitMs = -1;      // --lan-wait: -1 takes the settings file's "lanSearchWait"
  QString HistoryDir;      // --history DIR: print the history of the one server given
};

inline constexpr const char* kDefaultGame = "UT";
// A --list file larger than this is refused.
inline constexpr qint64 kMaxListFileBytes = qint64(64) << 20;

QString QueryUsage();

// The variant as the stash spells it ("ut2004" gives "UT2004"); nothing for an unknown one.
std::optional<QString> CanonicalVariant(const QString& name);

// Parses the arguments after the program name. On bad input returns false with a one-line
// error; reading a --list file that cannot be opened is bad input too.
bool ParseQueryOptions(const QStringList& arguments, TQueryOptions& options, QString& error);

// Reads "HOST:PORT" into target (Game untouched). Accepts a DNS name or a dotted IPv4 address
// and a port from 1 to 65535.
bool ParseServerKey(const QString& text, TQueryTarget& target, QString& error);

// Lines of a server list: "HOST:PORT [VARIANT]"; blank lines and "#" comments are skipped,
// the variant is the rest of the line and defaults to defaultGame. source names the list in
// errors ("file:line: ...").
bool ParseServerList(const QString& text, const QString& defaultGame, const QString& source,
                     std::vector<TQueryTarget>& targets, QString& error);

}  // namespace zorvane
