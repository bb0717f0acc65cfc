// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Options": the preferences the main window holds, as lists and check boxes from top to
// bottom. The dialog only shows a TOptionsForm and returns the one chosen; the window applies
// it. The two "?" buttons open help notes; "Master Servers..." edits the form's master lists.

#include <QDialog>
#include <QStringList>

#include "config/option_choices.h"

class QCheckBox;
class QGridLayout;
class QLayout;
class QPushButton;

namespace zorvane {

class TkorvCombobox;
class TfrmNote;
class TWindowDialogs;

class TfrmOptions : public QDialog {
  Q_OBJECT

 public:
  // variants: the game variant names; games: the game table's names. dialogs shows the
  // master list dialog's refusals.
  TfrmOptions(TWindowDialogs& dialogs, const QStringList& variants, const QStringList& games,
              QWidget* parent = nullptr);

  // Selects the form's texts (a text not in its list selects nothing) and ticks its boxes.
  void Fill(const TOptionsForm& form);
  TOptionsForm Form() const;
  // Whether Fill is running: the controls' change handlers have nothing to do then.
  bool Initialising() const { return initialising_; }

  TkorvCombobox* PingWaitTimeBox() const { return cboPingWaitTime_; }
  TkorvCombobox* DefaultVersionBox() const { return cboDefaultVersion_; }
  TkorvCombobox* RefreshRateBox() const { return cboRefreshRate_; }
  TkorvCombobox* StartupQueryBox() const { return cboStartupQuery_; }
  TkorvCombobox* FiltersBox() const { return cboFilters_; }
  TkorvCombobox* DefaultGameBox() const { return cboDefaultGame_; }
  TkorvCombobox* QueryDelayBox() const { return cboQueryDelay_; }
  // The check box of a setting key ("syncFaves" ...); null for another key.
  QCheckBox* CheckBox(const QString& settingKey) const;
  QPushButton* SyncHelpButton() const { return btnSyncHelp_; }
  QPushButton* QueryDelayHelpButton() const { return btnQueryDelayHelp_; }
  QPushButton* MasterServersButton() const { return btnMasterServers_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

 private:
  struct TCheck {
    const char* key;
    bool TOptionsForm::*value;
    QCheckBox* box;
  };
  TkorvCombobox* AddList(const char* name, const QString& caption, const QStringList& items);
  void ShowNote(const QString& title, const QStringList& lines);
  // The check boxes down one column, or two where one column would make the dialog taller
  // than the screen has room for (a large font on a small screen).
  void ArrangeChecks();
  void changeEvent(QEvent* event) override;

  TWindowDialogs& dialogs_;
  bool initialising_ = false;
  std::map<QString, QStringList> masterLists_;
  TkorvCombobox* cboPingWaitTime_;
  TkorvCombobox* cboDefaultVersion_;
  TkorvCombobox* cboRefreshRate_;
  TkorvCombobox* cboStartupQuery_;
  TkorvCombobox* cboFilters_;
  TkorvCombobox* cboDefaultGame_;
  TkorvCombobox* cboQueryDelay_;
  std::vector<TCheck> checks_;
  QGridLayout* checkGrid_ = nullptr;     // the dialog's layout owns it
  std::vector<QLayout*> checkRows_;      // a check box and its help button, in order
  QCheckBox* chkEstimateTimeRemaining_;  // hidden; it has no effect
  QPushButton* btnSyncHelp_;
  QPushButton* btnQueryDelayHelp_;
  QPushButton* btnMasterServers_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

// The help notes' lines, empty lines between paragraphs.
QStringList SyncFavesHelpLines();
QStringList QueryDelayHelpLines();

}  // namespace zorvane
