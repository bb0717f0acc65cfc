// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Game Directories": one path of every game (the executable, the favourites INI or the user
// INI), chosen by its field key. The menu commands open it for any game; joining a server,
// exporting favourites and importing buddies open it locked on one game when a path is missing.

#include <QDialog>
#include <functional>
#include <optional>

#include "config/game_edits.h"

class QLabel;
class QPushButton;

namespace zorvane {

class TkorvCombobox;
class TkorvEdit;
class TWindowDialogs;

// The browse button's file filter for a field (Qt's "name (*.ext);;..." form).
QString GamePathFileFilter(const TGamePathFieldInfo& field);

class TfrmGamePath : public QDialog {
  Q_OBJECT

 public:
  // Asks for a file: the starting directory and the filter; an empty answer keeps the field.
  using TFileChooser = std::function<QString(const QString& directory, const QString& filter)>;

  TfrmGamePath(TWindowDialogs& dialogs, TGameTables& tables, const TGamePathFieldInfo& field,
               QWidget* parent = nullptr);

  // Title mode 0, 1 or 2 (see GamePathTitle); caption is mode 2's title.
  void SetTitleMode(int mode, const QString& caption);
  // Shows the game (ignoring case); the first game in the list when it is empty or missing.
  void SelectGame(const QString& game);
  void SetLockGame(bool lock);
  QString SelectedGame() const;
  void SetFileChooser(TFileChooser chooser) { chooser_ = std::move(chooser); }
  // Where a native game keeps its INI files (the user's home folder unless set).
  void SetHomeFolder(const QString& home) { home_ = home; }

  // The checks run when the path field is left; false (with the box shown and the focus back
  // in the field) for a path that does not exist.
  bool CheckPathField();
  void Browse();

  TkorvCombobox* GameBox() const { return cboGame_; }
  TkorvEdit* PathEdit() const { return edtPath_; }
  QPushButton* BrowseButton() const { return btnBrowse_; }
  QLabel* NoteLabel() const { return lblNote_; }
  // Tells which INI paths the chosen executable filled in; hidden until it did.
  QLabel* FilledLabel() const { return lblFilled_; }
  QPushButton* OkButton() const { return btnOK_; }
  QPushButton* CancelButton() const { return btnCancel_; }

 public Q_SLOTS:
  void accept() override;
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int GameIndex(const QString& name) const;
  void ShowGame(const QString& name);
  // An executable that passed the checks fills the game's empty INI paths it implies.
  void FillIniPaths();

  TWindowDialogs& dialogs_;
  TGameTables& tables_;
  const TGamePathFieldInfo& field_;
  TGamePathEditor editor_;
  TFileChooser chooser_;
  QString home_;
  TkorvCombobox* cboGame_;
  TkorvEdit* edtPath_;
  QPushButton* btnBrowse_;
  QLabel* lblNote_;
  QLabel* lblFilled_;
  QPushButton* btnOK_;
  QPushButton* btnCancel_;
  int shown_ = -1;  // index of the shown game in the tables
  bool checking_ = false;
  bool refocusPending_ = false;  // a refused path: the focus goes back to the field
  bool done_ = false;
};

// Opens the path dialog modally for field key "gameExePath", "gameFavoritesPath" or
// "gameUserPath" with the title mode (0 "Set Path and  ...", 1 "Where can I find the ...?",
// 2 caption), the game list locked or not, and the game shown first (empty: the first game).
// OK commits the paths into tables (and sets each game's FavoritesMoved flag), Cancel restores
// them. Returns the game selected at the end; an unknown field key opens nothing and returns
// preselectedGame.
QString EditGamePath(QWidget* parent, TWindowDialogs& dialogs, TGameTables& tables,
                     const QString& fieldKey, int titleMode, const QString& caption, bool lockGame,
                     const QString& preselectedGame);
// The same for a command that ends on Cancel: nothing when the dialog was cancelled.
std::optional<QString> AskGamePath(QWidget* parent, TWindowDialogs& dialogs, TGameTables& tables,
                                   const QString& fieldKey, int titleMode, const QString& caption,
                                   bool lockGame, const QString& preselectedGame);

}  // namespace zorvane
