// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/master_query.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <future>
#include <memory>
#include <random>
#include <thread>

#include "query/server_record.h"
#include "query/server_stash.h"

// Readable failures for texts and lists of texts.
static void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace zorvane {
namespace {

constexpr int kGuardMs = 10000;
// The master waits far less for the request than the client waits for data, so a client that
// holds its answer until a line end comes gets no list.
constexpr int kRequestWaitMs = 5000;
constexpr int kClientReadMs = 30000;
constexpr QByteArrayView kRequestEnd("\\gametype\\\\final\\");

struct MasterScript {
  QByteArray greeting;  // nothing is sent when empty
  bool readRequest = true;
  QByteArray list;  // sent after the request, then the connection closes
  // Greeting and list in pieces of this many bytes with a pause after each; 0: all at once.
  int greetingPiece = 0;
  int listPiece = 0;
  int pauseMs = 0;
};

// A master on 127.0.0.1 playing one scripted exchange. The client under test blocks the test's
// thread, so the master runs on a thread of its own, with blocking calls only.
class ScriptedMaster {
 public:
  explicit ScriptedMaster(MasterScript script) : script_(std::move(script)) {
    std::promise<quint16> ready;
    std::future<quint16> port = ready.get_future();
    thread_ = std::thread([this, ready = std::move(ready)]() mutable { Serve(ready); });
    port_ = port.get();
  }
  ~ScriptedMaster() { Finish(); }

  quint16 Port() const { return port_; }
  // What the client sent; waits for the exchange to end.
  QByteArray Received() {
    Finish();
    return received_;
  }

 private:
  void Finish() {
    if (thread_.joinable()) thread_.join();
  }

  static void Write(QTcpSocket& socket, const QByteArray& bytes) {
    socket.write(bytes);
    while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(kGuardMs)) {
    }
  }

  // Stops early when the client has gone.
  static void WriteInPieces(QTcpSocket& socket, const QByteArray& bytes, int piece, int pauseMs) {
    if (piece <= 0) return Write(socket, bytes);
    for (qsizetype at = 0; at < bytes.size(); at += piece) {
      Write(socket, bytes.mid(at, piece));
      if (socket.state() != QAbstractSocket::ConnectedState) return;
      if (at + piece < bytes.size()) QThread::msleep(pauseMs);
    }
  }

  void Serve(std::promise<quint16>& ready) {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    ready.set_value(server.serverPort());
    if (!server.waitForNewConnection(kGuardMs)) return;
    std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
    WriteInPieces(*socket, script_.greeting, script_.greetingPiece, script_.pauseMs);
    if (script_.readRequest) {
      // Unread bytes would turn our close into a reset that can swallow the list.
      // The request may already sit in the socket's buffer (read while the greeting was being
      // written), where waiting for more would not see it.
      for (;;) {
        received_ += socket->readAll();
        if (received_.endsWith(kRequestEnd) || !socket->waitForReadyRead(kRequestWaitMs)) break;
      }
    }
    WriteInPieces(*socket, script_.list, script_.listPiece, script_.pauseMs);
    socket->disconnectFromHost();
    if (socket->state() != QAbstractSocket::UnconnectedState) socket->waitForDisconnected(kGuardMs);
  }

  MasterScript script_;
  std::thread thread_;
  quint16 port_ = 0;
  QByteArray received_;
};

struct Outcome {
  int added = 0;
  TMasterResult result = TMasterResult::Failed;
  QString text;
  QStringList statuses;
};

TMasterQueryOptions TestOptions() {
  return {3000, kClientReadMs};
}

Outcome Query(TServerStash& stash, quint16 port, const QString& variant = "UT",
              const TMasterQueryOptions& options = TestOptions()) {
  Outcome outcome;
  const TMasterOutcome queried =
      QueryMasterServer(stash, variant, {"127.0.0.1", port}, options,
                        [&](const QString& text) { outcome.statuses << text; });
  outcome.added = queried.added;
  outcome.result = queried.result;
  outcome.text = queried.text;
  return outcome;
}

// A stash that never asks a name server and holds one favourite and one other server.
std::unique_ptr<TServerStash> SeededStash() {
  auto stash = std::make_unique<TServerStash>();
  stash->SetHostLookup([](const QString&, QObject*, THostLookupDone) {});
  stash->AddServer("127.0.0.1", "7000", "", true, "UT", "True", "");
  stash->AddServer("127.0.0.1", "7001", "", false, "UT", "True", "");
  return stash;
}

QStringList Keys(const TServerStash& stash) {
  QStringList keys;
  for (int i = 0; i < stash.Count(); ++i) keys << stash.Key(i);
  return keys;
}

QByteArray ListOf(int first, int count) {
  QByteArray list;
  for (int i = 0; i < count; ++i) list += "\\ip\\127.0.0.1:" + QByteArray::number(first + i);
  return list + "\\final\\";
}

constexpr const char* kQuerying = "Querying UT master server list...";
constexpr const char* kParsing = "Parsing master server list... ";
constexpr const char* kGreeting = "\\basic\\\\secure\\ABCDEF";

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

// Each variant is asked for by its game name and validated with its key; its list replaces
// the variant's servers that are not favourites, and no other variant's.
TEST(MasterQueryTest, GreetingWithoutLineEndIsAnsweredAndTheListAdded) {
  const struct {
    const char* variant;
    const char* gameName;
    const char* key;
    const char* querying;
    QStringList keys;
  } cases[] = {
      {"UT", "ut", "Z5Nfb0", kQuerying, {"127.0.0.1:7000", "127.0.0.1:7500"}},
      {"UT2004", "ut2004", "y5rP9m", "Querying UT2004 master server list...",
       {"127.0.0.1:7000", "127.0.0.1:7001", "127.0.0.1:7500"}},
      {"ut2003", "ut2", "Lw7x0R", "Querying UT2003 master server list...",
       {"127.0.0.1:7000", "127.0.0.1:7001", "127.0.0.1:7500"}},
  };
  for (const auto& c : cases) {
    for (const QByteArray& lineEnd : {QByteArray(), QByteArray("\r\n")}) {
      ScriptedMaster master({kGreeting + lineEnd, true, "\\ip\\127.0.0.1:7500\\final\\"});
      auto stash = SeededStash();
      const Outcome outcome = Query(*stash, master.Port(), c.variant);
      const QByteArray game(c.gameName);
      EXPECT_EQ(master.Received(), "\\gamename\\" + game + "\\location\\0\\validate\\" +
                                       ValidateChallenge("ABCDEF", c.key).toLatin1() +
                                       "\\final\\\\list\\\\gamename\\" + game +
                                       "\\gametype\\\\final\\");
      EXPECT_EQ(outcome.added, 1) << c.variant;
      EXPECT_EQ(outcome.statuses, (QStringList{c.querying, kParsing}));
      EXPECT_EQ(Keys(*stash), c.keys) << c.variant;
      const TServer* added = stash->Find("127.0.0.1:7500");
      EXPECT_EQ(added->Game(), c.variant);
      EXPECT_EQ(added->AutoUpdateDescription(), "True");
      EXPECT_FALSE(added->Favorite);
    }
  }
  // No master lists the demos: nothing is asked and nothing changes.
  auto stash = SeededStash();
  EXPECT_EQ(Query(*stash, 1, "UT2004 Demo").added, 0);
  EXPECT_EQ(stash->Count(), 2);
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
    ScriptedMaster master(script);
    auto stash = SeededStash();
    const Outcome outcome = Query(*stash, master.Port());
    EXPECT_EQ(master.Received(),
              "\\gamename\\ut\\location\\0\\validate\\5OOIQ5Ha\\final\\"
              "\\list\\\\gamename\\ut\\gametype\\\\final\\")
        << c.name;
    EXPECT_EQ(outcome.added, 2) << c.name;
  }
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

TEST(MasterQueryTest, TricklingMasterIsGivenUpAfterTheExchangeTime) {
  TMasterQueryOptions options = TestOptions();
  options.exchangeTimeoutMs = 600;  // the read time-out alone (30 s) would never end it
  const struct {
    const char* name;
    MasterScript script;
    QString failure;
  } cases[] = {
      {"greeting", {kGreeting, true, ListOf(7500, 2), 1, 0, 100},
       "Did not receive a proper response from GameSpy"},
      {"list", {kGreeting, true, ListOf(7500, 2), 0, 1, 50},
       "Connection timed out when reading result stream"},
  };
  for (const auto& c : cases) {
    ScriptedMaster master(c.script);
    auto stash = SeededStash();
    const Outcome outcome = Query(*stash, master.Port(), "UT", options);
    EXPECT_EQ(outcome.added, 0) << c.name;
    EXPECT_EQ(outcome.statuses, (QStringList{kQuerying, c.failure})) << c.name;
    EXPECT_EQ(Keys(*stash), (QStringList{"127.0.0.1:7000", "127.0.0.1:7001"})) << c.name;
  }
}

// A master that sends its greeting without end is given up once more came than a greeting
// holds; one that keeps sending its list, once the exchange's time is out.
TEST(MasterQueryTest, EndlessGreetingOrListIsGivenUp) {
  TMasterQueryOptions options = TestOptions();
  options.exchangeTimeoutMs = 600;
  QByteArray endlessList;
  while (endlessList.size() < 2000000) endlessList += "\\ip\\127.0.0.1:7500";
  const struct {
    const char* name;
    MasterScript script;
    QString failure;
  } cases[] = {
      {"greeting at once", {QByteArray(4 << 20, 'x'), false, ""},
       "Did not receive a proper response from GameSpy"},
      {"greeting paced", {QByteArray(4 << 20, 'x'), false, "", 16384, 0, 10},
       "Did not receive a proper response from GameSpy"},
      {"list paced", {kGreeting, true, endlessList, 0, 16384, 10},
       "Connection timed out when reading result stream"},
  };
  for (const auto& c : cases) {
    ScriptedMaster master(c.script);
    auto stash = SeededStash();
    QElapsedTimer elapsed;
    elapsed.start();
    const Outcome outcome = Query(*stash, master.Port(), "UT", options);
    EXPECT_LT(elapsed.elapsed(), 2000) << c.name;
    EXPECT_EQ(outcome.result, TMasterResult::Failed) << c.name;
    EXPECT_EQ(outcome.text, c.failure) << c.name;
    EXPECT_EQ(Keys(*stash), (QStringList{"127.0.0.1:7000", "127.0.0.1:7001"})) << c.name;
  }
}

TEST(MasterQueryTest, FailuresLeaveTheStashAlone) {
  const struct {
    const char* name;
    MasterScript script;
    QString failure;
  } cases[] = {
      {"nothing sent", {"", false, ""}, "Did not receive a proper response from GameSpy"},
      {"blank line", {" \t\r\n", false, ""}, "Did not receive a proper response from GameSpy"},
      {"closed without a list", {kGreeting, true, ""}, "No servers were returned from GameSpy"},
      {"a cut list without a whole entry", {kGreeting, true, "\\ip\\127.0.0.1:75"},
       "No servers were returned from GameSpy"},
      {"an answer that is no list", {kGreeting, true, "\\error\\bad validation"},
       "No servers were returned from GameSpy"},
  };
  for (const auto& c : cases) {
    ScriptedMaster master(c.script);
    auto stash = SeededStash();
    const Outcome outcome = Query(*stash, master.Port());
    EXPECT_EQ(outcome.added, 0) << c.name;
    EXPECT_EQ(outcome.result, TMasterResult::Failed) << c.name;
    EXPECT_EQ(outcome.text, c.failure) << c.name;
    EXPECT_EQ(outcome.statuses, (QStringList{kQuerying, c.failure})) << c.name;
    EXPECT_EQ(Keys(*stash), (QStringList{"127.0.0.1:7000", "127.0.0.1:7001"})) << c.name;
  }
}

TEST(MasterQueryTest, RefusedConnection) {
  quint16 port = 0;
  {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    port = probe.serverPort();
  }
  auto stash = SeededStash();
  const Outcome outcome = Query(*stash, port);
  EXPECT_EQ(outcome.added, 0);
  EXPECT_EQ(outcome.result, TMasterResult::Failed);
  EXPECT_EQ(outcome.text, "Could not open connection to GameSpy");
  EXPECT_EQ(outcome.statuses, (QStringList{kQuerying, "Could not open connection to GameSpy"}));
  EXPECT_EQ(stash->Count(), 2);
}

TEST(MasterQueryTest, ListsAreSplitIntoServers) {
  const struct {
    const char* name;
    QByteArray list;
    int added;
    QStringList keys;  // after the favourite 127.0.0.1:7000
  } cases[] = {
      {"with final",
       "junk\\ip\\127.0.0.1:7501\\ip\\127.0.0.1:7502\\final\\junk",
       2,
       {"127.0.0.1:7501", "127.0.0.1:7502"}},
      {"entries without a port",
       "\\ip\\127.0.0.1\\ip\\127.0.0.2:\\ip\\127.0.0.3:7503\\final\\",
       1,
       {"127.0.0.3:7503"}},
      {"repeated entry",
       "\\ip\\127.0.0.1:7501\\ip\\127.0.0.1:7501\\final\\",
       1,
       {"127.0.0.1:7501"}},
      {"the favourite listed",
       "\\ip\\127.0.0.1:7000\\ip\\127.0.0.1:7001\\final\\",
       1,
       {"127.0.0.1:7001"}},
      {"ports that are not numbers", "\\ip\\127.0.0.1:x\\ip\\127.0.0.1:99999\\final\\", 0, {}},
      {"a list of none", "\\final\\", 0, {}},
      // Only the last entry loses a final marker; an earlier one keeps it in its port.
      {"final inside", "\\ip\\127.0.0.1:7501\\final\\\\ip\\127.0.0.1:7502\\final\\", 1,
       {"127.0.0.1:7502"}},
  };
  for (const auto& c : cases) {
    ScriptedMaster master({kGreeting, true, c.list});
    auto stash = SeededStash();
    const Outcome outcome = Query(*stash, master.Port());
    EXPECT_EQ(outcome.added, c.added) << c.name;
    EXPECT_EQ(outcome.result, TMasterResult::Listed) << c.name;
    EXPECT_EQ(outcome.statuses, (QStringList{kQuerying, kParsing})) << c.name;
    EXPECT_EQ(Keys(*stash), QStringList{"127.0.0.1:7000"} + c.keys) << c.name;
  }
}

// A list without "\final\" was cut off (the master closed the connection mid-send): its
// servers are added, but its last entry, which may end in the middle of its port, is not, and
// no server is removed. The status says it was cut.
TEST(MasterQueryTest, ACutListAddsButRemovesNothing) {
  const struct {
    const char* name;
    QByteArray list;
    int added;
  } cases[] = {
      {"cut after a whole entry", "\\ip\\127.0.0.1:7501\\ip\\127.0.0.1:7502", 1},
      {"cut mid-port", "\\ip\\127.0.0.1:7501\\ip\\127.0.0.1:7502\\ip\\127.0.0.1:75", 2},
      {"cut inside the end mark", "\\ip\\127.0.0.1:7501\\ip\\127.0.0.1:7502\\fin", 1},
  };
  for (const auto& c : cases) {
    ScriptedMaster master({kGreeting, true, c.list});
    auto stash = SeededStash();
    const Outcome outcome = Query(*stash, master.Port());
    EXPECT_EQ(outcome.result, TMasterResult::Cut) << c.name;
    EXPECT_EQ(outcome.added, c.added) << c.name;
    const QString cut = "The server list from GameSpy was cut off: " + QString::number(c.added) +
                        " servers added, none removed";
    EXPECT_EQ(outcome.text, cut) << c.name;
    EXPECT_EQ(outcome.statuses, (QStringList{kQuerying, kParsing, cut})) << c.name;
    QStringList keys{"127.0.0.1:7000", "127.0.0.1:7001"};  // the other server stays
    for (int i = 0; i < c.added; ++i) keys << "127.0.0.1:" + QString::number(7501 + i);
    EXPECT_EQ(Keys(*stash), keys) << c.name;
  }
}

TEST(MasterQueryTest, ProgressAfterEveryFiftiethServer) {
  // The first entry is the favourite: not added, so not counted.
  ScriptedMaster master({kGreeting, true, ListOf(7000, 121)});
  auto stash = SeededStash();
  const Outcome outcome = Query(*stash, master.Port());
  EXPECT_EQ(outcome.added, 120);
  EXPECT_EQ(outcome.statuses, (QStringList{kQuerying, kParsing, QString(kParsing) + "50",
                                           QString(kParsing) + "100"}));
  EXPECT_EQ(stash->Count(), 121);
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
    if (entry) EXPECT_EQ(*entry, (TMasterEntry{c.address, quint16(c.port)}));
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
TEST(MasterQueryTest, AHugeListIsAFailedMaster) {
  const QString tooMany = "Too many servers were returned from GameSpy (more than 100000)";
  QByteArray huge;
  huge.reserve(kMaxListBytes + 64);
  for (int i = 0; huge.size() <= kMaxListBytes; ++i)
    huge += "\\ip\\127.0.0.1:" + QByteArray::number(1 + i % 60000) + "\\ip\\255.255.255.255:65535";
  QByteArray many;
  for (int i = 0; i <= kMaxMasterListEntries; ++i) many += "\\ip\\1.1.1.1:1";
  for (const QByteArray& list : {huge, QByteArray(many + "\\final\\")}) {
    ScriptedMaster master({kGreeting, true, list});
    auto stash = SeededStash();
    const Outcome outcome = Query(*stash, master.Port());
    EXPECT_EQ(outcome.result, TMasterResult::Failed);
    EXPECT_EQ(outcome.text, tooMany);
    EXPECT_EQ(outcome.statuses.last(), tooMany);
    EXPECT_EQ(Keys(*stash), (QStringList{"127.0.0.1:7000", "127.0.0.1:7001"}));
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
    ScriptedMaster master(script);
    auto stash = SeededStash();
    const Outcome outcome = Query(*stash, master.Port());
    // The favourite always stays; whatever else is there was counted.
    ASSERT_GE(stash->Count(), 1);
    EXPECT_TRUE(stash->Find("127.0.0.1:7000"));
    switch (outcome.result) {
      case TMasterResult::Listed:
        EXPECT_EQ(outcome.added, stash->Count() - 1);
        break;
      case TMasterResult::Cut:  // the other server stays
        EXPECT_TRUE(stash->Find("127.0.0.1:7001"));
        EXPECT_EQ(outcome.added, stash->Count() - 2);
        break;
      case TMasterResult::Failed:
        EXPECT_EQ(stash->Count(), 2);
        EXPECT_FALSE(outcome.text.isEmpty());
        break;
    }
  }
}

}  // namespace
}  // namespace zorvane
