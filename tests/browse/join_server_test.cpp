// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/join_server.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include "config/game_tables.h"
#include "query/server_stash.h"

namespace zorvane {
namespace {

const QString kHint = "\r\nUse System/Game Exes to set up the paths to your game exes.";
const QString kBadExe = "The .EXE file is invalid (non-Win32 .EXE or error in .EXE image).";

// What a fake game (or the fake wine) saw when it ran.
struct TRun {
  QString program;
  QStringList arguments;
  QString folder;
  QString winePrefix;  // "(unset)" when not in its environment
};

class JoinServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    root = QFileInfo(dir.path()).canonicalFilePath();
  }

  QString At(const QString& relative) const { return root + u'/' + relative; }

  // A script that writes what it was started with into record; only shell built-ins, so it
  // runs with PATH holding nothing but the fake wine's folder.
  void WriteRecorder(const QString& relative, const QString& record) {
    QDir().mkpath(QFileInfo(At(relative)).path());
    QFile file(At(relative));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "#!/bin/sh\n{\n"
        "  printf 'program=%s\\n' \"$0\"\n"
        "  for a in \"$@\"; do printf 'arg=%s\\n' \"$a\"; done\n"
        "  printf 'folder=%s\\n' \"$(pwd -P)\"\n"
        "  printf 'prefix=%s\\n' \"${WINEPREFIX-(unset)}\"\n"
        "  printf 'end\\n'\n"
        "} > '" +
        record.toUtf8() + "'\n");
    file.close();
    file.setPermissions(file.permissions() | QFile::ExeOwner);
  }

  // A plain file: a Windows game for wine, or a native file that is not executable.
  void WriteFile(const QString& relative) {
    QDir().mkpath(QFileInfo(At(relative)).path());
    QFile file(At(relative));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("MZ");
  }

  void MakeWinePrefix(const QString& relative) {
    QDir().mkpath(At(relative + "/drive_c"));
    WriteFile(relative + "/system.reg");
  }

  // The record once complete; nothing after 5 s.
  static std::optional<TRun> WaitForRun(const QString& record) {
    QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
      QFile file(record);
      if (file.open(QIODevice::ReadOnly)) {
        const QString text = QString::fromUtf8(file.readAll());
        if (text.endsWith("end\n")) {
          TRun run;
          for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
            const QString value = line.section(u'=', 1);
            if (line.startsWith("program=")) run.program = value;
            if (line.startsWith("arg=")) run.arguments << value;
            if (line.startsWith("folder=")) run.folder = value;
            if (line.startsWith("prefix=")) run.winePrefix = value;
          }
          return run;
        }
      }
      QThread::msleep(20);
    }
    return std::nullopt;
  }

  QProcessEnvironment PathOnly(const QString& folder) const {
    QProcessEnvironment environment;
    environment.insert("PATH", folder);
    return environment;
  }

  QTemporaryDir dir;
  QString root;  // the temporary folder without links, as the scripts see it
};

// Real processes: the fake wine or the native script records how it was started.
TEST_F(JoinServerTest, StartsTheGameWithExactlyTheArgumentsItNeeds) {
  const QString record = At("record.txt");
  WriteRecorder("bin/wine", record);
  MakeWinePrefix("prefix");
  WriteFile("prefix/drive_c/UT/System/UnrealTournament.exe");
  WriteFile("games/UT2004/System/UT2004.EXE");
  WriteRecorder("games/ut/System/ut-bin", record);
  const QString hostile = "10.0.0.5; touch " + At("pwned") + " $(touch " + At("pwned2") +
                          ") `touch " + At("pwned3") + "` 'q' \"r\" | tee " + At("pwned4") + " & *";

  struct TCase {
    const char* name;
    QString exe;
    QString host;
    int queryPort;
    QString program;
    QStringList arguments;
    QString winePrefix;
  } cases[] = {
      {"windows game in a wine prefix",
       At("prefix/drive_c/UT/System/UnrealTournament.exe"),
       "10.0.0.5",
       7778,
       At("bin/wine"),
       {At("prefix/drive_c/UT/System/UnrealTournament.exe"), "10.0.0.5:7777"},
       At("prefix")},
      {"upper-case .EXE outside any prefix, query port 1",
       At("games/UT2004/System/UT2004.EXE"),
       "10.0.0.6",
       1,
       At("bin/wine"),
       {At("games/UT2004/System/UT2004.EXE"), "10.0.0.6:0"},
       "(unset)"},
      {"native game",
       At("games/ut/System/ut-bin"),
       "10.0.0.7",
       7778,
       At("games/ut/System/ut-bin"),
       {"10.0.0.7:7777"},
       "(unset)"},
      {"address with blanks and shell characters",
       At("games/ut/System/ut-bin"),
       hostile,
       7778,
       At("games/ut/System/ut-bin"),
       {hostile + ":7777"},
       "(unset)"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    QFile::remove(record);
    const TJoinPlan plan = PlanJoin(c.exe, c.host, c.queryPort, PathOnly(At("bin")));
    ASSERT_EQ(plan.failure, TJoinFailure::None);
    TDetachedLauncher launcher;
    ASSERT_TRUE(launcher.Start(plan.command));
    const std::optional<TRun> run = WaitForRun(record);
    ASSERT_TRUE(run);
    EXPECT_EQ(run->program, c.program);
    EXPECT_EQ(run->arguments, c.arguments);
    EXPECT_EQ(run->folder, QFileInfo(c.exe).path());  // the games read their INIs from there
    EXPECT_EQ(run->winePrefix, c.winePrefix);
  }
  for (const char* name : {"pwned", "pwned2", "pwned3", "pwned4"})
    EXPECT_FALSE(QFile::exists(At(name))) << name;
}

TEST_F(JoinServerTest, EachFailureHasItsMessage) {
  WriteRecorder("bin/wine", At("record.txt"));
  QDir().mkpath(At("nowine"));
  WriteFile("UT/System/UnrealTournament.exe");
  WriteFile("ut/System/ut-bin");  // not executable
  QDir().mkpath(At("ut/System/ucc-bin"));
  const QString missingFile = At("UT/System/Gone.exe");
  const QString missingFolder = At("Gone/System/UnrealTournament.exe");
  const QString oldWindowsPath = "C:\\UT\\System\\UnrealTournament.exe";
  struct TCase {
    QString exe;
    QString path;  // PATH of the environment
    TJoinFailure failure;
    QString text;
  } cases[] = {
      {missingFile, At("bin"), TJoinFailure::FileNotFound,
       "The specified file " + missingFile + " was not found." + kHint},
      {missingFolder, At("bin"), TJoinFailure::PathNotFound,
       "The specified path " + missingFolder + " is not valid." + kHint},
      {oldWindowsPath, At("bin"), TJoinFailure::PathNotFound,
       "The specified path " + oldWindowsPath + " is not valid." + kHint},
      {At("ut/System/ut-bin"), At("bin"), TJoinFailure::BadExecutable, kBadExe + kHint},
      {At("ut/System/ucc-bin"), At("bin"), TJoinFailure::BadExecutable, kBadExe + kHint},
      {At("UT/System/UnrealTournament.exe"), At("nowine"), TJoinFailure::WineMissing,
       kBadExe + kHint + "\r\nWindows games run under Wine, and no \"wine\" was found on PATH."},
      {At("UT/System/UnrealTournament.exe"), "", TJoinFailure::WineMissing,
       kBadExe + kHint + "\r\nWindows games run under Wine, and no \"wine\" was found on PATH."},
  };
  // This process's own PATH has a wine: a game's empty PATH must not fall back to it.
  const QByteArray ownPath = qgetenv("PATH");
  qputenv("PATH", At("bin").toUtf8() + ':' + ownPath);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.exe.toStdString() + " with PATH " + c.path.toStdString());
    const TJoinPlan plan = PlanJoin(c.exe, "10.0.0.5", 7778, PathOnly(c.path));
    EXPECT_EQ(plan.failure, c.failure);
    EXPECT_EQ(JoinFailureText(plan.failure, c.exe), c.text);
  }
  qputenv("PATH", ownPath);
  EXPECT_EQ(JoinFailureText(TJoinFailure::Unknown, "x"),
            "Failed to start game, unknown error." + kHint);
}

// JoinGame from the key to the start, with a launcher that records.
struct RecordingLauncher : TGameLauncher {
  bool Start(const TJoinCommand& command) override {
    started << command.CommandLine();
    return succeed;
  }
  QStringList started;
  bool succeed = true;
};

class JoinGameTest : public JoinServerTest {
 protected:
  void SetUp() override {
    JoinServerTest::SetUp();
    WriteRecorder("ut/System/ut-bin", At("record.txt"));
    AddGame("UT");
    AddType("CTFGame", "UT");
    AddType("Orphan", "Gone");  // names a game that is not listed
    ASSERT_TRUE(stash.AddServer("127.0.0.1", "7778", {}, false, "UT", "True", {}));
    server = stash.Find("127.0.0.1:7778");
    server->SetGameType("CTFGame");
  }
  void AddGame(const QString& name) {
    auto game = std::make_unique<TGame>();
    game->Name.Set(name);
    game->Value.Set("UT");
    tables.games.push_back(std::move(game));
    tables.paths.push_back(std::make_unique<TGameInfo>());
  }
  void AddType(const QString& name, const QString& game) {
    auto type = std::make_unique<TGameType>();
    type->Name.Set(name);
    type->Game.Set(game);
    tables.gameTypes.push_back(std::move(type));
  }
  TJoinOutcome Join(const QString& key = "127.0.0.1:7778") {
    return JoinGame(key, stash, tables, ask, launcher, PathOnly(At("bin")));
  }
  void SetExe(const QString& exe) { tables.FindPaths("UT")->ExePath.Set(exe); }

  TServerStash stash;
  TServer* server = nullptr;
  TGameTables tables;
  RecordingLauncher launcher;
  QStringList asked;
  TAskExePath ask = [this](const QString& game) {
    asked << game;
    return false;
  };
};

TEST_F(JoinGameTest, GameTypeAndGameMustBeKnown) {
  struct TCase {
    QString gameType;
    QString text;
  } cases[] = {
      {"",
       "The game type of '(blank)' is currently not supported. See GamePluginHelp.doc for "
       "more information."},
      {"Siege",
       "The game type of 'Siege' is currently not supported. See GamePluginHelp.doc "
       "for more information."},
      {"Orphan",
       "The game type of 'Orphan' does not have a game associated with it. Use the "
       "menu 'System/Game Types' to set this up."},
  };
  SetExe(At("ut/System/ut-bin"));
  for (const TCase& c : cases) {
    server->SetGameType(c.gameType);
    const TJoinOutcome outcome = Join();
    EXPECT_EQ(outcome.kind, TJoinOutcome::Information);
    EXPECT_EQ(outcome.text, c.text);
  }
  EXPECT_TRUE(launcher.started.isEmpty());
  EXPECT_EQ(Join("127.0.0.1:9999").kind, TJoinOutcome::Nothing);
}

TEST_F(JoinGameTest, AnEmptyExePathIsAskedForOnce) {
  TJoinOutcome outcome = Join();
  EXPECT_EQ(asked, QStringList{"UT"});
  EXPECT_EQ(outcome.kind, TJoinOutcome::Information);
  EXPECT_EQ(outcome.text, "No exe specified, cannot start game.");
  EXPECT_TRUE(launcher.started.isEmpty());

  ask = [this](const QString& game) {
    tables.FindPaths(game)->ExePath.Set(At("ut/System/ut-bin"));
    return true;
  };
  outcome = Join();
  EXPECT_EQ(outcome.kind, TJoinOutcome::Started);
  EXPECT_EQ(outcome.text, At("ut/System/ut-bin") + " 127.0.0.1:7777");
  EXPECT_EQ(launcher.started, QStringList{outcome.text});
}

TEST_F(JoinGameTest, StartsWithAddressOrUnresolvedNameAndReportsAFailedStart) {
  SetExe(At("ut/System/ut-bin"));
  server->SetIP("");
  server->SetDNSName("ut.example");
  TJoinOutcome outcome = Join();
  EXPECT_EQ(outcome.kind, TJoinOutcome::Started);
  EXPECT_EQ(outcome.text, At("ut/System/ut-bin") + " ut.example:7777");
  EXPECT_TRUE(asked.isEmpty());

  launcher.succeed = false;
  outcome = Join();
  EXPECT_EQ(outcome.kind, TJoinOutcome::Error);
  EXPECT_EQ(outcome.text, "Failed to start game, unknown error." + kHint);

  SetExe(At("ut/System/gone-bin"));
  outcome = Join();
  EXPECT_EQ(outcome.kind, TJoinOutcome::Error);
  EXPECT_EQ(outcome.text,
            "The specified file " + At("ut/System/gone-bin") + " was not found." + kHint);
}

}  // namespace
}  // namespace zorvane
