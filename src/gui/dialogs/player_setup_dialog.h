// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Quick Player Setup": the player's name, team, spectator mode and weapon auto-switch in the
// user INI file of each game that has one. Every game's file is read on its first showing, and
// the edits made to it are kept while other games are shown. OK writes what the user changed,
// onto each file as it is then (the game may have written it meanwhile), and names the files
// that could not be written in an error box; Cancel writes nothing.

#include <QDialog>

#include "config/player_setup.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace zorvane {

class TkorvCombobox;
class TkorvEdit;
class TWindowDialogs;

class TfrmPlayerSetup : public QDialog {
  Q_OBJECT

 public:
  // The game shown first follows defaultGame (see FirstPlayerSetupGame).
  TfrmPlayerSetup(TWindowDialogs& dialogs, const TGameTables& tables, const QString& defaultGame,
                  QWidget* parent = nullptr);
  ~TfrmPlayerSetup() override;

  // As if the game were picked from the list (ignoring case).
  void SelectGame(const QString& game);
  QString SelectedGame() const;
  // The messages of the files that OK could not write.
  const QStringList& WriteFailures() const { return writeFailures_; }

  TkorvCombobox* GameBox() const { return cboGame_; }
  QPushButton* GameNoteButton() const { return btnGameNote_; }
  QWidget* DetailPanel() const { return pnlDetails_; }
  QLabel* OpenErrorLabel() const { return lblOpenError_; }
  TkorvEdit* NameEdit() const { return edtName_; }
  TkorvCombobox* TeamBox() const { return cboTeam_; }
  QCheckBox* SpectatorBox() const { return chkSpectator_; }
  QCheckBox* AutoSwitchBox() const { return chkAutoSwitchWeapons_; }
  QPushButton* OkButton() const { return btnOK_; }
  QPushButton* CancelButton() const { return btnCancel_; }

 public Q_SLOTS:
  void accept() override;

 private:
  void ShowGame(const QString& game);
  // Keeps what the controls show for the shown game; the name edit then shows a changed name
  // as it is written.
  void StoreShown();

  TWindowDialogs& dialogs_;
  const TGameTables& tables_;
  TPlayerSetupFiles files_;
  QString shown_;  // the game whose file fills the controls; empty when none does
  QStringList writeFailures_;

  TkorvCombobox* cboGame_;
  QPushButton* btnGameNote_;
  QLabel* lblOpenError_;
  QWidget* pnlDetails_;
  TkorvEdit* edtName_;
  TkorvCombobox* cboTeam_;
  QCheckBox* chkSpectator_;
  QCheckBox* chkAutoSwitchWeapons_;
  QPushButton* btnOK_;
  QPushButton* btnCancel_;
};

// The command: the notice when no game has a user INI path, else the dialog, modally.
// True when OK was chosen.
bool QuickPlayerSetup(QWidget* parent, TWindowDialogs& dialogs, const TGameTables& tables,
                      const QString& defaultGame);

}  // namespace zorvane
