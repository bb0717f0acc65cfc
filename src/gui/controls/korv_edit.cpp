// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/controls/korv_edit.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QPalette>

namespace zorvane {

TkorvEdit::TkorvEdit(QWidget* parent)
    : TkorvCaptionedPanel(parent, QString()), edit_(new QLineEdit(this)) {
  AttachBox(edit_);
  edit_->installEventFilter(this);
  connect(edit_, &QLineEdit::textChanged, this, [this] { Q_EMIT Changed(this); });
}

QString TkorvEdit::Text() const {
  return edit_->text();
}
void TkorvEdit::SetText(const QString& text) {
  edit_->setText(text);
}

void TkorvEdit::SetPasswordChar(QChar c) {
  passwordChar_ = c;
  if (c.isNull()) {
    edit_->setEchoMode(QLineEdit::Normal);
    edit_->setStyleSheet(QString());
  } else {
    edit_->setEchoMode(QLineEdit::Password);
    edit_->setStyleSheet(
        QStringLiteral("QLineEdit { lineedit-password-character: %1 }").arg(int(c.unicode())));
  }
}

bool TkorvEdit::ReadOnlyControl() const {
  return edit_->isReadOnly();
}

void TkorvEdit::SetReadOnlyControl(bool readOnly) {
  edit_->setReadOnly(readOnly);
  if (readOnly) {
    QPalette p = edit_->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Button));
    edit_->setPalette(p);
  } else {
    edit_->setPalette(QPalette());  // back to the inherited base colour
  }
}

bool TkorvEdit::TabStop() const {
  return edit_->focusPolicy() & Qt::TabFocus;
}

void TkorvEdit::SetTabStop(bool tabStop) {
  edit_->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
}

bool TkorvEdit::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edit_ && event->type() == QEvent::FocusIn) {
    // The popup and window-activation returns are not an entry into the field.
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
        !edit_->isReadOnly())
      edit_->selectAll();
  }
  return TkorvCaptionedPanel::eventFilter(watched, event);
}

}  // namespace zorvane
