// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/game_list_dialogs.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/controls/korv_combobox.h"
#include "gui/controls/korv_edit.h"
#include "gui/controls/window_fit.h"
#include "gui/dialogs/window_dialogs.h"

namespace zorvane {

namespace {

constexpr int kFieldWidth = 300;
constexpr int kCaptionWidth = 120;

const char* const kNote =
    "Note: if you make any changes (including a New game type), you must click the Update "
    "button for the change to take effect. The updates will become permanent when you click OK. "
    "The Cancel button will still revert all updates (including New games).";

template <typename T>
T* AddField(QWidget* panel, const char* name, const QString& caption) {
  auto* field = new T(panel);
  field->setObjectName(QString::fromLatin1(name));
  field->SetPanelWidth(kFieldWidth);
  field->SetCaptionWidth(kCaptionWidth);
  field->SetCaption(caption);
  panel->layout()->addWidget(field);
  return field;
}

TkorvCombobox* AddList(QWidget* panel, const char* name, const QString& caption,
                       const QStringList& items) {
  auto* box = AddField<TkorvCombobox>(panel, name, caption);
  box->SetStyle(TComboStyle::DropDownList);
  box->SetSorted(true);
  box->SetItems(items);
  return box;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

}  // namespace

// ---- The shared dialog

TfrmGameListBase::TfrmGameListBase(TWindowDialogs& dialogs, QWidget* parent)
    : QDialog(parent),
      dialogs_(dialogs),
      lstEntries_(new QListWidget(this)),
      panel_(new QWidget(this)),
      btnUpdate_(Button(this, "btnUpdate", QStringLiteral("&Update"))),
      btnNew_(Button(this, "btnNew", QStringLiteral("&New"))),
      btnDelete_(Button(this, "btnDelete", QStringLiteral("&Delete"))),
      btnOK_(Button(this, "btnOK", QStringLiteral("OK"))),
      btnCancel_(Button(this, "btnCancel", QStringLiteral("Cancel"))) {
  lstEntries_->setObjectName(QStringLiteral("lstEntries"));
  auto* fields = new QVBoxLayout(panel_);
  fields->setContentsMargins(0, 0, 0, 0);
  auto* edits = new QHBoxLayout;
  for (QPushButton* b : {btnUpdate_, btnNew_, btnDelete_}) edits->addWidget(b);
  edits->addStretch();
  auto* note = new QLabel(QString::fromLatin1(kNote), this);
  note->setObjectName(QStringLiteral("lblNote"));
  note->setWordWrap(true);
  auto* closing = new QHBoxLayout;
  closing->addStretch();
  closing->addWidget(btnOK_);
  closing->addWidget(btnCancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lstEntries_, 1);
  layout->addWidget(panel_);
  layout->addLayout(edits);
  layout->addWidget(note);
  layout->addLayout(closing);
  btnOK_->setDefault(true);
  btnUpdate_->setAutoDefault(false);
  btnNew_->setAutoDefault(false);
  btnDelete_->setAutoDefault(false);
  connect(btnUpdate_, &QPushButton::clicked, this, &TfrmGameListBase::UpdateSelected);
  connect(btnNew_, &QPushButton::clicked, this, &TfrmGameListBase::New);
  connect(btnDelete_, &QPushButton::clicked, this, &TfrmGameListBase::Delete);
  connect(btnOK_, &QPushButton::clicked, this, &TfrmGameListBase::accept);
  connect(btnCancel_, &QPushButton::clicked, this, &TfrmGameListBase::reject);
  FitWhenShown(this);
  connect(lstEntries_, &QListWidget::currentRowChanged, this, [this](int row) { ShowEntry(row); });
}

void TfrmGameListBase::Finish(const QStringList& names) {
  lstEntries_->addItems(names);
  Select(names.isEmpty() ? -1 : 0);
}

void TfrmGameListBase::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (warned_) return;
  warned_ = true;
  dialogs_.Warning(this, QStringLiteral("Before making changes, I suggest you: \r\n- Read "
                                        "GamePluginHelp.doc !\r\n- Make a backup copy of "
                                        "utGameType.ini !"));
}

void TfrmGameListBase::Select(int index) {
  lstEntries_->setCurrentRow(index);
  ShowEntry(index);
}

void TfrmGameListBase::New() {
  const int index = NewEntry();
  lstEntries_->addItem(EntryName(index));
  Select(index);
  Field(0)->setFocus();
}

void TfrmGameListBase::Delete() {
  const int index = lstEntries_->currentRow();
  if (index < 0) return;
  if (!dialogs_.Confirm(this, DeleteQuestion(), TWindowDialogs::TNoButton::Cancel)) return;
  DeleteEntry(index);
  delete lstEntries_->takeItem(index);
  Select(lstEntries_->count() ? 0 : -1);
}

bool TfrmGameListBase::UpdateSelected() {
  const int index = lstEntries_->currentRow();
  if (index < 0) return true;
  if (const auto problem = UpdateEntry(index)) {
    if (problem->warning)
      dialogs_.Warning(this, problem->text);
    else
      dialogs_.Information(this, problem->text);
    Field(problem->field)->setFocus();
    return false;
  }
  lstEntries_->item(index)->setText(EntryName(index));
  return true;
}

void TfrmGameListBase::accept() {
  if (done_ || !UpdateSelected()) return;
  done_ = true;
  AcceptEdits();
  QDialog::accept();
}

void TfrmGameListBase::reject() {
  if (!done_) CancelEdits();
  done_ = true;
  QDialog::reject();
}

// ---- Games

TfrmGames::TfrmGames(TWindowDialogs& dialogs, TGameTables& tables, QWidget* parent)
    : TfrmGameListBase(dialogs, parent), editor_(tables) {
  setObjectName(QStringLiteral("frmGames"));
  setWindowTitle(QStringLiteral("Game Management"));
  edtGame_ = AddField<TkorvEdit>(Panel(), "edtGame", QStringLiteral("Game:"));
  cboVersion_ = AddList(Panel(), "cboVersion", QStringLiteral("Version Association:"),
                        {QStringLiteral("UT"), QStringLiteral("UT2004")});
  Finish(editor_.Names());
}

void TfrmGames::ShowEntry(int index) {
  const TGame* game = editor_.At(index);
  edtGame_->SetText(game ? game->Name.Working : QString());
  cboVersion_->SetText(game ? game->Value.Working : QString());
}

std::optional<TEditProblem> TfrmGames::UpdateEntry(int index) {
  return editor_.Update(index, edtGame_->Text(), cboVersion_->Text());
}

QString TfrmGames::EntryName(int index) const {
  const TGame* game = editor_.At(index);
  return game ? game->Name.Working : QString();
}

QWidget* TfrmGames::Field(int field) const {
  return field == 0 ? static_cast<QWidget*>(edtGame_->Edit()) : cboVersion_->Combobox();
}

QString TfrmGames::DeleteQuestion() const {
  return QStringLiteral("Are you SURE you want to delete this Game?");
}

// ---- Game types

TfrmGameTypes::TfrmGameTypes(TWindowDialogs& dialogs, TGameTables& tables, QWidget* parent)
    : TfrmGameListBase(dialogs, parent), editor_(tables) {
  setObjectName(QStringLiteral("frmGameTypes"));
  setWindowTitle(QStringLiteral("Game Type Management"));
  edtGameType_ = AddField<TkorvEdit>(Panel(), "edtGameType", QStringLiteral("Game Type:"));
  edtTabTitle_ = AddField<TkorvEdit>(Panel(), "edtTabTitle", QStringLiteral("Tab Title:"));
  cboTeamGame_ = AddList(Panel(), "cboTeamGame", QStringLiteral("Is Team Game:"),
                         {QStringLiteral("True"), QStringLiteral("False")});
  cboTeamGame_->SetSorted(false);
  cboTeamGame_->SetText(QStringLiteral("False"));
  cboGame_ = AddList(Panel(), "cboGame", QStringLiteral("Game Association:"), editor_.GameNames());
  Finish(editor_.Names());
}

void TfrmGameTypes::ShowEntry(int index) {
  const TGameType* type = editor_.At(index);
  edtGameType_->SetText(type ? type->Name.Working : QString());
  edtTabTitle_->SetText(type ? type->Description.Working : QString());
  cboTeamGame_->SetText(
      type ? (type->TeamGame.Working ? QStringLiteral("True") : QStringLiteral("False"))
           : QString());
  cboGame_->SetText(type ? type->Game.Working : QString());
}

std::optional<TEditProblem> TfrmGameTypes::UpdateEntry(int index) {
  return editor_.Update(index, edtGameType_->Text(), edtTabTitle_->Text(), cboTeamGame_->Text(),
                        cboGame_->Text());
}

QString TfrmGameTypes::EntryName(int index) const {
  const TGameType* type = editor_.At(index);
  return type ? type->Name.Working : QString();
}

QWidget* TfrmGameTypes::Field(int field) const {
  switch (field) {
    case 0:
      return edtGameType_->Edit();
    case 1:
      return edtTabTitle_->Edit();
    case 2:
      return cboTeamGame_->Combobox();
    default:
      return cboGame_->Combobox();
  }
}

QString TfrmGameTypes::DeleteQuestion() const {
  return QStringLiteral("Are you SURE you want to delete this Game Type?");
}

// ---- Commands

std::optional<TGameRenames> EditGames(QWidget* parent, TWindowDialogs& dialogs,
                                      TGameTables& tables) {
  TfrmGames dialog(dialogs, tables, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Renames();
}

std::optional<TGameTypeCommit> EditGameTypes(QWidget* parent, TWindowDialogs& dialogs,
                                             TGameTables& tables) {
  TfrmGameTypes dialog(dialogs, tables, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Commit();
}

}  // namespace zorvane
