// SPDX-License-Identifier: GPL-2.0-or-later
// The Help menu: every key of the program listed from the commands themselves, and the About
// box with the version, the licence and the settings folder.
#include "gui/window/help_menu.h"

#include <gtest/gtest.h>

#include "support/app_fonts.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "config/version.h"
#include "support/recording_dialogs.h"
#include "support/shown_window.h"

namespace zorvane {
namespace {

// Command -> keys, as the Keyboard Shortcuts table lists them.
std::map<QString, QString> Listed(const TfrmShortcuts& dialog) {
  std::map<QString, QString> listed;
  const QTableWidget* table = dialog.Table();
  for (int row = 0; row < table->rowCount(); ++row)
    listed[table->item(row, 0)->text()] = table->item(row, 1)->text();
  return listed;
}

class HelpMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = testing::ShownWindow(
        dir.path(), "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\n",
        dialogs);
  }
  QTemporaryDir dir;
  testing::RecordingDialogs dialogs;
  std::unique_ptr<TfrmZorvane> window;
};

TEST_F(HelpMenuTest, F1ListsEveryKeyOfTheWindowAndOfTheCurrentView) {
  QMenu* help = window->menuBar()->actions().last()->menu();
  ASSERT_NE(help, nullptr);
  QStringList items;
  for (QAction* item : help->actions()) items << item->text();
  EXPECT_EQ(items, (QStringList{"Log", "Keyboard Shortcuts", "About Zorvane"}));

  window->Pages()->setCurrentWidget(window->View("CTFGame"));
  QTest::keyClick(window.get(), Qt::Key_F1);
  auto* dialog = window->findChild<TfrmShortcuts*>();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  std::map<QString, QString> listed = Listed(*dialog);
  EXPECT_EQ(listed["Query UT Master Server"], "F8");
  EXPECT_EQ(listed["Options..."], "F11");  // "&Options..." without its mark
  EXPECT_EQ(listed["Keyboard Shortcuts"], "F1");
  EXPECT_EQ(listed["Join CTF Server"], "Ctrl+J, Return, Enter");
  EXPECT_EQ(listed["Ping CTF Server List"], "F5");
  EXPECT_EQ(listed["Find LAN Servers"], "F4");
  EXPECT_EQ(listed.count("Join Other Server"), 0u);  // one view's captions only
  // Nothing the window answers is missing.
  for (const QAction* action : window->actions()) {
    if (action->shortcut().isEmpty()) continue;
    const QString command = WithoutMnemonics(action->text());
    ASSERT_TRUE(listed.count(command)) << command.toStdString();
    EXPECT_TRUE(listed[command].contains(action->shortcut().toString(QKeySequence::NativeText)))
        << command.toStdString();
  }
  for (const auto& [command, keys] : listed) EXPECT_FALSE(command.contains(u'&'));

  // Asked again on another tab, the same dialog lists that tab's captions.
  dialog->hide();
  window->Pages()->setCurrentWidget(window->View("Other"));
  window->findChild<QAction*>("miKeyboardShortcuts")->trigger();
  EXPECT_EQ(window->findChildren<TfrmShortcuts*>().size(), 1);
  listed = Listed(*dialog);
  EXPECT_EQ(listed["Join Other Server"], "Ctrl+J, Return, Enter");
  EXPECT_EQ(listed.count("Join CTF Server"), 0u);
}

TEST_F(HelpMenuTest, AboutNamesTheVersionTheLicenceAndTheSettingsFolder) {
  window->findChild<QAction*>("miAbout")->trigger();
  auto* about = window->findChild<TfrmAbout*>();
  ASSERT_NE(about, nullptr);
  EXPECT_TRUE(about->isVisible());
  EXPECT_EQ(about->windowTitle(), "About Zorvane");
  EXPECT_EQ(about->findChild<QLabel*>("lblVersion")->text(),
            QStringLiteral("Version ") + kVersionText);
  EXPECT_TRUE(about->findChild<QLabel*>("lblLicence")->text().contains("GPL-2.0-or-later"));
  EXPECT_EQ(about->SettingsFolderLabel()->text(), QDir::toNativeSeparators(dir.path()));
}

// Every text whole, at the desktop's font and at 14 points.
TEST(HelpDialogsTest, TextsFitAtTheDefaultFontAndAt14Points) {
  testing::AtDesktopFontAnd14Points([&] {
    TfrmAbout about("/a/rather/long/folder/name/for/the/settings/of/zorvane");
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    for (const QLabel* label : about.findChildren<QLabel*>()) {
      EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
      EXPECT_GE(label->height(), label->sizeHint().height()) << label->text().toStdString();
    }
    TfrmShortcuts shortcuts;
    shortcuts.SetRows({{"Add Generic Server To Favorites", "F9"},
                       {"Join Generic Server", "Ctrl+J, Return, Enter"}});
    shortcuts.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shortcuts));
    const QTableWidget* table = shortcuts.Table();
    EXPECT_FALSE(table->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(table->verticalScrollBar()->isVisible());
    for (int row = 0; row < table->rowCount(); ++row)
      for (int col = 0; col < 2; ++col) {
        const QTableWidgetItem* item = table->item(row, col);
        EXPECT_GT(table->visualItemRect(item).width(),
                  table->fontMetrics().horizontalAdvance(item->text()))
            << item->text().toStdString();
      }
  });
}

}  // namespace
}  // namespace zorvane
