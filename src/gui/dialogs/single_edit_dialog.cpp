// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/dialogs/single_edit_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/game_edits.h"
#include "gui/controls/korv_edit.h"
#include "gui/controls/window_fit.h"
#include "gui/dialogs/centre_on_parent.h"
#include "gui/dialogs/window_dialogs.h"

namespace zorvane {
namespace {
constexpr QSize kDesignedSize(212, 82);  // pixels of the 8-point dialog font
}  // namespace

TfrmLocalPort::TfrmLocalPort(TWindowDialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Tool),
      dialogs_(dialogs),
      edtEdit_(new TkorvEdit(this)),
      chkExactMatch_(new QCheckBox(QStringLiteral("Exact Match"), this)),
      ok_(new QPushButton(QStringLiteral("OK"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
  setObjectName(QStringLiteral("frmLocalPort"));
  edtEdit_->setObjectName(QStringLiteral("edtEdit"));
  edtEdit_->SetPanelWidth(196);
  edtEdit_->SetCaptionWidth(60);
  edtEdit_->SetCaption(QStringLiteral("Local Port:"));
  chkExactMatch_->setObjectName(QStringLiteral("chkExactMatch"));
  chkExactMatch_->hide();
  ok_->setObjectName(QStringLiteral("btnOK"));
  cancel_->setObjectName(QStringLiteral("btnCancel"));
  ok_->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 4);
  layout->setSpacing(3);
  layout->addWidget(edtEdit_);
  layout->addWidget(chkExactMatch_, 0, Qt::AlignLeft);  // a click beside its text misses it
  layout->addStretch();
  layout->addLayout(buttons);
  // The caller's title and caption may ask for more than the design.
  FitWhenShown(this, kDesignedSize);
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
  // Centred with the size it opens at: the title and caption set above may widen it.
  dialog.resize(FittedWindowSize(&dialog, kDesignedSize));
  if (parent) CentreOnParent(&dialog);
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
