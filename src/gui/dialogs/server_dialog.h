// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// TfrmServer: adds or edits a favourite (version, game, description, auto-update, address and
// game port), or, in association mode, only asks which game's favourites file a listed server
// belongs to.

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLabel;
class QPushButton;

namespace zorvane {

class TkorvCombobox;
class TkorvEdit;
class TWindowDialogs;

// The game box's entry for a favourite that belongs to no game's file.
inline constexpr const char* kOtherGameItem = "[other]";

struct TServerDialogValues {
  QString version;
  QString game;  // the game box's text ("[other]" for none)
  QString description;
  bool autoUpdateDescription = false;
  QString ip;
  QString gamePort;  // the port the user sees: the query port minus 1
};

class TfrmServer : public QDialog {
  Q_OBJECT

 public:
  // games: the game names the game box offers before "[other]"; showGame: the box is shown
  // (favourites kept in the games' files).
  TfrmServer(TWindowDialogs& dialogs, const QStringList& games, bool showGame,
             QWidget* parent = nullptr);

  // Only the question and the game box; OK then needs nothing.
  void SetAssociationMode(bool on);
  bool AssociationMode() const { return association_; }
  void SetValues(const TServerDialogValues& values);
  TServerDialogValues Values() const;
  // The game chosen, empty for "[other]".
  QString Association() const;

  QLabel* WhatGameLabel() const { return lblWhatGame_; }
  TkorvCombobox* VersionBox() const { return cboUTVersion_; }
  TkorvCombobox* GameBox() const { return cboGameName_; }
  TkorvEdit* DescriptionEdit() const { return edtDescription_; }
  QCheckBox* AutoUpdateBox() const { return chkAutoUpdateDescription_; }
  TkorvEdit* IPEdit() const { return edtIP_; }
  TkorvEdit* PortEdit() const { return edtQueryPort_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

 public Q_SLOTS:
  // Trims the address and port and splits "host:port" typed as the address; then refuses a
  // missing address, version or port, an address that is no address or host name, and a
  // port that is not a number from 1 to 65534.
  void accept() override;

 private:
  void SplitAddress();

  TWindowDialogs& dialogs_;
  bool showGame_;
  bool association_ = false;
  QLabel* lblWhatGame_;
  TkorvCombobox* cboUTVersion_;
  TkorvCombobox* cboGameName_;
  TkorvEdit* edtDescription_;
  QCheckBox* chkAutoUpdateDescription_;
  TkorvEdit* edtIP_;
  TkorvEdit* edtQueryPort_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

}  // namespace zorvane
