// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/master_servers_dialog.h"

#include <gtest/gtest.h>

#include "support/app_fonts.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "config/master_lists.h"
#include "support/recording_dialogs.h"

namespace zorvane {
namespace {

using testing::RecordingDialogs;
using testing::WhenModal;

const TMasterListsForm kLists = {
    {"UT", {"127.0.0.1:28900", "127.0.0.1:28901"}},
    {"UT2004", {"127.0.0.1:28902"}},
    {"UT2003", {"127.0.0.1:28903"}},
};

QStringList Rows(const QListWidget* list) {
  QStringList rows;
  for (int i = 0; i < list->count(); ++i) rows << list->item(i)->text();
  return rows;
}

void ClickRow(QListWidget* list, int row) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(list->item(row)).center());
}

void Type(TfrmMasterServers& dialog, const QString& text) {
  dialog.AddressEdit()->clear();
  QTest::keyClicks(dialog.AddressEdit(), text);
  QTest::keyClick(dialog.AddressEdit(), Qt::Key_Return);
}

TEST(MasterServersDialogTest, EachGamesListIsEditedWithItsButtonsAndKeys) {
  RecordingDialogs dialogs;
  TfrmMasterServers dialog(dialogs);
  dialog.Fill(kLists);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  EXPECT_EQ(dialog.windowTitle(), "Master Servers");
  EXPECT_EQ(dialog.ShownGame(), "UT");
  QListWidget* list = dialog.MasterList();
  EXPECT_EQ(Rows(list), kLists.at("UT"));
  EXPECT_FALSE(dialog.UpButton()->isEnabled());   // the first row is selected
  EXPECT_FALSE(dialog.AddButton()->isEnabled());  // nothing typed

  // Enter adds the address typed (not OK), at the end, selected.
  Type(dialog, " 127.0.0.1:28905 ");
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(Rows(list), (QStringList{"127.0.0.1:28900", "127.0.0.1:28901", "127.0.0.1:28905"}));
  EXPECT_EQ(list->currentRow(), 2);
  EXPECT_TRUE(dialog.AddressEdit()->text().isEmpty());
  EXPECT_FALSE(dialog.DownButton()->isEnabled());
  QTest::mouseClick(dialog.UpButton(), Qt::LeftButton);
  QTest::mouseClick(dialog.UpButton(), Qt::LeftButton);
  EXPECT_EQ(Rows(list), (QStringList{"127.0.0.1:28905", "127.0.0.1:28900", "127.0.0.1:28901"}));
  EXPECT_FALSE(dialog.UpButton()->isEnabled());
  QTest::mouseClick(dialog.DownButton(), Qt::LeftButton);
  EXPECT_EQ(list->currentRow(), 1);
  ClickRow(list, 2);
  QTest::mouseClick(dialog.RemoveButton(), Qt::LeftButton);
  ClickRow(list, 1);
  QTest::keyClick(list, Qt::Key_Delete);
  EXPECT_EQ(Rows(list), QStringList{"127.0.0.1:28900"});

  // The game box switches lists; Restore Defaults restores only the game shown.
  QTest::keyClick(dialog.GameBox(), Qt::Key_Down);
  EXPECT_EQ(dialog.ShownGame(), "UT2004");
  EXPECT_EQ(Rows(list), kLists.at("UT2004"));
  QTest::mouseClick(dialog.DefaultsButton(), Qt::LeftButton);
  EXPECT_EQ(Rows(list), DefaultMasterList("UT2004"));
  QTest::keyClick(dialog.GameBox(), Qt::Key_Up);
  EXPECT_EQ(Rows(list), QStringList{"127.0.0.1:28900"});

  QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(dialogs.warnings.isEmpty());
  const TMasterListsForm expected = {{"UT", {"127.0.0.1:28900"}},
                                     {"UT2004", DefaultMasterList("UT2004")},
                                     {"UT2003", kLists.at("UT2003")}};
  EXPECT_EQ(dialog.Lists(), expected);
}

// A bad or repeated address is told and left out; OK with a game left empty is told, shows
// that game and keeps the dialog open.
TEST(MasterServersDialogTest, BadEntriesAndEmptyListsAreRefusedWithAMessage) {
  RecordingDialogs dialogs;
  TfrmMasterServers dialog(dialogs);
  dialog.Fill(kLists);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  Type(dialog, "bad host");
  Type(dialog, "127.0.0.1:28901");
  Type(dialog, "10.0.0.300");
  EXPECT_EQ(dialogs.warnings,
            (QStringList{"\"bad host\" is not a master server's address: give a host name or an "
                         "IPv4 address, and a port after a colon if it is not 28900.",
                         "\"127.0.0.1:28901\" is in the list already.",
                         "\"10.0.0.300\" is not a master server's address: give a host name or "
                         "an IPv4 address, and a port after a colon if it is not 28900."}));
  EXPECT_EQ(Rows(dialog.MasterList()), kLists.at("UT"));
  EXPECT_EQ(dialog.AddressEdit()->selectedText(), "10.0.0.300");  // to be typed over

  dialogs.warnings.clear();
  dialog.ShowGame("UT2004");
  QTest::mouseClick(dialog.RemoveButton(), Qt::LeftButton);
  EXPECT_FALSE(dialog.RemoveButton()->isEnabled());
  dialog.ShowGame("UT2003");
  QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialogs.warnings, QStringList{"The list of UT2004 is empty: give at least one master "
                                          "server, or press Restore Defaults."});
  EXPECT_EQ(dialog.ShownGame(), "UT2004");
  Type(dialog, "master.example");
  QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.Lists().at("UT2004"), QStringList{"master.example"});
}

TEST(MasterServersDialogTest, OnlyAnAcceptedDialogGivesItsLists) {
  RecordingDialogs dialogs;
  for (const bool ok : {false, true}) {
    SCOPED_TRACE(ok);
    WhenModal([ok](QWidget* modal) {
      auto* dialog = qobject_cast<TfrmMasterServers*>(modal);
      ASSERT_TRUE(dialog);
      QTest::mouseClick(dialog->DefaultsButton(), Qt::LeftButton);
      QTest::mouseClick(ok ? dialog->OkButton() : dialog->CancelButton(), Qt::LeftButton);
    });
    const auto lists = EditMasterServers(nullptr, dialogs, kLists);
    ASSERT_EQ(lists.has_value(), ok);
    if (ok) {
      EXPECT_EQ(lists->at("UT"), DefaultMasterList("UT"));
    }
  }
}

// Every caption and button whole, and the longest default fits the list, at the desktop's font
// and at 14 points.
TEST(MasterServersDialogTest, TextsFitAtTheDefaultFontAndAt14Points) {
  testing::AtDesktopFontAnd14Points([&] {
    RecordingDialogs dialogs;
    TfrmMasterServers dialog(dialogs);
    dialog.Fill({{"UT", DefaultMasterList("UT")}});
    dialog.adjustSize();
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    for (const QWidget* widget : dialog.findChildren<QWidget*>()) {
      if (!widget->isVisible() || widget->parentWidget() != &dialog) continue;
      const auto* label = qobject_cast<const QLabel*>(widget);
      SCOPED_TRACE((label ? label->text() : widget->objectName()).toStdString());
      EXPECT_GE(widget->width(), widget->minimumSizeHint().width());
      EXPECT_GE(widget->height(), widget->minimumSizeHint().height());
      if (qobject_cast<const QPushButton*>(widget) || label) {
        EXPECT_GE(widget->width(), widget->sizeHint().width());
      }
      EXPECT_TRUE(dialog.rect().contains(widget->geometry()));
    }
    const QListWidget* list = dialog.MasterList();
    for (int i = 0; i < list->count(); ++i)
      EXPECT_GE(list->viewport()->width(),
                list->fontMetrics().horizontalAdvance(list->item(i)->text() + ":28900"));
  });
}

}  // namespace
}  // namespace zorvane
