// SPDX-License-Identifier: GPL-2.0-or-later
// The main window's quick set-up commands: the player keys of the games' user INI files, and
// chosen keys of UT's main INI file through the INI store's editor window.

#include <QDialog>
#include <QMenu>
#include <QToolBar>

#include "config/ut99_setup.h"
#include "gui/dialogs/korv_ini.h"
#include "gui/dialogs/player_setup_dialog.h"
#include "gui/window/game_discovery.h"
#include "gui/window/main_window.h"

namespace zorvane {

void TfrmZorvane::CreateQuickSetupItems(QMenu* tools) {
  QAction* player = AddWindowAction(tools, "actPlayerSetup",
                                    QStringLiteral("Quick Player Setup..."), Qt::CTRL | Qt::Key_Q);
  player->setToolTip(QStringLiteral("Quick Player Setup"));
  // The same action on the tool bar: one shortcut, no ambiguous twin.
  toolBar_->addAction(player);
  connect(player, &QAction::triggered, this, &TfrmZorvane::QuickPlayerSetup);
  connect(AddWindowAction(tools, "actUT99Setup", QStringLiteral("Quick UT 99 Setup..."),
                          Qt::CTRL | Qt::Key_U),
          &QAction::triggered, this, &TfrmZorvane::QuickUT99Setup);
}

void TfrmZorvane::QuickPlayerSetup() {
  // Without any user INI, the found games or the path dialog first.
  if (!gameDiscovery_->OfferUserIni(config_.settings.defaultGame)) return;
  zorvane::QuickPlayerSetup(this, dialogs_, config_.tables, config_.settings.defaultGame);
}

void TfrmZorvane::QuickUT99Setup() {
  const QString path = Ut99MainIniPath(config_.tables);
  if (path.isEmpty()) {
    dialogs_.Information(this, QStringLiteral("Please use System/Game INIs to enter the path to "
                                              "the unrealtournament.ini file."));
    return;
  }
  if (!iniUT_) {
    iniUT_ = new TkorvINI(iniUTMessages_, this);
    iniUT_->setObjectName(QStringLiteral("iniUT"));
    // A fresh read on every run: the game may have changed the file in between.
    iniUT_->SetOwnerOfMemFile(true);
  }
  iniUT_->SetFileName(path);
  iniUT_->SetMasterControl(iniUT_->CreateDialog(true));
  for (const QString& line : Ut99SetupNotes(iniUT_->FileName())) iniUT_->AddNote(line);
  for (const TINIInfo& item : config_.settings.ut99Keys)
    iniUT_->AddField(item.Section, item.Key, item.Comment);
  QDialog* editor = iniUT_->Dialog();
  editor->setObjectName(QStringLiteral("frmUT99Setup"));
  editor->resize(config_.settings.ut99iniWidth, config_.settings.ut99iniHeight);
  iniUT_->Execute();
  config_.settings.ut99iniWidth = editor->width();
  config_.settings.ut99iniHeight = editor->height();
}

}  // namespace zorvane
