// SPDX-License-Identifier: GPL-2.0-or-later
// The server history in the window, on a settings folder holding a history file from earlier
// sessions: the chart of the selected server, the favourites' Busiest column shown through the
// header menu, the player monitor's Last Seen after the restart, and a watched player's desktop
// notice once the option is ticked in Options, through a private bus to a fake service.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include "browse/server_rows.h"
#include "gui/dialogs/options_dialog.h"
#include "gui/grid/string_grid.h"
#include "gui/view/history_chart.h"
#include "gui/window/history_controller.h"
#include "gui/window/main_window.h"
#include "gui/window/monitors_controller.h"
#include "history/history_store.h"
#include "support/fake_notifications.h"
#include "support/files.h"
#include "support/private_bus.h"
#include "support/recording_dialogs.h"

namespace zorvane {
namespace {

using testing::RecordingDialogs;
using testing::WhenModal;

const QString kKey = QStringLiteral("127.0.0.1:7778");

class HistoryWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }

  // Four evenings busy from 20:00 to 23:00 local time, a sample every half hour until now, and
  // Ghost seen on the server two hours ago: what earlier sessions left.
  void SeedHistory() {
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    THistoryBatch batch;
    for (qint64 t = now - 4 * 86400; t < now; t += 1800) {
      const int hour = QDateTime::fromSecsSinceEpoch(t).time().hour();
      batch.samples.push_back({kKey, {t, hour >= 20 && hour < 23 ? 14 : 2, 16, "CTF-Face"}});
    }
    batch.sightings.push_back({"Ghost", kKey, "The Pit", now - 2 * 3600});
    THistoryStore store(dir.filePath("history.sqlite"));
    ASSERT_TRUE(store.Open(now));
    store.Write(std::move(batch), now);
    store.Close();
  }

  void Start(const QString& bus = {}) {
    testing::Write(dir.filePath("zorvane.ini"),
                   "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\n"
                   "autoPingServer=0\n[player]\nplayerCount=1\nplayer[0]=Ghost\n");
    TStartOptions options;
    options.directory = dir.path();
    options.dialogs = &dialogs;
    options.gameSearch = TGameSearchPlaces{};
    options.notificationBus = bus;
    window = std::make_unique<TfrmZorvane>(options);
    window->FirstShow();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }

  // The favourite "The Pit" with the given players, listed in the favourites.
  TServer* AddFavorite(const QStringList& players) {
    TServerStash& stash = window->Stash();
    stash.AddServer("127.0.0.1", "7778", {}, true, "UT", "True", "The Pit");
    TServer* server = stash.Find(kKey);
    server->SetDescription("The Pit");
    server->SetGameType("CTFGame");
    server->SetMapName("CTF-Face");
    server->SetNumPlayers(QString::number(players.size()));
    server->SetMaxPlayers("16");
    for (int slot = 0; slot < players.size(); ++slot)
      server->SetPlayerText(slot, TPlayerField::Name, players[slot]);
    window->FavoritesView()->PopulateServerGrid(true, true);
    return server;
  }

  QTemporaryDir dir;
  RecordingDialogs dialogs;
  std::unique_ptr<TfrmZorvane> window;
};

TEST_F(HistoryWindowTest, ChartBusiestColumnAndLastSeenComeFromAnEarlierSessionsFile) {
  SeedHistory();
  Start();
  TkorvStringGrid* monitor = window->Monitors().PlayerGrid();
  // Seen two hours ago on The Pit, read back from the file at start.
  QTRY_COMPARE(monitor->Cells(THistoryController::kLastSeenCol, 1), QString("2 h ago"));
  EXPECT_EQ(monitor->Cells(THistoryController::kLastServerCol, 1), "The Pit");
  EXPECT_EQ(monitor->Cells(THistoryController::kLastSeenCol, 0), "Last Seen");

  AddFavorite({});
  TkorvUTServerView* favorites = window->FavoritesView();
  window->Pages()->setCurrentWidget(favorites);
  TkorvStringGrid* grid = favorites->ServerGrid();
  const int row = grid->FindRowByKey(kKey);
  ASSERT_GE(row, 0);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                    grid->visualRect(grid->model()->index(row, scServer)).center());
  auto* chart = THistoryController::ChartOf(favorites);
  ASSERT_TRUE(chart);
  // Shown where the settings' columns leave room for it.
  window->resize(1360, 740);
  QTRY_VERIFY(chart->isVisible());
  EXPECT_EQ(chart->Data().samples.size(), 4u * 48u);  // every one of them within the week
  EXPECT_EQ(chart->BusyLine(), QString::fromUtf8("usually busiest 20:00–23:00"));
  QTest::mouseClick(chart->WeekButton(), Qt::LeftButton);
  EXPECT_EQ(chart->Range(), THistoryRange::Week);

  // The Busiest column, off by default, shown from the header's menu.
  EXPECT_EQ(favorites->ServerColWidth(scBusy), 0);
  bool clicked = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu || !menu->isVisible()) return;
    poll.stop();
    QAction* item = menu->findChild<QAction*>("pmiColumnBusiest");
    ASSERT_TRUE(item && item->isVisible());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    clicked = true;
  });
  poll.start(5);
  QWidget* header = grid->horizontalHeader()->viewport();
  QTest::mouseClick(window->windowHandle(), Qt::RightButton, {},
                    header->mapTo(window.get(), QPoint(30, 5)));
  QTRY_VERIFY(clicked);
  EXPECT_GT(favorites->ServerColWidth(scBusy), 0);
  QTRY_COMPARE(grid->Cells(scBusy, grid->FindRowByKey(kKey)), QString::fromUtf8("20:00–23:00"));
  // Other views follow the widths but have no busy hours.
  EXPECT_EQ(window->View("CTFGame")->ServerColWidth(scBusy), 0);
  window->close();
  EXPECT_TRUE(testing::Read(dir.filePath("zorvane.ini")).contains("colWidth[9]="));
}

TEST_F(HistoryWindowTest, TickedDesktopNotificationsShowAWatchedPlayerComingOnline) {
  testing::PrivateBus bus;
  ASSERT_TRUE(bus.Running()) << "dbus-daemon did not start";
  testing::FakeNotifications service(bus.Connect("service"), false);
  ASSERT_TRUE(service.Register());
  Start(bus.Address());
  bool ticked = false;
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<TfrmOptions*>(modal);
    ASSERT_TRUE(dialog);
    QCheckBox* box = dialog->CheckBox("desktopNotifications");
    ASSERT_TRUE(box);
    EXPECT_FALSE(box->isChecked());  // off by default
    EXPECT_EQ(box->text(), "Desktop notifications");
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    ticked = box->isChecked();
    dialog->accept();
  });
  QTest::keyClick(window.get(), Qt::Key_F11);
  ASSERT_TRUE(ticked);
  EXPECT_TRUE(window->Config().settings.desktopNotifications);

  AddFavorite({"Ghost", "Rocketeer"});
  Q_EMIT window->Stash().OnServerUpdated(kKey);
  QTRY_COMPARE(service.notices.size(), 1u);
  EXPECT_EQ(service.notices[0].summary, "Ghost is online");
  EXPECT_TRUE(service.notices[0].body.startsWith("The Pit\nCTF-Face")) <<
      service.notices[0].body.toStdString();
  EXPECT_EQ(service.notices[0].actions, QStringList({"join", "Join"}));
  // Online now: the monitor says so.
  QTRY_COMPARE(window->Monitors().PlayerGrid()->Cells(THistoryController::kLastSeenCol, 1),
               QString("now"));
}

}  // namespace
}  // namespace zorvane
