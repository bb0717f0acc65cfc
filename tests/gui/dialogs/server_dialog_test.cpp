// SPDX-License-Identifier: GPL-2.0-or-later
// The favourite dialog through its widgets: OK's checks, the boxes it offers and the
// association mode.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "gui/controls/korv_combobox.h"
#include "gui/controls/korv_edit.h"
#include "gui/dialogs/server_dialog.h"
#include "support/recording_dialogs.h"

namespace zorvane {
namespace {

using testing::RecordingDialogs;
using testing::WhenModal;

struct ValidationCase {
  const char* ip;
  const char* version;
  const char* port;
  QStringList errors;
  const char* acceptedIP = "127.0.0.1";  // the fields after OK
  const char* acceptedPort = "7777";
};

TEST(ServerDialogTest, OkChecksEachFieldAndStaysOpenOnAFailure) {
  const QString range = "The server port must be from 1 to 65534.";
  const QString host = "The server IP must be an IP address or a host name.";
  const ValidationCase cases[] = {
      {"127.0.0.1", "UT", "7777", {}},
      {"", "UT", "7777", {"You must specify an IP."}},
      {"127.0.0.1", "", "7777", {"You must specify a version."}},
      {"127.0.0.1", "UT", "", {"You must specify the server port."}},
      {"127.0.0.1", "UT", "77x7", {"The server port must be numeric."}},
      {"",
       "",
       "",
       {"You must specify an IP.", "You must specify a version.",
        "You must specify the server port."}},
      // The query port, one above the game port, must be a port.
      {"127.0.0.1", "UT", "2147483647", {range}},
      {"127.0.0.1", "UT", "99999999999999999999", {range}},
      {"127.0.0.1", "UT", "65535", {range}},
      {"127.0.0.1", "UT", "0", {range}},
      {"127.0.0.1", "UT", "-5", {range}},
      {"127.0.0.1", "UT", "65534", {}, "127.0.0.1", "65534"},
      // Blanks around the fields go; "host:port" typed as the address is split, its port wins.
      {" 127.0.0.1 ", "UT", " 7777 ", {}},
      {"127.0.0.1:7777", "UT", "", {}},
      {" 127.0.0.1:7777", "UT", "7000", {}},
      {"127.0.0.1:77x", "UT", "7777", {host}},
      {"127.0.0.1:70000", "UT", "", {range}},
      {"host\\name", "UT", "7777", {host}},
      {"127.0.0 .1", "UT", "7777", {host}},
      {"game-1.example_net", "UT", "7777", {}, "game-1.example_net"},
  };
  for (const ValidationCase& c : cases) {
    SCOPED_TRACE(std::string(c.ip) + "/" + c.version + "/" + c.port);
    RecordingDialogs dialogs;
    TfrmServer dialog(dialogs, {"UT", "UT2004"}, true);
    dialog.SetValues({c.version, "UT", "Flags", true, c.ip, c.port});
    bool result = false;
    WhenModal([&](QWidget*) {
      QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
      if (dialog.isVisible()) dialog.reject();  // refused: still open
    });
    result = dialog.exec() == QDialog::Accepted;
    EXPECT_EQ(dialogs.errors, c.errors);
    EXPECT_EQ(result, c.errors.isEmpty());
    if (result) {
      EXPECT_EQ(dialog.Values().ip, c.acceptedIP);
      EXPECT_EQ(dialog.Values().gamePort, c.acceptedPort);
    }
  }
}

TEST(ServerDialogTest, OffersUTAndUT2004AndTheGamesThenOther) {
  RecordingDialogs dialogs;
  TfrmServer dialog(dialogs, {"UT", "UT2004"}, true);
  EXPECT_EQ(dialog.VersionBox()->Items(), (QStringList{"UT", "UT2004"}));
  EXPECT_EQ(dialog.GameBox()->Items(), (QStringList{"UT", "UT2004", "[other]"}));
  dialog.SetValues({"UT2004", "[other]", "d", false, "h", "1"});
  EXPECT_EQ(dialog.Association(), "");
  dialog.SetValues({"UT2004", "UT2004", "d", false, "h", "1"});
  EXPECT_EQ(dialog.Association(), "UT2004");
}

TEST(ServerDialogTest, GameBoxOnlyWithFavouritesKeptInSync) {
  RecordingDialogs dialogs;
  TfrmServer plain(dialogs, {"UT"}, false);
  TfrmServer synced(dialogs, {"UT"}, true);
  plain.show();
  synced.show();
  EXPECT_FALSE(plain.GameBox()->isVisible());
  EXPECT_TRUE(synced.GameBox()->isVisible());
  EXPECT_FALSE(plain.WhatGameLabel()->isVisible());
}

TEST(ServerDialogTest, AssociationModeShowsOnlyTheGameAndNeedsNothing) {
  RecordingDialogs dialogs;
  TfrmServer dialog(dialogs, {"UT", "UT2004"}, false);
  dialog.SetAssociationMode(true);
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "Game Association");
  EXPECT_TRUE(dialog.WhatGameLabel()->isVisible());
  EXPECT_EQ(dialog.WhatGameLabel()->text(), "What Game should be associated with this favorite:");
  EXPECT_TRUE(dialog.GameBox()->isVisible());
  for (QWidget* hidden : std::initializer_list<QWidget*>{
           dialog.VersionBox(), dialog.DescriptionEdit(), dialog.AutoUpdateBox(), dialog.IPEdit(),
           dialog.PortEdit()})
    EXPECT_FALSE(hidden->isVisible());
  dialog.GameBox()->SetText("UT2004");
  QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);  // empty address and port pass
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(dialogs.errors.isEmpty());
  EXPECT_EQ(dialog.Association(), "UT2004");
}

}  // namespace
}  // namespace zorvane
