// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/game_path_dialog.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/controls/korv_combobox.h"
#include "gui/controls/korv_edit.h"
#include "gui/controls/window_fit.h"
#include "gui/dialogs/window_dialogs.h"

namespace zorvane {

QString GamePathFileFilter(const TGamePathFieldInfo& field) {
  // Native Linux game binaries (ut-bin, ut2004-bin) have no extension: the first filter shows
  // both kinds.
  if (field.field == TGamePathField::Exe)
    return QStringLiteral(
        "game executables (*.exe *.EXE ut-bin ut-bin-* ut2003-bin ut2004-bin ut2004-bin-* "
        "UT2004);;executable files (*.exe);;all files (*)");
  return QStringLiteral("ini files (*.ini)");
}

TfrmGamePath::TfrmGamePath(TWindowDialogs& dialogs, TGameTables& tables,
                           const TGamePathFieldInfo& field, QWidget* parent)
    : QDialog(parent),
      dialogs_(dialogs),
      tables_(tables),
      field_(field),
      editor_(tables, field.field),
      cboGame_(new TkorvCombobox(this)),
      edtPath_(new TkorvEdit(this)),
      btnBrowse_(new QPushButton(QStringLiteral("..."), this)),
      lblNote_(new QLabel(QString::fromLatin1(field.note), this)),
      lblFilled_(new QLabel(this)),
      btnOK_(new QPushButton(QStringLiteral("OK"), this)),
      btnCancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
  setObjectName(QStringLiteral("frmGamePath"));
  SetTitleMode(0, {});
  home_ = QDir::homePath();
  chooser_ = [this](const QString& directory, const QString& filter) {
    return QFileDialog::getOpenFileName(this, windowTitle(), directory, filter);
  };
  cboGame_->setObjectName(QStringLiteral("cboGame"));
  cboGame_->SetStyle(TComboStyle::DropDownList);
  cboGame_->SetSorted(true);
  QStringList names;
  for (const auto& game : tables_.games) names << game->Name.Value;
  cboGame_->SetItems(names);
  cboGame_->SetCaption(QStringLiteral("Game:"));
  edtPath_->setObjectName(QStringLiteral("edtPath"));
  edtPath_->SetPanelWidth(420);
  edtPath_->SetCaptionWidth(140);
  edtPath_->SetCaption(QString::fromLatin1(field.caption));
  cboGame_->SetPanelWidth(420);
  cboGame_->SetCaptionWidth(140);
  btnBrowse_->setObjectName(QStringLiteral("btnBrowse"));
  btnBrowse_->setAutoDefault(false);
  btnBrowse_->setFixedWidth(30);
  lblNote_->setObjectName(QStringLiteral("lblNote"));
  lblNote_->setWordWrap(true);
  lblFilled_->setObjectName(QStringLiteral("lblFilled"));
  lblFilled_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lblFilled_->hide();
  btnOK_->setObjectName(QStringLiteral("btnOK"));
  btnCancel_->setObjectName(QStringLiteral("btnCancel"));
  btnOK_->setDefault(true);

  auto* path = new QHBoxLayout;
  path->addWidget(edtPath_, 1);
  path->addWidget(btnBrowse_);
  auto* closing = new QHBoxLayout;
  closing->addStretch();
  closing->addWidget(btnOK_);
  closing->addWidget(btnCancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(cboGame_);
  layout->addLayout(path);
  layout->addWidget(lblNote_);
  layout->addWidget(lblFilled_);
  layout->addLayout(closing);

  FitWhenShown(this);
  edtPath_->Edit()->installEventFilter(this);
  connect(btnBrowse_, &QPushButton::clicked, this, &TfrmGamePath::Browse);
  connect(btnOK_, &QPushButton::clicked, this, &TfrmGamePath::accept);
  connect(btnCancel_, &QPushButton::clicked, this, &TfrmGamePath::reject);
  connect(cboGame_->Combobox(), &QComboBox::currentTextChanged, this,
          [this](const QString& name) { ShowGame(name); });
  SelectGame({});
}

void TfrmGamePath::SetTitleMode(int mode, const QString& caption) {
  setWindowTitle(GamePathTitle(field_, mode, caption));
}

int TfrmGamePath::GameIndex(const QString& name) const {
  for (std::size_t i = 0; i < tables_.games.size(); ++i)
    if (tables_.games[i]->Name.Value.compare(name, Qt::CaseInsensitive) == 0) return int(i);
  return -1;
}

void TfrmGamePath::SelectGame(const QString& game) {
  const int item = cboGame_->ItemIndexOf(game);
  cboGame_->Combobox()->setCurrentIndex(item >= 0 ? item : 0);
  ShowGame(cboGame_->Text());
}

void TfrmGamePath::SetLockGame(bool lock) {
  cboGame_->setEnabled(!lock);
}

QString TfrmGamePath::SelectedGame() const {
  return cboGame_->Text();
}

void TfrmGamePath::ShowGame(const QString& name) {
  const int index = GameIndex(name);
  if (index == shown_) return;
  if (shown_ >= 0) editor_.Store(shown_, edtPath_->Text());
  shown_ = index;
  edtPath_->SetText(editor_.PathOf(index));
  lblFilled_->hide();
}

void TfrmGamePath::FillIniPaths() {
  if (field_.field != TGamePathField::Exe || shown_ < 0 || edtPath_->Text().isEmpty()) return;
  const TIniGuess filled = editor_.FillIniPaths(shown_, edtPath_->Text(), home_);
  QStringList lines;
  for (const auto& [field, path] : {std::pair{TGamePathField::Favorites, filled.favoritesPath},
                                    std::pair{TGamePathField::User, filled.userPath}})
    if (!path.isEmpty())
      lines << QLatin1String(GamePathFieldInfo(field).word) + QStringLiteral(" set to ") + path;
  if (lines.isEmpty()) return;
  lblFilled_->setText(lines.join(u'\n'));
  lblFilled_->show();
  // Grown to show the new lines, never shrunk below the size the user gave it.
  const QSize before = size();
  adjustSize();
  resize(size().expandedTo(before));
}

bool TfrmGamePath::CheckPathField() {
  if (checking_) return true;
  const auto problem = CheckGamePath(edtPath_->Text(), QString::fromLatin1(field_.caption));
  if (!problem) return true;
  checking_ = true;  // the box takes the focus, which must not check again
  dialogs_.Error(this, *problem);
  checking_ = false;
  // Back into the field once the focus change that left it is over.
  refocusPending_ = true;
  QTimer::singleShot(0, edtPath_->Edit(), [this] {
    refocusPending_ = false;
    edtPath_->Edit()->setFocus();
  });
  return false;
}

void TfrmGamePath::Browse() {
  const QString current = edtPath_->Text();
  const QString chosen =
      chooser_ ? chooser_(DirectoryPart(current), GamePathFileFilter(field_)) : QString();
  if (chosen.isEmpty()) return;
  edtPath_->SetText(chosen);
  if (CheckPathField()) FillIniPaths();
}

bool TfrmGamePath::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edtPath_->Edit() && event->type() == QEvent::FocusOut && !done_) {
    // Only leaving for another control of the dialog checks: not a switch to another window,
    // and not Cancel, which restores everything anyway.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
        focusWidget() != btnCancel_ && CheckPathField())
      FillIniPaths();
  }
  return QDialog::eventFilter(watched, event);
}

void TfrmGamePath::accept() {
  // Pressing OK left the field: a refusal just shown also refuses the click.
  if (done_ || refocusPending_ || !CheckPathField()) return;
  done_ = true;
  if (shown_ >= 0) editor_.Store(shown_, edtPath_->Text());
  FillIniPaths();
  editor_.Accept();
  QDialog::accept();
}

void TfrmGamePath::reject() {
  if (!done_) editor_.Cancel();
  done_ = true;
  QDialog::reject();
}

namespace {

// The dialog's outcome: whether OK closed it, and the game selected at the end.
std::pair<bool, QString> RunGamePath(QWidget* parent, TWindowDialogs& dialogs, TGameTables& tables,
                                     const QString& fieldKey, int titleMode, const QString& caption,
                                     bool lockGame, const QString& preselectedGame) {
  const TGamePathFieldInfo* field = GamePathFieldInfo(fieldKey);
  if (!field) return {true, preselectedGame};
  TfrmGamePath dialog(dialogs, tables, *field, parent);
  dialog.SetTitleMode(titleMode, caption);
  dialog.SelectGame(preselectedGame);
  dialog.SetLockGame(lockGame);
  const bool accepted = dialog.exec() == QDialog::Accepted;
  return {accepted, dialog.SelectedGame()};
}

}  // namespace

QString EditGamePath(QWidget* parent, TWindowDialogs& dialogs, TGameTables& tables,
                     const QString& fieldKey, int titleMode, const QString& caption, bool lockGame,
                     const QString& preselectedGame) {
  return RunGamePath(parent, dialogs, tables, fieldKey, titleMode, caption, lockGame,
                     preselectedGame)
      .second;
}

std::optional<QString> AskGamePath(QWidget* parent, TWindowDialogs& dialogs, TGameTables& tables,
                                   const QString& fieldKey, int titleMode, const QString& caption,
                                   bool lockGame, const QString& preselectedGame) {
  auto [accepted, game] =
      RunGamePath(parent, dialogs, tables, fieldKey, titleMode, caption, lockGame, preselectedGame);
  if (!accepted) return std::nullopt;
  return game;
}

}  // namespace zorvane
