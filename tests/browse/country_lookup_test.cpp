// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/country_lookup.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>

#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include "browse/server_rows.h"
#include "support/files.h"
#include "support/location_db.h"

namespace zorvane {
namespace {

class CountryLookupTest : public ::testing::Test {
 protected:
  CountryLookupTest() {
    EXPECT_TRUE(testing::WriteLocationDatabase(
        Path(), {{"127.0.0.2/32", "DE"}, {"127.0.0.3/32", "FR"}, {"10.1.0.0/16", "NL"}}));
  }
  QString Path(const char* name = "location.db") const { return dir.filePath(name); }

  QTemporaryDir dir;
};

TEST_F(CountryLookupTest, CountriesOfAddressesInTheirTextForms) {
  TCountryLookup lookup(Path());
  ASSERT_TRUE(lookup.IsOpen()) << lookup.OpenProblem().toStdString();
  EXPECT_TRUE(lookup.OpenProblem().isEmpty());
  const std::pair<const char*, const char*> cases[] = {
      {"127.0.0.2", "DE"}, {"127.0.0.3", "FR"}, {"10.1.200.7", "NL"},     {"10.1.0.0", "NL"},
      {"10.2.0.1", ""},    {"127.0.0.4", ""},   {"127.0.0.1", ""},        {"", ""},
      {"127.0.0.02", ""},  {"127.0.0.2 ", ""},  {" 127.0.0.2", ""},       {"127.0.0.2:7777", ""},
      {"127.0.2", ""},     {"127.0.0.2.1", ""}, {"127.0.0.", ""},         {"256.0.0.2", ""},
      {"1270.0.0.2", ""},  {"127.0.0.-2", ""},  {"::ffff:127.0.0.2", ""}, {"host.example", ""},
  };
  for (const auto& [address, country] : cases) {
    // Twice: the second answer comes from the kept ones.
    EXPECT_EQ(lookup.CountryOf(QString::fromLatin1(address)), country) << address;
    EXPECT_EQ(lookup.CountryOf(QString::fromLatin1(address)), country) << address;
  }
  EXPECT_EQ(lookup.LookUp(0x7f000003), "FR");
}

TEST_F(CountryLookupTest, ParsedAddressesKeepTheirByteOrder) {
  EXPECT_EQ(ParseIPv4(u"1.2.3.4"), 0x01020304u);
  EXPECT_EQ(ParseIPv4(u"0.0.0.0"), 0u);
  EXPECT_EQ(ParseIPv4(u"255.255.255.255"), 0xffffffffu);
  EXPECT_EQ(ParseIPv4(u"255.255.255.256"), std::nullopt);
}

// Every file that is no whole database leaves the lookup closed: no crash, no country, and a
// line saying why.
TEST_F(CountryLookupTest, MissingForeignAndTruncatedFilesAnswerNothing) {
  // Sections of several pages, so that a cut one lies partly past the end of the file.
  std::vector<QByteArray> cidrs;
  for (int i = 0; i < 4000; ++i)
    cidrs.push_back("10.2." + QByteArray::number(i / 250) + '.' + QByteArray::number(i % 250) +
                    "/32");
  std::vector<std::pair<const char*, const char*>> networks;
  for (const QByteArray& cidr : cidrs) networks.emplace_back(cidr.constData(), "NL");
  ASSERT_TRUE(testing::WriteLocationDatabase(Path("big.db"), networks));
  const QByteArray good = testing::Read(Path("big.db"));
  ASSERT_GT(good.size(), 40000);
  QByteArray random(8192, '\0');
  QRandomGenerator generator(17);
  for (char& c : random) c = char(generator.bounded(256));
  QByteArray newer = good;
  newer[7] = 2;
  const auto patched = [&](int headerOffset, quint32 value) {
    QByteArray bytes = good;
    qToBigEndian(value, bytes.data() + 8 + headerOffset);
    return bytes;
  };
  const std::pair<const char*, QByteArray> files[] = {
      {"empty", QByteArray()},
      {"random", random},
      {"magic only", good.left(8)},
      {"newer version", newer},
      {"header cut", good.left(1000)},
      {"sections cut", good.left(good.size() - 1)},
      {"only the header", good.left(8 + 4200)},
      {"cut in half", good.left(good.size() / 2)},
      {"pool past the end", patched(56, quint32(good.size()))},
      {"no network tree", patched(40, 0)},
      {"signature too long", patched(60, 0x0801'0000)},
  };
  for (const auto& [name, bytes] : files) {
    testing::Write(Path("junk.db"), bytes);
    TCountryLookup lookup(Path("junk.db"));
    EXPECT_FALSE(lookup.IsOpen()) << name;
    EXPECT_TRUE(lookup.OpenProblem().contains(Path("junk.db"))) << name;
    EXPECT_EQ(lookup.CountryOf(u"10.2.15.249"), "") << name;
  }
  TCountryLookup missing(Path("missing.db"));
  EXPECT_FALSE(missing.IsOpen());
  EXPECT_EQ(missing.OpenProblem(),
            "No country flags: the location database " + Path("missing.db") + " cannot be opened");
  EXPECT_EQ(missing.CountryOf(u"127.0.0.2"), "");
}

// The environment may name anything: a FIFO would keep the start waiting for a writer.
TEST_F(CountryLookupTest, OnlyARegularFileIsRead) {
  ASSERT_EQ(::mkfifo(QFile::encodeName(Path("fifo.db")).constData(), 0600), 0);
  ASSERT_TRUE(QDir(dir.path()).mkdir("folder.db"));
  alarm(20);  // a blocked open ends the test instead of hanging it
  for (const char* name : {"fifo.db", "folder.db"}) {
    TCountryLookup lookup(Path(name));
    EXPECT_FALSE(lookup.IsOpen()) << name;
    EXPECT_EQ(lookup.OpenProblem(),
              "No country flags: the location database " + Path(name) + " is not a regular file");
  }
  alarm(0);
}

// A record whose country code libloc refuses fails its look-up; nothing of it may stay behind.
TEST_F(CountryLookupTest, ADamagedRecordPlacesNothingAndCostsNoMemory) {
  QByteArray bytes = testing::Read(Path());
  const auto header = [&](int offset) {
    return qFromBigEndian<quint32>(bytes.constData() + 8 + offset);
  };
  const qsizetype networks = header(28), length = header(32);
  const qsizetype france = bytes.indexOf("FR", networks);
  ASSERT_TRUE(france >= networks && france < networks + length);
  bytes.replace(france, 2, "1x");
  testing::Write(Path("damaged.db"), bytes);
  TCountryLookup lookup(Path("damaged.db"));
  ASSERT_TRUE(lookup.IsOpen());
  EXPECT_EQ(lookup.LookUp(0x7f000002), "DE");
  const std::size_t before = mallinfo2().uordblks;
  for (int i = 0; i < 20000; ++i) ASSERT_EQ(lookup.LookUp(0x7f000003), "");
  // Each leaked network would be a hundred bytes or so: 2 MB in all.
  EXPECT_LT(mallinfo2().uordblks, before + 100000);
}

TEST_F(CountryLookupTest, TheDatabaseCanBeChosenByTheEnvironment) {
  qunsetenv(kLocationDatabaseVariable);
  EXPECT_EQ(DefaultLocationDatabase(), kDebianLocationDatabase);
  qputenv(kLocationDatabaseVariable, Path().toLocal8Bit());
  EXPECT_EQ(DefaultLocationDatabase(), Path());
  qunsetenv(kLocationDatabaseVariable);
}

// Debian's database places no loopback or private address.
TEST_F(CountryLookupTest, DebiansDatabaseKnowsNoPrivateAddresses) {
  if (!QFile::exists(kDebianLocationDatabase)) GTEST_SKIP() << "no libloc-database";
  TCountryLookup lookup(kDebianLocationDatabase);
  ASSERT_TRUE(lookup.IsOpen());
  for (const char* address : {"127.0.0.1", "10.0.0.1", "172.16.0.1", "192.168.1.1", "0.0.0.0"})
    EXPECT_EQ(lookup.CountryOf(QString::fromLatin1(address)), "") << address;
  EXPECT_EQ(lookup.CountryOf(u"8.8.8.8"), "US");
}

TEST_F(CountryLookupTest, ServerRowsCarryTheCountryOfTheirAddress) {
  TCountryLookup lookup(Path());
  TServer placed, unresolved, unknown;
  placed.SetIP("127.0.0.3");
  unresolved.SetDNSName("game.example");
  unknown.SetIP("127.0.0.9");
  EXPECT_EQ(ServerRowTexts(placed, "k", false, &lookup)[scCountry], "FR");
  EXPECT_EQ(ServerRowTexts(placed, "k", false)[scCountry], "");  // no lookup
  EXPECT_EQ(ServerRowTexts(unresolved, "k", false, &lookup)[scCountry], "");
  EXPECT_EQ(ServerRowTexts(unknown, "k", false, &lookup)[scCountry], "");
}

}  // namespace
}  // namespace zorvane
