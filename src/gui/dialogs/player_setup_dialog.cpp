// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/player_setup_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/game_tables.h"
#include "gui/controls/korv_combobox.h"
#include "gui/controls/korv_edit.h"
#include "gui/controls/window_fit.h"
#include "gui/dialogs/window_dialogs.h"

namespace zorvane {

namespace {

constexpr int kFieldWidth = 300;
constexpr int kCaptionWidth = 80;

template <typename Field>
void SetUpField(Field* field, const char* name, const char* caption) {
  field->setObjectName(QString::fromLatin1(name));
  field->SetPanelWidth(kFieldWidth);
  field->SetCaptionWidth(kCaptionWidth);
  field->SetCaption(QString::fromLatin1(caption));
}

}  // namespace

TfrmPlayerSetup::TfrmPlayerSetup(TWindowDialogs& dialogs, const TGameTables& tables,
                                 const QString& defaultGame, QWidget* parent)
    : QDialog(parent),
      dialogs_(dialogs),
      tables_(tables),
      files_(tables),
      cboGame_(new TkorvCombobox(this)),
      btnGameNote_(new QPushButton(QStringLiteral("!"), this)),
      lblOpenError_(new QLabel(this)),
      pnlDetails_(new QWidget(this)),
      edtName_(new TkorvEdit(pnlDetails_)),
      cboTeam_(new TkorvCombobox(pnlDetails_)),
      chkSpectator_(new QCheckBox(QStringLiteral("Play as spectator"), pnlDetails_)),
      chkAutoSwitchWeapons_(new QCheckBox(QStringLiteral("Auto-Switch Weapons"), pnlDetails_)),
      btnOK_(new QPushButton(QStringLiteral("OK"), this)),
      btnCancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
  setObjectName(QStringLiteral("frmPlayerSetup"));
  setWindowTitle(QStringLiteral("Quick Player Setup"));
  SetUpField(cboGame_, "cboGame", "Game:");
  cboGame_->SetStyle(TComboStyle::DropDownList);
  btnGameNote_->setObjectName(QStringLiteral("btnGameNote"));
  btnGameNote_->setAutoDefault(false);
  btnGameNote_->setFixedWidth(25);
  lblOpenError_->setObjectName(QStringLiteral("lblOpenError"));
  lblOpenError_->setWordWrap(true);
  lblOpenError_->hide();
  pnlDetails_->setObjectName(QStringLiteral("pnlDetails"));
  SetUpField(edtName_, "edtName", "Name:");
  SetUpField(cboTeam_, "cboTeam", "Team:");
  cboTeam_->SetStyle(TComboStyle::DropDownList);
  chkSpectator_->setObjectName(QStringLiteral("chkSpectator"));
  chkAutoSwitchWeapons_->setObjectName(QStringLiteral("chkAutoSwitchWeapons"));
  btnOK_->setObjectName(QStringLiteral("btnOK"));
  btnCancel_->setObjectName(QStringLiteral("btnCancel"));
  btnOK_->setDefault(true);

  auto* gameRow = new QHBoxLayout;
  gameRow->addWidget(cboGame_, 1);
  gameRow->addWidget(btnGameNote_);
  auto* details = new QVBoxLayout(pnlDetails_);
  details->setContentsMargins(0, 0, 0, 0);
  details->addWidget(edtName_);
  details->addWidget(cboTeam_);
  details->addWidget(chkSpectator_);
  details->addWidget(chkAutoSwitchWeapons_);
  auto* closing = new QHBoxLayout;
  closing->addStretch();
  closing->addWidget(btnOK_);
  closing->addWidget(btnCancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(gameRow);
  layout->addWidget(lblOpenError_);
  layout->addWidget(pnlDetails_);
  layout->addStretch();
  layout->addLayout(closing);

  FitWhenShown(this);
  connect(btnGameNote_, &QPushButton::clicked, this, [this] {
    dialogs_.Information(this, QStringLiteral("You will only see games in here for which you "
                                              "have set the path to the User.ini. Use "
                                              "System/User INIs to enter additional paths."));
  });
  connect(btnOK_, &QPushButton::clicked, this, &TfrmPlayerSetup::accept);
  connect(btnCancel_, &QPushButton::clicked, this, &TfrmPlayerSetup::reject);

  cboGame_->SetItems(PlayerSetupGames(tables_));
  pnlDetails_->hide();  // until a game's file fills it
  SelectGame(FirstPlayerSetupGame(tables_, defaultGame));
  // Connected last: filling the list must not show its first game on the way.
  connect(cboGame_->Combobox(), &QComboBox::currentTextChanged, this,
          [this](const QString& game) { ShowGame(game); });
}

TfrmPlayerSetup::~TfrmPlayerSetup() = default;

void TfrmPlayerSetup::SelectGame(const QString& game) {
  const QSignalBlocker quiet(cboGame_->Combobox());
  cboGame_->Combobox()->setCurrentIndex(cboGame_->ItemIndexOf(game));
  ShowGame(cboGame_->Text());
}

QString TfrmPlayerSetup::SelectedGame() const {
  return cboGame_->Text();
}

void TfrmPlayerSetup::StoreShown() {
  if (shown_.isEmpty()) return;
  const TPlayerValues values{edtName_->Text(), cboTeam_->Text(), chkSpectator_->isChecked(),
                             chkAutoSwitchWeapons_->isChecked()};
  edtName_->SetText(files_.Keep(shown_, values).name);
}

void TfrmPlayerSetup::ShowGame(const QString& game) {
  if (!shown_.isEmpty() && shown_.compare(game, Qt::CaseInsensitive) == 0) return;
  StoreShown();
  shown_.clear();
  const TGame* record = tables_.FindGame(game);
  const bool ut = record && IsUTGame(*record);
  chkSpectator_->setVisible(ut);
  cboTeam_->SetItems(TeamChoices(ut));
  const TPlayerValues* values = record ? files_.Open(game) : nullptr;
  lblOpenError_->setText(files_.OpenError());
  lblOpenError_->setVisible(!files_.OpenError().isEmpty());
  pnlDetails_->setVisible(values != nullptr);
  if (!values) return;
  shown_ = record->Name.Value;
  edtName_->SetText(values->name);
  cboTeam_->SetText(values->team);
  if (ut) {
    chkSpectator_->setChecked(values->spectator);
    chkAutoSwitchWeapons_->setChecked(values->autoSwitch);
  }
}

void TfrmPlayerSetup::accept() {
  StoreShown();
  writeFailures_ = files_.WriteChanges();
  if (!writeFailures_.isEmpty()) dialogs_.Error(this, writeFailures_.join(u'\n'));
  QDialog::accept();
}

bool QuickPlayerSetup(QWidget* parent, TWindowDialogs& dialogs, const TGameTables& tables,
                      const QString& defaultGame) {
  if (PlayerSetupGames(tables).isEmpty()) {
    dialogs.Information(parent, QStringLiteral("Please use System/User INIs to enter the path to "
                                               "at least one User.ini"));
    return false;
  }
  TfrmPlayerSetup dialog(dialogs, tables, defaultGame, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace zorvane
