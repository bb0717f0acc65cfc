// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/master_servers_dialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/master_lists.h"
#include "gui/dialogs/centre_on_parent.h"
#include "gui/dialogs/window_dialogs.h"

namespace zorvane {
namespace {

// The longest default entry with a port fits the list without scrolling.
const QString kWidestEntry = QStringLiteral("master-uk.unrealarchive.org:28900");

QPushButton* Button(const char* name, const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);
  return button;
}

QLabel* Caption(const QString& text, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setBuddy(buddy);
  return label;
}

}  // namespace

TfrmMasterServers::TfrmMasterServers(TWindowDialogs& dialogs, QWidget* parent)
    : QDialog(parent),
      dialogs_(dialogs),
      cboGame_(new QComboBox(this)),
      lstMasters_(new QListWidget(this)),
      edtAddress_(new QLineEdit(this)),
      btnAdd_(Button("btnAdd", QStringLiteral("&Add"), this)),
      btnRemove_(Button("btnRemove", QStringLiteral("&Remove"), this)),
      btnUp_(Button("btnMoveUp", QStringLiteral("Move &Up"), this)),
      btnDown_(Button("btnMoveDown", QStringLiteral("Move &Down"), this)),
      btnDefaults_(Button("btnRestoreDefaults", QStringLiteral("Restore De&faults"), this)),
      ok_(new QPushButton(QStringLiteral("OK"), this)),
      cancel_(Button("btnCancel", QStringLiteral("Cancel"), this)) {
  setObjectName(QStringLiteral("frmMasterServers"));
  setWindowTitle(QStringLiteral("Master Servers"));
  cboGame_->setObjectName(QStringLiteral("cboGame"));
  lstMasters_->setObjectName(QStringLiteral("lstMasters"));
  edtAddress_->setObjectName(QStringLiteral("edtAddress"));
  ok_->setObjectName(QStringLiteral("btnOK"));
  ok_->setDefault(true);
  for (const TMasterGame& game : kMasterGames) cboGame_->addItem(QString::fromLatin1(game.variant));

  auto* layout = new QVBoxLayout(this);
  auto* gameRow = new QHBoxLayout;
  gameRow->addWidget(Caption(QStringLiteral("&Game:"), cboGame_, this));
  gameRow->addWidget(cboGame_);
  gameRow->addStretch();
  layout->addLayout(gameRow);

  auto* listRow = new QHBoxLayout;
  lstMasters_->setMinimumWidth(lstMasters_->fontMetrics().horizontalAdvance(kWidestEntry) * 5 / 4);
  listRow->addWidget(lstMasters_, 1);
  auto* side = new QVBoxLayout;
  for (QPushButton* button : {btnRemove_, btnUp_, btnDown_}) side->addWidget(button);
  side->addStretch();
  side->addWidget(btnDefaults_);
  listRow->addLayout(side);
  layout->addLayout(listRow, 1);

  auto* addRow = new QHBoxLayout;
  addRow->addWidget(Caption(QStringLiteral("Addr&ess:"), edtAddress_, this));
  addRow->addWidget(edtAddress_, 1);
  addRow->addWidget(btnAdd_);
  layout->addLayout(addRow);
  auto* hint = new QLabel(QStringLiteral("A host name or an IPv4 address, with \":PORT\" when "
                                         "the port is not 28900."),
                          this);
  hint->setObjectName(QStringLiteral("lblHint"));
  layout->addWidget(hint);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  layout->addLayout(buttons);

  edtAddress_->installEventFilter(this);
  lstMasters_->installEventFilter(this);
  connect(cboGame_, &QComboBox::currentIndexChanged, this, [this] { ShowList(0); });
  connect(lstMasters_, &QListWidget::currentRowChanged, this, &TfrmMasterServers::UpdateButtons);
  connect(edtAddress_, &QLineEdit::textChanged, this, &TfrmMasterServers::UpdateButtons);
  connect(btnAdd_, &QPushButton::clicked, this, &TfrmMasterServers::Add);
  connect(btnRemove_, &QPushButton::clicked, this, &TfrmMasterServers::Remove);
  connect(btnUp_, &QPushButton::clicked, this, [this] { Move(-1); });
  connect(btnDown_, &QPushButton::clicked, this, [this] { Move(1); });
  connect(btnDefaults_, &QPushButton::clicked, this, &TfrmMasterServers::RestoreDefaults);
  connect(ok_, &QPushButton::clicked, this, &TfrmMasterServers::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  UpdateButtons();
}

void TfrmMasterServers::Fill(const TMasterListsForm& lists) {
  lists_.clear();
  for (const TMasterGame& game : kMasterGames) {
    const auto found = lists.find(QString::fromLatin1(game.variant));
    lists_[QString::fromLatin1(game.variant)] =
        found == lists.end() ? QStringList() : found->second;
  }
  ShowList(0);
}

void TfrmMasterServers::ShowGame(const QString& variant) {
  const int index = cboGame_->findText(variant, Qt::MatchFixedString);
  if (index >= 0) cboGame_->setCurrentIndex(index);
}

QString TfrmMasterServers::ShownGame() const {
  return cboGame_->currentText();
}

QStringList& TfrmMasterServers::Shown() {
  return lists_[ShownGame()];
}

void TfrmMasterServers::ShowList(int selected) {
  lstMasters_->clear();
  lstMasters_->addItems(Shown());
  if (lstMasters_->count() > 0)
    lstMasters_->setCurrentRow(std::clamp(selected, 0, lstMasters_->count() - 1));
  UpdateButtons();
}

void TfrmMasterServers::UpdateButtons() {
  const int row = lstMasters_->currentRow(), count = lstMasters_->count();
  btnRemove_->setEnabled(row >= 0);
  btnUp_->setEnabled(row > 0);
  btnDown_->setEnabled(row >= 0 && row < count - 1);
  btnAdd_->setEnabled(!edtAddress_->text().trimmed().isEmpty());
}

void TfrmMasterServers::Add() {
  const QString entry = edtAddress_->text().trimmed();
  const QString problem = MasterEntryProblem(Shown(), entry);
  if (!problem.isEmpty()) {
    dialogs_.Warning(this, problem);
    edtAddress_->setFocus();
    edtAddress_->selectAll();
    return;
  }
  Shown() << entry;
  ShowList(int(Shown().size()) - 1);
  edtAddress_->clear();
}

void TfrmMasterServers::Remove() {
  const int row = lstMasters_->currentRow();
  if (row < 0) return;
  Shown().removeAt(row);
  ShowList(row);
}

void TfrmMasterServers::Move(int by) {
  const int row = lstMasters_->currentRow(), to = row + by;
  if (row < 0 || to < 0 || to >= lstMasters_->count()) return;
  Shown().move(row, to);
  ShowList(to);
}

void TfrmMasterServers::RestoreDefaults() {
  Shown() = DefaultMasterList(ShownGame());
  ShowList(0);
}

void TfrmMasterServers::accept() {
  for (const TMasterGame& game : kMasterGames) {
    const QString variant = QString::fromLatin1(game.variant);
    const QStringList& list = lists_[variant];
    const QString problem = MasterListProblem(list);
    if (problem.isEmpty()) continue;
    ShowGame(variant);
    dialogs_.Warning(this, list.isEmpty() ? QStringLiteral("The list of %1 is empty: give at "
                                                           "least one master server, or press "
                                                           "Restore Defaults.")
                                                .arg(variant)
                                          : variant + QStringLiteral(": ") + problem);
    return;
  }
  QDialog::accept();
}

bool TfrmMasterServers::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    // Enter in the address adds it rather than closing the dialog.
    if (watched == edtAddress_ && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
      Add();
      return true;
    }
    if (watched == lstMasters_ && key == Qt::Key_Delete) {
      Remove();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

std::optional<TMasterListsForm> EditMasterServers(QWidget* parent, TWindowDialogs& dialogs,
                                                  const TMasterListsForm& lists) {
  TfrmMasterServers dialog(dialogs, parent);
  if (parent) dialog.setFont(parent->font());
  dialog.Fill(lists);
  dialog.adjustSize();
  CentreOnParent(&dialog);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Lists();
}

}  // namespace zorvane
