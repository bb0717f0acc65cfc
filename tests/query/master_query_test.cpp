// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/master_query.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QStringList>
#include <QTcpServer>
#include <QTest>
#include <memory>
#include <random>

#include "query/master_exchange.h"
#include "support/fake_master.h"

// Readable failures for texts and lists of texts.
static void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace zorvane {
namespace {

using testing::FakeMaster;
using testing::kGreeting;
using testing::MasterScript;

const QString kNoConnection = "Could not open connection to GameSpy";
const QString kNoGreeting = "Did not receive a proper response from GameSpy";
const QString kListTimedOut = "Connection timed out when reading result stream";
const QString kNoList = "No servers were returned from GameSpy";

struct Exchanged {
  TMasterOutcome outcome;
  QStringList keys;  // the entries of its list
  bool finished = false;
};

TMasterQueryOptions TestOptions() {
  return {5000, 20000};
}

// One exchange with the master on 127.0.0.1:port, run on the event loop to its end.
Exchanged Exchange(quint16 port, const QString& variant = "UT",
                   const TMasterQueryOptions& options = TestOptions(), THostLookup lookup = {},
                   const QString& host = "127.0.0.1") {
  Exchanged exchanged;
  TMasterExchange exchange(*MasterGameOfVariant(variant), {host, port}, options,
                           std::move(lookup));
  QObject::connect(&exchange, &TMasterExchange::OnFinished,
                   [&](const TMasterOutcome& outcome, const std::vector<TMasterEntry>& entries) {
                     EXPECT_FALSE(exchanged.finished) << "finished twice";
                     exchanged.finished = true;
                     exchanged.outcome = outcome;
                     for (const TMasterEntry& entry : entries)
                       exchanged.keys << QString::fromLatin1(entry.address) + ':' +
                                             QString::number(entry.port);
                   });
  exchange.Start();
  EXPECT_TRUE(QTest::qWaitFor([&] { return exchanged.finished; }, 30000));
  return exchanged;
}

QByteArray ListOf(int first, int count) {
  QByteArray list;
  for (int i = 0; i < count; ++i) list += "\\ip\\127.0.0.1:" + QByteArray::number(first + i);
  return list + "\\final\\";
}

QStringList KeysOf(int first, int count) {
  QStringList keys;
  for (int i = 0; i < count; ++i) keys << "127.0.0.1:" + QString::number(first + i);
  return keys;
}

TEST(MasterQueryTest, ValidateChallengeKnownAnswers) {
  // Worked out from the steps by a separate script; every 6-letter challenge carries x past 255.
  const struct {
    QByteArray challenge, key;
    QString response;
  } cases[] = {
      {"ABCDEF", "Z5Nfb0", "5OOIQ5Ha"},
      {"wookie", "Z5Nfb0", "2/TYFMRc"},
      {"QXwVbE", "Z5Nfb0", "0IRYVWNu"},
      {"ABCDEF", "A", "RywPYZNZ"},
      {"zzzzzzzz", "Z5Nfb0", "lhRei30g"},  // two bytes past the last group are dropped
      {"abcd", "Z5Nfb0", "QnhL"},
      {QByteArray("\0\0\0", 3), "Z5Nfb0", "z5hp"},  // x steps by one: no wrap
      {QByteArray("\0\0\0", 3), "A", "wsvm"},
      {QByteArray("\xff\xfe\x80\x7f\x00\x10", 6), "Z5Nfb0", "zjSXsnGo"},  // bytes above 127
      {"ab", "Z5Nfb0", ""},
      {"\x01", "Z5Nfb0", ""},
      {"", "Z5Nfb0", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ValidateChallenge(c.challenge, c.key), c.response) << c.challenge.toHex().constData();

  // The length counts modulo 256: 259 bytes are taken as 3.
  QByteArray long259;
  for (int i = 0; i < 256; ++i) long259 += char(i);
  long259 += "xyz";
  EXPECT_EQ(ValidateChallenge(long259, "Z5Nfb0"), "z1b9");
  EXPECT_EQ(ValidateChallenge(long259, "A"), "wlib");
}

TEST(MasterQueryTest, ValidateChallengeOnJunkKeepsItsShape) {
  std::mt19937 random(7);
  const QString alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (int round = 0; round < 300; ++round) {
    QByteArray challenge(int(random() % 700), '\0');
    for (char& c : challenge) c = char(random());
    QByteArray key(int(random() % 20 + 1), '\0');
    for (char& c : key) c = char(random());
    const QString response = ValidateChallenge(challenge, key);
    ASSERT_EQ(response.size(), challenge.size() % 256 / 3 * 4) << challenge.size();
    for (QChar c : response) ASSERT_TRUE(alphabet.contains(c));
  }
  EXPECT_EQ(ValidateChallenge("ABCDEF", ""), "");
}

TEST(MasterQueryTest, GameKeyComesOutOfTheKeyText) {
  const QString keyText = QString::fromLatin1(kMasterKeyText);
  EXPECT_EQ(keyText.size(), 14);
  for (QChar c : keyText)
    EXPECT_TRUE(c.isLetterOrNumber() && c.unicode() < 128) << int(c.unicode());
  EXPECT_EQ(GameKeyFromKeyText(keyText), "Z5Nfb0");
  EXPECT_EQ(GameKeyFromKeyText("abcdefghijklm"), "cegikm");
  EXPECT_EQ(GameKeyFromKeyText("abcdefghijkl"), "abcdefghijkl");
  EXPECT_EQ(GameKeyFromKeyText(""), "");
}

TEST(MasterQueryTest, ChallengeIsTheGreetingAfterItsFifteenCharacterPrefix) {
  const struct {
    QByteArray greeting, challenge;
  } cases[] = {
      {"\\basic\\\\secure\\ABCDEF", "ABCDEF"},
      {"\\basic\\\\secure\\ wookie \r\n", "wookie"},
      {"\\basic\\\\secure\\", ""},
      {"\\basic\\", ""},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ChallengeFromGreeting(c.greeting), c.challenge) << c.greeting.constData();
}

TEST(MasterQueryTest, MasterAddressParsing) {
  const struct {
    const char* text;
    const char* host;  // empty: refused
    int port;
  } cases[] = {
      {"master.333networks.com", "master.333networks.com", 28900},
      {" 127.0.0.1:1 ", "127.0.0.1", 1},
      {"host:65535", "host", 65535},
      {"host:0", "", 0},
      {"host:65536", "", 0},
      {"host:", "", 0},
      {"host:-1", "", 0},
      {"host:28 900", "", 0},
      {"host:1:2", "", 0},
      {":28900", "", 0},
      {"", "", 0},
      {"my host", "", 0},
  };
  for (const auto& c : cases) {
    const auto address = ParseMasterAddress(QString::fromLatin1(c.text));
    ASSERT_EQ(address.has_value(), *c.host != 0) << c.text;
    if (address) {
      EXPECT_EQ(address->host, c.host);
      EXPECT_EQ(address->port, c.port);
    }
  }
  EXPECT_EQ(TMasterAddress().host, "master.333networks.com");
  EXPECT_EQ(TMasterAddress().port, 28900);
}

TEST(MasterQueryTest, GreetingCompleteness) {
  const struct {
    QByteArray received;
    bool complete;
  } cases[] = {
      {"", false},
      {"\\basic\\\\secure\\", false},
      {"\\basic\\\\secure\\ABCDE", false},
      {"\\basic\\\\secure\\ABCDEF", true},
      {"\\secure\\ABCDEFGH", true},
      {"\\basic\\\\secu", false},
      {"\\basic\\\n", true},  // a whole line, whatever it holds
  };
  for (const auto& c : cases)
    EXPECT_EQ(GreetingComplete(c.received), c.complete) << c.received.constData();
}

// Each game is asked for by its name and validated with its key, whether the greeting ends its
// line or not; the list's entries come back as the master sent them.
TEST(MasterQueryTest, EachGameIsAskedByItsNameAndKey) {
  const struct {
    const char* variant;
    const char* gameName;
    const char* key;
  } cases[] = {
      {"UT", "ut", "Z5Nfb0"},
      {"UT2004", "ut2004", "y5rP9m"},
      {"ut2003", "ut2", "Lw7x0R"},
  };
  for (const auto& c : cases) {
    for (const QByteArray& lineEnd : {QByteArray(), QByteArray("\r\n")}) {
      FakeMaster master({kGreeting + lineEnd, true, "\\ip\\127.0.0.1:7500\\final\\"});
      const Exchanged exchanged = Exchange(master.Port(), c.variant);
      const QByteArray game(c.gameName);
      EXPECT_EQ(master.Received(), "\\gamename\\" + game + "\\location\\0\\validate\\" +
                                       ValidateChallenge("ABCDEF", c.key).toLatin1() +
                                       "\\final\\\\list\\\\gamename\\" + game +
                                       "\\gametype\\\\final\\");
      EXPECT_EQ(exchanged.outcome.result, TMasterResult::Listed) << c.variant;
      EXPECT_EQ(exchanged.outcome.listed, 1);
      EXPECT_EQ(exchanged.outcome.master, (TMasterAddress{"127.0.0.1", master.Port()}));
      EXPECT_TRUE(exchanged.outcome.text.isEmpty());
      EXPECT_EQ(exchanged.keys, QStringList{"127.0.0.1:7500"}) << c.variant;
    }
  }
}

TEST(MasterQueryTest, GreetingInPiecesIsReadWhole) {
  const struct {
    const char* name;
    QByteArray greeting;
    int piece;
  } cases[] = {
      {"five bytes at a time", kGreeting, 5},
      {"one byte at a time", kGreeting, 1},
      {"line end after the challenge", QByteArray(kGreeting) + "\r\n", 3},
      {"the last challenge character alone", kGreeting, int(QByteArray(kGreeting).size()) - 1},
  };
  for (const auto& c : cases) {
    MasterScript script{c.greeting, true, ListOf(7500, 2)};
    script.greetingPiece = c.piece;
    script.pauseMs = 40;
    FakeMaster master(script);
    const Exchanged exchanged = Exchange(master.Port());
    EXPECT_EQ(master.Received(),
              "\\gamename\\ut\\location\\0\\validate\\5OOIQ5Ha\\final\\"
              "\\list\\\\gamename\\ut\\gametype\\\\final\\")
        << c.name;
    EXPECT_EQ(exchanged.keys, KeysOf(7500, 2)) << c.name;
  }
}

// Each master has its own clocks: one that falls silent for the silence time, or trickles past
// the exchange's time, is given up; a list cut off by the clock keeps what it held.
TEST(MasterQueryTest, SlowMastersAreGivenUpByTheirClocks) {
  TMasterQueryOptions options{300, 20000};
  TMasterQueryOptions shortExchange{20000, 600};
  QByteArray endlessList;
  while (endlessList.size() < 2000000) endlessList += "\\ip\\127.0.0.1:7500";
  const struct {
    const char* name;
    MasterScript script;
    TMasterQueryOptions options;
    TMasterResult result;
    QString text;
    bool entries;
  } cases[] = {
      {"no greeting", {"", false, "", 0, 0, 0, 2000}, options, TMasterResult::TimedOut,
       kNoGreeting, false},
      {"no list", {kGreeting, true, ListOf(7500, 2), 0, 0, 0, 2000}, options,
       TMasterResult::TimedOut, kListTimedOut, false},
      {"greeting trickled", {kGreeting, true, ListOf(7500, 2), 1, 0, 100}, shortExchange,
       TMasterResult::TimedOut, kNoGreeting, false},
      {"list trickled", {kGreeting, true, ListOf(7500, 2), 0, 1, 50}, shortExchange,
       TMasterResult::TimedOut, kListTimedOut, false},
      {"list endless", {kGreeting, true, endlessList, 0, 16384, 10}, shortExchange,
       TMasterResult::Cut, kListTimedOut, true},
  };
  for (const auto& c : cases) {
    FakeMaster master(c.script);
    QElapsedTimer elapsed;
    elapsed.start();
    const Exchanged exchanged = Exchange(master.Port(), "UT", c.options);
    EXPECT_LT(elapsed.elapsed(), 1500) << c.name;
    EXPECT_EQ(exchanged.outcome.result, c.result) << c.name;
    EXPECT_EQ(exchanged.outcome.text, c.text) << c.name;
    EXPECT_EQ(!exchanged.keys.isEmpty(), c.entries) << c.name;
    EXPECT_EQ(exchanged.outcome.listed, exchanged.keys.size()) << c.name;
  }
}

// A greeting without end is given up once more came than a greeting holds.
TEST(MasterQueryTest, EndlessGreetingIsRejected) {
  for (const int piece : {0, 16384}) {
    FakeMaster master({QByteArray(4 << 20, 'x'), false, "", piece, 0, 10});
    QElapsedTimer elapsed;
    elapsed.start();
    const Exchanged exchanged = Exchange(master.Port());
    EXPECT_LT(elapsed.elapsed(), 1000) << piece;
    EXPECT_EQ(exchanged.outcome.result, TMasterResult::Rejected) << piece;
    EXPECT_EQ(exchanged.outcome.text, kNoGreeting) << piece;
  }
}

TEST(MasterQueryTest, MastersThatGiveNoListAreRejected) {
  const struct {
    const char* name;
    MasterScript script;
    QString failure;
  } cases[] = {
      {"nothing sent", {"", false, ""}, kNoGreeting},
      {"blank line", {" \t\r\n", false, ""}, kNoGreeting},
      {"closed without a list", {kGreeting, true, ""}, kNoList},
      {"a cut list without a whole entry", {kGreeting, true, "\\ip\\127.0.0.1:75"}, kNoList},
      {"an answer that is no list", {kGreeting, true, "\\error\\bad validation"}, kNoList},
  };
  for (const auto& c : cases) {
    FakeMaster master(c.script);
    const Exchanged exchanged = Exchange(master.Port());
    EXPECT_EQ(exchanged.outcome.result, TMasterResult::Rejected) << c.name;
    EXPECT_EQ(exchanged.outcome.text, c.failure) << c.name;
    EXPECT_TRUE(exchanged.keys.isEmpty()) << c.name;
    EXPECT_EQ(exchanged.outcome.listed, 0) << c.name;
  }
}

// No connection: a closed port, a name that does not resolve, a look-up that never answers.
TEST(MasterQueryTest, MastersOutOfReach) {
  quint16 closed = 0;
  {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    closed = probe.serverPort();
  }
  EXPECT_EQ(Exchange(closed).outcome.result, TMasterResult::Refused);
  EXPECT_EQ(Exchange(closed).outcome.text, kNoConnection);

  const THostLookup unknown = [](const QString&, QObject* context, THostLookupDone done) {
    QTimer::singleShot(10, context, [done] { done(QHostAddress(), "Host not found"); });
  };
  const Exchanged notFound = Exchange(1, "UT", TestOptions(), unknown, "master.example");
  EXPECT_EQ(notFound.outcome.result, TMasterResult::Refused);
  EXPECT_EQ(notFound.outcome.text, kNoConnection);
  EXPECT_EQ(notFound.outcome.master.host, "master.example");

  const THostLookup never = [](const QString&, QObject*, THostLookupDone) {};
  const Exchanged unanswered =
      Exchange(1, "UT", TMasterQueryOptions{200, 20000}, never, "master.example");
  EXPECT_EQ(unanswered.outcome.result, TMasterResult::TimedOut);
  EXPECT_EQ(unanswered.outcome.text, kNoConnection);

  // A name that resolves is connected to at the address found.
  FakeMaster master({kGreeting, true, ListOf(7600, 1)});
  const THostLookup local = [](const QString& name, QObject* context, THostLookupDone done) {
    QTimer::singleShot(10, context, [done, name] {
      done(name == "master.example" ? QHostAddress::LocalHost : QHostAddress(), {});
    });
  };
  EXPECT_EQ(Exchange(master.Port(), "UT", TestOptions(), local, "master.example").keys,
            KeysOf(7600, 1));
}

TEST(MasterQueryTest, ListsAreSplitIntoServers) {
  const struct {
    const char* name;
    QByteArray list;
    QStringList keys;
    int skipped;
  } cases[] = {
      {"with final",
       "junk\\ip\\127.0.0.1:7501\\ip\\127.0.0.1:7502\\final\\junk",
       {"127.0.0.1:7501", "127.0.0.1:7502"},
       0},
      {"entries without a port",
       "\\ip\\127.0.0.1\\ip\\127.0.0.2:\\ip\\127.0.0.3:7503\\final\\",
       {"127.0.0.3:7503"},
       2},
      // The merge of the lists names each server once; a list is taken as sent.
      {"repeated entry",
       "\\ip\\127.0.0.1:7501\\ip\\127.0.0.1:7501\\final\\",
       {"127.0.0.1:7501", "127.0.0.1:7501"},
       0},
      {"ports that are not numbers", "\\ip\\127.0.0.1:x\\ip\\127.0.0.1:99999\\final\\", {}, 2},
      {"a list of none", "\\final\\", {}, 0},
      // Only the last entry loses a final marker; an earlier one keeps it in its port.
      {"final inside", "\\ip\\127.0.0.1:7501\\final\\\\ip\\127.0.0.1:7502\\final\\",
       {"127.0.0.1:7502"}, 1},
  };
  for (const auto& c : cases) {
    FakeMaster master({kGreeting, true, c.list});
    const Exchanged exchanged = Exchange(master.Port());
    EXPECT_EQ(exchanged.outcome.result, TMasterResult::Listed) << c.name;
    EXPECT_EQ(exchanged.keys, c.keys) << c.name;
    EXPECT_EQ(exchanged.outcome.listed, c.keys.size()) << c.name;
    EXPECT_EQ(exchanged.outcome.skipped, c.skipped) << c.name;
  }
}

// A list without "\final\" was cut off (the master closed the connection mid-send): its whole
// entries are kept, but its last one, which may end in the middle of its port, is not.
TEST(MasterQueryTest, ACutListKeepsItsWholeEntries) {
  const struct {
    const char* name;
    QByteArray list;
    int kept;
  } cases[] = {
      {"cut after a whole entry", "\\ip\\127.0.0.1:7501\\ip\\127.0.0.1:7502", 1},
      {"cut mid-port", "\\ip\\127.0.0.1:7501\\ip\\127.0.0.1:7502\\ip\\127.0.0.1:75", 2},
      {"cut inside the end mark", "\\ip\\127.0.0.1:7501\\ip\\127.0.0.1:7502\\fin", 1},
  };
  for (const auto& c : cases) {
    FakeMaster master({kGreeting, true, c.list});
    const Exchanged exchanged = Exchange(master.Port());
    EXPECT_EQ(exchanged.outcome.result, TMasterResult::Cut) << c.name;
    EXPECT_EQ(exchanged.outcome.text, "The server list from GameSpy was cut off") << c.name;
    EXPECT_EQ(exchanged.keys, KeysOf(7501, c.kept)) << c.name;
  }
}

// The log names each master and what it gave.
TEST(MasterQueryTest, OutcomeLines) {
  const TMasterAddress usual{"master.333networks.com", 28900};
  const TMasterAddress local{"127.0.0.1", 28901};
  const struct {
    TMasterOutcome outcome;
    const char* line;
    const char* name;
  } cases[] = {
      {{usual, TMasterResult::Listed, 1912, 0, ""}, "master.333networks.com: 1,912 servers", "ok"},
      {{usual, TMasterResult::Listed, 1, 0, ""}, "master.333networks.com: 1 server", "ok"},
      {{usual, TMasterResult::Listed, 100000, 0, ""}, "master.333networks.com: 100,000 servers",
       "ok"},
      {{local, TMasterResult::Cut, 412, 0, "x"},
       "127.0.0.1:28901: list cut short (kept 412 servers, removed none)", "cut"},
      {{usual, TMasterResult::TimedOut, 0, 0, kNoGreeting},
       "master.333networks.com: no answer (timed out)", "timed out"},
      {{local, TMasterResult::Refused, 0, 0, kNoConnection}, "127.0.0.1:28901: no answer (refused)",
       "refused"},
      {{local, TMasterResult::Rejected, 0, 0, kNoList},
       "127.0.0.1:28901: rejected (No servers were returned from GameSpy)", "rejected"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MasterOutcomeLine(c.outcome), c.line);
    EXPECT_EQ(MasterResultName(c.outcome.result), c.name);
  }
}

// A master lists addresses: a name would be looked up at every start (and hold the exit), and
// anything else that is not four numbers and a port is not a server.
TEST(MasterQueryTest, OnlyDottedAddressesWithAPortAreEntries) {
  const struct {
    QByteArray entry;
    const char* address;  // nullptr: left out
    int port;
  } cases[] = {
      {"127.0.0.1:7778", "127.0.0.1", 7778},
      {"0.0.0.0:1", "0.0.0.0", 1},
      {"255.255.255.255:65535", "255.255.255.255", 65535},
      {" 127.0.0.2:7781\r\n", "127.0.0.2", 7781},  // blanks around the entry
      {"master.example:7778", nullptr, 0},
      {"localhost:7778", nullptr, 0},
      {"999.1.1.1:7778", nullptr, 0},
      {"256.1.1.1:7778", nullptr, 0},
      {"1.2.3:7778", nullptr, 0},
      {"1.2.3.4.5:7778", nullptr, 0},
      {"1..3.4:7778", nullptr, 0},
      {"1.2.3.4.:7778", nullptr, 0},
      {"01.2.3.4:7778", nullptr, 0},  // read as octal by some
      {"1.2.3.4:0", nullptr, 0},
      {"1.2.3.4:65536", nullptr, 0},
      {"1.2.3.4:077", nullptr, 0},
      {"1.2.3.4:+77", nullptr, 0},
      {"1.2.3.4:", nullptr, 0},
      {"1.2.3.4", nullptr, 0},
      {":7778", nullptr, 0},
      {"", nullptr, 0},
      {"1.2.3.4:77:78", nullptr, 0},
      {"1.2.\\3.4:7778", nullptr, 0},
      {"1.2.3.4:77\\78", nullptr, 0},
      {"1.2.3.4 :7778", nullptr, 0},
      {"1.2.3.4: 7778", nullptr, 0},
      {"Evil\r\nserverCount=0:7777", nullptr, 0},
      {"\x1b[2J:7779", nullptr, 0},
      {"-1.2.3.4:7778", nullptr, 0},
  };
  for (const auto& c : cases) {
    const auto entry = ParseMasterEntry(c.entry);
    ASSERT_EQ(entry.has_value(), c.address != nullptr) << c.entry.constData();
    if (entry) {
      EXPECT_EQ(*entry, (TMasterEntry{c.address, quint16(c.port)}));
    }
  }
  const TMasterList list = ReadMasterList(
      "\\ip\\game.example:7777\\ip\\999.1.1.1:7778\\ip\\127.0.0.1:7779\\ip\\\\ip\\1.2.3:1"
      "\\final\\");
  EXPECT_EQ(list.entries, (std::vector<TMasterEntry>{{"127.0.0.1", 7779}}));
  EXPECT_EQ(list.skipped, 4);
  EXPECT_TRUE(list.whole);
}

// Beyond 100,000 entries a list is not used at all; up to it every entry counts.
TEST(MasterQueryTest, AListBeyondTheBoundIsTooLong) {
  const auto list = [](int count, bool final) {
    QByteArray bytes;
    bytes.reserve(qsizetype(count) * 16 + 8);
    for (int i = 0; i < count; ++i) bytes += "\\ip\\127.0.0.1:" + QByteArray::number(1 + i % 60000);
    return final ? bytes + "\\final\\" : bytes;
  };
  const TMasterList bound = ReadMasterList(list(kMaxMasterListEntries, true));
  EXPECT_FALSE(bound.tooLong);
  EXPECT_TRUE(bound.whole);
  EXPECT_EQ(int(bound.entries.size()), kMaxMasterListEntries);
  for (const bool final : {true, false}) {
    const TMasterList beyond = ReadMasterList(list(kMaxMasterListEntries + 1, final));
    EXPECT_TRUE(beyond.tooLong);
    EXPECT_TRUE(beyond.entries.empty());
  }
  EXPECT_EQ(kMaxMasterListEntries, 100000);
}

// A master sending more than such a list can take is a failed master: nothing is added or
// removed. So is one listing too many short entries.
// A master sending more than such a list can take gives no list: nothing of it is used. Nor
// does one listing too many short entries.
TEST(MasterQueryTest, AHugeListIsRejected) {
  const QString tooMany = "Too many servers were returned from GameSpy (more than 100000)";
  QByteArray huge;
  huge.reserve(kMaxListBytes + 64);
  for (int i = 0; huge.size() <= kMaxListBytes; ++i)
    huge += "\\ip\\127.0.0.1:" + QByteArray::number(1 + i % 60000) + "\\ip\\255.255.255.255:65535";
  QByteArray many;
  for (int i = 0; i <= kMaxMasterListEntries; ++i) many += "\\ip\\1.1.1.1:1";
  for (const QByteArray& list : {huge, QByteArray(many + "\\final\\")}) {
    FakeMaster master({kGreeting, true, list});
    const Exchanged exchanged = Exchange(master.Port());
    EXPECT_EQ(exchanged.outcome.result, TMasterResult::Rejected);
    EXPECT_EQ(exchanged.outcome.text, tooMany);
    EXPECT_TRUE(exchanged.keys.isEmpty());
  }
}

TEST(MasterQueryTest, EveryCutAndJunkListReadsInBounds) {
  QByteArray list = ListOf(7600, 5);
  list.insert(20, "\r\n\x1bjunk\\ip\\");
  const auto check = [](const QByteArray& bytes) {
    const TMasterList read = ReadMasterList(bytes);
    // Without its end mark, the last piece of the list is never an entry.
    const qsizetype pieces = bytes.count("\\ip\\");
    if (qsizetype(read.entries.size()) + read.skipped > (read.whole ? pieces : std::max<qsizetype>(pieces - 1, 0)))
      return false;
    for (const TMasterEntry& entry : read.entries) {
      const QByteArray text = entry.address + ':' + QByteArray::number(entry.port);
      if (!bytes.contains(QByteArray("\\ip\\" + text)) || !ParseMasterEntry(text)) return false;
    }
    return true;
  };
  for (qsizetype length = 0; length <= list.size(); ++length)
    ASSERT_TRUE(check(list.first(length))) << length;
  std::mt19937 random(23);
  for (int round = 0; round < 3000; ++round) {
    QByteArray junk(int(random() % 120), '\0');
    for (char& c : junk) c = "\\ip:final0123.\r\n\0\x1b\xff "[random() % 20];
    ASSERT_TRUE(check(junk)) << junk.toHex().constData();
  }
}

TEST(MasterQueryTest, JunkFromTheMasterNeverCrashes) {
  std::mt19937 random(11);
  const auto junk = [&](int size) {
    QByteArray bytes(size, '\0');
    for (char& c : bytes) c = "\\ip:final0123456789.\r\n\0\xff"[random() % 22];
    return bytes;
  };
  std::vector<MasterScript> scripts;
  for (int i = 0; i < 20; ++i) scripts.push_back({kGreeting, true, junk(int(random() % 400))});
  for (int i = 0; i < 10; ++i) scripts.push_back({junk(int(random() % 40) + 1), true, junk(200)});
  const QByteArray valid = ListOf(7600, 3);
  for (int cut = 1; cut < valid.size(); cut += 3)
    scripts.push_back({kGreeting, true, valid.first(cut)});

  for (const MasterScript& script : scripts) {
    FakeMaster master(script);
    const Exchanged exchanged = Exchange(master.Port(), "UT", TMasterQueryOptions{300, 5000});
    ASSERT_TRUE(exchanged.finished);
    // Entries only with a list; a failure says why.
    EXPECT_EQ(exchanged.outcome.listed, exchanged.keys.size());
    if (GaveList(exchanged.outcome.result)) {
      for (const QString& key : exchanged.keys)
        EXPECT_TRUE(ParseMasterEntry(key.toLatin1())) << key.toStdString();
    } else {
      EXPECT_TRUE(exchanged.keys.isEmpty());
      EXPECT_FALSE(exchanged.outcome.text.isEmpty());
    }
  }
}

}  // namespace
}  // namespace zorvane
