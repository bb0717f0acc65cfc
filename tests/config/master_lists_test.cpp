// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/master_lists.h"

#include <gtest/gtest.h>

#include <QSet>

#include "config/ini_document.h"
#include "config/settings.h"
#include "config/settings_table.h"
#include "query/server_stash.h"

namespace zorvane {
namespace {

// The defaults are public hosts: checked as data here, never asked by a test.
TEST(MasterListsTest, TheDefaultsAreCommunityMastersOfEachGame) {
  QSet<QString> hosts;
  for (const TCommunityMaster& master : kCommunityMasters) {
    const QString host = QString::fromLatin1(master.host);
    EXPECT_TRUE(ValidMasterEntry(host)) << master.host;
    EXPECT_FALSE(host.startsWith(u'1')) << "a name, not an address: " << master.host;
    EXPECT_FALSE(hosts.contains(host)) << master.host;
    hosts.insert(host);
    for (const QString& name : QString::fromLatin1(master.gameNames).split(u' '))
      EXPECT_TRUE(MasterGameOfName(name.toLatin1())) << master.host << ": " << name.toStdString();
  }
  for (const TMasterGame& game : kMasterGames)
    EXPECT_FALSE(DefaultMasterList(game.variant).isEmpty()) << game.variant;
  // The first UT master is the old single master, so "masterServer" keeps its default.
  EXPECT_EQ(DefaultMasterList("ut").value(0), kDefaultMasterHost);
  EXPECT_EQ(DefaultMasterList("UT").size(), 7);
  EXPECT_EQ(DefaultMasterList("UT2004"), DefaultMasterList("UT2003"));
  EXPECT_TRUE(DefaultMasterList("UT2004 Demo").isEmpty());
  EXPECT_EQ(TSettings().masterLists.at("UT"), DefaultMasterList("UT"));
}

TEST(MasterListsTest, EntriesAreHostNamesOrAddressesWithAnOptionalPort) {
  const struct {
    const char* entry;
    bool valid;
  } cases[] = {
      {"master.333networks.com", true},
      {" master-uk.unrealarchive.org:28900 ", true},
      {"127.0.0.1", true},
      {"127.0.0.1:1", true},
      {"localhost:65535", true},
      {"MASTER.Example.COM", true},
      {"", false},
      {"master.example:0", false},
      {"master.example:65536", false},
      {"master.example:028900", false},
      {"master.example:", false},
      {"master.example:+1", false},
      {"master.example:1:2", false},
      {":28900", false},
      {"master example", false},
      {"master_example.com", false},
      {"-master.example", false},
      {"master..example", false},
      {"master.example.", false},
      {"256.0.0.1", false},
      {"1.2.3", false},
      {"01.2.3.4", false},
      {"host.123", false},
      {"[::1]:28900", false},
      {"http://master.example", false},
  };
  for (const auto& c : cases) EXPECT_EQ(ValidMasterEntry(c.entry), c.valid) << c.entry;
}

TEST(MasterListsTest, AListIsRefusedWhenEmptyOrWhenAnEntryIsNoAddress) {
  EXPECT_EQ(MasterListProblem({"127.0.0.1:28901", " ", "master.example"}), "");
  EXPECT_EQ(MasterListProblem({}), "Give at least one master server.");
  EXPECT_EQ(MasterListProblem({" ", ""}), "Give at least one master server.");
  EXPECT_EQ(MasterListProblem({"127.0.0.1", "bad host:1"}),
            "\"bad host:1\" is not a master server's address: give a host name or an IPv4 "
            "address, and a port after a colon if it is not 28900.");
  EXPECT_EQ(MasterAddressesOf({"127.0.0.1:28901", "bad host", "master.example"}),
            (TMasterAddresses{{"127.0.0.1", 28901}, {"master.example", 28900}}));
}

// What the Options page adds: an address once, whatever its letter case or a port of 28900.
TEST(MasterListsTest, AnEntryJoinsAListOnceAndOnlyAsAnAddress) {
  const QStringList list{"Master.Example", "127.0.0.1:28901"};
  const std::pair<const char*, const char*> cases[] = {
      {"127.0.0.1", ""},
      {" 127.0.0.1:28902 ", ""},
      {"master.example:28901", ""},
      {"master.example:28900", "\"master.example:28900\" is in the list already."},
      {"MASTER.EXAMPLE", "\"MASTER.EXAMPLE\" is in the list already."},
      {" 127.0.0.1:28901", "\"127.0.0.1:28901\" is in the list already."},
      {"", "Type a master server's address first."},
      {"256.0.0.1", "\"256.0.0.1\" is not a master server's address: give a host name or an "
                    "IPv4 address, and a port after a colon if it is not 28900."},
      {"host:0", "\"host:0\" is not a master server's address: give a host name or an IPv4 "
                 "address, and a port after a colon if it is not 28900."},
  };
  for (const auto& [entry, problem] : cases) {
    SCOPED_TRACE(entry);
    EXPECT_EQ(MasterEntryProblem(list, entry), problem);
  }
}

// The lists a settings file gives, read as the window reads them.
struct Read {
  // The lines of section "settings" and what follows them, or a whole file.
  explicit Read(const QByteArray& text, bool whole = false) {
    ini.ParseText(whole ? text : "[settings]\nZorvane=2.91\n" + text);
    for (const TSettingEntry& entry : SettingsTable())
      if (entry.member == TSettingMember(&TSettings::masterServer))
        LoadSetting(ini, entry, settings);
    LoadMasterLists(ini, settings);
  }
  QStringList Of(const char* variant) const { return settings.masterLists.at(variant); }
  TIniDocument ini;
  TSettings settings;
};

// "masterServer" as every file holds it: its old default means the lists (or the defaults);
// another master is UT's only one, unless the lists were written with it first.
TEST(MasterListsTest, TheSingleMasterSettingIsReadIntoTheLists) {
  const QStringList defaults = DefaultMasterList("UT");
  const QStringList defaults2004 = DefaultMasterList("UT2004");
  const QByteArray lists =
      "[masterServers]\nutMasterCount=2\nutMaster[0]=127.0.0.1:28901\nutMaster[1]=127.0.0.1:28902\n"
      "ut2004MasterCount=1\nut2004Master[0]=127.0.0.1:28903\n";
  const struct {
    const char* name;
    QByteArray text;
    QStringList ut, ut2004, ut2003;
    const char* masterServer;
  } cases[] = {
      {"no key", "", defaults, defaults2004, defaults2004, "master.333networks.com"},
      {"the old default", "masterServer=master.333networks.com\n", defaults, defaults2004,
       defaults2004, "master.333networks.com"},
      {"the old default, port and case", "masterServer=MASTER.333networks.com:28900\n", defaults,
       defaults2004, defaults2004, "master.333networks.com"},
      {"the farm, a file from before the lists", "masterServer=127.0.0.1:28900\n",
       {"127.0.0.1:28900"}, {"127.0.0.1:28900"}, {"127.0.0.1:28900"}, "127.0.0.1:28900"},
      {"no master's address", "masterServer=not a host\n", defaults, defaults2004, defaults2004,
       "master.333networks.com"},
      {"the old default beside lists", "masterServer=master.333networks.com\n" + lists,
       {"127.0.0.1:28901", "127.0.0.1:28902"}, {"127.0.0.1:28903"}, defaults2004,
       "127.0.0.1:28901"},
      {"written from the lists", "masterServer=127.0.0.1:28901\n" + lists,
       {"127.0.0.1:28901", "127.0.0.1:28902"}, {"127.0.0.1:28903"}, defaults2004,
       "127.0.0.1:28901"},
      {"set by hand beside lists", "masterServer=127.0.0.1:28999\n" + lists, {"127.0.0.1:28999"},
       {"127.0.0.1:28903"}, defaults2004, "127.0.0.1:28999"},
      {"lists with junk", "[masterServers]\nutMasterCount=3\nutMaster[0]=bad host\nutMaster[2]=127.0.0.1:28901\n",
       {"127.0.0.1:28901"}, defaults2004, defaults2004, "127.0.0.1:28901"},
      {"an empty list", "[masterServers]\nutMasterCount=0\n", defaults, defaults2004,
       defaults2004, "master.333networks.com"},
  };
  for (const auto& c : cases) {
    const Read read(c.text);
    EXPECT_EQ(read.Of("UT"), c.ut) << c.name;
    EXPECT_EQ(read.Of("UT2004"), c.ut2004) << c.name;
    EXPECT_EQ(read.Of("UT2003"), c.ut2003) << c.name;
    EXPECT_EQ(read.settings.masterServer, c.masterServer) << c.name;

    // Written back, both keys read the same lists again, and an older version finds the first
    // UT master in "masterServer".
    TIniDocument saved;
    SaveSettings(saved, read.settings, TServerStash());
    const Read again(saved.ToBytes(), true);
    EXPECT_EQ(saved.ReadString("settings", "masterServer", ""), c.masterServer) << c.name;
    EXPECT_EQ(again.settings.masterLists, read.settings.masterLists) << c.name;
  }
}

TEST(MasterListsTest, SettingAListKeepsTheSingleMasterInStep) {
  TSettings s;
  SetMasterList(s, "ut", {" 127.0.0.1:28901 ", "bad host", "127.0.0.1:28902"});
  EXPECT_EQ(s.masterLists.at("UT"), (QStringList{"127.0.0.1:28901", "127.0.0.1:28902"}));
  EXPECT_EQ(s.masterServer, "127.0.0.1:28901");
  SetMasterList(s, "UT2004", {"127.0.0.1:28903"});
  EXPECT_EQ(s.masterServer, "127.0.0.1:28901");
  SetMasterList(s, "UT", DefaultMasterList("UT"));  // "Restore Defaults"
  EXPECT_EQ(s.masterServer, "master.333networks.com");
  EXPECT_EQ(MasterListsOf(s.masterLists).at("UT2004"),
            (TMasterAddresses{{"127.0.0.1", 28903}}));
}

}  // namespace
}  // namespace zorvane
