// SPDX-License-Identifier: GPL-2.0-or-later
// A whole mass refresh of 500 farm servers through the controller the window uses.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>

#include "browse/mass_refresh.h"
#include "query/server_stash.h"
#include "support/farm_process.h"

namespace zorvane {
namespace {

struct Host : TMassRefreshHost {
  explicit Host(QEventLoop& loop) : loop(loop) {}
  void ActivityLog(const QString& text) override { activity << text; }
  void DebugLog(const QString&) override {}
  void ShowStatus(const QString& text) override { status << text; }
  void RebuildViews() override { ++rebuilds; }
  bool ShowLowReplyNotice(const QString& text) override {
    notices << text;
    return false;
  }
  void MassRefreshFinished() override { loop.quit(); }
  QEventLoop& loop;
  QStringList activity, status, notices;
  int rebuilds = 0;
};

TEST(FarmMassRefreshTest, FiveHundredServersAllReplyAndEveryViewRebuildsOnce) {
  testing::FarmProcess farm(500, 0, 77);
  ASSERT_TRUE(farm.Start()) << farm.Process().readAllStandardError().constData();

  TServerStash stash;
  QEventLoop loop;
  Host host(loop);
  TMassRefresh refresh(stash, host);
  refresh.Masters["UT"] = {{"127.0.0.1", farm.MasterPort()}};
  QObject::connect(&stash, &TServerStash::OnServerUpdated, &refresh,
                   [&](const QString& key) { refresh.ServerUpdated(key); });
  ASSERT_TRUE(refresh.StartMassRefresh("UT")) << host.status.join(" | ").toStdString();
  QTimer::singleShot(60000, &loop, &QEventLoop::quit);
  loop.exec();

  EXPECT_EQ(refresh.ServersListed(), 500);
  EXPECT_EQ(stash.Count(), 500);
  EXPECT_EQ(host.rebuilds, 1);
  EXPECT_FALSE(refresh.MassRefreshing());
  EXPECT_EQ(refresh.ReplyPercent(), 100);
  EXPECT_TRUE(host.notices.isEmpty());
  EXPECT_TRUE(host.status.contains("Waiting for replies..."));
  EXPECT_EQ(host.status.last(), "500 total servers");
  int replied = 0;
  for (int i = 0; i < stash.Count(); ++i) {
    const TServer& server = *stash.Server(i);
    replied += server.Online;
    EXPECT_FALSE(server.MapName().isEmpty()) << stash.Key(i).toStdString();
  }
  EXPECT_EQ(replied, 500);
}

}  // namespace
}  // namespace zorvane
