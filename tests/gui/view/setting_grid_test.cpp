// SPDX-License-Identifier: GPL-2.0-or-later
// A UT2004 server's settings in the view's setting grid, as a click on its row shows them.

#include <gtest/gtest.h>

#include <QTest>

#include "browse/server_rows.h"
#include "gui/grid/string_grid.h"
#include "gui/view/server_view.h"
#include "query/server_stash.h"
#include "support/binary_builder.h"
#include "support/fake_server.h"

namespace zorvane {
namespace {

using testing::BinaryBuilder;

// A setting the server leaves empty (AdminName="") is not shown, and every setting after it is.
TEST(SettingGridTest, AnEmptySettingHidesNoneOfTheSettingsAfterIt) {
  testing::FakeServer fake([](const QByteArray& request) -> QList<QByteArray> {
    switch (request.size() > 4 ? request[4] : -1) {
      case 0:
        return {BinaryBuilder::Info("Deck", "DM-Deck17", "xDeathMatch", 0, 16)};
      case 1:
        return {BinaryBuilder(1)
                    .Str("ServerMode").Str("dedicated")
                    .Str("AdminName").Str("")
                    .Str("AdminEmail").Str("ann@example.org")
                    .Str("MaxSpectators").Str("2")
                    .Bytes()};
      case 2:
        return {BinaryBuilder(2).Bytes()};
    }
    return {};
  });
  TServerStash stash;
  std::vector<std::unique_ptr<TGameType>> types;
  types.push_back(std::make_unique<TGameType>());
  types.back()->Name.Set("xDeathMatch");
  types.back()->TabVisible = true;
  TkorvUTServerView view;
  view.SetStash(&stash);
  view.SetGameTypes(&types);
  view.SetGameType("xDeathMatch");
  view.resize(900, 600);
  ASSERT_TRUE(stash.AddServer("127.0.0.1", QString::number(fake.Port()), {}, false, "UT2004",
                              "True", {}));
  TServer& server = *stash.Server(0);
  server.SetDescription("Deck");
  server.SetGameType("xDeathMatch");
  server.SetPing("30");
  ASSERT_TRUE(stash.AddServer("127.0.0.1", QString::number(testing::ClosedPort()), {}, false,
                              "UT2004", "True", {}));
  stash.Server(1)->SetDescription("Other");
  stash.Server(1)->SetGameType("xDeathMatch");
  stash.Server(1)->SetPing("40");
  QObject::connect(&stash, &TServerStash::OnServerUpdated, &view,
                   [&](const QString& key) { view.ServerUpdated(stash.IndexOf(key)); });
  view.SetPingServerOnSelect(true);
  view.PopulateServerGrid(true, true);
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  ASSERT_TRUE(view.SelectServer(stash.Key(1)));

  // A click on the server asks it again; its replies fill the details.
  TkorvStringGrid* grid = view.ServerGrid();
  const int row = view.FindServerRow(fake.Key());
  ASSERT_GE(row, grid->FixedRows());
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                    grid->visualRect(grid->model()->index(row - grid->FixedRows(), scServer)).center());
  ASSERT_EQ(view.SelectedServerKey(), fake.Key());
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return server.RepliesSeen == (rpInfo | rpRules | rpPlayers); }, 3000));
  QTest::qWait(50);
  QStringList shown;
  const TkorvStringGrid* settings = view.SettingGrid();
  for (int r = settings->FixedRows(); r < settings->RowCount(); ++r)
    shown << settings->Cells(stName, r) + '=' + settings->Cells(stValue, r);
  EXPECT_TRUE(shown.contains("ServerMode=dedicated")) << shown.join(", ").toStdString();
  EXPECT_TRUE(shown.contains("AdminEmail=ann@example.org")) << shown.join(", ").toStdString();
  EXPECT_TRUE(shown.contains("MaxSpectators=2")) << shown.join(", ").toStdString();
  EXPECT_FALSE(shown.join(',').contains("AdminName"));
}

}  // namespace
}  // namespace zorvane
