// SPDX-License-Identifier: GPL-2.0-or-later
// Notifications in the window: the selected server's sounds, the watched players' sound, the
// tray icon and tip, the sound and icon dialogs, and the version check's status text.
#include <gtest/gtest.h>

#include <map>

#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "browse/server_notifier.h"
#include "browse/sound_files.h"
#include "browse/version_check.h"
#include "gui/controls/korv_combobox.h"
#include "gui/dialogs/sounds_dialog.h"
#include "gui/view/status_line.h"
#include "gui/window/main_window.h"
#include "gui/window/monitors_controller.h"
#include "gui/window/notifications_controller.h"
#include "support/files.h"
#include "support/recording_dialogs.h"
#include "support/web_host.h"

namespace zorvane {
namespace {

using testing::RecordingDialogs;
using testing::WhenModal;

struct RecordingPlayer : TSoundPlayer {
  void PlayFile(const QString& path) override {
    played << QFileInfo(path).fileName();
    if (clock) after << clock->elapsed();
  }
  QStringList played;
  const QElapsedTimer* clock = nullptr;  // when set, the time of each sound
  QList<qint64> after;
};

class NotifyInWindowTest : public ::testing::Test {
 protected:
  void Start(const QByteArray& extra = {}, bool shortTimers = true) {
    ASSERT_TRUE(dir.isValid() && data.isValid());
    for (const char* name : {"server.wav", "ready.wav", "player.wav"})
      testing::Write(data.filePath(name), "RIFF");
    testing::Write(dir.filePath("mine.wav"), "RIFF");
    testing::Write(dir.filePath("zorvane.ini"),
                   "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\n"
                   "autoPingServer=0\n" +
                       extra);
    TStartOptions options;
    options.gameSearch = TGameSearchPlaces{};  // none of this machine's games
    options.directory = dir.path();
    options.dialogs = &dialogs;
    options.sounds = &player;
    options.soundDataFolders = {data.path()};
    window = std::make_unique<TfrmZorvane>(options);
    window->FirstShow();
    if (!shortTimers) return;
    // Short intervals keep the waits short.
    window->Notifications().Notifier().ServerOnlineTimer().setInterval(50);
    window->Notifications().Notifier().ServerPopulatedTimer().setInterval(50);
    window->Notifications().Notifier().PlayerOnlineTimer().setInterval(50);
  }

  TServer* AddServer(const QString& port, const QString& ping, int players,
                     const QString& map = "CTF-Face") {
    TServerStash& stash = window->Stash();
    stash.AddServer("127.0.0.1", port, {}, false, "UT", "True", {});
    TServer* server = stash.Find("127.0.0.1:" + port);
    server->SetDescription("Server " + port);
    server->SetGameType("CTFGame");
    server->SetPing(ping);
    server->SetMapName(map);
    for (int slot = 0; slot < players; ++slot)
      server->SetPlayerText(slot, TPlayerField::Name, QString("p" + QString::number(slot)));
    return server;
  }
  // Shows the CTF tab with its servers listed and key selected.
  TkorvUTServerView* Select(const QString& key) {
    TkorvUTServerView* view = window->View("CTFGame");
    window->Pages()->setCurrentWidget(view);
    view->PopulateServerGrid(true, true);
    EXPECT_TRUE(view->SelectServer(key));
    return view;
  }
  void Reply(TServer* server, bool cameOnline, bool becamePopulated) {
    server->CameOnline = cameOnline;
    server->BecamePopulated = becamePopulated;
    for (int i = 0; i < window->Stash().Count(); ++i)
      if (window->Stash().Server(i) == server) Q_EMIT window->Stash().OnServerUpdated(window->Stash().Key(i));
  }

  QTemporaryDir dir, data;
  RecordingDialogs dialogs;
  RecordingPlayer player;
  std::unique_ptr<TfrmZorvane> window;
};

TEST_F(NotifyInWindowTest, TheSelectedServerComingOnlinePlaysTheOnlineSound) {
  Start();
  TServer* selected = AddServer("7778", "40", 0);
  TServer* other = AddServer("7780", "40", 0);
  Select("127.0.0.1:7778");
  Reply(other, true, true);
  QTest::qWait(150);
  EXPECT_TRUE(player.played.isEmpty());
  Reply(selected, true, false);
  QTest::qWait(150);
  EXPECT_EQ(player.played, QStringList{"server.wav"});
  player.played.clear();
  Reply(selected, false, true);
  QTest::qWait(150);
  EXPECT_EQ(player.played, QStringList{"ready.wav"});
}

TEST_F(NotifyInWindowTest, AWatchedPlayerComingOnlinePlaysThePlayerSound) {
  Start("playerOnlineSound=mine.wav\n[player]\nplayerCount=1\nplayer[0]=p0\n");
  TServer* server = AddServer("7778", "40", 1);
  Reply(server, false, false);
  QTest::qWait(150);
  EXPECT_EQ(player.played, QStringList{"mine.wav"});
}

// The intervals the program ships with: the selected server's sounds two seconds after its
// reply, a watched player's three quarters of a second after the reply that shows him.
TEST_F(NotifyInWindowTest, EachSoundWaitsItsShippedInterval) {
  Start("[player]\nplayerCount=1\nplayer[0]=p0\n", false);
  TServer* server = AddServer("7778", "40", 1);
  Select("127.0.0.1:7778");
  QElapsedTimer clock;
  player.clock = &clock;
  clock.start();
  Reply(server, true, false);  // online, and the watched player is on it
  Reply(server, false, true);  // then populated
  ASSERT_TRUE(QTest::qWaitFor([&] { return player.played.size() == 3; }, 6000))
      << player.played.join(' ').toStdString();
  const std::map<QString, qint64> shipped = {
      {"player.wav", 750}, {"server.wav", 2000}, {"ready.wav", 2000}};
  for (int i = 0; i < 3; ++i) {
    const qint64 ms = shipped.at(player.played[i]);
    EXPECT_GE(player.after[i], ms) << player.played[i].toStdString();
    EXPECT_LT(player.after[i], ms + 1000) << player.played[i].toStdString();
  }
  EXPECT_EQ(player.played[0], "player.wav");
}

TEST_F(NotifyInWindowTest, AMassRefreshSilencesPendingSounds) {
  Start();
  TServer* server = AddServer("7778", "40", 0);
  Select("127.0.0.1:7778");
  window->Notifications().Notifier().ServerOnlineTimer().setInterval(300);
  Reply(server, true, false);
  window->MassRefresh().Masters["UT"] = {{"127.0.0.1", quint16(1)}};  // refused at once
  window->StartMassRefresh();
  QTest::qWait(400);
  EXPECT_TRUE(player.played.isEmpty());
}

TEST_F(NotifyInWindowTest, TheTrayFollowsTheSelectedServerAndTheIconGroup) {
  Start();
  EXPECT_EQ(window->Notifications().TrayImage(), 0);
  EXPECT_EQ(window->Notifications().TrayTip(), "no server");
  TServer* server = AddServer("7778", "9999", 0, "");
  Select("127.0.0.1:7778");
  EXPECT_EQ(window->Notifications().TrayImage(), 0);
  EXPECT_EQ(window->Notifications().TrayTip(), "offline");
  server->SetPing("40");
  Reply(server, true, false);
  EXPECT_EQ(window->Notifications().TrayImage(), 1);
  EXPECT_EQ(window->Notifications().TrayTip(), "0 players");
  server->SetPlayerText(0, TPlayerField::Name, u"Alice");
  server->SetMapName("CTF-Face");
  Reply(server, false, true);
  EXPECT_EQ(window->Notifications().TrayTip(), "1 player in CTF-Face");
  EXPECT_EQ(window->Notifications().TrayImage(), 2);
  window->Notifications().ApplyIconGroup(5);
  EXPECT_EQ(window->Notifications().TrayImage(), 14);
  EXPECT_EQ(window->Config().settings.iconGroup, 5);
  // Away from the server tabs the new group shows the "setup" state.
  window->Pages()->setCurrentIndex(window->Pages()->count() - 1);
  window->Notifications().ApplyIconGroup(3);
  EXPECT_EQ(window->Notifications().TrayImage(), 6);
  EXPECT_EQ(window->Notifications().TrayTip(), "no server");
  EXPECT_FALSE(window->windowIcon().isNull());
}

TEST_F(NotifyInWindowTest, SoundsDialogStoresTheChoicesOnOk) {
  Start();
  WhenModal([](QWidget* modal) {
    auto* sounds = qobject_cast<TfrmSounds*>(modal);
    ASSERT_NE(sounds, nullptr);
    EXPECT_EQ(sounds->List(0)->Items(),
              (QStringList{"[no sound]", "mine.wav", "player.wav", "ready.wav", "server.wav"}));
    sounds->List(0)->Combobox()->setCurrentText("mine.wav");
    sounds->List(1)->Combobox()->setCurrentText("[no sound]");
    sounds->Preview(0);
    sounds->accept();
  });
  window->FindWindowAction("actOptionsSound")->trigger();
  const TSettings& s = window->Config().settings;
  EXPECT_EQ(s.serverOnlineSound, "mine.wav");
  EXPECT_EQ(s.serverPopulatedSound, "[no sound]");
  EXPECT_EQ(s.playerOnlineSound, "player.wav");
  EXPECT_EQ(player.played, QStringList{"mine.wav"});
}

TEST_F(NotifyInWindowTest, ANewerVersionShowsHighlightedInEveryStatusBar) {
  testing::WebHost host({"HTTP/1.1 200 OK\r\n\r\nzorvaneversion=2.95"});
  Start("autoCheckNewVersion=0\nversionHost=" + host.Setting().toLatin1() + "\n");
  EXPECT_EQ(window->Monitors().PlayerStatus()->PanelText(1), " Version 2.91");
  QSignalSpy ended(&window->Notifications().VersionCheck(), &TVersionCheck::OnEnded);
  window->Notifications().StartVersionCheck();
  ASSERT_TRUE(ended.wait(5000));
  for (TStatusLine* bar : {window->Monitors().PlayerStatus(), window->Monitors().MapStatus(),
                           window->FavoritesView()->StatusLine()}) {
    EXPECT_EQ(bar->PanelText(1), " Version 2.95 is available");
    EXPECT_TRUE(bar->Panel1Highlighted());
  }
}

TEST_F(NotifyInWindowTest, TheCheckRunsAtStartOnlyWhenSwitchedOn) {
  testing::WebHost host({"HTTP/1.1 200 OK\r\n\r\nzorvaneversion=2.95"});
  Start("versionHost=" + host.Setting().toLatin1() + "\n");
  EXPECT_TRUE(window->Notifications().VersionCheck().Running());
  window->close();  // closing ends it
  EXPECT_FALSE(window->Notifications().VersionCheck().Running());
  window.reset();
  Start("autoCheckNewVersion=0\nversionHost=" + host.Setting().toLatin1() + "\n");
  EXPECT_FALSE(window->Notifications().VersionCheck().Running());
}

TEST_F(NotifyInWindowTest, DebugMenuStartsAndClosesTheCheck) {
  testing::WebHost host({});
  Start("autoCheckNewVersion=0\nversionHost=" + host.Setting().toLatin1() + "\n");
  QAction* start = window->FindWindowAction("miStartVersionCheck");
  QAction* close = window->FindWindowAction("miCloseVersionCheck");
  ASSERT_TRUE(start && close);
  auto* menu = window->findChild<QMenu*>("miDebug");
  ASSERT_NE(menu, nullptr);
  EXPECT_FALSE(menu->menuAction()->isVisible());
  window->FindWindowAction("actDebug")->trigger();
  EXPECT_TRUE(menu->menuAction()->isVisible());
  start->trigger();
  EXPECT_TRUE(window->Notifications().VersionCheck().Running());
  close->trigger();
  EXPECT_FALSE(window->Notifications().VersionCheck().Running());
}

}  // namespace
}  // namespace zorvane
