// SPDX-License-Identifier: GPL-2.0-or-later
// The options and font dialogs on the live window, and the refresh-rate keys.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include "browse/version_check.h"
#include "gui/controls/korv_combobox.h"
#include "gui/controls/log_window.h"
#include "gui/dialogs/font_dialog.h"
#include "gui/dialogs/master_servers_dialog.h"
#include "gui/dialogs/options_dialog.h"
#include "gui/grid/string_grid.h"
#include "gui/view/status_line.h"
#include "gui/window/monitors_controller.h"
#include "gui/window/notifications_controller.h"
#include "support/recording_dialogs.h"
#include "support/shown_window.h"
#include "support/web_host.h"

namespace zorvane {
namespace {

using testing::RecordingDialogs;
using testing::WhenModal;

const QByteArray kSettings = "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\n";

// Every field of a form, for comparing two of them.
QString Dump(const TOptionsForm& f) {
  QStringList texts{f.pingWait,       f.defaultVersion, f.refreshRate, f.startupQuery,
                    f.filterLocation, f.defaultGame,    f.queryDelay};
  for (bool on : {f.autoPingServer, f.autoRefreshSelectedServerOnly, f.confirmServerDelete,
                  f.confirmPlayerDelete, f.morePlayerInfo, f.tabsMultiline, f.minimizeOnJoin,
                  f.confirmMapDelete, f.syncFaves, f.autoCheckNewVersion, f.showToolbar,
                  f.startInTray})
    texts << (on ? "1" : "0");
  return texts.join(u'|');
}

class OptionsTest : public ::testing::Test {
 protected:
  void Start(const QByteArray& extra) {
    ASSERT_TRUE(dir.isValid());
    window = testing::ShownWindow(dir.path(), kSettings + extra, dialogs);
  }
  // Opens the options with F11 and runs act on the dialog, which act closes.
  void WithOptions(std::function<void(TfrmOptions&)> act) {
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    bool opened = false;
    WhenModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<TfrmOptions*>(modal);
      ASSERT_TRUE(dialog);
      opened = true;
      act(*dialog);
      if (dialog->isVisible()) dialog->reject();
    });
    QTest::keyClick(window.get(), Qt::Key_F11);
    EXPECT_TRUE(opened);
  }
  TOptionsForm Shown() {
    TOptionsForm form;
    WithOptions([&](TfrmOptions& dialog) { form = dialog.Form(); });
    return form;
  }

  QTemporaryDir dir;
  RecordingDialogs dialogs;
  std::unique_ptr<TfrmZorvane> window;
};

TEST_F(OptionsTest, OpensOnTheLiveValuesAndAnOddWaitSurvivesOk) {
  Start("pingWaitTime=2500\nrefreshRate=30000\nqueryPower=95\nfilterLocation=left\n"
        "defaultVersion=UT2004\n");
  window->findChild<QToolBar*>("tlbMain")->hide();
  WithOptions([](TfrmOptions& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Options");
    EXPECT_EQ(dialog.PingWaitTimeBox()->Text(), "");
    EXPECT_EQ(dialog.RefreshRateBox()->Text(), "30 seconds");
    EXPECT_EQ(dialog.QueryDelayBox()->Text(), "95");
    EXPECT_EQ(dialog.FiltersBox()->Text(), "left");
    EXPECT_EQ(dialog.DefaultVersionBox()->Text(), "UT2004");
    EXPECT_EQ(dialog.StartupQueryBox()->Text(), "none");
    EXPECT_FALSE(dialog.CheckBox("showToolbar")->isChecked());
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
  });
  EXPECT_EQ(window->Config().settings.pingWaitTime, 2500);
  EXPECT_EQ(window->View("CTFGame")->PingWaitTime(), 2500);
  EXPECT_EQ(window->MassRefresh().QueryPower, 95);
}

TEST_F(OptionsTest, OkReachesEveryViewHiddenOnesIncludedAndTheWindow) {
  Start("filterLocation=right\nrefreshRate=0\n");
  TkorvUTServerView* hidden = window->EnsureView("xCTFGame");  // made before: changed by OK
  ASSERT_FALSE(hidden->IsOnPage());
  const int page = window->Pages()->currentIndex();
  WithOptions([](TfrmOptions& dialog) {
    dialog.FiltersBox()->SetText("bottom");
    dialog.PingWaitTimeBox()->SetText("4 seconds");
    dialog.RefreshRateBox()->SetText("1 minute");
    dialog.QueryDelayBox()->SetText("[no delay]");
    dialog.DefaultVersionBox()->SetText("UT2004");
    for (const char* key : {"showToolbar", "autoPingServer", "confirmServerDelete"})
      dialog.CheckBox(key)->setChecked(false);
    for (const char* key : {"tabsMultiline", "minimizeOnJoin"})
      dialog.CheckBox(key)->setChecked(true);
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
  });
  for (const auto& type : window->Config().tables.gameTypes) {
    // The others are made now, from what OK changed.
    TkorvUTServerView* view = window->EnsureView(type->Name.Value);
    SCOPED_TRACE(type->Name.Value.toStdString());
    EXPECT_EQ(view->FilterPanelAlign(), TFilterPanelAlign::Bottom);
    EXPECT_EQ(view->PingWaitTime(), 4000);
    EXPECT_EQ(view->QueryPower(), 0);
    EXPECT_FALSE(view->PingServerOnSelect());
  }
  EXPECT_FALSE(hidden->IsOnPage());
  EXPECT_EQ(window->Pages()->currentIndex(), page);
  TkorvUTServerView* favorites = window->FavoritesView();
  EXPECT_EQ(favorites->AutoRefreshRate(), 60000);
  EXPECT_FALSE(favorites->ConfirmServerDelete());
  EXPECT_EQ(favorites->DefaultVersion(), "UT2004");
  EXPECT_TRUE(window->findChild<QToolBar*>("tlbMain")->isHidden());
  EXPECT_FALSE(window->Pages()->usesScrollButtons());
  EXPECT_EQ(window->MassRefresh().QueryPower, 0);
  EXPECT_TRUE(window->Config().settings.minimizeOnJoin);
  // What the window now shows is what is saved, from the settings: a worker's copy is never
  // read back.
  window->MassRefresh().QueryPower = 42;
  window->close();
  const QByteArray saved = testing::Read(dir.filePath("zorvane.ini"));
  for (const char* line : {"filterLocation=bottom", "showToolbar=0", "tabsMultiline=1",
                           "queryPower=0", "refreshRate=60000", "pingWaitTime=4000"})
    EXPECT_TRUE(saved.contains(line)) << line;
}

TEST_F(OptionsTest, CancelChangesNothing) {
  Start("");
  const QString before = Dump(Shown());
  WithOptions([](TfrmOptions& dialog) {
    dialog.FiltersBox()->SetText("left");
    dialog.QueryDelayBox()->SetText("5000");
    dialog.RefreshRateBox()->SetText("5 minutes");
    for (const char* key : {"showToolbar", "tabsMultiline", "syncFaves", "morePlayerInfo"})
      dialog.CheckBox(key)->toggle();
    QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
  });
  EXPECT_EQ(Dump(Shown()), before);
  EXPECT_EQ(window->FavoritesView()->AutoRefreshRate(), 0);
}

// "Master Servers..." edits the lists the Options dialog holds: OK of both takes them for the
// next master query, Cancel of Options drops them.
TEST_F(OptionsTest, MasterServersReachTheNextMasterQueryOnlyThroughOk) {
  Start("masterServer=127.0.0.1:28900\n");
  const auto editMasters = [&](bool okOptions, std::function<void(TfrmMasterServers&)> act) {
    WithOptions([&](TfrmOptions& dialog) {
      bool opened = false;
      WhenModal([&](QWidget* modal) {
        auto* masters = qobject_cast<TfrmMasterServers*>(modal);
        ASSERT_TRUE(masters);
        opened = true;
        act(*masters);
        QTest::mouseClick(masters->OkButton(), Qt::LeftButton);
      });
      QTest::mouseClick(dialog.MasterServersButton(), Qt::LeftButton);
      EXPECT_TRUE(opened);
      QTest::mouseClick(okOptions ? dialog.OkButton() : dialog.CancelButton(), Qt::LeftButton);
    });
  };
  editMasters(true, [](TfrmMasterServers& masters) {
    EXPECT_EQ(masters.MasterList()->count(), 1);
    QTest::keyClicks(masters.AddressEdit(), "127.0.0.1:28901");
    QTest::mouseClick(masters.AddButton(), Qt::LeftButton);
    QTest::mouseClick(masters.UpButton(), Qt::LeftButton);
  });
  const TSettings& s = window->Config().settings;
  EXPECT_EQ(s.masterLists.at("UT"), (QStringList{"127.0.0.1:28901", "127.0.0.1:28900"}));
  EXPECT_EQ(s.masterServer, "127.0.0.1:28901");
  EXPECT_EQ(window->MassRefresh().Masters.at("UT"),
            (TMasterAddresses{{"127.0.0.1", 28901}, {"127.0.0.1", 28900}}));

  editMasters(false, [](TfrmMasterServers& masters) {
    EXPECT_EQ(masters.MasterList()->item(0)->text(), "127.0.0.1:28901");  // as taken before
    QTest::mouseClick(masters.RemoveButton(), Qt::LeftButton);
  });
  EXPECT_EQ(s.masterLists.at("UT"), (QStringList{"127.0.0.1:28901", "127.0.0.1:28900"}));
  EXPECT_EQ(window->MassRefresh().Masters.at("UT").size(), 2u);
}

TEST_F(OptionsTest, TurningSyncOnImportsTheGameFavouritesOnce) {
  Start("syncFaves=0\n");
  const QString path = dir.filePath("UnrealTournament.ini");
  const auto writeFavorites = [&](const QByteArray& entries, int count) {
    testing::Write(path, "[UBrowser.UBrowserFavoritesFact]\r\nFavoriteCount=" +
                             QByteArray::number(count) + "\r\n" + entries);
  };
  writeFavorites("Favorites[0]=Home\\127.0.0.1\\7778\\True\r\n", 1);
  window->Config().tables.FindPaths("UT")->FavoritesPath.Set(path);
  const auto okWithSync = [&] {
    WithOptions([](TfrmOptions& dialog) {
      dialog.CheckBox("syncFaves")->setChecked(true);
      QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    });
  };
  okWithSync();
  const TServer* home = window->Stash().Find("127.0.0.1:7778");
  ASSERT_TRUE(home);
  EXPECT_TRUE(home->Favorite);
  EXPECT_GE(window->FavoritesView()->FindServerRow("127.0.0.1:7778"), 0);
  EXPECT_TRUE(window->FavoritesView()->KeepFavesInSync());
  writeFavorites("Favorites[0]=Home\\127.0.0.1\\7778\\True\r\n"
                 "Favorites[1]=Away\\127.0.0.1\\7790\\True\r\n", 2);
  okWithSync();  // already on: nothing is imported
  EXPECT_FALSE(window->Stash().Find("127.0.0.1:7790"));
}

// Ticking "check for a new version" asks the host once; OK with it ticked already, or
// unticking it, asks nothing.
TEST_F(OptionsTest, TurningTheVersionCheckOnStartsOneCheck) {
  testing::WebHost host({"HTTP/1.1 200 OK\r\n\r\nzorvaneversion=2.95"});
  Start("autoCheckNewVersion=0\nversionHost=" + host.Setting().toLatin1() + "\n");
  ASSERT_FALSE(window->Notifications().VersionCheck().Running());
  const auto okWithCheck = [&](bool on) {
    WithOptions([on](TfrmOptions& dialog) {
      QCheckBox* box = dialog.CheckBox("autoCheckNewVersion");
      if (box->isChecked() != on) QTest::mouseClick(box, Qt::LeftButton);
      ASSERT_EQ(box->isChecked(), on);
      QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    });
  };
  okWithCheck(true);
  EXPECT_TRUE(window->Notifications().VersionCheck().Running());
  QSignalSpy ended(&window->Notifications().VersionCheck(), &TVersionCheck::OnEnded);
  ASSERT_TRUE(ended.wait(5000));
  EXPECT_EQ(window->Monitors().PlayerStatus()->PanelText(1), " Version 2.95 is available");
  okWithCheck(true);
  okWithCheck(false);
  EXPECT_FALSE(window->Notifications().VersionCheck().Running());
  EXPECT_EQ(host.Request().count("GET /quorra.txt"), 1);
}

TEST_F(OptionsTest, HelpButtonsOpenTheirNotes) {
  Start("");
  WithOptions([](TfrmOptions& dialog) {
    const std::pair<QPushButton*, const char*> notes[] = {
        {dialog.SyncHelpButton(), "Keeping Favorites In Synch Option"},
        {dialog.QueryDelayHelpButton(), "Master Server query delay strength option"}};
    for (const auto& [button, title] : notes) {
      QTest::mouseClick(button, Qt::LeftButton);
      auto* note = dialog.findChild<TfrmNote*>();
      ASSERT_TRUE(note);
      EXPECT_EQ(note->windowTitle(), title);
      EXPECT_TRUE(note->isVisible());
      EXPECT_GT(note->Lines().size(), 8);
      delete note;
    }
  });
}

TEST_F(OptionsTest, F7AndCtrlF7StepTheFavouritesRateWithTheToolBarShown) {
  Start("refreshRate=0\n");
  QToolBar* bar = window->findChild<QToolBar*>("tlbMain");
  ASSERT_TRUE(bar->isVisible());
  QAction* options = window->FindWindowAction("actOptions");
  EXPECT_TRUE(bar->actions().contains(options));
  EXPECT_EQ(options->toolTip(), "Options");
  TkorvUTServerView* favorites = window->FavoritesView();
  QStringList rates;
  for (int i = 0; i < 10; ++i) {
    QTest::keyClick(window.get(), Qt::Key_F7, Qt::ControlModifier);
    rates << QString::number(favorites->AutoRefreshRate());
  }
  EXPECT_EQ(rates.join(u' '), "5000 10000 30000 60000 120000 300000 600000 900000 1800000 0");
  QTest::keyClick(window.get(), Qt::Key_F7, Qt::ControlModifier);
  QTest::keyClick(window.get(), Qt::Key_F7, Qt::ControlModifier);
  EXPECT_EQ(favorites->AutoRefreshRate(), 10000);
  QTest::keyClick(window.get(), Qt::Key_F7);
  EXPECT_EQ(favorites->AutoRefreshRate(), 0);
  EXPECT_EQ(window->Config().settings.refreshRate, 0);
}

TEST_F(OptionsTest, FontDialogChangesTheFontOnlyForANewChoice) {
  Start("fontName=Tahoma\nfontSize=8\n");
  const auto withFont = [&](std::function<void(TfrmOptionsFont&)> act) {
    WhenModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<TfrmOptionsFont*>(modal);
      ASSERT_TRUE(dialog);
      act(*dialog);
    });
    window->FindWindowAction("actOptionsFont")->trigger();
  };
  withFont([&](TfrmOptionsFont& dialog) {
    EXPECT_EQ(dialog.NameBox()->Text(), "Tahoma");
    EXPECT_EQ(dialog.SizeBox()->Text(), "8");
    EXPECT_EQ(dialog.SampleGrid()->RowTexts(0).first(),
              window->FavoritesView()->ServerGrid()->RowTexts(0).first());
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
  });
  EXPECT_TRUE(dialogs.information.isEmpty());
  withFont([](TfrmOptionsFont& dialog) {
    dialog.NameBox()->SetText("Verdana");
    dialog.SizeBox()->SetText("10");
    QTest::mouseClick(dialog.PreviewButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.SampleList()->font().family(), "Verdana");
    EXPECT_EQ(dialog.SampleButton()->font().pointSize(), 10);
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
  });
  EXPECT_EQ(dialogs.information,
            QStringList{"You will need to close and re-open the application in order for the "
                        "font changes to take effect."});
  EXPECT_EQ(window->Config().settings.fontName, "Verdana");
  EXPECT_EQ(window->Config().settings.fontSize, 10);
}

}  // namespace
}  // namespace zorvane
