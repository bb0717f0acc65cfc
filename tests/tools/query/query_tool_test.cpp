// SPDX-License-Identifier: GPL-2.0-or-later
// Starts the built zorvane-query against fake servers on 127.0.0.1.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <QUdpSocket>
#include <memory>

#include "history/history_store.h"
#include "support/binary_builder.h"
#include "support/files.h"
#include "tools/query/plain_text.h"
#include "support/fake_server.h"
#include "support/farm_process.h"
#include "support/slow_lookup.h"

namespace zorvane {
namespace {

using testing::BinaryBuilder;
using testing::FakeServer;

struct TToolRun {
  int exitCode = -1;
  QByteArray out, err;
};

// The fake servers answer from this process's event loop, so keep it turning while waiting.
TToolRun RunTool(const QStringList& args, int deadlineMs = 60000,
                 const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
  QProcess process;
  process.setProcessEnvironment(environment);
  process.start(QStringLiteral(ZORVANE_QUERY_TOOL), args);
  EXPECT_TRUE(process.waitForStarted(10000));
  const QDeadlineTimer deadline(deadlineMs);
  // The end may be seen by processEvents(), after which waitForFinished() answers false: ask
  // the state, not the wait.
  while (process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
    process.waitForFinished(10);
    QCoreApplication::processEvents();
  }
  if (process.state() != QProcess::NotRunning) {
    process.kill();
    process.waitForFinished();
    ADD_FAILURE() << "zorvane-query did not finish";
  }
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          process.readAllStandardOutput(), process.readAllStandardError()};
}

QList<QJsonObject> JsonLines(const QByteArray& out) {
  QList<QJsonObject> objects;
  for (const QByteArray& line : out.split('\n')) {
    if (line.isEmpty()) continue;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << line.constData();
    objects << doc.object();
  }
  return objects;
}

QList<QByteArray> TextReply(const QByteArray& name) {
  return {"\\hostname\\" + name +
              "\\mapname\\CTF-Face\\numplayers\\1\\maxplayers\\8\\gametype\\CTFGame"
              "\\player_0\\Bob\\frags_0\\5\\ping_0\\50\\team_0\\1",
          "\\timelimit\\20\\RemainingTime\\125\\final\\"};
}

QList<QByteArray> BinaryReply(const QByteArray& request) {
  switch (request.size() > 4 ? request[4] : -1) {
    case 0:
      return {BinaryBuilder::Info("Bin Server", "DM-Rankin", "xDeathMatch", 2, 16)};
    case 1:
      return {BinaryBuilder(1).Str("AdminName").Str("Ann").Str("Mutator").Str("MutInstaGib").Bytes()};
    case 2:
      return {BinaryBuilder(2)
                  .Player("Alice", 40, 7, 0x20000000)
                  .Player("Zed", 60, -1, 0x40000000)
                  .Bytes()};
  }
  return {};
}

TEST(toolsQueryCommand, JsonForTextBinaryNamedAndRefusedServers) {
  FakeServer text([](const QByteArray&) { return TextReply("My Server"); });
  FakeServer named([](const QByteArray&) { return TextReply("Named Server"); });
  FakeServer binary(BinaryReply);
  const int closed = testing::ClosedPort();
  const QString namedKey = "localhost:" + QString::number(named.Port());
  const QString closedKey = "127.0.0.1:" + QString::number(closed);

  // A long wait: the run has to end because every server is done, not because time ran out.
  const int waitMs = 15000;
  const TToolRun run = RunTool({"--json", "--wait", QString::number(waitMs), text.Key(),
                                namedKey, "--game", "UT2004", binary.Key(), "--game", "UT",
                                closedKey});
  ASSERT_EQ(run.exitCode, 0) << run.err.constData();
  const QList<QJsonObject> lines = JsonLines(run.out);
  ASSERT_EQ(lines.size(), 5) << run.out.constData();

  const QJsonObject t = lines[0];
  EXPECT_EQ(t["Key"].toString(), text.Key());
  EXPECT_EQ(t["Description"].toString(), "My Server");
  EXPECT_EQ(t["MapName"].toString(), "CTF-Face");
  EXPECT_EQ(t["NumPlayers"].toString() + "/" + t["MaxPlayers"].toString(), "1/8");
  EXPECT_EQ(t["TimeLimit"].toString(), "20");
  EXPECT_EQ(t["RemainingTime"].toString(), "2");  // 125 s in whole minutes
  EXPECT_NE(t["Ping"].toString(), "9999");
  EXPECT_EQ(t["Online"], QJsonValue(true));
  const QJsonArray players = t["Players"].toArray();
  ASSERT_EQ(players.size(), 1);
  EXPECT_EQ(players[0].toObject()["Name"].toString(), "Bob");
  EXPECT_EQ(players[0].toObject()["Team"].toString(), "blue");

  const QJsonObject n = lines[1];
  EXPECT_EQ(n["Key"].toString(), namedKey);
  EXPECT_EQ(n["DNSName"].toString(), "localhost");
  EXPECT_EQ(n["IP"].toString(), "127.0.0.1");
  EXPECT_EQ(n["Description"].toString(), "Named Server");

  const QJsonObject b = lines[2];
  EXPECT_EQ(b["Key"].toString(), binary.Key());
  EXPECT_EQ(b["Game"].toString(), "UT2004");
  EXPECT_EQ(b["QueryVersion"].toInt(), 128);
  EXPECT_EQ(b["Description"].toString(), "Bin Server");
  EXPECT_EQ(b["NumPlayers"].toString() + "/" + b["MaxPlayers"].toString(), "2/16");
  EXPECT_EQ(b["Settings"].toArray(),
            (QJsonArray{QJsonObject{{"Name", "AdminName"}, {"Value", "Ann"}},
                        QJsonObject{{"Name", "Mutator"}, {"Value", "MutInstaGib"}}}));
  const QJsonArray binaryPlayers = b["Players"].toArray();
  ASSERT_EQ(binaryPlayers.size(), 2);
  EXPECT_EQ(binaryPlayers[0].toObject()["Team"].toString(), "red");
  EXPECT_EQ(binaryPlayers[1].toObject()["Name"].toString(), "Zed");
  EXPECT_EQ(binaryPlayers[1].toObject()["Frags"].toString(), "-1");
  ASSERT_EQ(binary.Requests().size(), 3);
  for (int type = 0; type < 3; ++type)
    EXPECT_EQ(binary.Requests()[type], QByteArray("\x80\0\0\0", 4) + char(type));

  const QJsonObject c = lines[3];
  EXPECT_EQ(c["Key"].toString(), closedKey);
  EXPECT_EQ(c["Ping"].toString(), "9999");
  EXPECT_EQ(c["Online"], QJsonValue(false));

  const QJsonObject summary = lines[4]["summary"].toObject();
  EXPECT_EQ(summary["servers"].toInt(), 4);
  EXPECT_EQ(summary["replied"].toInt(), 3);
  EXPECT_LT(summary["elapsedMs"].toInt(waitMs), waitMs);
}

TEST(toolsQueryCommand, SilentServerEndsWithTheWaitAndIsListed) {
  FakeServer silent([](const QByteArray&) { return QList<QByteArray>{}; });
  const TToolRun run = RunTool({"--wait", "200", silent.Key()});
  ASSERT_EQ(run.exitCode, 0) << run.err.constData();
  EXPECT_EQ(silent.Requests().size(), 1);
  const QList<QByteArray> lines = run.out.trimmed().split('\n');
  ASSERT_EQ(lines.size(), 2) << run.out.constData();
  EXPECT_TRUE(lines[0].startsWith(QByteArray(silent.Key().toUtf8() + "\t9999\t"))) << lines[0].constData();
  EXPECT_EQ(lines[1], "1 servers, 0 replied");
}

TEST(toolsQueryCommand, BadInputExitsTwoWithOneLine) {
  for (const QStringList& args :
       {QStringList{"--wait"}, QStringList{"--list", "/nonexistent/x"},
        QStringList{"127.0.0.1:port"}, QStringList{"--dir", "/nonexistent/x", "--favorites"},
        QStringList{"--game", "Quake", "127.0.0.1:7778"}, QStringList{"--list", "/dev/zero"}}) {
    const TToolRun run = RunTool(args);
    EXPECT_EQ(run.exitCode, 2) << qPrintable(args.join(' '));
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.startsWith("zorvane-query: ")) << run.err.constData();
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.constData();
  }
}

}  // namespace
}  // namespace zorvane

namespace zorvane {
namespace {

TEST(toolsQueryCommand, FavoritesOfASettingsFolderAreQueriedAndTheFolderIsLeftAlone) {
  FakeServer text([](const QByteArray&) { return TextReply("Reported Name"); });
  FakeServer binary([](const QByteArray& request) { return BinaryReply(request); });
  QTemporaryDir dir;
  QFile file(dir.filePath("zorvane.ini"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("[settings]\nZorvane=2.91\n[server]\nserverCount=3\n"
             "server[0]=127.0.0.1\\" + QByteArray::number(text.Port()) + "\\False\\Typed Name\n"
             "server[1]=127.0.0.1\\" + QByteArray::number(binary.Port()) +
             "\\True\\Old\\UT2004\nserver[2]=127.0.0.1\\7x\\True\\Bad\n");
  file.close();
  const QByteArray before = [&] {
    QFile f(dir.filePath("zorvane.ini"));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
  }();

  const TToolRun run = RunTool({"--dir", dir.path(), "--favorites", "--json", "--wait", "5000"});
  ASSERT_EQ(run.exitCode, 0) << run.err.constData();
  const QList<QJsonObject> lines = JsonLines(run.out);
  ASSERT_EQ(lines.size(), 3);
  EXPECT_TRUE(lines[0]["Favorite"].toBool());
  EXPECT_EQ(lines[0]["Description"].toString(), "Typed Name");  // not auto-updated
  EXPECT_EQ(lines[0]["MapName"].toString(), "CTF-Face");
  EXPECT_EQ(lines[1]["Game"].toString(), "UT2004");
  EXPECT_EQ(lines[1]["Description"].toString(), "Bin Server");
  EXPECT_EQ(lines[2]["summary"].toObject()["replied"].toInt(), 2);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"zorvane.ini"});
  QFile after(dir.filePath("zorvane.ini"));
  ASSERT_TRUE(after.open(QIODevice::ReadOnly));
  EXPECT_EQ(after.readAll(), before);
}

}  // namespace
}  // namespace zorvane

namespace zorvane {
namespace {

// The game before --master chooses the list: the farm's UT servers or its UT2004 ones, each
// queried with its own protocol.
// Every file of the folder with its bytes.
QMap<QString, QByteArray> FolderBytes(const QString& path) {
  QMap<QString, QByteArray> files;
  for (const QString& name : QDir(path).entryList(QDir::Files)) {
    QFile file(QDir(path).filePath(name));
    files[name] = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("?");
  }
  return files;
}

TEST(toolsQueryCommand, HistoryOfAServerIsPrintedAndTheFolderIsLeftAlone) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const qint64 t = 1714594500;  // 2024-05-01T20:15:00Z
  THistoryStore store(dir.filePath("history.sqlite"));
  ASSERT_TRUE(store.Open(t));
  store.Write({{{"127.0.0.1:7778", {t, 5, 16, "CTF-Face"}},
                {"127.0.0.1:7778", {t + 600, 6, 16, "DM-\"Quoted\""}},
                {"127.0.0.1:7779", {t, 1, 8, "DM-Other"}}},
               {}},
              t);
  store.Close();

  const auto look = [&](const QString& key) {
    const QMap<QString, QByteArray> before = FolderBytes(dir.path());
    const TToolRun run = RunTool({"--history", dir.path(), key});
    EXPECT_EQ(FolderBytes(dir.path()), before) << "the folder changed";
    return run;
  };
  const TToolRun run = look("127.0.0.1:7778");
  ASSERT_EQ(run.exitCode, 0) << run.err.constData();
  EXPECT_TRUE(run.out.startsWith("{\"server\": \"127.0.0.1:7778\", \"samples\": [\n{"))
      << run.out.constData();
  QJsonParseError error;
  const QJsonObject history = QJsonDocument::fromJson(run.out, &error).object();
  ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out.constData();
  const QJsonArray samples = history["samples"].toArray();
  ASSERT_EQ(samples.size(), 2);
  EXPECT_EQ(samples[0].toObject(), (QJsonObject{{"time", t}, {"utc", "2024-05-01T20:15:00Z"},
                                                {"players", 5}, {"maxPlayers", 16},
                                                {"map", "CTF-Face"}}));
  EXPECT_EQ(samples[1]["map"].toString(), "DM-\"Quoted\"");
  EXPECT_EQ(look("127.0.0.9:7778").out, "{\"server\": \"127.0.0.9:7778\", \"samples\": []}\n");

  // Beside a program that has the file open, the samples of its WAL are read too.
  THistoryStore open(dir.filePath("history.sqlite"));
  ASSERT_TRUE(open.Open(t + 900));
  open.Write({{{"127.0.0.1:7778", {t + 1200, 7, 16, "CTF-Face"}}}, {}}, t + 1200);
  ASSERT_TRUE(QFileInfo::exists(dir.filePath("history.sqlite-wal")));
  const QByteArray main = testing::Read(dir.filePath("history.sqlite"));
  const TToolRun beside = RunTool({"--history", dir.path(), "127.0.0.1:7778"});
  EXPECT_EQ(QJsonDocument::fromJson(beside.out)["samples"].toArray().size(), 3);
  EXPECT_EQ(testing::Read(dir.filePath("history.sqlite")), main);
  open.Close();

  QTemporaryDir empty;
  const TToolRun none = RunTool({"--history", empty.path(), "127.0.0.1:7778"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_TRUE(none.err.startsWith("zorvane-query: no server history in")) << none.err.constData();
  EXPECT_TRUE(QDir(empty.path()).isEmpty());
  testing::Write(empty.filePath("history.sqlite"), "not a database");
  EXPECT_EQ(RunTool({"--history", empty.path(), "127.0.0.1:7778"}).exitCode, 1);
}

TEST(toolsQueryCommand, MasterRefreshListsQueriesAndSummarises) {
  testing::FarmProcess farm(30, 4, 5);
  ASSERT_TRUE(farm.Start());
  const struct {
    QString game;
    int listed;
    const char* querying;
  } cases[] = {{"UT", 30, "Querying UT master server list..."},
               {"UT2004", 4, "Querying UT2004 master server list..."}};
  for (const auto& c : cases) {
    const TToolRun run = RunTool({"--game", c.game, "--master",
                                  "127.0.0.1:" + QString::number(farm.MasterPort()), "--json",
                                  "--query-power", "0"});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    const QList<QJsonObject> lines = JsonLines(run.out);
    ASSERT_EQ(lines.size(), c.listed + 1);
    for (int i = 0; i < c.listed; ++i) {
      EXPECT_EQ(lines[i]["Game"].toString(), c.game);
      EXPECT_FALSE(lines[i]["Description"].toString().isEmpty()) << c.game.toStdString();
    }
    const QJsonObject summary = lines.last()["summary"].toObject();
    EXPECT_EQ(summary["listed"].toInt(), c.listed);
    EXPECT_EQ(summary["replied"].toInt(), c.listed);
    EXPECT_EQ(summary["percent"].toInt(), 100);
    EXPECT_TRUE(run.err.contains(c.querying)) << run.err.constData();
    EXPECT_TRUE(run.err.contains("Waiting for replies..."));
  }
  EXPECT_EQ(RunTool({"--game", "UT2004 Demo", "--master", "127.0.0.1:1"}).exitCode, 2);
}

TEST(toolsQueryCommand, AnEmptyMasterListIsAnAnswerWithNothingListed) {
  testing::FarmProcess farm(0, 0, 5);
  ASSERT_TRUE(farm.Start());
  const TToolRun run =
      RunTool({"--master", "127.0.0.1:" + QString::number(farm.MasterPort()), "--json"});
  ASSERT_EQ(run.exitCode, 0) << run.err.constData();
  const QList<QJsonObject> lines = JsonLines(run.out);
  ASSERT_EQ(lines.size(), 1) << run.out.constData();
  const QJsonObject summary = lines[0]["summary"].toObject();
  EXPECT_EQ(summary["listed"], QJsonValue(0));
  EXPECT_EQ(summary["replied"], QJsonValue(0));
  EXPECT_EQ(summary["percent"], QJsonValue(0));
}

// A UT2004 server answers its information first and its rules and players after: every
// server is printed with all three, the last ones too.
TEST(toolsQueryCommand, MasterRefreshPrintsEveryReplyAskedOfAServer) {
  testing::FarmProcess farm(0, 40, 6);
  ASSERT_TRUE(farm.Start());
  const TToolRun run = RunTool({"--game", "UT2004", "--master",
                                "127.0.0.1:" + QString::number(farm.MasterPort()), "--json",
                                "--query-power", "0"});
  ASSERT_EQ(run.exitCode, 0) << run.err.constData();
  const QList<QJsonObject> lines = JsonLines(run.out);
  ASSERT_EQ(lines.size(), 41);
  for (int i = 0; i < 40; ++i)
    EXPECT_FALSE(lines[i]["Settings"].toArray().isEmpty()) << lines[i]["Key"].toString().toStdString();
}

// What becomes of a master that misbehaves: a list cut off is used for what it holds (exit 3);
// one of a million entries, or a greeting without end, is a failed master (exit 1) and nothing
// is queried; names in a list are left out, so no look-up holds the run or its exit.
TEST(toolsQueryCommand, MasterFaultsEndAsTheyShould) {
  const struct {
    const char* fault;
    int exitCode;
    const char* said;
    int printed;  // servers printed
  } cases[] = {
      {"cut", 3, "list cut short (kept ", -1},
      {"huge", 1, "Too many servers were returned from GameSpy (more than 100000)", 0},
      {"endless", 1, "Did not receive a proper response from GameSpy", 0},
      {"names", 0, "12 entries of the master server list were left out: not an IPv4 address and "
                   "port", 12},
  };
  for (const auto& c : cases) {
    testing::FarmProcess farm(12, 0, 6, {"--master-fault", c.fault});
    ASSERT_TRUE(farm.Start());
    QElapsedTimer elapsed;
    elapsed.start();
    const TToolRun run = RunTool({"--master", "127.0.0.1:" + QString::number(farm.MasterPort()),
                                  "--json", "--query-power", "0"},
                                 30000, testing::SlowLookupEnvironment(60));
    EXPECT_LT(elapsed.elapsed(), 15000) << c.fault;
    EXPECT_EQ(run.exitCode, c.exitCode) << c.fault << ": " << run.err.constData();
    EXPECT_TRUE(run.err.contains(c.said)) << c.fault << ": " << run.err.constData();
    EXPECT_FALSE(run.out.contains("slow.test")) << c.fault;
    const QList<QJsonObject> lines = JsonLines(run.out);
    if (c.printed == 0) {
      EXPECT_TRUE(lines.isEmpty()) << c.fault;
    } else if (c.printed > 0) {
      EXPECT_EQ(lines.size(), c.printed + 1) << c.fault;
    } else {
      ASSERT_FALSE(lines.isEmpty()) << c.fault;
      const int listed = lines.last()["summary"].toObject()["listed"].toInt();
      EXPECT_GT(listed, 0);
      EXPECT_LT(listed, 12);
      EXPECT_EQ(lines.size(), listed + 1) << c.fault;
    }
  }
}

// Several masters at once: each server once, the summary names every master's outcome, and the
// status is 0 as soon as one list was whole, 3 when the best was cut, 1 when none gave a list.
TEST(toolsQueryCommand, SeveralMastersAreAskedAtOnceAndSummarised) {
  const quint16 first = testing::FreeTcpPort(), second = testing::FreeTcpPort();
  testing::FarmProcess farm(30, 0, 7,
                            {"--master-fault", "half", "--master", QString::number(first) + ":0-19",
                             "--master", QString::number(second) + ":10-29"});
  ASSERT_TRUE(farm.Start()) << farm.Process().readAllStandardError().constData();
  const QString nobody = "127.0.0.1:" + QString::number(testing::FreeTcpPort());
  const auto at = [](quint16 port) -> QString { return "127.0.0.1:" + QString::number(port); };
  const struct {
    const char* name;
    QStringList masters;
    int exitCode;
    int listed;
    QStringList outcomes;  // "ADDRESS OUTCOME SERVERS", sorted
  } cases[] = {
      {"overlapping and refused", {at(first), at(second), nobody}, 0, 30,
       {at(first) + " ok 20", at(second) + " ok 20", nobody + " refused 0"}},
      {"cut only", {at(farm.MasterPort())}, 3, 14, {at(farm.MasterPort()) + " cut 14"}},
      {"cut and whole", {at(farm.MasterPort()), at(second)}, 0, 30,
       {at(farm.MasterPort()) + " cut 14", at(second) + " ok 20"}},
  };
  for (const auto& c : cases) {
    QStringList args{"--json", "--query-power", "0"};
    for (const QString& master : c.masters) args << "--master" << master;
    const TToolRun run = RunTool(args);
    ASSERT_EQ(run.exitCode, c.exitCode) << c.name << ": " << run.err.constData();
    const QList<QJsonObject> lines = JsonLines(run.out);
    ASSERT_EQ(lines.size(), c.listed + 1) << c.name;
    QSet<QString> keys;
    for (int i = 0; i < c.listed; ++i) keys.insert(lines[i]["Key"].toString());
    EXPECT_EQ(keys.size(), c.listed) << c.name;  // each server once
    const QJsonObject summary = lines.last()["summary"].toObject();
    EXPECT_EQ(summary["listed"].toInt(), c.listed) << c.name;
    EXPECT_EQ(summary["replied"].toInt(), c.listed) << c.name;
    QStringList outcomes;
    for (const QJsonValue& master : summary["masters"].toArray())
      outcomes << master["address"].toString() + ' ' + master["outcome"].toString() + ' ' +
                      QString::number(master["servers"].toInt());
    outcomes.sort();
    QStringList expected = c.outcomes;
    expected.sort();
    EXPECT_EQ(outcomes, expected) << c.name;
  }
  const TToolRun none =
      RunTool({"--master", nobody, "--master", "127.0.0.1:" + QString::number(testing::FreeTcpPort())});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_TRUE(none.out.isEmpty());
  EXPECT_TRUE(none.err.contains(QString(nobody + ": no answer (refused)").toUtf8()))
      << none.err.constData();
}

// --default-masters asks the game's masters of the settings in --dir: the UT2004 list there.
TEST(toolsQueryCommand, DefaultMastersComeFromTheSettingsOfDir) {
  const quint16 extra = testing::FreeTcpPort();
  testing::FarmProcess farm(3, 4, 8, {"--master", QString::number(extra) + ":4-5"});
  ASSERT_TRUE(farm.Start()) << farm.Process().readAllStandardError().constData();
  QTemporaryDir dir;
  QFile ini(dir.filePath("zorvane.ini"));
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write("[settings]\nmasterServer=127.0.0.1:" + QByteArray::number(farm.MasterPort()) +
            "\n[masterServers]\nut2004MasterCount=1\nut2004Master[0]=127.0.0.1:" +
            QByteArray::number(extra) + "\n");
  ini.close();
  const TToolRun run = RunTool({"--dir", dir.path(), "--game", "UT2004", "--default-masters",
                                "--json", "--query-power", "0"});
  ASSERT_EQ(run.exitCode, 0) << run.err.constData();
  const QList<QJsonObject> lines = JsonLines(run.out);
  ASSERT_EQ(lines.size(), 3);
  const QJsonArray masters = lines.last()["summary"].toObject()["masters"].toArray();
  ASSERT_EQ(masters.size(), 1);
  EXPECT_EQ(masters[0]["address"].toString(), "127.0.0.1:" + QString::number(extra));
  EXPECT_EQ(masters[0]["servers"].toInt(), 2);
  // The same settings give UT the one master of "masterServer".
  const TToolRun ut = RunTool({"--dir", dir.path(), "--default-masters", "--json"});
  ASSERT_EQ(ut.exitCode, 0) << ut.err.constData();
  EXPECT_EQ(JsonLines(ut.out).size(), 4);
}

TEST(toolsQueryCommand, MasterFailureEndsWithStatusOne) {
  const TToolRun run = RunTool({"--master", "127.0.0.1:1"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.err.contains("Could not open connection to GameSpy")) << run.err.constData();
  EXPECT_TRUE(run.out.isEmpty());
}

}  // namespace
}  // namespace zorvane

namespace zorvane {
namespace {

// A name that tries to add a row, split columns, colour the terminal red, and carries a colour
// code whose colour bytes include a line break.
const QByteArray kHostileName = QByteArray("Evil\r\n127.0.0.1:1\t0\t1/1\tfake\x1b[31mred") +
                                QByteArray("\x1b\xff\x0a\x01", 4) + "Coloured";
const QString kHostileNamePlain = "Evil  127.0.0.1:1 0 1/1 fakemredColoured";

TEST(toolsQueryCommand, HostileNamesCannotAddRowsOrReachTheTerminal) {
  FakeServer text([](const QByteArray&) { return TextReply(kHostileName); });
  FakeServer binary([](const QByteArray& request) {
    if (request.size() > 4 && request[4] == 0)
      return QList<QByteArray>{BinaryBuilder::Info(kHostileName, "DM-\x1b[2J", "xDM", 0, 8)};
    return BinaryReply(request);
  });
  const QStringList servers{"--wait", "5000", text.Key(), "--game", "UT2004", binary.Key()};

  const TToolRun plain = RunTool(servers);
  ASSERT_EQ(plain.exitCode, 0) << plain.err.constData();
  const QList<QByteArray> rows = plain.out.split('\n');
  ASSERT_EQ(rows.size(), 4) << plain.out.constData();  // two servers, the summary, ""
  EXPECT_EQ(rows[2], "2 servers, 2 replied");
  for (int i = 0; i < 2; ++i) {
    const QList<QByteArray> columns = rows[i].split('\t');
    ASSERT_EQ(columns.size(), 6) << rows[i].constData();
    EXPECT_EQ(QString::fromUtf8(columns[5]), kHostileNamePlain);
    for (char c : rows[i]) EXPECT_TRUE(uchar(c) >= 0x20 || c == '\t') << int(c);
  }
  EXPECT_EQ(rows[1].split('\t')[3], "DM-");  // the escape and the three bytes after it

  const TToolRun json = RunTool(QStringList{"--json"} + servers);
  ASSERT_EQ(json.exitCode, 0) << json.err.constData();
  for (char c : json.out) EXPECT_TRUE(uchar(c) >= 0x20 || c == '\n') << int(c);
  const QList<QJsonObject> objects = JsonLines(json.out);
  ASSERT_EQ(objects.size(), 3);
  for (int i = 0; i < 2; ++i) {
    // Whatever the record keeps of the name, it reads back from the escaped JSON.
    const QString name = objects[i]["Description"].toString();
    EXPECT_TRUE(name.startsWith("Evil")) << qPrintable(name);
    EXPECT_EQ(PlainText(name), kHostileNamePlain);
    EXPECT_EQ(objects[i]["PlainDescription"].toString(), kHostileNamePlain);
  }
}

// --lan against the farm: every beacon and every UT2004 server is found once and queried with
// its players. A hostile beacon among them (junk, then its server, then 10,000 more answers)
// gives that one row, its names made harmless. Without --broadcast the settings' addresses serve.
TEST(toolsQueryCommand, LanFindsEveryFarmServerOnceAndAHostileBeaconOneRow) {
  constexpr int kUt = 6, kUt2004 = 3;
  const int beaconPort = testing::FreeUdpRun(11);
  ASSERT_NE(beaconPort, 0);
  const QString beacons = QString::number(beaconPort), lanPort = QString::number(beaconPort + 10);
  // The farm's six beacons take the first six ports; the hostile one sits on the last.
  QUdpSocket hostile;
  ASSERT_TRUE(hostile.bind(QHostAddress::LocalHost, quint16(beaconPort + 9),
                           QUdpSocket::DontShareAddress));
  FakeServer evil([](const QByteArray&) { return TextReply(kHostileName); });
  QByteArrayList answers{"ut 0", "ut 99999", "ut\x1b 1", "ut " + QByteArray::number(evil.Port())};
  for (int i = 0; i < 10000; ++i) answers << "ut " + QByteArray::number(1 + i);
  QObject::connect(&hostile, &QUdpSocket::readyRead, [&] {
    while (hostile.hasPendingDatagrams()) {
      const QNetworkDatagram query = hostile.receiveDatagram();
      // A batch per turn of the event loop, so the tool's socket keeps up.
      auto* timer = new QTimer(&hostile);
      auto next = std::make_shared<int>(0);
      QObject::connect(timer, &QTimer::timeout, &hostile, [&, timer, next, query] {
        for (int n = 0; n < 100 && *next < answers.size(); ++n)
          hostile.writeDatagram(answers[(*next)++], query.senderAddress(), quint16(query.senderPort()));
        if (*next == answers.size()) timer->stop();
      });
      timer->start(0);
    }
  });
  testing::FarmProcess farm(kUt, kUt2004, 3, {"--beacon-port", beacons, "--lan-port", lanPort});
  ASSERT_TRUE(farm.Start());
  ASSERT_TRUE(farm.StartLine().contains("beacons on UDP " + beacons + "-" +
                                        QString::number(beaconPort + 5)))
      << farm.StartLine().toStdString();

  const TToolRun run = RunTool({"--lan", "--broadcast", "127.0.0.1", "--beacon-port", beacons,
                                "--lan-port", lanPort, "--lan-wait", "1500", "--json"});
  ASSERT_EQ(run.exitCode, 0) << run.err.constData();
  for (char c : run.out) EXPECT_TRUE(uchar(c) >= 0x20 || c == '\n') << int(c);
  const QList<QJsonObject> lines = JsonLines(run.out);
  ASSERT_EQ(lines.size(), kUt + kUt2004 + 2) << run.out.constData();
  QStringList keys;
  for (int i = 0; i < kUt + kUt2004 + 1; ++i) {
    const QJsonObject& server = lines[i];
    keys << server["Key"].toString();
    EXPECT_EQ(server["Online"], QJsonValue(true)) << qPrintable(keys.last());
    EXPECT_EQ(server["Players"].toArray().size(), server["NumPlayers"].toString().toInt())
        << qPrintable(keys.last());
    if (keys.last() == evil.Key()) {
      EXPECT_EQ(server["PlainDescription"].toString(), kHostileNamePlain);
      EXPECT_EQ(server["Players"].toArray()[0].toObject()["Name"].toString(), "Bob");
    } else {
      const int index = server["Port"].toInt() - farm.Base();
      EXPECT_EQ(server["Game"].toString(), index < kUt ? "UT" : "UT2004");
    }
  }
  QStringList expected{evil.Key()};
  for (int i = 0; i < kUt + kUt2004; ++i) expected << "127.0.0.1:" + QString::number(farm.Base() + i);
  keys.sort();
  expected.sort();
  EXPECT_EQ(keys, expected);
  // How many of the flood arrive within the wait depends on the machine; the junk does.
  const QRegularExpressionMatch summary =
      QRegularExpression("LAN search: 10 servers found, (\\d+) answers dropped").match(run.err);
  ASSERT_TRUE(summary.hasMatch()) << run.err.constData();
  EXPECT_GE(summary.captured(1).toInt(), 3);

  // The same through the settings file: its addresses and its wait.
  QTemporaryDir dir;
  QFile ini(dir.filePath("zorvane.ini"));
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write("[settings]\nlanAddresses=127.0.0.1\nlanSearchWait=800\n");
  ini.close();
  const TToolRun set = RunTool({"--lan", "--dir", dir.path(), "--beacon-port", beacons,
                                "--lan-port", lanPort});
  ASSERT_EQ(set.exitCode, 0) << set.err.constData();
  EXPECT_TRUE(set.out.endsWith("\n10 servers, 10 replied\n")) << set.out.constData();
}

}  // namespace
}  // namespace zorvane

namespace zorvane {
namespace {

// Sends a text datagram that never ends a reply to whoever queried it, every 50 ms, forever.
class TTricklingServer {
 public:
  TTricklingServer() {
    socket_.bind(QHostAddress::LocalHost, 0);
    QObject::connect(&socket_, &QUdpSocket::readyRead, [this] {
      while (socket_.hasPendingDatagrams()) {
        const QNetworkDatagram request = socket_.receiveDatagram();
        client_ = request.senderAddress();
        clientPort_ = quint16(request.senderPort());
      }
      timer_.start(50);
    });
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      socket_.writeDatagram("\\hostname\\Trickle\\mapname\\DM-Deck16", client_, clientPort_);
    });
  }
  QString Key() const { return "127.0.0.1:" + QString::number(socket_.localPort()); }

 private:
  QUdpSocket socket_;
  QTimer timer_;
  QHostAddress client_;
  quint16 clientPort_ = 0;
};

TEST(toolsQueryCommand, TheWaitCountsFromTheLastDatagramThatCompletedSomething) {
  TTricklingServer trickle;
  FakeServer answering([](const QByteArray&) { return TextReply("Quick"); });
  QElapsedTimer clock;
  clock.start();
  const TToolRun run = RunTool({"--wait", "400", answering.Key(), trickle.Key()}, 8000);
  EXPECT_EQ(run.exitCode, 0) << run.err.constData();
  EXPECT_LT(clock.elapsed(), 5000);
  EXPECT_TRUE(run.out.contains("\n2 servers, ")) << run.out.constData();
}

}  // namespace
}  // namespace zorvane
