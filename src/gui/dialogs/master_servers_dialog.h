// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Master Servers", opened from Options: per game the ordered list of masters its list is
// asked of. Entries are checked as they are added; OK refuses a game left without a master.
// The dialog edits copies: the lists come back only from an accepted dialog.

#include <QDialog>
#include <QStringList>
#include <map>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace zorvane {

class TWindowDialogs;

// The masters of each game, by variant ("UT", "UT2004", "UT2003").
using TMasterListsForm = std::map<QString, QStringList>;

class TfrmMasterServers : public QDialog {
  Q_OBJECT

 public:
  TfrmMasterServers(TWindowDialogs& dialogs, QWidget* parent = nullptr);

  void Fill(const TMasterListsForm& lists);
  TMasterListsForm Lists() const { return lists_; }
  // Shows the list of a game's variant.
  void ShowGame(const QString& variant);
  QString ShownGame() const;

  QComboBox* GameBox() const { return cboGame_; }
  QListWidget* MasterList() const { return lstMasters_; }
  QLineEdit* AddressEdit() const { return edtAddress_; }
  QPushButton* AddButton() const { return btnAdd_; }
  QPushButton* RemoveButton() const { return btnRemove_; }
  QPushButton* UpButton() const { return btnUp_; }
  QPushButton* DownButton() const { return btnDown_; }
  QPushButton* DefaultsButton() const { return btnDefaults_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

  void accept() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QStringList& Shown();
  void ShowList(int selected);
  void UpdateButtons();
  void Add();
  void Remove();
  void Move(int by);
  void RestoreDefaults();

  TWindowDialogs& dialogs_;
  TMasterListsForm lists_;
  QComboBox* cboGame_;
  QListWidget* lstMasters_;
  QLineEdit* edtAddress_;
  QPushButton* btnAdd_;
  QPushButton* btnRemove_;
  QPushButton* btnUp_;
  QPushButton* btnDown_;
  QPushButton* btnDefaults_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

// Runs the dialog on lists; the edited lists when it was accepted.
std::optional<TMasterListsForm> EditMasterServers(QWidget* parent, TWindowDialogs& dialogs,
                                                  const TMasterListsForm& lists);

}  // namespace zorvane
