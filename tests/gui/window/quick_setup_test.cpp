// SPDX-License-Identifier: GPL-2.0-or-later
// Quick Player Setup (Ctrl+Q and its tool-bar button) and Quick UT 99 Setup (Ctrl+U) from the
// window, on user files written here and compared byte for byte.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include "config/ut99_setup.h"
#include "gui/controls/ini_controls.h"
#include "gui/dialogs/player_setup_dialog.h"
#include "gui/grid/string_grid.h"
#include "gui/window/main_window.h"
#include "support/files.h"
#include "support/recording_dialogs.h"
#include "support/shown_window.h"
#include "support/user_ini_samples.h"

namespace zorvane {
namespace {

using testing::Read;
using testing::RecordingDialogs;
using testing::WhenModal;

const QByteArray kUTMainIni =
    "[URL]\r\nProtocol=unreal\r\n\r\n"
    "[Engine.GameReplicationInfo]\r\nServerName=Another UT Server\r\nShortName=UT Server\r\n"
    "AdminName=\r\nMOTDLine1=\r\n\r\n"
    "; keep "
    "this\r\n[Engine.Player]\r\nConfiguredInternetSpeed=2600\r\nConfiguredLanSpeed=20000\r\n";

QPushButton* Button(QWidget* dialog, const QString& text) {
  for (QPushButton* button : dialog->findChildren<QPushButton*>())
    if (button->text() == text) return button;
  return nullptr;
}

class QuickSetupFromWindowTest : public ::testing::Test {
 protected:
  void Start(const QByteArray& extra = {}) {
    ASSERT_TRUE(dir.isValid());
    window = testing::ShownWindow(
        dir.path(), "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\n" + extra,
        dialogs);
  }

  // Presses a key on the favourites grid with the window active, as the user does.
  void Press(Qt::Key key) {
    TkorvUTServerView* view = window->FavoritesView();
    window->Pages()->setCurrentWidget(view);
    // The editor closed last may still hold the focus: the window counts as active through
    // it (its transient child), so activateWindow alone would leave the keys with the editor.
    window->windowHandle()->requestActivate();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return QGuiApplication::focusWindow() == window->windowHandle(); }));
    view->ServerGrid()->setFocus();
    QTest::keyClick(view->ServerGrid(), key, Qt::ControlModifier);
  }

  QString UserIni() {
    const QString path = dir.filePath("User.ini");
    testing::Write(path, testing::kUT99UserIni);
    window->Config().tables.FindPaths("UT")->UserPath.Set(path);
    return path;
  }

  QString MainIni() {
    const QString path = dir.filePath("UnrealTournament.ini");
    testing::Write(path, kUTMainIni);
    window->Config().tables.FindPaths("UT")->FavoritesPath.Set(path);
    return path;
  }

  QTemporaryDir dir;
  RecordingDialogs dialogs;
  std::unique_ptr<TfrmZorvane> window;
};

TEST_F(QuickSetupFromWindowTest, CommandsWithoutTheirPathsSayWhereToSetThem) {
  Start();
  for (auto& paths : window->Config().tables.paths) {
    paths->UserPath.Set("");
    paths->FavoritesPath.Set("");
  }
  dialogs.answerYes = false;  // Quick Player Setup offers to set a user INI: declined
  Press(Qt::Key_Q);
  Press(Qt::Key_U);
  EXPECT_EQ(dialogs.questions, QStringList{"No game has the path of its User.ini yet. Would you "
                                           "like to set it now?"});
  EXPECT_EQ(dialogs.information, QStringList{"Please use System/Game INIs to enter the path to "
                                             "the unrealtournament.ini file."});
}

TEST_F(QuickSetupFromWindowTest, CtrlQEditsThePlayerOfTheFirstGameWithAUserIni) {
  // The default game has no user INI: the first game that has one is shown.
  Start("defaultGame=UT2004\n");
  const QString path = UserIni();
  bool seen = false;
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<TfrmPlayerSetup*>(modal);
    ASSERT_TRUE(dialog);
    seen = true;
    EXPECT_EQ(dialog->windowTitle(), "Quick Player Setup");
    EXPECT_EQ(dialog->SelectedGame(), "UT");
    EXPECT_EQ(dialog->NameEdit()->Text(), "Gorge");
    dialog->NameEdit()->Edit()->selectAll();
    QTest::keyClicks(dialog->NameEdit()->Edit(), "Renamed");
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
  });
  Press(Qt::Key_Q);
  EXPECT_TRUE(seen);
  QByteArray expected = testing::kUT99UserIni;
  expected.replace("Name=Gorge\r\n", "Name=Renamed\r\n");
  EXPECT_EQ(Read(path), expected);
  EXPECT_TRUE(dialogs.information.isEmpty());
}

TEST_F(QuickSetupFromWindowTest, TheToolBarButtonOpensTheSameDialogAndCancelKeepsTheFile) {
  Start();
  const QString path = UserIni();
  auto* toolBar = window->findChild<QToolBar*>("tlbMain");
  ASSERT_TRUE(toolBar->isVisible());
  QAction* action = window->FindWindowAction("actPlayerSetup");
  ASSERT_TRUE(action);
  EXPECT_EQ(action->toolTip(), "Quick Player Setup");
  auto* button = qobject_cast<QAbstractButton*>(toolBar->widgetForAction(action));
  ASSERT_TRUE(button);
  bool seen = false;
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<TfrmPlayerSetup*>(modal);
    ASSERT_TRUE(dialog);
    seen = true;
    QTest::keyClicks(dialog->NameEdit()->Edit(), "Changed");
    QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
  });
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_TRUE(seen);
  EXPECT_EQ(Read(path), testing::kUT99UserIni);
}

TEST_F(QuickSetupFromWindowTest, CtrlUEditsTheListedKeysOfTheMainIniInASizedEditor) {
  Start(
      "ut99iniWidth=700\nut99iniHeight=500\n"
      "[ut99ini]\ncount=3\n[0]=Engine.Player|ConfiguredInternetSpeed|Typically 20000\n"
      "[1]=Engine.GameReplicationInfo|ServerName\n[2]=Engine.GameReplicationInfo|MOTDLine1\n");
  const QString path = MainIni();
  bool seen = false;
  WhenModal([&](QWidget* modal) {
    auto* editor = qobject_cast<QDialog*>(modal);
    ASSERT_TRUE(editor);
    seen = true;
    EXPECT_EQ(editor->size(), QSize(700, 500));
    auto* notes = editor->findChild<QPlainTextEdit*>();
    ASSERT_TRUE(notes);
    EXPECT_EQ(notes->toPlainText(), Ut99SetupNotes(path).join(u'\n'));
    EXPECT_TRUE(notes->toPlainText().contains("can be found in the " + path + " file."));
    // the rows in list order (sorted by section and key), filled from the file
    QStringList rows;
    TkorvEditINI* serverName = nullptr;
    for (TkorvEditINI* row : editor->findChildren<TkorvEditINI*>()) {
      rows << row->IniSection() + u'|' + row->IniKey() + u'=' + row->Text();
      if (row->IniKey() == u"ServerName") serverName = row;
    }
    EXPECT_EQ(rows, (QStringList{"Engine.GameReplicationInfo|MOTDLine1=",
                                 "Engine.GameReplicationInfo|ServerName=Another UT Server",
                                 "Engine.Player|ConfiguredInternetSpeed=2600"}));
    ASSERT_TRUE(serverName);
    serverName->SetText("Flag Room");
    editor->resize(720, 520);
    QPushButton* ok = Button(editor, "OK");
    ASSERT_TRUE(ok);
    QTest::mouseClick(ok, Qt::LeftButton);
  });
  Press(Qt::Key_U);
  EXPECT_TRUE(seen);
  QByteArray expected = kUTMainIni;
  expected.replace("ServerName=Another UT Server\r\n", "ServerName=Flag Room\r\n");
  EXPECT_EQ(Read(path), expected);
  EXPECT_EQ(window->Config().settings.ut99iniWidth, 720);
  EXPECT_EQ(window->Config().settings.ut99iniHeight, 520);
  EXPECT_TRUE(dialogs.errors.isEmpty());

  // A second run reads the file again and Cancel leaves it alone.
  testing::Write(path, kUTMainIni);
  seen = false;
  WhenModal([&](QWidget* modal) {
    auto* editor = qobject_cast<QDialog*>(modal);
    ASSERT_TRUE(editor);
    seen = true;
    EXPECT_EQ(editor->size(), QSize(720, 520));
    for (TkorvEditINI* row : editor->findChildren<TkorvEditINI*>())
      if (row->IniKey() == u"ServerName") {
        EXPECT_EQ(row->Text(), "Another UT Server");
        row->SetText("Discarded");
      }
    editor->reject();
  });
  Press(Qt::Key_U);
  EXPECT_TRUE(seen);
  EXPECT_EQ(Read(path), kUTMainIni);
}

}  // namespace
}  // namespace zorvane
