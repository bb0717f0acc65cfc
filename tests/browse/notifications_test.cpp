// SPDX-License-Identifier: GPL-2.0-or-later
// Sounds by name, the timers that decide when they play, and the tray's state and tip.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include "browse/server_notifier.h"
#include "browse/sound_files.h"
#include "browse/tray_state.h"
#include "config/settings.h"
#include "query/server_stash.h"
#include "support/files.h"

namespace zorvane {
namespace {

struct RecordingPlayer : TSoundPlayer {
  void PlayFile(const QString& path) override {
    played << QFileInfo(path).fileName();
    when << clock.elapsed();
  }
  QStringList played;
  QList<qint64> when;
  QElapsedTimer clock;
};

// ---- Sound files

class SoundFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(start.isValid() && data.isValid());
    testing::Write(start.filePath("server.wav"), "start");
    testing::Write(start.filePath("Loud.WAV"), "x");
    testing::Write(start.filePath("notes.txt"), "x");
    QDir(start.path()).mkdir("folder.wav");
    testing::Write(data.filePath("server.wav"), "data");
    testing::Write(data.filePath("ready.wav"), "data");
    folders = SoundFolders(start.path(), {data.path(), "", data.path()});
  }
  QTemporaryDir start, data;
  QStringList folders;
};

TEST_F(SoundFilesTest, StartDirectoryComesFirstThenTheDataFolder) {
  EXPECT_EQ(folders.size(), 2);
  EXPECT_EQ(ResolveSoundFile("server.wav", folders), start.filePath("server.wav"));
  EXPECT_EQ(ResolveSoundFile("ready.wav", folders), data.filePath("ready.wav"));
  for (const char* name : {"missing.wav", "", "folder.wav", "../server.wav", "..", "a/b.wav"})
    EXPECT_EQ(ResolveSoundFile(name, folders), "") << name;
}

TEST_F(SoundFilesTest, ChoicesListEachWaveFileOnceAfterNoSound) {
  EXPECT_EQ(SoundChoices(folders),
            (QStringList{"[no sound]", "Loud.WAV", "server.wav", "ready.wav"}));
  EXPECT_EQ(SoundChoices({}), QStringList{"[no sound]"});
}

TEST_F(SoundFilesTest, NoSoundAndMissingFilesPlayNothing) {
  RecordingPlayer player;
  QStringList log;
  const auto logLine = [&log](const QString& line) { log << line; };
  PlaySoundFile("[no sound]", folders, player, logLine);
  PlaySoundFile("", folders, player, logLine);
  EXPECT_TRUE(log.isEmpty());
  PlaySoundFile("gone.wav", folders, player, logLine);
  EXPECT_EQ(log, QStringList{"Sound file not found: gone.wav"});
  EXPECT_TRUE(player.played.isEmpty());
  PlaySoundFile("ready.wav", folders, player, logLine);
  EXPECT_EQ(player.played, QStringList{"ready.wav"});
}

// ---- Timers

class ServerNotifierTest : public ::testing::Test {
 protected:
  // Short intervals stand in for 2000 / 2000 / 750 ms; their ratios are kept.
  static constexpr int kServerMs = 200;
  static constexpr int kPlayerMs = 75;

  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    for (const char* name : {"server.wav", "ready.wav", "player.wav", "other.wav"})
      testing::Write(dir.filePath(name), "RIFF");
    notifier.ServerOnlineTimer().setInterval(kServerMs);
    notifier.ServerPopulatedTimer().setInterval(kServerMs);
    notifier.PlayerOnlineTimer().setInterval(kPlayerMs);
    player.clock.start();
  }
  void Reply(bool cameOnline, bool becamePopulated, bool selected = true) {
    server.CameOnline = cameOnline;
    server.BecamePopulated = becamePopulated;
    notifier.ServerReplied(server, selected);
  }
  // Waits until the timers are quiet (a little longer than the longest).
  void Settle() { QTest::qWait(kServerMs + 150); }

  QTemporaryDir dir;
  TSettings settings;
  RecordingPlayer player;
  TServerNotifier notifier{settings, player, {dir.path()}};
  TServer server;
};

TEST_F(ServerNotifierTest, TwoQuickComingOnlineRepliesGiveOneSoundAfterTheSecond) {
  // A longer wait here: a loaded machine must not let the first timer run out between the two.
  constexpr int kWaitMs = 1000;
  notifier.ServerOnlineTimer().setInterval(kWaitMs);
  Reply(true, false);
  QTest::qWait(50);
  const qint64 second = player.clock.elapsed();
  Reply(true, false);
  QTest::qWait(kWaitMs + 300);
  EXPECT_EQ(player.played, QStringList{"server.wav"});
  ASSERT_EQ(player.when.size(), 1);
  EXPECT_GE(player.when[0] - second, kWaitMs - 5);  // a timer may fire a hair early
}

TEST_F(ServerNotifierTest, WhichSoundARepliesFlagsPlay) {
  struct Case {
    const char* populatedSound;
    bool cameOnline, becamePopulated, selected;
    QStringList played;
  };
  const Case cases[] = {
      {"ready.wav", true, false, true, {"server.wav"}},
      {"ready.wav", false, false, true, {}},
      // coming online with players plays only the populated sound
      {"ready.wav", true, true, true, {"ready.wav"}},
      {"ready.wav", false, true, true, {"ready.wav"}},
      // with the populated sound off, coming online with players plays the online sound
      {"[no sound]", true, true, true, {"server.wav"}},
      {"[no sound]", false, true, true, {}},
      // another server than the selected one never plays
      {"ready.wav", true, false, false, {}},
      {"ready.wav", true, true, false, {}},
  };
  for (const Case& c : cases) {
    player.played.clear();
    settings.serverPopulatedSound = c.populatedSound;
    Reply(c.cameOnline, c.becamePopulated, c.selected);
    Settle();
    EXPECT_EQ(player.played, c.played) << c.populatedSound << ' ' << c.cameOnline << ' '
                                       << c.becamePopulated << ' ' << c.selected;
  }
}

TEST_F(ServerNotifierTest, TheSoundIsTheSettingWhenTheTimerFires) {
  Reply(true, false);
  settings.serverOnlineSound = "other.wav";
  notifier.PlayerCameOnline();
  settings.playerOnlineSound = "[no sound]";
  Settle();
  EXPECT_EQ(player.played, QStringList{"other.wav"});
}

TEST_F(ServerNotifierTest, PlayerComingOnlinePlaysItsSoundSooner) {
  Reply(true, false);
  notifier.PlayerCameOnline();
  notifier.PlayerCameOnline();
  Settle();
  EXPECT_EQ(player.played, (QStringList{"player.wav", "server.wav"}));
}

TEST_F(ServerNotifierTest, StoppingSilencesWhatIsPending) {
  Reply(true, false);
  Reply(false, true);
  notifier.PlayerCameOnline();
  notifier.StopTimers();
  Settle();
  EXPECT_TRUE(player.played.isEmpty());
}

// ---- Tray

TEST(TrayStateTest, StateAndTipFollowTheServer) {
  TServerStash stash;
  stash.AddServer("10.0.0.1", "7778", {}, false, "UT", "True", {});
  TServer* server = stash.Find("10.0.0.1:7778");
  const auto players = [server](int n) {
    for (int slot = 0; slot < kPlayerSlots; ++slot)
      server->SetPlayerText(slot, TPlayerField::Name, slot < n ? QString("p" + QString::number(slot)) : QString());
  };
  struct Case {
    const char* ping;
    int players;
    QString map;
    TTrayState expected;
  };
  const QString longMap(80, u'x');
  const Case cases[] = {
      {"9999", 3, "DM-Deck16", {0, "offline"}},
      {"...", 0, "", {0, "offline"}},
      {"40", 0, "", {1, "0 players"}},
      {"40", 0, "DM-Deck16", {1, "0 players in DM-Deck16"}},
      {"40", 1, "DM-Deck16", {2, "1 player in DM-Deck16"}},
      {"40", 1, "", {2, "1 player"}},
      {"40", 2, "CTF-Face", {2, "2 players in CTF-Face"}},
      {"40", 32, longMap, {2, QString("32 players in " + longMap).left(63)}},
  };
  for (const Case& c : cases) {
    server->SetPing(c.ping);
    players(c.players);
    server->SetMapName(c.map);
    EXPECT_EQ(TrayStateOf(stash, "10.0.0.1:7778"), c.expected) << c.ping << ' ' << c.players;
  }
  EXPECT_EQ(TrayStateOf(stash, "10.0.0.1:7778").tip.size(), 63);
  EXPECT_EQ(TrayStateOf(stash, "setup"), (TTrayState{0, "no server"}));
  EXPECT_EQ(TrayStateOf(stash, "10.0.0.2:7778"), (TTrayState{0, "no server"}));
  EXPECT_EQ(TrayStateOf(stash, ""), (TTrayState{0, "no server"}));
}

TEST(TrayStateTest, EachGroupHasThreeImagesOfItsOwn) {
  EXPECT_EQ(TrayImageIndex(5, 0), 12);
  EXPECT_EQ(TrayImageIndex(5, 1), 13);
  EXPECT_EQ(TrayImageIndex(5, 2), 14);
  EXPECT_EQ(TrayImageIndex(1, 0), 0);
  EXPECT_EQ(TrayImageIndex(2, 2), 5);
  EXPECT_EQ(TrayImageIndex(0, 1), 1);  // an unknown group is group 1
  EXPECT_EQ(TrayImageIndex(6, 2), 2);
}

}  // namespace
}  // namespace zorvane
