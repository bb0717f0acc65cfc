// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Game Management" and "Game Type Management": a list of entries, an edit panel below it,
// Update, New and Delete, OK and Cancel. The decisions are the list editors'; these dialogs
// show them and take the user's input.

#include <QDialog>
#include <optional>

#include "config/game_edits.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace zorvane {

class TkorvCombobox;
class TkorvEdit;
class TWindowDialogs;

class TfrmGameListBase : public QDialog {
  Q_OBJECT

 public:
  QListWidget* List() const { return lstEntries_; }
  QPushButton* UpdateButton() const { return btnUpdate_; }
  QPushButton* NewButton() const { return btnNew_; }
  QPushButton* DeleteButton() const { return btnDelete_; }
  QPushButton* OkButton() const { return btnOK_; }
  QPushButton* CancelButton() const { return btnCancel_; }

  // Update on the selected entry; false (with its box shown) when refused.
  bool UpdateSelected();

 public Q_SLOTS:
  void accept() override;  // runs Update first and stays open when it is refused
  void reject() override;

 protected:
  TfrmGameListBase(TWindowDialogs& dialogs, QWidget* parent);
  // Called by the subclass constructor once its fields are in the panel.
  void Finish(const QStringList& names);
  QWidget* Panel() const { return panel_; }

  virtual void ShowEntry(int index) = 0;  // -1: clear the fields
  virtual int NewEntry() = 0;
  virtual void DeleteEntry(int index) = 0;
  virtual std::optional<TEditProblem> UpdateEntry(int index) = 0;
  virtual QString EntryName(int index) const = 0;
  virtual QWidget* Field(int field) const = 0;
  virtual void AcceptEdits() = 0;
  virtual void CancelEdits() = 0;
  virtual QString DeleteQuestion() const = 0;

  void showEvent(QShowEvent* event) override;

 private:
  void New();
  void Delete();
  void Select(int index);

  TWindowDialogs& dialogs_;
  QListWidget* lstEntries_;
  QWidget* panel_;
  QPushButton* btnUpdate_;
  QPushButton* btnNew_;
  QPushButton* btnDelete_;
  QPushButton* btnOK_;
  QPushButton* btnCancel_;
  bool warned_ = false;
  bool done_ = false;
};

class TfrmGames : public TfrmGameListBase {
  Q_OBJECT

 public:
  TfrmGames(TWindowDialogs& dialogs, TGameTables& tables, QWidget* parent = nullptr);
  TkorvEdit* GameEdit() const { return edtGame_; }
  TkorvCombobox* VersionBox() const { return cboVersion_; }
  // The games OK renamed or deleted; empty until OK.
  const TGameRenames& Renames() const { return renames_; }

 protected:
  void ShowEntry(int index) override;
  int NewEntry() override { return editor_.New(); }
  void DeleteEntry(int index) override { editor_.Delete(index); }
  std::optional<TEditProblem> UpdateEntry(int index) override;
  QString EntryName(int index) const override;
  QWidget* Field(int field) const override;
  void AcceptEdits() override { renames_ = editor_.Accept(); }
  void CancelEdits() override { editor_.Cancel(); }
  QString DeleteQuestion() const override;

 private:
  TGameListEditor editor_;
  TGameRenames renames_;
  TkorvEdit* edtGame_;
  TkorvCombobox* cboVersion_;
};

class TfrmGameTypes : public TfrmGameListBase {
  Q_OBJECT

 public:
  TfrmGameTypes(TWindowDialogs& dialogs, TGameTables& tables, QWidget* parent = nullptr);
  TkorvEdit* GameTypeEdit() const { return edtGameType_; }
  TkorvEdit* TabTitleEdit() const { return edtTabTitle_; }
  TkorvCombobox* TeamGameBox() const { return cboTeamGame_; }
  TkorvCombobox* GameBox() const { return cboGame_; }
  // What OK did, for the window's views and tabs; empty until OK.
  const TGameTypeCommit& Commit() const { return commit_; }

 protected:
  void ShowEntry(int index) override;
  int NewEntry() override { return editor_.New(); }
  void DeleteEntry(int index) override { editor_.Delete(index); }
  std::optional<TEditProblem> UpdateEntry(int index) override;
  QString EntryName(int index) const override;
  QWidget* Field(int field) const override;
  void AcceptEdits() override { commit_ = editor_.Accept(); }
  void CancelEdits() override { editor_.Cancel(); }
  QString DeleteQuestion() const override;

 private:
  TGameTypeListEditor editor_;
  TGameTypeCommit commit_;
  TkorvEdit* edtGameType_;
  TkorvEdit* edtTabTitle_;
  TkorvCombobox* cboTeamGame_;
  TkorvCombobox* cboGame_;
};

// The "Games..." command: after OK (the tables are committed) the games it renamed or
// deleted; nothing on Cancel.
std::optional<TGameRenames> EditGames(QWidget* parent, TWindowDialogs& dialogs,
                                      TGameTables& tables);
// The "Game Types..." command: what OK changed, nothing on Cancel.
std::optional<TGameTypeCommit> EditGameTypes(QWidget* parent, TWindowDialogs& dialogs,
                                             TGameTables& tables);

}  // namespace zorvane
