// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The masters each game's list is asked of: the community masters built in as defaults, the
// check of a list the user gives, and the section "masterServers" of the settings file that
// keeps them, with the older single "masterServer" setting read into it.

#include <QString>
#include <QStringList>
#include <map>

#include "query/master_query.h"

namespace zorvane {

class TIniDocument;
struct TSettings;

// A community master on TCP 28900 and the game names ("ut", "ut2004", "ut2") whose lists it
// keeps, blank-separated. Table order is the order a default list asks them in.
struct TCommunityMaster {
  const char* host;
  const char* gameNames;
};

// Where each came from:
// - master.333networks.com, master.errorist.eu, master.oldunreal.com and master.openspy.net list
//   "ut": the [UBrowserAll] ListFactories of the OldUnreal UT patch's System/Default.ini (469),
//   and the "ut" masters of cetteup/GameserverLister (games/gamespy.py).
// - master.newbiesplayground.net lists "ut": 333networks' instructions for game clients
//   (333networks.com/instructions-old).
// - master-uk and master-de.unrealarchive.org are 333networks masters (unrealarchive.org,
//   "Master Servers").
// - "ut2004" and "ut2" on this protocol: the 333networks master software knows both games
//   (Masterserver-Perl, data/supportedgames.pl) and its masters share every game's servers
//   among themselves (masterserver-config.pl, sync_games); the games' own clients use another
//   protocol on port 28902, which this program does not speak. So only 333networks masters
//   are their defaults.
inline constexpr TCommunityMaster kCommunityMasters[] = {
    {"master.333networks.com", "ut ut2004 ut2"},
    {"master.errorist.eu", "ut ut2004 ut2"},
    {"master.oldunreal.com", "ut"},
    {"master.openspy.net", "ut"},
    {"master.newbiesplayground.net", "ut"},
    {"master-uk.unrealarchive.org", "ut ut2004 ut2"},
    {"master-de.unrealarchive.org", "ut ut2004 ut2"},
};

// The default masters of a game's list ("UT", "UT2004", "UT2003", any letter case), in table
// order: the list "Restore Defaults" gives back. Empty for a game no master lists.
QStringList DefaultMasterList(const QString& variant);

// One entry of a list: a host name or a dotted IPv4 address, with an optional ":PORT" (1 to
// 65535, no leading zero); blanks around it are allowed.
bool ValidMasterEntry(const QString& entry);
// Why a list cannot be used, for the user: an entry that is no master's address, or a list
// without any (blank entries do not count). Empty when it can be.
QString MasterListProblem(const QStringList& entries);

// Why entry cannot join list, for the user; empty when it can: it must be a master's address
// that the list does not hold yet (a missing port is 28900, host names in any letter case).
QString MasterEntryProblem(const QStringList& list, const QString& entry);

// The addresses of a list's valid entries, in order.
TMasterAddresses MasterAddressesOf(const QStringList& entries);
// Every game's addresses, by variant.
TMasterLists MasterListsOf(const std::map<QString, QStringList>& lists);

// The settings file: section "masterServers", per game a count and numbered entries
// ("utMasterCount", "utMaster[0]" ...; "ut2004Master...", "ut2003Master..."). LoadMasterLists
// runs after "masterServer" was read: that key is still written (an older version reads its
// master there) and still counts. Its old default means the lists stored (or the defaults);
// any other value means a UT list of exactly that master, unless it is the first of the UT list
// stored (then it was written from that list). A file from before the lists gives that one
// master to UT2004 and UT2003 too, as it did. Afterwards "masterServer" holds the first UT
// master, as SetMasterList keeps it.
void LoadMasterLists(const TIniDocument& ini, TSettings& settings);
void SaveMasterLists(TIniDocument& ini, const TSettings& settings);
// A game's list changed (the Options page, "Restore Defaults"): the UT list's first master
// becomes "masterServer" too.
void SetMasterList(TSettings& settings, const QString& variant, const QStringList& entries);

}  // namespace zorvane
