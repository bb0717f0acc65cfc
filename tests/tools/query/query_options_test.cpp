// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/query/query_options.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>

namespace zorvane {

void PrintTo(const TQueryTarget& t, std::ostream* os) {
  *os << qPrintable(t.Host) << ':' << t.Port << " [" << qPrintable(t.Game) << ']';
}

namespace {

struct TCase {
  const char* name;
  QStringList args;  // "$LIST" stands for the list file below
  std::vector<TQueryTarget> targets;
  const char* error = nullptr;  // part of the message when the arguments are bad
};

void PrintTo(const TCase& c, std::ostream* os) { *os << c.name; }

constexpr char kList[] =
    "# home servers\n"
    "\n"
    "1.2.3.4:7778\n"
    "  5.6.7.8:7778   UT2004 Demo  \r\n"
    "#9.9.9.9:1 UT\n"
    "host.example:7777\tUnreal 2 XMP\n"
    "   \n";

constexpr char kBadList[] = "1.2.3.4:7778\n# fine\nnot a key\n";
constexpr char kBadVariantList[] = "1.2.3.4:7778 UT2004\n5.6.7.8:7778 Quake\n";

class toolsQueryOptions : public ::testing::TestWithParam<TCase> {};

TEST_P(toolsQueryOptions, ParsesOrRejectsWithOneLine) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  for (const auto& [file, text] : {std::pair{"list.txt", kList}, {"bad.txt", kBadList},
                                    {"variant.txt", kBadVariantList}}) {
    QFile f(dir.filePath(file));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
  }
  // A sparse file one byte over the limit, and a FIFO nobody writes to (reading it would hang).
  QFile huge(dir.filePath("huge.txt"));
  ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
  ASSERT_TRUE(huge.resize(kMaxListFileBytes + 1));
  huge.close();
  ASSERT_EQ(::mkfifo(qPrintable(dir.filePath("fifo")), 0600), 0);
  QStringList args = GetParam().args;
  for (QString& a : args) {
    a.replace("$LIST", dir.filePath("list.txt"));
    a.replace("$BAD", dir.filePath("bad.txt"));
    a.replace("$VARIANT", dir.filePath("variant.txt"));
    a.replace("$HUGE", dir.filePath("huge.txt"));
    a.replace("$FIFO", dir.filePath("fifo"));
    a.replace("$NONE", dir.filePath("missing.txt"));
    a.replace("$DIR", dir.path());
  }

  TQueryOptions options;
  QString error;
  const bool ok = ParseQueryOptions(args, options, error);
  if (GetParam().error) {
    EXPECT_FALSE(ok);
    EXPECT_TRUE(error.contains(QLatin1String(GetParam().error))) << qPrintable(error);
    EXPECT_FALSE(error.contains(u'\n'));
  } else {
    ASSERT_TRUE(ok) << qPrintable(error);
    EXPECT_EQ(options.Targets, GetParam().targets);
  }
}

const TCase kCases[] = {
    {"OneKeyDefaultsToUT", {"1.2.3.4:7778"}, {{"1.2.3.4", 7778, "UT"}}},
    {"NameAndLeadingZeroPort", {"master.example-1.org:007778"}, {{"master.example-1.org", 7778, "UT"}}},
    {"GameAppliesToKeysAfterIt",
     {"a:1", "--game", "UT2004", "b:2", "c:3", "--game", "UT2003 Demo", "d:4"},
     {{"a", 1, "UT"}, {"b", 2, "UT2004"}, {"c", 3, "UT2004"}, {"d", 4, "UT2003 Demo"}}},
    {"ListInPlaceWithCommentsBlanksAndVariants",
     {"z:9", "--game", "UT2004", "--list", "$LIST", "y:8"},
     {{"z", 9, "UT"},
      {"1.2.3.4", 7778, "UT2004"},
      {"5.6.7.8", 7778, "UT2004 Demo"},
      {"host.example", 7777, "Unreal 2 XMP"},
      {"y", 8, "UT2004"}}},
    {"HelpNeedsNoServer", {"--help"}, {}},
    {"LanNeedsNoServer", {"--lan", "--broadcast", "127.0.0.1"}, {}},
    {"BroadcastNeedsLan", {"--broadcast", "127.0.0.1", "a:1"}, {}, "option --broadcast needs --lan"},
    {"BroadcastIsOneDottedAddress", {"--lan", "--broadcast", "localhost"}, {},
     "option --broadcast needs one dotted IPv4 address, not 'localhost'"},
    {"BroadcastListInOne", {"--lan", "--broadcast", "127.0.0.1,127.0.0.2"}, {}, "not '127.0.0.1,"},
    {"LanAndMaster", {"--lan", "--master", "127.0.0.1"}, {}, "--lan and --master cannot be combined"},
    {"MastersOfOneGame", {"--game", "UT2004", "--master", "127.0.0.1", "--default-masters"}, {}},
    {"MastersOfTwoGames", {"--master", "127.0.0.1", "--game", "UT2004", "--master", "127.0.0.1:2"},
     {}, "option --master: every master must follow the same --game"},
    {"NoMasterForTheDemo", {"--game", "UT2004 Demo", "--default-masters"}, {},
     "option --default-masters: no master lists UT2004 Demo servers"},
    {"MasterWithoutHost", {"--master", ":28900"}, {}, "option --master needs HOST or HOST:PORT"},
    {"LanAndDefaultMasters", {"--lan", "--default-masters"}, {}, "--lan and --master cannot"},
    {"LanPortTooBig", {"--lan", "--lan-port", "65536"}, {}, "--lan-port needs a number"},
    {"NoServers", {"--json"}, {}, "no servers given"},
    {"UnknownOption", {"--bogus", "a:1"}, {}, "unknown option --bogus"},
    {"MissingArgument", {"a:1", "--wait"}, {}, "--wait needs an argument"},
    {"WaitNotANumber", {"--wait", "soon", "a:1"}, {}, "--wait needs a number"},
    {"WaitNegative", {"--wait", "-5", "a:1"}, {}, "--wait needs a number"},
    {"PowerWithJunk", {"--query-power", "3x", "a:1"}, {}, "--query-power needs a number"},
    {"LocalPortTooBig", {"--local-port", "70000", "a:1"}, {}, "--local-port needs a number"},
    {"EmptyGame", {"--game", " ", "a:1"}, {}, "--game: unknown game variant ''"},
    {"UnknownGameListsTheVariants", {"--game", "UT3", "a:1"}, {},
     "--game: unknown game variant 'UT3' (known: UT, UT2003 Demo, UT2003, UT2004 Demo, UT2004, "
     "Unreal 2 XMP)"},
    {"GameIgnoresCaseAndIsSpelledAsKnown", {"--game", "ut2004 demo", "a:1"},
     {{"a", 1, "UT2004 Demo"}}},
    {"UnknownVariantInList", {"--list", "$VARIANT"}, {}, "variant.txt:2: unknown game variant 'Quake'"},
    {"ListLargerThanTheLimit", {"--list", "$HUGE"}, {}, "larger than 64 MiB"},
    {"ListIsAFifo", {"--list", "$FIFO"}, {}, "fifo': not a regular file"},
    {"ListIsADevice", {"--list", "/dev/zero"}, {}, "'/dev/zero': not a regular file"},
    {"ListIsAFolder", {"--list", "$DIR"}, {}, "not a regular file"},
    {"DirMissing", {"--dir", "$NONE", "--favorites"}, {}, "missing.txt' is not a folder"},
    {"DirIsAFile", {"--dir", "$LIST", "--favorites"}, {}, "list.txt' is not a folder"},
    {"HistoryOfOneServer", {"--history", "$DIR", "a:1"}, {{"a", 1, "UT"}}},
    {"HistoryOfNoServer", {"--history", "$DIR"}, {}, "--history needs exactly one HOST:PORT"},
    {"HistoryOfTwoServers", {"--history", "$DIR", "a:1", "b:2"}, {}, "needs exactly one"},
    {"HistoryAndAMaster", {"--history", "$DIR", "a:1", "--master", "127.0.0.1"}, {},
     "needs exactly one"},
    {"HistoryOfAFile", {"--history", "$LIST", "a:1"}, {}, "--history: '"},
    {"NoColon", {"host"}, {}, "malformed server key 'host'"},
    {"NoHost", {":7778"}, {}, "malformed server key"},
    {"PortZero", {"host:0"}, {}, "malformed server key"},
    {"PortTooBig", {"host:65536"}, {}, "malformed server key"},
    {"PortNotANumber", {"host:77a"}, {}, "malformed server key"},
    {"PortWithSign", {"host:+7"}, {}, "malformed server key"},
    {"PortWithBlank", {"host: 7778"}, {}, "malformed server key"},
    {"ShortDottedAddress", {"1.2.3:7778"}, {}, "malformed server key"},
    {"OctetTooBig", {"256.1.1.1:7778"}, {}, "malformed server key"},
    {"BadHostCharacter", {"bad!host:7778"}, {}, "malformed server key"},
    {"EmptyLabel", {"a..b:7778"}, {}, "malformed server key"},
    {"IPv6", {"::1:7778"}, {}, "malformed server key"},
    {"UnreadableList", {"--list", "$NONE"}, {}, "cannot read server list"},
    {"BadListLineNamesFileAndLine", {"--list", "$BAD"}, {}, "bad.txt:3: malformed server key 'not'"},
};

INSTANTIATE_TEST_SUITE_P(Cases, toolsQueryOptions, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(toolsQueryOptionsNumbers, DefaultsAndValuesReachTheOptions) {
  TQueryOptions defaults;
  QString error;
  ASSERT_TRUE(ParseQueryOptions({"a:1"}, defaults, error));
  EXPECT_EQ(defaults.QueryPower, 3);
  EXPECT_EQ(defaults.WaitMs, 1000);
  EXPECT_EQ(defaults.LocalPort, 0);
  EXPECT_FALSE(defaults.Json);

  TQueryOptions set;
  ASSERT_TRUE(ParseQueryOptions({"--query-power", "0", "--wait", "250", "--local-port", "7000",
                                 "--json", "a:1"},
                                set, error));
  EXPECT_EQ(set.QueryPower, 0);
  EXPECT_EQ(set.WaitMs, 250);
  EXPECT_EQ(set.LocalPort, 7000);
  EXPECT_TRUE(set.Json);

  TQueryOptions masters;
  ASSERT_TRUE(ParseQueryOptions({"--game", "ut2004", "--master", " 127.0.0.1:28901",
                                 "--master", "127.0.0.1:28902"},
                                masters, error));
  EXPECT_EQ(masters.Masters, (QStringList{"127.0.0.1:28901", "127.0.0.1:28902"}));
  EXPECT_EQ(masters.MasterGame, "UT2004");
  EXPECT_FALSE(masters.DefaultMasters);
  EXPECT_TRUE(masters.MassRefresh());
  EXPECT_FALSE(defaults.MassRefresh());

  EXPECT_FALSE(defaults.Lan);
  EXPECT_EQ(defaults.BeaconPort, 8777);
  EXPECT_EQ(defaults.LanPort, 10777);
  EXPECT_EQ(defaults.LanWaitMs, -1);  // the settings file's
  TQueryOptions lan;
  ASSERT_TRUE(ParseQueryOptions({"--broadcast", "127.0.0.1", "--lan", "--broadcast", " 127.0.0.2",
                                 "--beacon-port", "0", "--lan-port", "30000", "--lan-wait", "0"},
                                lan, error))
      << qPrintable(error);
  EXPECT_TRUE(lan.Lan);
  EXPECT_EQ(lan.Broadcast, (QStringList{"127.0.0.1", "127.0.0.2"}));
  EXPECT_EQ(lan.BeaconPort, 0);
  EXPECT_EQ(lan.LanPort, 30000);
  EXPECT_EQ(lan.LanWaitMs, 0);
}

}  // namespace
}  // namespace zorvane
