// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Installed Games": the games found on this computer, each a box that is ticked to take it,
// with its executable, game INI and user INI, which the user may change. One game of each
// name can be ticked. "Look in Folder..." searches a folder the user names and adds what it
// holds.

#include <QDialog>
#include <functional>
#include <vector>

#include "config/game_edits.h"
#include "config/installed_games.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

namespace zorvane {

class TWindowDialogs;

class TfrmFoundGames : public QDialog {
  Q_OBJECT

 public:
  // Ask for a file (starting folder, filter) and for a folder; empty answers change nothing.
  using TFileChooser = std::function<QString(const QString& directory, const QString& filter)>;
  using TFolderChooser = std::function<QString()>;
  using TFolderSearch = std::function<std::vector<TFoundGame>(const QString& folder)>;

  // The finds are listed by game in the tables' order. A game is ticked at first when the
  // tables have no executable for it or this one.
  TfrmFoundGames(TWindowDialogs& dialogs, const TGameTables& tables, QString home,
                 const std::vector<TFoundGame>& found, QWidget* parent = nullptr);

  void SetFileChooser(TFileChooser chooser) { fileChooser_ = std::move(chooser); }
  void SetFolderChooser(TFolderChooser chooser) { folderChooser_ = std::move(chooser); }
  void SetFolderSearch(TFolderSearch search) { folderSearch_ = std::move(search); }

  // The ticked games with the paths as they stand in their fields.
  std::vector<TFoundGame> Chosen() const;

  int Count() const { return int(entries_.size()); }
  QGroupBox* Box(int index) const { return entries_[std::size_t(index)].box; }
  QLineEdit* PathEdit(int index, TGamePathField field) const;
  QPushButton* BrowseButton(int index, TGamePathField field) const;
  QLabel* IntroLabel() const { return lblIntro_; }
  QPushButton* LookInFolderButton() const { return btnLookInFolder_; }
  QPushButton* OkButton() const { return btnOK_; }
  QPushButton* CancelButton() const { return btnCancel_; }

  // Searches folder (as "Look in Folder..." does once the folder is chosen).
  void LookInFolder(const QString& folder);

 public Q_SLOTS:
  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  struct TEntry {
    TFoundGame found;
    QGroupBox* box;
    QLineEdit* edits[3];
    QPushButton* browse[3];
  };

  void AddEntry(const TFoundGame& found);
  void Browse(std::size_t index, TGamePathField field);
  void KeepOneTicked(std::size_t index);
  void ShowIntro();
  void FitToContent();

  TWindowDialogs& dialogs_;
  const TGameTables& tables_;
  QString home_;
  TFileChooser fileChooser_;
  TFolderChooser folderChooser_;
  TFolderSearch folderSearch_;
  std::vector<TEntry> entries_;
  QLabel* lblIntro_;
  QScrollArea* scroll_;
  QWidget* list_;
  QVBoxLayout* listLayout_;
  QPushButton* btnLookInFolder_;
  QPushButton* btnOK_;
  QPushButton* btnCancel_;
};

}  // namespace zorvane
