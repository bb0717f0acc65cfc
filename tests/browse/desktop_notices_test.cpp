// SPDX-License-Identifier: GPL-2.0-or-later
// Desktop notices through a private session bus to a fake notification service that records
// what it receives: the notice of a watched player or map, its "Join" action, markup, and a
// bus without a service.
#include <gtest/gtest.h>

#include <QDBusMessage>
#include <QSignalSpy>
#include <QTest>

#include "browse/desktop_notifier.h"
#include "browse/map_monitor.h"
#include "browse/player_monitor.h"
#include "browse/string_table_model.h"
#include "browse/watch_notices.h"
#include "config/settings.h"
#include "monitor_test_support.h"
#include "support/fake_notifications.h"
#include "support/private_bus.h"
#include "support/recording_sink.h"

namespace zorvane {
namespace {

using testing::FakeNotifications;

class DesktopNoticesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(bus.Running()) << "dbus-daemon did not start"; }
  testing::PrivateBus bus;
};

TEST_F(DesktopNoticesTest, AWatchedPlayerOrMapIsShownWithAJoinAction) {
  FakeNotifications service(bus.Connect("service"), false);
  ASSERT_TRUE(service.Register());
  TDesktopNotifier notifier(bus.Connect("program"));
  TServerStash stash;
  testing::AddKnownServer(stash, "The Pit", "CTF-Face", {"Zoë", "Rocketeer"});
  stash.Server(0)->SetNumPlayers("2");
  stash.Server(0)->SetMaxPlayers("16");
  TStringTableModel playerCells, mapCells;
  TPlayerMonitor players(stash, playerCells);
  TMapMonitor maps(stash, mapCells);
  TSettings settings;
  TWatchNotices notices(stash, settings, players, maps, notifier);
  players.LoadWatchedPlayers({"zoë"});
  maps.LoadWatchedMaps({"ctf-face"});

  players.RefreshPlayerMonitor();  // off by default: nothing
  settings.desktopNotifications = true;
  players.UpdatePlayerRow("zoë");  // already shown online: no second notice
  players.DeleteWatchedPlayer(players.FindPlayerRow("zoë"));
  testing::RecordingSink messages;
  players.AddWatchedPlayer("Rocketeer", messages);
  maps.UpdateMapMonitorForServer(stash.Key(0));
  QTRY_COMPARE(service.notices.size(), 2u);
  const auto& player = service.notices[0];
  EXPECT_EQ(player.app, "Zorvane");
  EXPECT_EQ(player.summary, "Rocketeer is online");
  EXPECT_EQ(player.body, "The Pit\nCTF-Face · 2/16 players\nZoë, Rocketeer");
  EXPECT_EQ(player.actions, QStringList({"join", "Join"}));
  EXPECT_EQ(player.hints.value("desktop-entry"), "io.github.zorvane.Zorvane");
  EXPECT_EQ(service.notices[1].summary, "CTF-Face started");

  QSignalSpy join(&notifier, &TDesktopNotifier::OnJoinRequested);
  service.Invoke(41, "join");
  ASSERT_TRUE(join.wait());
  EXPECT_EQ(join[0][0].toString(), "10.0.0.1:7778");
  service.Invoke(41, "default");  // only "Join" joins
  service.Invoke(99, "join");     // nor does a notice of another program
  service.Closed(42);
  service.Invoke(42, "join");  // nor one that was closed
  QTest::qWait(200);
  EXPECT_EQ(join.count(), 1);
}

TEST_F(DesktopNoticesTest, ABodyIsEscapedForAServiceThatReadsMarkup) {
  FakeNotifications service(bus.Connect("service"), true);
  ASSERT_TRUE(service.Register());
  TDesktopNotifier notifier(bus.Connect("program"));
  notifier.Notify({"<b>Zoë</b> is online", "Tom & <Jerry>", "10.0.0.1:7778"});
  QTRY_COMPARE(service.notices.size(), 1u);
  EXPECT_EQ(service.notices[0].summary, "<b>Zoë</b> is online");  // a summary is never markup
  EXPECT_EQ(service.notices[0].body, "Tom &amp; &lt;Jerry&gt;");
}

TEST_F(DesktopNoticesTest, WithoutAServiceNothingBreaksAndOneLineIsLogged) {
  TDesktopNotifier notifier(bus.Connect("program"));
  QSignalSpy log(&notifier, &TDesktopNotifier::OnLog);
  for (int i = 0; i < 3; ++i) {
    notifier.Notify({"Zoë is online", "The Pit", "10.0.0.1:7778"});
    QTest::qWait(100);
  }
  ASSERT_EQ(log.count(), 1);
  EXPECT_TRUE(log[0][0].toString().startsWith("Desktop notifications: no notification service"))
      << log[0][0].toString().toStdString();
  // A service that starts later gets the next notice.
  FakeNotifications service(bus.Connect("service"), false);
  ASSERT_TRUE(service.Register());
  notifier.Notify({"Zoë is online", "The Pit", "10.0.0.1:7778"});
  QTRY_COMPARE(service.notices.size(), 1u);
  EXPECT_EQ(log.count(), 1);

  TDesktopNotifier busless(QDBusConnection(QStringLiteral("never connected")));
  QSignalSpy busLog(&busless, &TDesktopNotifier::OnLog);
  busless.Notify({"Zoë is online", "", ""});
  busless.Notify({"Zoë is online", "", ""});
  ASSERT_EQ(busLog.count(), 1);
  EXPECT_EQ(busLog[0][0].toString(), "Desktop notifications: there is no session bus.");
}

TEST_F(DesktopNoticesTest, TheSessionBusIsOnlyTakenAtTheFirstNotice) {
  FakeNotifications service(bus.Connect("service"), false);
  ASSERT_TRUE(service.Register());
  // Set before this process first asks for its session bus.
  qputenv("DBUS_SESSION_BUS_ADDRESS", bus.Address().toUtf8());
  TDesktopNotifier notifier;
  notifier.Notify({"Zoë is online", "The Pit", "10.0.0.1:7778"});
  QTRY_COMPARE(service.notices.size(), 1u);
  QSignalSpy join(&notifier, &TDesktopNotifier::OnJoinRequested);
  service.Invoke(41, "join");
  ASSERT_TRUE(join.wait());
  EXPECT_EQ(join[0][0].toString(), "10.0.0.1:7778");
}

}  // namespace
}  // namespace zorvane

