// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/single_edit_dialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "config/game_edits.h"
#include "gui/controls/korv_edit.h"
#include "gui/dialogs/window_dialogs.h"

namespace zorvane {

TfrmLocalPort::TfrmLocalPort(TWindowDialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Tool),
      dialogs_(dialogs),
      edtEdit_(new TkorvEdit(this)),
      chkExactMatch_(new QCheckBox(QStringLiteral("Exact Match"), this)),
      ok_(new QPushButton(QStringLiteral("OK"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
  setObjectName(QStringLiteral("frmLocalPort"));
  setFixedSize(212, 82);
  edtEdit_->setObjectName(QStringLiteral("edtEdit"));
  edtEdit_->setGeometry(8, 8, 196, 23);
  edtEdit_->SetPanelWidth(196);
  edtEdit_->SetCaptionWidth(60);
  edtEdit_->SetCaption(QStringLiteral("Local Port:"));
  chkExactMatch_->setObjectName(QStringLiteral("chkExactMatch"));
  chkExactMatch_->setGeometry(8, 34, 120, 17);
  chkExactMatch_->hide();
  ok_->setObjectName(QStringLiteral("btnOK"));
  cancel_->setObjectName(QStringLiteral("btnCancel"));
  ok_->setGeometry(48, 53, 75, 25);
  cancel_->setGeometry(129, 53, 75, 25);
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &TfrmLocalPort::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmLocalPort::Setup(const TSingleEditSetup& setup) {
  setWindowTitle(setup.title);
  edtEdit_->SetCaption(setup.caption);
  edtEdit_->SetText(setup.text);
  chkExactMatch_->setVisible(setup.showExactMatch);
  chkExactMatch_->setChecked(setup.exactMatch);
  numbersOnly_ = setup.numbersOnly;
  edtEdit_->Edit()->setFocus();
}

TSingleEditResult TfrmLocalPort::Result() const {
  return {edtEdit_->Text(), chkExactMatch_->isChecked()};
}

void TfrmLocalPort::accept() {
  if (numbersOnly_ && !AllDigits(edtEdit_->Text())) {
    dialogs_.Error(this, edtEdit_->Caption() + QStringLiteral(" must be a valid integer."));
    edtEdit_->Edit()->setFocus();
    return;
  }
  QDialog::accept();
}

std::optional<TSingleEditResult> RunSingleEdit(QWidget* parent, TWindowDialogs& dialogs,
                                               const TSingleEditSetup& setup) {
  TfrmLocalPort dialog(dialogs, parent);
  dialog.Setup(setup);
  if (parent) dialog.move(parent->geometry().center() - dialog.rect().center());
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Result();
}

std::optional<int> EditLocalPort(QWidget* parent, TWindowDialogs& dialogs, int currentPort) {
  TSingleEditSetup setup;
  setup.title = QStringLiteral("Local Port");
  setup.caption = QStringLiteral("Local Port:");
  setup.text = QString::number(currentPort);
  // Anything but a port (letters, a sign, nothing, too large) gets the one message, and the
  // dialog comes back with the text as typed until a port is given or it is cancelled.
  setup.numbersOnly = false;
  for (;;) {
    const auto result = RunSingleEdit(parent, dialogs, setup);
    if (!result) return std::nullopt;
    if (const std::optional<int> port = ParseLocalPort(result->text)) return port;
    dialogs.Error(parent, QStringLiteral("The local port must be a number from 0 to 65535."));
    setup.text = result->text;
  }
}

}  // namespace zorvane
